// Bounded text copies and formatting into fixed buffers.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "setup/support.h"

int copyText(char* out, size_t size, const char* text)
{
    size_t length = strlen(text);
    if (size == 0 || length >= size)
        return 0;
    memcpy(out, text, length + 1);
    return 1;
}

// A cut may leave a lead byte whose second byte was dropped; remove it.
static void dropSplitCharacter(char* text)
{
    for (char* p = text; *p; p = CharNextA(p)) {
        if (IsDBCSLeadByte((BYTE)*p) && p[1] == '\0') {
            *p = '\0';
            return;
        }
    }
}

int formatTextV(char* out, int size, const char* format, va_list args)
{
    if (size <= 0)
        return 0;
    // _vsnprintf writes at most size - 1 characters and answers -1 when
    // the text needed more; the terminator is always ours.
    int written = _vsnprintf(out, (size_t)size - 1, format, args);
    out[size - 1] = '\0';
    if (written >= 0) {
        out[written] = '\0';
        return 1;
    }
    dropSplitCharacter(out);
    return 0;
}

int formatText(char* out, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int fitted = formatTextV(out, size, format, args);
    va_end(args);
    return fitted;
}
