// What this run has put on the player's disk: the folders and files it
// created and the files it replaced. An interrupted installation undoes
// exactly these, newest first, and touches nothing that was there before.
// The list lives in memory from the copy start until the run ends.
#pragma once

enum CreatedItemKind {
    CreatedFolder = 'D',     // removed only when it is empty again
    CreatedFile = 'F',       // deleted
    ReplacedFile = 'R'       // the original, moved aside, is put back
};

// Records an item; false when the list cannot grow (nothing recorded).
int recordCreatedFolder(const char* path);
int recordCreatedFile(const char* path);
// path was moved to backupPath before the new file was written.
int recordReplacedFile(const char* path, const char* backupPath);

// Number of items recorded so far.
int createdItemCount();

// Removes the created items and puts replaced files back, newest first,
// then forgets them. Never fails; an item that cannot be undone stays.
void undoCreatedItems();

// The installation is complete: deletes the moved-aside originals and
// forgets the list.
void keepCreatedItems();
