// The completion page's ways into the Windows shell: shell links (.lnk),
// internet shortcuts (.url), the shortcut group opened in Explorer, and the
// WOW64 question. Each operation initialises COM for itself, releases every
// object it made and keeps nothing between calls; none shows a message.
#pragma once

#include <windows.h>

// Saves a shell link at linkPath pointing at targetPath, with the
// description and, when iconPath is neither null nor empty, that icon
// (index 0); nothing else is set. Returns the HRESULT of the last step
// performed: object creation, IPersistFile lookup, or the save.
HRESULT createShellLink(const char* linkPath, const char* description, const char* targetPath,
                        const char* iconPath);

// Saves an internet shortcut at filePath for url, taken as written (no
// protocol guessing). Result as for createShellLink.
HRESULT createInternetShortcut(const char* filePath, const char* url);

// Starts "<Windows folder>\explorer.exe "<session.startMenuFolder>"" without
// waiting. False when the command line does not fit MAX_PATH (nothing is
// started) or the process could not be started.
int openFolderInExplorer();

// True only for a 32-bit process on 64-bit Windows; false where
// IsWow64Process is missing or fails.
int runningUnderWow64();
