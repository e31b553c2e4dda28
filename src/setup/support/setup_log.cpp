// SETUP.log on the desktop: one time-stamped line per call, opened and
// closed every time so that each line survives an abrupt end. Nothing here
// ever stops the installation: a log that cannot be written is skipped.
#include <shlobj.h>
#include <stdio.h>

#include "setup/config.h"
#include "setup/session.h"
#include "setup/support.h"

int setupLogPath(char* out)
{
    out[0] = '\0';
    if (!SHGetSpecialFolderPathA(NULL, out, CSIDL_DESKTOPDIRECTORY, TRUE))
        return 0;
    return appendPath(out, MAX_PATH, "SETUP.log");
}

void resetSetupLog()
{
    char path[MAX_PATH];
    if (!setupConfig.Debug_OutputSetupLog || !setupLogPath(path))
        return;
    FILE* file = fopen(path, "w");
    if (file)
        fclose(file);
}

void writeSetupLog(const char* format, ...)
{
    char message[MessageSize];
    char line[MessageSize];
    char path[MAX_PATH];
    SYSTEMTIME now;
    va_list args;

    if (!setupConfig.Debug_OutputSetupLog)
        return;
    va_start(args, format);
    formatTextV(message, sizeof message, format, args);
    va_end(args);
    GetSystemTime(&now);
    formatText(line, sizeof line, "[%04d/%02d/%02d %02d:%02d:%02d:%03d] %s", now.wYear, now.wMonth,
               now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, message);
    if (!setupLogPath(path))
        return;
    FILE* file = fopen(path, "a+");
    if (!file)
        return;
    fputs(line, file);
    fputc('\n', file);
    fclose(file);
}
