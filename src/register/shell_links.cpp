// Shell links, internet shortcuts, Explorer on the shortcut group and the
// WOW64 question. The COM initialisation of each call is taken back only
// when it succeeded: on a thread of the other apartment type CoInitialize
// fails, the objects are made in the apartment already there, and an
// unmatched CoUninitialize would tear that apartment down.
#include "register/shell_links.h"

#include <objbase.h>
#include <shlobj.h>
#include <intshcut.h>
#include <isguids.h>

#include "setup/session.h"
#include "setup/support.h"

// Saves object (which must offer IPersistFile) at the ANSI path, converted
// with the ANSI code page; a path that does not convert whole is not saved.
static HRESULT saveObject(IUnknown* object, const char* path)
{
    IPersistFile* file = NULL;
    WCHAR widePath[MAX_PATH];

    HRESULT result = object->QueryInterface(IID_IPersistFile, (void**)&file);
    if (FAILED(result))
        return result;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH))
        result = file->Save(widePath, TRUE);
    else
        result = HRESULT_FROM_WIN32(GetLastError());
    file->Release();
    return result;
}

HRESULT createShellLink(const char* linkPath, const char* description, const char* targetPath,
                        const char* iconPath)
{
    IShellLinkA* link = NULL;
    int initialised = SUCCEEDED(CoInitialize(NULL));

    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void**)&link);
    if (SUCCEEDED(result)) {
        // The link is saved with whatever the object accepted.
        link->SetPath(targetPath);
        link->SetDescription(description);
        if (iconPath && iconPath[0])
            link->SetIconLocation(iconPath, 0);
        result = saveObject(link, linkPath);
        link->Release();
    }
    if (initialised)
        CoUninitialize();
    return result;
}

HRESULT createInternetShortcut(const char* filePath, const char* url)
{
    IUniformResourceLocatorA* shortcut = NULL;
    int initialised = SUCCEEDED(CoInitialize(NULL));

    HRESULT result = CoCreateInstance(CLSID_InternetShortcut, NULL, CLSCTX_INPROC_SERVER,
                                      IID_IUniformResourceLocatorA, (void**)&shortcut);
    if (SUCCEEDED(result)) {
        // Flags 0: the URL is stored as written, its scheme is not guessed.
        shortcut->SetURL(url, 0);
        result = saveObject(shortcut, filePath);
        shortcut->Release();
    }
    if (initialised)
        CoUninitialize();
    return result;
}

int openFolderInExplorer()
{
    char program[MAX_PATH];
    char commandLine[MAX_PATH];

    UINT length = GetWindowsDirectoryA(program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return 0;
    // The folder is quoted so that blanks in it keep it one argument.
    if (!appendPath(program, sizeof program, "explorer.exe ") ||
        !formatText(commandLine, sizeof commandLine, "%s\"%s\"", program, session.startMenuFolder))
        return 0;
    return runCommandLine(commandLine);
}

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, PBOOL wow64);

int runningUnderWow64()
{
    BOOL wow64 = FALSE;

    // Looked up each time: older Windows versions have no IsWow64Process.
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (!kernel)
        return 0;
    IsWow64ProcessFunction isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64))
        return 0;
    return wow64 != FALSE;
}
