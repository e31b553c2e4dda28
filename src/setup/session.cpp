// The setup driver: the whole run on the main thread, from the disc search
// to the exit actions, and the InstallSession record it owns.
#include "setup/session.h"

#include <shlwapi.h>
#include <stdlib.h>
#include <string.h>

#include "install/created_items.h"
#include "register/game_explorer.h"
#include "setup/config.h"
#include "setup/messages.h"
#include "setup/support.h"
#include "wizard/wizard_dialog.h"

InstallSession session;

void resetInstallSession()
{
    memset(&session, 0, sizeof session);
    session.desktopShortcuts = 1;
    copyText(session.windowCaption, sizeof session.windowCaption, "SETUP");
}

// Reads GameTitle of section "SETUP" from iniFile; true when it is not empty.
static int readDiscTitle(const char* iniFile, char* title, DWORD size)
{
    memset(title, 0, size);
    return GetPrivateProfileStringA("SETUP", "GameTitle", "", title, size, iniFile) > 0;
}

// The title of the SETUP.INI beside the installer: the disc identity.
static int readLocalTitle(char* title, DWORD size)
{
    char iniFile[MessageSize];
    DWORD length = GetModuleFileNameA(NULL, iniFile, sizeof iniFile);
    if (length == 0 || length >= sizeof iniFile)
        return 0;
    PathRemoveFileSpecA(iniFile);
    return appendPath(iniFile, sizeof iniFile, "SETUP.INI") && readDiscTitle(iniFile, title, size);
}

// Looks at the CD/DVD drives A: to Z: for a disc whose SETUP.INI carries
// title; asks for disc 1 until one is found. False when the user gives up.
static int findSourceDisc(const char* title)
{
    char message[MessageSize];
    char discTitle[MessageSize];
    for (;;) {
        for (char letter = 'A'; letter <= 'Z'; letter++) {
            formatText(session.sourceRoot, sizeof session.sourceRoot, "%c:\\", letter);
            if (GetDriveTypeA(session.sourceRoot) != DRIVE_CDROM)
                continue;
            session.iniPath[0] = '\0';
            if (!copyText(session.iniPath, sizeof session.iniPath, session.sourceRoot) ||
                !appendPath(session.iniPath, sizeof session.iniPath, "SETUP.INI"))
                continue;
            if (GetFileAttributesA(session.iniPath) == INVALID_FILE_ATTRIBUTES)
                continue;
            if (!readDiscTitle(session.iniPath, discTitle, sizeof discTitle))
                continue;
            if (lstrcmpA(discTitle, title) == 0)
                return 1;
        }
        formatText(message, sizeof message, MsgInsertFirstDisc, title);
        if (MessageBoxA(NULL, message, session.windowCaption, MB_OKCANCEL) != IDOK)
            return 0;
    }
}

// "X:\" becomes "X:": the text ends at its last backslash.
static void cutSourceRoot()
{
    char* lastBackslash = NULL;
    for (char* p = session.sourceRoot; *p; p = CharNextA(p))
        if (*p == '\\')
            lastBackslash = p;
    if (lastBackslash)
        *lastBackslash = '\0';
}

// Shows window and brings it to the front: the run ends there.
static void bringToFront(HWND window)
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

enum InstallationCheck {
    NotInstalled,
    GameStarted,
    AddOnRootFound
};

// Reads the install record. An installed game is started instead of being
// installed again; in add-on mode the recorded folder gives installRoot.
static InstallationCheck checkExistingInstallation()
{
    char key[MAX_PATH];
    char folder[MAX_PATH];
    DWORD size = sizeof folder - 1;
    HKEY record;
    LONG read;

    if (!formatText(key, sizeof key, "Software\\%s\\%s", setupConfig.CompanyName,
                    setupConfig.GameDir))
        return NotInstalled;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &record) != ERROR_SUCCESS)
        return NotInstalled;
    memset(folder, 0, sizeof folder);
    read = RegQueryValueExA(record, setupConfig.StrKeyInstPath, NULL, NULL, (BYTE*)folder, &size);
    RegCloseKey(record);
    // The value need not carry its terminator: the last byte stays NUL.
    if (read != ERROR_SUCCESS || !folder[0])
        return NotInstalled;

    if (!setupConfig.addOnMode) {
        if (!appendPath(folder, sizeof folder, setupConfig.GameExe) || !runCommandLine(folder))
            showSetupError(MsgCannotStartGame);
        return GameStarted;
    }
    // Cut "\Company\GameDir" by length: "D:\Games\Co\Ga" gives "D:\Games\".
    int keep = (int)strlen(folder) - (int)strlen(setupConfig.CompanyName) -
               (int)strlen(setupConfig.GameDir) - 1;
    if (keep <= 0)
        return NotInstalled;
    folder[keep] = '\0';
    copyText(session.installRoot, sizeof session.installRoot, folder);
    return AddOnRootFound;
}

// ExecApp program, then the quoted file in the install folder; nothing is
// started when the line does not fit.
static void startAfterInstallProgram()
{
    char line[MAX_PATH];
    line[0] = '\0';
    if (formatText(line, sizeof line, "%s \"%s", setupConfig.ExecApp[0], session.installRoot) &&
        appendPath(line, sizeof line, setupConfig.CompanyName) &&
        appendPath(line, sizeof line, setupConfig.GameDir) &&
        appendPath(line, sizeof line, setupConfig.ExecApp[1]) &&
        strlen(line) + 2 <= sizeof line) {
        strcat(line, "\"");
        runCommandLine(line);
    }
}

static int exitActions(int code)
{
    if (session.bannerBitmap) {
        DeleteObject(session.bannerBitmap);
        session.bannerBitmap = NULL;
    }
    if (session.copyBuffer) {
        VirtualFree(session.copyBuffer, 0, MEM_RELEASE);
        session.copyBuffer = NULL;
    }
    return code;
}

int runSetup(HINSTANCE instance)
{
    char localTitle[MessageSize];
    HWND window;

    CoInitialize(NULL);
    srand(timeGetTime());

    if (!readLocalTitle(localTitle, sizeof localTitle)) {
        showSetupError(MsgNoLocalIni);
        return exitActions(0);
    }
    if (!findSourceDisc(localTitle))
        return exitActions(0);
    cutSourceRoot();
    session.iniPath[0] = '\0';
    if (!copyText(session.iniPath, sizeof session.iniPath, session.sourceRoot) ||
        !appendPath(session.iniPath, sizeof session.iniPath, "SETUP.INI") ||
        GetFileAttributesA(session.iniPath) == INVALID_FILE_ATTRIBUTES) {
        showSetupError(MsgDiscIniMissing);
        return exitActions(0);
    }
    if (!loadSetupConfig())
        return exitActions(0);
    resetSetupLog();
    writeSetupLog(LogStarted);
    formatText(session.windowCaption, sizeof session.windowCaption, MsgWindowCaption,
               setupConfig.GameTitle);

    window = FindWindowA(WC_DIALOG, session.windowCaption);
    if (window) {
        bringToFront(window);
        return exitActions(1);
    }
    window = FindWindowA(setupConfig.GameClass, setupConfig.GameTitle);
    if (window) {
        if (setupConfig.addOnMode)
            showSetupError(MsgCloseGameForAddOn);
        bringToFront(window);
        return exitActions(1);
    }
    switch (checkExistingInstallation()) {
    case GameStarted:
        return exitActions(1);
    case NotInstalled:
        setupConfig.addOnMode = 0;
        break;
    case AddOnRootFound:
        break;
    }

    writeSetupLog(LogInstallCheckDone);
    writeSetupLog(LogSourceCheckDone);

    session.gameExplorerAvailable = 0;
    memset(&session.gameInstanceId, 0, sizeof session.gameInstanceId);
    if (probeGameExplorer())
        session.gameExplorerAvailable = 1;

    session.copyBuffer = (unsigned char*)VirtualAlloc(NULL, CopyBufferSize, MEM_COMMIT,
                                                      PAGE_READWRITE);
    if (!session.copyBuffer) {
        showSetupError(MsgOutOfMemory);
        return exitActions(0);
    }
    InitializeCriticalSection(&session.copyLock);
    registerWizardClasses();
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(WizardDialogId), NULL,
                                     wizardDialogProc, 0);
    DeleteCriticalSection(&session.copyLock);
    session.wizardWindow = NULL;

    if (result != 0) {
        showSetupError(MsgInterrupted);
        // Only what this run created goes; what was there before stays.
        undoCreatedItems();
        return exitActions(0);
    }
    keepCreatedItems();
    if (setupConfig.ExecApp[0][0])
        startAfterInstallProgram();
    return exitActions(1);
}
