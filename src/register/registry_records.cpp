// The two registry records of an installation. Every value is composed in
// a MAX_PATH buffer with the bounded helpers; one that does not fit counts
// as a refused write of that value.
#include "register/registry_records.h"

#include <windows.h>
#include <string.h>

#include "install/save_data_folder.h"
#include "setup/config.h"
#include "setup/session.h"
#include "setup/support.h"

static const char InstallKeyFormat[] = "Software\\%s\\%s";
static const char InstallSystemKeyFormat[] = "Software\\%s\\%s\\System";
static const char UninstallKeyFormat[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s";

// Non-volatile, full access, the default registry view.
static int createKey(HKEY root, const char* path, HKEY* key)
{
    return RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, key,
                           NULL) == ERROR_SUCCESS;
}

// The terminating zero is part of the value.
static int setTextValue(HKEY key, const char* name, const char* text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1) ==
           ERROR_SUCCESS;
}

static int setDataValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size)
{
    return RegSetValueExA(key, name, 0, type, (const BYTE*)data, size) == ERROR_SUCCESS;
}

// installRoot\CompanyName\GameDir into out (MAX_PATH bytes).
static int composeInstallFolder(char* out)
{
    return copyText(out, MAX_PATH, session.installRoot) &&
           appendPath(out, MAX_PATH, setupConfig.CompanyName) &&
           appendPath(out, MAX_PATH, setupConfig.GameDir);
}

// folder\name into out (MAX_PATH bytes).
static int composeInFolder(char* out, const char* folder, const char* name)
{
    return copyText(out, MAX_PATH, folder) && appendPath(out, MAX_PATH, name);
}

// The save-data folder (created when the installer manages it) or the
// install folder, with one trailing backslash. A save-data path that cannot
// be composed fails: a lone backslash would name the root of the drive.
static int composeDataPath(char* out, const char* installFolder)
{
    if (setupConfig.managedSaveData) {
        saveDataFolderPath(out, 1);
        if (!out[0])
            return 0;
    } else if (!copyText(out, MAX_PATH, installFolder)) {
        return 0;
    }
    return appendPath(out, MAX_PATH, "");
}

static int isZeroGuid(const GUID* guid)
{
    static const GUID zero = {};
    return memcmp(guid, &zero, sizeof zero) == 0;
}

// The chosen type's size in whole KiB. A size of 4 TiB or more would not
// fit a REG_DWORD and reads as the largest figure rather than wrapping round.
static DWORD installSizeKiB()
{
    if (session.selectedSelect < 0 || session.selectedSelect >= MaxSelects)
        return 0;
    unsigned long long kib = setupConfig.selects[session.selectedSelect].size >> 10;
    return kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : (DWORD)kib;
}

int writeInstallRecord()
{
    char keyPath[MAX_PATH];
    char folder[MAX_PATH];
    char dataPath[MAX_PATH];
    // x86 stores a DWORD little-endian, as the value is defined.
    DWORD mode = (DWORD)session.selectedSelect;
    HKEY key;
    int written = 0;

    if (!formatText(keyPath, sizeof keyPath, InstallKeyFormat, setupConfig.CompanyName,
                    setupConfig.GameDir) ||
        !createKey(HKEY_CURRENT_USER, keyPath, &key))
        return 0;
    if (!setDataValue(key, "InstMode", REG_BINARY, &mode, sizeof mode))
        goto out;
    if (!composeInstallFolder(folder) || !setTextValue(key, setupConfig.StrKeyInstPath, folder))
        goto out;
    // Composed only now: it may create the save-data folders.
    if (!composeDataPath(dataPath, folder) || !setTextValue(key, "DataPath", dataPath))
        goto out;
    if (!isZeroGuid(&session.gameInstanceId) &&
        !setDataValue(key, "GUIDGameExplorerInstall", REG_BINARY, &session.gameInstanceId,
                      sizeof session.gameInstanceId))
        goto out;
    written = RegFlushKey(key) == ERROR_SUCCESS;
out:
    RegCloseKey(key);
    return written;
}

int writeUninstallRecord()
{
    char keyPath[MAX_PATH];
    char folder[MAX_PATH];
    char path[MAX_PATH];
    HKEY key;
    int haveFolder;
    DWORD kib;
    int written = 0;

    if (!formatText(keyPath, sizeof keyPath, UninstallKeyFormat, setupConfig.GameDir) ||
        !createKey(HKEY_LOCAL_MACHINE, keyPath, &key))
        return 0;
    if (!setTextValue(key, "DisplayName", setupConfig.GameTitle))
        goto out;
    haveFolder = composeInstallFolder(folder);
    written = haveFolder && composeInFolder(path, folder, setupConfig.UninstExe) &&
              setTextValue(key, "UninstallString", path) && RegFlushKey(key) == ERROR_SUCCESS;
    // Details of the list entry: tried whatever happened above, never counted.
    kib = installSizeKiB();
    if (kib)
        setDataValue(key, "EstimatedSize", REG_DWORD, &kib, sizeof kib);
    if (haveFolder && composeInFolder(path, folder, setupConfig.GameExe))
        setTextValue(key, "DisplayIcon", path);
    if (setupConfig.CompanyName[0])
        setTextValue(key, "Publisher", setupConfig.CompanyName);
out:
    RegCloseKey(key);
    return written;
}

void deleteRegistryRecords()
{
    char keyPath[MAX_PATH];

    if (formatText(keyPath, sizeof keyPath, InstallSystemKeyFormat, setupConfig.CompanyName,
                   setupConfig.GameDir))
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
    if (formatText(keyPath, sizeof keyPath, InstallKeyFormat, setupConfig.CompanyName,
                   setupConfig.GameDir))
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
    RegFlushKey(HKEY_CURRENT_USER);
    if (formatText(keyPath, sizeof keyPath, UninstallKeyFormat, setupConfig.GameDir))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    RegFlushKey(HKEY_LOCAL_MACHINE);
}
