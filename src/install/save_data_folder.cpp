// Save-data folder locations: inside the install folder, in Documents or in
// the profile's "Saved Games". A folder the player had before is never
// removed, not even an empty one: only levels created here go again.
#include "install/save_data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "setup/config.h"
#include "setup/session.h"
#include "setup/support.h"

enum { MaxSaveDataLevels = 4 };

static const char SavedGamesFolder[] = "Saved Games";

// The levels of the current mode's path, from the top down, each composed
// into levels[]. With create set, each level is created as soon as it is
// composed, so that its parent is in place. Returns the number of levels
// composed; *complete is false when the path stopped at a level that does
// not fit, or none could be composed.
static int composeLevels(char levels[MaxSaveDataLevels][MAX_PATH], int create, int* complete)
{
    char path[MAX_PATH];
    const char* names[MaxSaveDataLevels];
    int nameCount = 0;
    int count = 0;

    *complete = 0;
    path[0] = '\0';
    switch (session.saveDataMode) {
    case SaveDataInInstallFolder:
        // An empty root would put the folders at the root of the current drive.
        if (!session.installRoot[0] || !copyText(path, sizeof path, session.installRoot))
            return 0;
        names[nameCount++] = setupConfig.CompanyName;
        names[nameCount++] = setupConfig.GameDir;
        names[nameCount++] = setupConfig.SaveDataFolderNameInInstall;
        // installRoot is itself the first level.
        copyText(levels[count], MAX_PATH, path);
        if (create && CreateDirectoryA(path, NULL))
            session.saveDataCreatedLevels |= 1u << count;
        count++;
        break;
    case SaveDataMyDocuments:
        if (!SHGetSpecialFolderPathA(NULL, path, CSIDL_PERSONAL, create) || !path[0])
            return 0;
        names[nameCount++] = setupConfig.CompanyName;
        names[nameCount++] = setupConfig.SaveDataFolderName;
        break;
    case SaveDataSavedGames:
        if (!SHGetSpecialFolderPathA(NULL, path, CSIDL_PROFILE, create) || !path[0])
            return 0;
        names[nameCount++] = SavedGamesFolder;
        names[nameCount++] = setupConfig.CompanyName;
        names[nameCount++] = setupConfig.SaveDataFolderName;
        break;
    default:
        return 0;
    }
    for (int i = 0; i < nameCount; i++) {
        if (!appendPath(path, sizeof path, names[i]))
            return count;
        copyText(levels[count], MAX_PATH, path);
        if (create && CreateDirectoryA(path, NULL))
            session.saveDataCreatedLevels |= 1u << count;
        count++;
    }
    *complete = 1;
    return count;
}

void saveDataFolderPath(char* out, int create)
{
    char levels[MaxSaveDataLevels][MAX_PATH];
    int complete;

    if (create)
        session.saveDataCreatedLevels = 0;
    int count = composeLevels(levels, create, &complete);
    out[0] = '\0';
    if (complete && count > 0)
        copyText(out, MAX_PATH, levels[count - 1]);
}

void removeSaveDataFolder()
{
    char levels[MaxSaveDataLevels][MAX_PATH];
    int complete;
    // "Saved Games" belongs to the system even when it was created here.
    int top = session.saveDataMode == SaveDataSavedGames ? 1 : 0;

    int count = composeLevels(levels, 0, &complete);
    for (int i = count - 1; i >= top; i--)
        if (session.saveDataCreatedLevels & (1u << i))
            RemoveDirectoryA(levels[i]);
    session.saveDataCreatedLevels = 0;
}
