// ANSI text to BSTR through a fixed UTF-16 buffer.
#include "register/com_text.h"

BSTR makeComText(const char* text)
{
    WCHAR wide[ComTextSize];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, ComTextSize) == 0)
        return NULL;
    return SysAllocString(wide);
}
