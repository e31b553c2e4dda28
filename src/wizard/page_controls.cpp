// Helpers every wizard page uses to fill and arrange the dialog's controls.
#include <stdarg.h>

#include "setup/session.h"
#include "setup/support.h"
#include "wizard/wizard_dialog.h"

const int optionButtonIds[OptionButtonSlots] = {OptionButton0, OptionButton1, OptionButton2, 0};

void setItemTextF(HWND dialog, int id, const char* format, ...)
{
    char text[MessageSize];
    va_list args;
    va_start(args, format);
    // A text that does not fit is shown cut rather than not at all.
    formatTextV(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(dialog, id, text);
}

void setNavigationButtons(HWND dialog, BOOL back, BOOL next, BOOL cancel)
{
    EnableWindow(GetDlgItem(dialog, BackButton), back);
    EnableWindow(GetDlgItem(dialog, NextButton), next);
    EnableWindow(GetDlgItem(dialog, CancelButton), cancel);
}
