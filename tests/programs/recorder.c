/* Stands in for a game or an after-install program: records that it ran,
   and its command line, in "<its own path>.ran", then exits. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show)
{
    char path[MAX_PATH + 8];
    DWORD written;
    const char* commandLine = GetCommandLineA();
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    (void)instance; (void)previous; (void)line; (void)show;
    if (length == 0 || length >= MAX_PATH)
        return 1;
    lstrcatA(path, ".ran");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(file, commandLine, lstrlenA(commandLine), &written, NULL);
    CloseHandle(file);
    return 0;
}
