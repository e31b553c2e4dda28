// The list of created items: one growing block of entries, each a kind
// byte, a NUL-terminated path and, for a replaced file, a NUL-terminated
// backup path.
#include "install/created_items.h"

#include <string.h>

#include "setup/session.h"


static int appendItem(char kind, const char* path, const char* backup)
{
    size_t pathLength = strlen(path) + 1;
    size_t backupLength = backup ? strlen(backup) + 1 : 0;
    size_t needed = 1 + pathLength + backupLength;
    if (session.createdItemsUsed + needed > session.createdItemsCapacity) {
        size_t capacity = session.createdItemsCapacity ? session.createdItemsCapacity * 2 : 64 * 1024;
        while (capacity < session.createdItemsUsed + needed)
            capacity *= 2;
        char* grown = (char*)(session.createdItems ? HeapReAlloc(GetProcessHeap(), 0, session.createdItems, capacity)
                                    : HeapAlloc(GetProcessHeap(), 0, capacity));
        if (!grown)
            return 0;
        session.createdItems = grown;
        session.createdItemsCapacity = capacity;
    }
    char* entry = session.createdItems + session.createdItemsUsed;
    entry[0] = kind;
    memcpy(entry + 1, path, pathLength);
    if (backup)
        memcpy(entry + 1 + pathLength, backup, backupLength);
    session.createdItemsUsed += needed;
    session.createdItemCount++;
    return 1;
}

int recordCreatedFolder(const char* path) { return appendItem(CreatedFolder, path, NULL); }
int recordCreatedFile(const char* path) { return appendItem(CreatedFile, path, NULL); }
int recordReplacedFile(const char* path, const char* backupPath)
{
    return appendItem(ReplacedFile, path, backupPath);
}

int createdItemCount() { return session.createdItemCount; }

static void forgetItems()
{
    if (session.createdItems)
        HeapFree(GetProcessHeap(), 0, session.createdItems);
    session.createdItems = NULL;
    session.createdItemsUsed = session.createdItemsCapacity = 0;
    session.createdItemCount = 0;
}

// Offsets of the entries in recording order; the caller frees the array.
static size_t* entryOffsets()
{
    size_t* offsets = (size_t*)HeapAlloc(GetProcessHeap(), 0, (session.createdItemCount + 1) * sizeof *offsets);
    if (!offsets)
        return NULL;
    size_t at = 0;
    for (int i = 0; i < session.createdItemCount; i++) {
        offsets[i] = at;
        char kind = session.createdItems[at];
        at += 1 + strlen(session.createdItems + at + 1) + 1;
        if (kind == ReplacedFile)
            at += strlen(session.createdItems + at) + 1;
    }
    return offsets;
}

void undoCreatedItems()
{
    size_t* offsets = entryOffsets();
    if (!offsets)
        return;
    for (int i = session.createdItemCount - 1; i >= 0; i--) {
        const char* entry = session.createdItems + offsets[i];
        const char* path = entry + 1;
        switch (entry[0]) {
        case CreatedFolder:
            RemoveDirectoryA(path);
            break;
        case CreatedFile:
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path);
            break;
        case ReplacedFile: {
            const char* backup = path + strlen(path) + 1;
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path);
            MoveFileA(backup, path);
            break;
        }
        }
    }
    HeapFree(GetProcessHeap(), 0, offsets);
    forgetItems();
}

void keepCreatedItems()
{
    size_t* offsets = entryOffsets();
    if (offsets) {
        for (int i = 0; i < session.createdItemCount; i++) {
            const char* entry = session.createdItems + offsets[i];
            if (entry[0] != ReplacedFile)
                continue;
            const char* backup = entry + 1 + strlen(entry + 1) + 1;
            SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(backup);
        }
        HeapFree(GetProcessHeap(), 0, offsets);
    }
    forgetItems();
}
