#include "mutation/case_guard.h"

#include <windows.h>

#include <signal.h>
#include <stdio.h>
#include <string.h>

namespace {

// Written by the test thread, read by the handlers and the watchdog; fixed
// buffers so that reporting needs no allocation in a damaged process.
char caseText[1024];
volatile LONG caseRunning;
volatile DWORD caseStart;
int hangLimit;

void reportCase(const char* how)
{
    fprintf(stderr, "\n*** mutation case %s: %s\n", how, caseRunning ? caseText : "(none running)");
    fflush(stderr);
}

LONG WINAPI reportException(EXCEPTION_POINTERS* info)
{
    char how[96];
    snprintf(how, sizeof how, "crashed with exception 0x%08lx at %p",
             info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
    reportCase(how);
    return EXCEPTION_EXECUTE_HANDLER;
}

void reportAbort(int)
{
    reportCase("aborted");
    _exit(3);
}

DWORD WINAPI watchForHangs(LPVOID)
{
    for (;;) {
        Sleep(250);
        if (caseRunning && (int)(GetTickCount() - caseStart) > hangLimit) {
            reportCase("hung");
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

}  // namespace

void installCaseGuard(int hangLimitMs)
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    hangLimit = hangLimitMs;
    SetUnhandledExceptionFilter(reportException);
    signal(SIGABRT, reportAbort);
    CloseHandle(CreateThread(NULL, 0, watchForHangs, NULL, 0, NULL));
}

void beginCase(const char* reader, long long caseIndex, const std::string& description)
{
    snprintf(caseText, sizeof caseText, "%s #%lld (%s)", reader, caseIndex, description.c_str());
    caseStart = GetTickCount();
    InterlockedExchange(&caseRunning, 1);
}

void endCase()
{
    InterlockedExchange(&caseRunning, 0);
}
