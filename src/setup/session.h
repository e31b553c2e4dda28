// InstallSession: everything that changes during one run. A single record
// that lives for the whole process; see resetInstallSession for the start values.
#pragma once

#include <windows.h>

#include "install/copy_state.h"
#include "install/save_data_mode.h"

enum {
    CopyBufferSize = 4 * 1024 * 1024,
    CopyingTextSize = 620,
    MessageSize = 1024
};

struct InstallSession {
    char sourceRoot[MAX_PATH];      // drive of the source disc, "X:" ("X:\" while searching)
    char iniPath[MAX_PATH];         // SETUP.INI on the source disc
    char windowCaption[MessageSize];
    HWND wizardWindow;              // owner of message boxes while the wizard exists
    char installRoot[MAX_PATH];     // folder under which the company folder is created
    int selectedSelect;
    int wizardStep;
    int pageBusy;
    SaveDataMode saveDataMode;
    // Bit i: level i of the save-data path (from the top) was created by
    // the last creating saveDataFolderPath; only those are removed again.
    unsigned int saveDataCreatedLevels;
    OSVERSIONINFOA systemVersion;
    int desktopShortcuts;
    CRITICAL_SECTION copyLock;      // guards copyState only
    CopyState copyState;
    unsigned char* copyBuffer;      // CopyBufferSize bytes while the dialog runs
    HANDLE workerThread;
    unsigned long long bytesCopied;
    DWORD lastError;
    char copyingText[CopyingTextSize];
    int gameExplorerAvailable;
    GUID gameInstanceId;            // all zero: none
    HBITMAP bannerBitmap;
    char startMenuFolder[MAX_PATH];
    // What this run created on disk (install/created_items).
    char* createdItems;
    size_t createdItemsUsed;
    size_t createdItemsCapacity;
    int createdItemCount;
};

extern InstallSession session;

// Zeroes the record and sets the two fields that do not start at zero.
// Never fails.
void resetInstallSession();

// The whole run from the local SETUP.INI check to the exit actions; returns
// the exit code (1 normal end, 0 error or interruption).
int runSetup(HINSTANCE instance);
