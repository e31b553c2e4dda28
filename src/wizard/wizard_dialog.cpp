// The wizard's dialog procedure: the page sequencer behind Next and Back,
// Cancel, and the bookkeeping of the option buttons and the desktop box.
#include "wizard/wizard_dialog.h"

#include <commctrl.h>

#include "install/save_data_folder.h"
#include "setup/config.h"
#include "setup/session.h"

typedef void (*PageHandler)(HWND dialog);

// One handler per Next, indexed by wizardStep. The pages are added one by
// one: each null entry names the handler that goes there, and a step
// without a handler does nothing.
static const PageHandler pageHandlers[] = {
    nullptr,  // 0: showInstallTypePage
    nullptr,  // 1: showInstallFolderPage
    nullptr,  // 2: validateInstallFolder
    nullptr,  // 3: startFileCopy
    nullptr,  // 4: finishInstallation
};
enum {
    PageHandlerCount = sizeof pageHandlers / sizeof pageHandlers[0],
    CompletionStep = 5,     // Next on the completion page ends the wizard
    AddOnCopyStep = 3,      // add-on mode goes from the welcome page to the copy
    CopyStartScreen = 4     // wizardStep while the copy start's page is on screen
};

// The other pages' entry points, null until they exist.
static const PageHandler welcomePage = nullptr;         // initWelcomePage
static const PageHandler browseFolder = nullptr;        // browseInstallFolder
static const PageHandler installRootChanged = nullptr;  // onInstallRootChanged, given PathEdit

void registerWizardClasses()
{
    INITCOMMONCONTROLSEX classes;
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&classes);
}

static void runPageStep(HWND dialog, int back)
{
    if (session.pageBusy)
        return;  // dropped, not queued: a message box inside a page loops here
    if (!back && setupConfig.addOnMode && session.wizardStep == 0)
        session.wizardStep = AddOnCopyStep;
    session.pageBusy = 1;
    setItemTextF(dialog, InfoText, "%s", "");  // "" alone trips -Wformat-zero-length
    if (back) {
        // Without a save-data choice step 2 only validates and moves on, so
        // Back from the copy start goes to the install-folder page.
        if (!setupConfig.ChooseSaveDataFolder && session.wizardStep == CopyStartScreen)
            session.wizardStep = 1;
        else
            session.wizardStep -= 2;
    }
    int step = session.wizardStep;
    if (step == CompletionStep)
        EndDialog(dialog, 0);
    else if (step >= 0 && step < PageHandlerCount && pageHandlers[step])
        pageHandlers[step](dialog);
    session.wizardStep++;
    session.pageBusy--;
}

static void cancelWizard(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, CancelButton), FALSE);
    // The copy start sets copyState to Running under the lock before it
    // creates the worker, and the worker keeps a CancelRequested it finds at
    // its first step; so while a worker exists Cancel only asks it to stop,
    // and the dialog ends through the worker's Next and the completion page.
    // Esc and the close box still arrive as Cancel after the button is
    // disabled: a stop already asked for must not end the dialog under the
    // winding-down worker either.
    EnterCriticalSection(&session.copyLock);
    if (session.copyState == CopyRunning || session.copyState == CopyCancelRequested) {
        session.copyState = CopyCancelRequested;
        LeaveCriticalSection(&session.copyLock);
        return;
    }
    LeaveCriticalSection(&session.copyLock);
    if (!session.pageBusy)
        EndDialog(dialog, -1);
}

static void selectOption(HWND dialog, int id, int option)
{
    if (session.wizardStep == 1) {
        session.selectedSelect = option;
    } else if (session.wizardStep == 3) {
        char folder[MAX_PATH];
        session.saveDataMode = (SaveDataMode)option;
        saveDataFolderPath(folder, 0);
        SetDlgItemTextA(dialog, DetailText, folder);
    }
    CheckRadioButton(dialog, OptionButton0, OptionButton2, id);
}

static void onButton(HWND dialog, int id)
{
    switch (id) {
    case NextButton:
        runPageStep(dialog, 0);
        return;
    case BackButton:
        runPageStep(dialog, 1);
        return;
    case CancelButton:
        cancelWizard(dialog);
        return;
    case DesktopCheck:
        session.desktopShortcuts = session.desktopShortcuts == 1 ? 0 : 1;
        CheckDlgButton(dialog, DesktopCheck, session.desktopShortcuts);
        return;
    case BrowseButton:
        if (browseFolder)
            browseFolder(dialog);
        return;
    }
    for (int i = 0; i < OptionButtonSlots; i++)
        if (optionButtonIds[i] && optionButtonIds[i] == id) {
            selectOption(dialog, id, i);
            return;
        }
}

INT_PTR CALLBACK wizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        if (!session.pageBusy)
            return FALSE;
        SetCursor(LoadCursorA(NULL, IDC_WAIT));
        return TRUE;
    case WM_INITDIALOG:
        // The welcome page sets these itself once it is plugged in.
        session.wizardWindow = dialog;
        session.wizardStep = 0;
        session.pageBusy = 0;
        if (welcomePage)
            welcomePage(dialog);
        return FALSE;  // no initial focus asked for
    case WM_COMMAND:
        if (HIWORD(wParam) == 0)
            onButton(dialog, LOWORD(wParam));
        else if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == PathEdit && installRootChanged)
            installRootChanged((HWND)lParam);
        return TRUE;
    }
    return FALSE;
}
