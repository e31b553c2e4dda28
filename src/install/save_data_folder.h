// The save-data folder of the current session.saveDataMode: its path, its
// creation level by level, and its removal after the copy start's test.
#pragma once

// Writes the save-data folder path into out (MAX_PATH bytes). With create
// set, creates every missing level from the top down and remembers which
// levels it created. out is empty when the special folder cannot be found,
// installRoot is empty, or the path does not fit; nothing is created from
// the level that does not fit on.
void saveDataFolderPath(char* out, int create);

// Removes, deepest first and only while they are empty, the levels that
// the last creating saveDataFolderPath created; never the special folder
// nor "Saved Games". Forgets them afterwards.
void removeSaveDataFolder();
