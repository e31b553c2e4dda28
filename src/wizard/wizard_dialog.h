// The wizard: dialog resource 101, its procedure and page sequencer.
#pragma once

#include <windows.h>

#include "setup/support.h"

enum {
    WizardDialogId = 101,
    NextButton = 1,
    CancelButton = 2,
    BackButton = 4,
    InfoText = 1000,
    PathEdit = 1001,
    BrowseButton = 1002,
    BannerPicture = 1003,
    OptionButton0 = 1004,
    OptionButton1 = 1005,
    OptionButton2 = 1006,
    DesktopCheck = 1007,
    DetailText = 1008,
    FileProgressLabel = 1009,
    TotalProgressLabel = 1010,
    FileProgress = 1011,
    TotalProgress = 1012
};

INT_PTR CALLBACK wizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the common-control classes the template uses (the progress
// bars); called once before the dialog is created.
void registerWizardClasses();

// Option number i of a page is the control at entry i. The fourth entry, 0,
// names no control: loops over all four entries touch it harmlessly.
enum { OptionButtonSlots = 4 };
extern const int optionButtonIds[OptionButtonSlots];

// Formats into a 1024-byte buffer and sets the result as the control's text;
// a longer text is cut.
void setItemTextF(HWND dialog, int id, const char* format, ...) SETUP_PRINTF(3, 4);

// Enables or disables the navigation buttons, in the order Back, Next, Cancel.
void setNavigationButtons(HWND dialog, BOOL back, BOOL next, BOOL cancel);
