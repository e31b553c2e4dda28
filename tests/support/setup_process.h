// Running the real SETUP.EXE as a separate process on fake CD/DVD drives.
#pragma once

#include <windows.h>

#include <map>
#include <string>

// Windows path of a program built beside the tests (Unix path given by the
// build, seen through Wine's Z: drive).
std::string hostPath(const char* unixPath);

// The host folder behind a fake CD/DVD drive letter, seen from Windows.
std::string discFolder(char letter);

// "Inserts" a disc: the drive's folder then holds exactly these files
// (name relative to the disc root, bytes). Eject empties the folder.
void insertDisc(char letter, const std::map<std::string, std::string>& files);
void ejectDisc(char letter);

struct SetupRun {
    PROCESS_INFORMATION process;
    std::string folder;  // where SETUP.EXE was started from
};

// Copies SETUP.EXE with the given SETUP.INI text into a fresh hard-disk
// folder and starts it there.
SetupRun startSetup(const std::string& localIni);

// Waits for the process to end; its exit code, or -1 on time-out (the
// process is then terminated).
int waitForSetup(SetupRun* run, int timeoutMs);
