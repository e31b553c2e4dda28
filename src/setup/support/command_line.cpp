// Starting a program without waiting for it.
#include <string.h>

#include "setup/support.h"

int runCommandLine(char* commandLine)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    if (!commandLine[0])
        return 0;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, NULL,
                        &startup, &process))
        return 0;
    // The process is not waited for; its handles are not needed.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
