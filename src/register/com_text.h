// ANSI texts handed to COM as BSTRs.
#pragma once

#include <windows.h>
#include <oleauto.h>

enum { ComTextSize = MAX_PATH };

// The text converted with the ANSI code page into a new BSTR; the caller
// frees it with SysFreeString. Null when the text does not fit ComTextSize
// UTF-16 characters or there is no memory.
BSTR makeComText(const char* text);
