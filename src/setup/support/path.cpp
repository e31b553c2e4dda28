// Path composition. Walks with CharNextA: in Shift-JIS the second byte of a
// character such as 表 (0x95 0x5C) equals a backslash.
#include <string.h>

#include "setup/support.h"

const char* lastCharacter(const char* text)
{
    const char* last = text;
    for (const char* p = text; *p; p = CharNextA(p))
        last = p;
    return last;
}

int appendPath(char* path, size_t size, const char* component)
{
    size_t pathLength = strlen(path);
    size_t componentLength = strlen(component);
    const char* last = lastCharacter(path);
    // Only a single-byte final character can be the separator.
    int needsSeparator = pathLength == 0 || last[0] != '\\' || last + 1 != path + pathLength;
    size_t total = pathLength + (needsSeparator ? 1 : 0) + componentLength + 2;
    if (total > size)
        return 0;
    char* end = path + pathLength;
    if (needsSeparator)
        *end++ = '\\';
    memcpy(end, component, componentLength);
    end[componentLength] = '\0';
    end[componentLength + 1] = '\0';
    return 1;
}
