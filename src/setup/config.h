// SetupConfig: everything read from the "SETUP" section of SETUP.INI.
// Filled once by loadSetupConfig on the main thread before any other thread
// exists; texts are Shift-JIS bytes copied unchanged from the file.
#pragma once

#include <windows.h>

enum {
    MaxBanners = 20,
    MaxSelects = 4,
    MaxListFiles = 40,
    MaxShortcuts = 10,
    MaxDiscCheckFiles = 10,
    AddOnSlot = 3,                  // selects[3] doubles as the add-on list
    SelectMessageSize = 1024,
    ListValueSize = 1024,
    SizeValueSize = 20              // only the first 19 characters of a size count
};

struct InstallSelect {
    char title[MAX_PATH];
    char files[MaxListFiles][MAX_PATH];   // ends at the first empty entry or after 40
    int discNumbers[MaxListFiles];        // 0: no disc named
    int usesDiscNumbers;
    unsigned long long size;              // 0: not given, measured from the disc
};

struct ShortcutSpec {
    char target[MAX_PATH];
    char name[MAX_PATH];
    char icon[MAX_PATH];
    char desktopName[MAX_PATH];
};

struct SetupConfig {
    char CompanyName[MAX_PATH];
    char GameTitle[MAX_PATH];
    char GameDir[MAX_PATH];
    char GameExe[MAX_PATH];
    char UninstExe[MAX_PATH];
    char SetupBmp[MaxBanners][MAX_PATH];
    int bannerCount;
    int InstallSelects;
    InstallSelect selects[MaxSelects];
    int Shortcuts;
    ShortcutSpec shortcutSpecs[MaxShortcuts];
    char GameClass[MAX_PATH];
    int DefaultSelect;
    char DiskCheckFile[MaxDiscCheckFiles][MAX_PATH];
    char ExecApp[2][MAX_PATH];            // program, then a file in the install folder
    char SelectSetupMessage[SelectMessageSize];
    int UseCompanyNameForShortcutGroup;
    int ChooseSaveDataFolder;
    char SaveDataFolderNameInInstall[MAX_PATH];
    char SaveDataFolderName[MAX_PATH];
    char StrKeyInstPath[MAX_PATH];
    char ShortcutFolder[MAX_PATH];
    int StopInstallToProgramFiles;
    int Debug_OutputSetupLog;
    int InstPathMode;
    char GameExe64[MAX_PATH];
    int managedSaveData;
    int addOnMode;
};

extern SetupConfig setupConfig;

// A GameClass beginning with these 8 Shift-JIS bytes ("【保存】") tells the
// installer that it decides itself where save data lives.
extern const char ManagedSaveDataPrefix[];
enum { ManagedSaveDataPrefixLength = 8 };

// Reads session.iniPath into setupConfig. True on success; false after the
// first problem has been shown with showConfigError.
int loadSetupConfig();

// Empties the whole buffer and reads the key from section "SETUP"; true when
// at least one character was read. A missing key shows the missing-key
// message while keys are required (always, outside loadSetupConfig).
int readConfigString(const char* key, char* buffer, DWORD size);

// Reads a decimal int32 (optional sign, digits up to the first other
// character; out of range saturates). Leaves out untouched on failure.
int readConfigInt(const char* key, int* out);

enum ListItemResult {
    ListItemNone = 0,       // the cursor stands on NUL, CR, LF or a comma
    ListItemFound = 1,
    ListItemTooLong = 2     // the item does not fit MAX_PATH; nothing stored
};

// Takes the next comma-separated item from *cursor into out (MAX_PATH bytes)
// and advances the cursor; an "N:" prefix sets the current disc number.
ListItemResult nextListItem(char* out, const char** cursor);

// The disc number of the last "N:" prefix read by nextListItem.
int currentListDisc();
void setCurrentListDisc(int disc);
