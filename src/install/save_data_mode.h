// Where the game's save data lives; turned into a path only by saveDataFolderPath.
#pragma once

enum SaveDataMode {
    SaveDataInInstallFolder = 0,
    SaveDataMyDocuments = 1,
    SaveDataSavedGames = 2
};
