// Creating a folder level by level.
#include <string.h>

#include "setup/support.h"

DWORD createDirectoryTree(const char* path)
{
    char level[MAX_PATH];
    size_t length = strlen(path);
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS;
    if (length >= sizeof level)
        return ERROR_FILENAME_EXCED_RANGE;

    const char* p = path;
    if (path[0] && path[1] == ':' && path[2] == '\\')
        p = path + 3;
    for (; *p; p = CharNextA(p)) {
        if (*p != '\\')
            continue;
        size_t levelLength = (size_t)(p - path) + 1;
        memcpy(level, path, levelLength);
        level[levelLength] = '\0';
        CreateDirectoryA(level, NULL);
    }
    CreateDirectoryA(path, NULL);
    return 0;
}
