// The installer's two error boxes.
#include "setup/session.h"
#include "setup/support.h"

void showConfigError(const char* text)
{
    MessageBoxA(session.wizardWindow, text, "SETUPLIB", MB_ICONERROR);
}

void showSetupError(const char* text)
{
    MessageBoxA(session.wizardWindow, text, session.windowCaption, MB_ICONERROR);
}
