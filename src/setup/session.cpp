// The setup driver: the whole run on the main thread, from the disc search
// to the exit actions, and the InstallSession record it owns.
#include "setup/session.h"

#include <shlwapi.h>
#include <stdlib.h>
#include <string.h>

#include "setup/config.h"
#include "setup/messages.h"
#include "setup/support.h"

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
    (void)instance;

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
    return exitActions(1);
}
