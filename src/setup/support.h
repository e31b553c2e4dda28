// Path, file and process helpers, the two error boxes and the setup log.
// Paths are Shift-JIS texts walked with CharNextA, so a second byte of 0x5C
// is never taken for a backslash. Every writer takes its buffer's size and
// refuses to write past it.
#pragma once

#include <stdarg.h>
#include <windows.h>

#define SETUP_PRINTF(fmt, args) __attribute__((format(ms_printf, fmt, args)))

// Formats into out (size bytes, always terminated). Returns non-zero when
// the whole text fitted; a longer text is cut at size - 1 bytes, never in
// the middle of a double-byte character.
int formatText(char* out, int size, const char* format, ...) SETUP_PRINTF(3, 4);
int formatTextV(char* out, int size, const char* format, va_list args) SETUP_PRINTF(3, 0);

// Copies text into out (size bytes). Returns non-zero when it fitted;
// otherwise out is left unchanged.
int copyText(char* out, size_t size, const char* text);

// Appends component to path with exactly one backslash between them and a
// second NUL after the result (a one-name list for SHFileOperationA).
// Returns non-zero on success; when the result and both NULs would not fit
// in size bytes, path is left unchanged and 0 is returned.
int appendPath(char* path, size_t size, const char* component);

// Pointer to the last character of text (a lead byte for a double-byte
// character), or to the terminator when text is empty.
const char* lastCharacter(const char* text);

// Reads a whole file into a GlobalAlloc block; the caller frees it with
// GlobalFree. *size (when given) receives its length. Null when the file
// cannot be opened or read, or is 4 GiB or larger.
void* loadWholeFile(const char* fileName, DWORD* size);

// Creates a folder and every missing parent. Returns 0,
// ERROR_ALREADY_EXISTS when the folder exists, ERROR_FILE_EXISTS when a file
// of that name exists, or ERROR_FILENAME_EXCED_RANGE for a path that does
// not fit MAX_PATH (nothing is created then).
DWORD createDirectoryTree(const char* path);

// Starts a process from commandLine (modified by CreateProcessA) without
// waiting for it. True when a process was started; an empty line is false.
int runCommandLine(char* commandLine);

// Error box with caption "SETUPLIB", owned by the wizard while it exists.
void showConfigError(const char* text);

// Error box with the current window caption, owned by the wizard while it
// exists.
void showSetupError(const char* text);

// Appends a time-stamped line to SETUP.log on the desktop when
// Debug_OutputSetupLog is on; never reports a failure.
void writeSetupLog(const char* format, ...) SETUP_PRINTF(1, 2);

// Empties SETUP.log when Debug_OutputSetupLog is on; never reports a failure.
void resetSetupLog();

// Composes the path of SETUP.log into out (MAX_PATH bytes). False when the
// desktop folder cannot be found or the path does not fit.
int setupLogPath(char* out);
