#include "support/setup_process.h"

#include <stdlib.h>

#include "support/test_files.h"

std::string hostPath(const char* unixPath)
{
    std::string path = "Z:";
    for (const char* p = unixPath; *p; p++)
        path += *p == '/' ? '\\' : *p;
    return path;
}

std::string discFolder(char letter)
{
    const char* root = getenv("SETUP_CDROM_DIR");
    std::string folder = hostPath(root ? root : "/nonexistent");
    folder += '\\';
    folder += (char)(letter | 0x20);
    return folder;
}

void ejectDisc(char letter)
{
    std::string folder = discFolder(letter);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            removeTree(joinPath(folder, name));
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void insertDisc(char letter, const std::map<std::string, std::string>& files)
{
    ejectDisc(letter);
    std::string folder = discFolder(letter);
    for (const auto& file : files) {
        std::string path = joinPath(folder, file.first);
        for (size_t i = folder.size() + 1; i < path.size(); i++)
            if (path[i] == '\\')
                CreateDirectoryA(path.substr(0, i).c_str(), NULL);
        writeFileBytes(path, file.second);
    }
}

SetupRun startSetup(const std::string& localIni)
{
    SetupRun run = {};
    run.folder = makeTempFolder("local");
    std::string exe = joinPath(run.folder, "SETUP.EXE");
    CopyFileA(hostPath(SETUP_EXE_UNIX_PATH).c_str(), exe.c_str(), FALSE);
    if (!localIni.empty())
        writeFileBytes(joinPath(run.folder, "SETUP.INI"), localIni);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, run.folder.c_str(),
                        &startup, &run.process))
        run.process.hProcess = NULL;
    return run;
}

int waitForSetup(SetupRun* run, int timeoutMs)
{
    if (!run->process.hProcess)
        return -2;
    DWORD code = (DWORD)-1;
    // Windows of this thread must answer SETUP.EXE's ShowWindow meanwhile.
    DWORD start = GetTickCount();
    DWORD waited;
    for (;;) {
        DWORD left = (DWORD)timeoutMs - (GetTickCount() - start);
        if ((int)left <= 0) {
            waited = WAIT_TIMEOUT;
            break;
        }
        waited = MsgWaitForMultipleObjects(1, &run->process.hProcess, FALSE, left, QS_ALLINPUT);
        if (waited != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(run->process.hProcess, 99);
        WaitForSingleObject(run->process.hProcess, 5000);
        code = (DWORD)-1;
    } else {
        GetExitCodeProcess(run->process.hProcess, &code);
    }
    CloseHandle(run->process.hThread);
    CloseHandle(run->process.hProcess);
    run->process.hProcess = NULL;
    return (int)code;
}
