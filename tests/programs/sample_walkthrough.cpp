// Plays the player on the sample disc: starts E:\SETUP.EXE, saves a
// screenshot of every page, reads it aloud on standard output and presses
// Next until the installer ends; message boxes are read and answered OK.
// Usage: sample_walkthrough SCREENSHOT_FOLDER
#include <windows.h>

#include <stdio.h>

#include <string>

#include "support/screenshot.h"
#include "support/test_files.h"
#include "support/ui_driver.h"

namespace {

const int Timeout = 30000;

// A page is known by its InfoText and which buttons are on.
std::string pageState(HWND wizard)
{
    return controlText(wizard, 1000) + (controlEnabled(wizard, 4) ? "|B" : "|-") +
           (controlEnabled(wizard, 1) ? "N" : "-") + (controlEnabled(wizard, 2) ? "C" : "-") +
           controlText(wizard, 1);
}

void describe(HWND wizard)
{
    static const struct {
        int id;
        const char* name;
    } controls[] = {{1000, "InfoText"},         {1008, "DetailText"},         {1001, "PathEdit"},
                    {1004, "OptionButton0"},    {1005, "OptionButton1"},      {1006, "OptionButton2"},
                    {1007, "DesktopCheck"},     {1009, "FileProgressLabel"},  {1010, "TotalProgressLabel"}};
    printf("  caption: %s\n", windowText(wizard).c_str());
    for (const auto& control : controls)
        if (controlVisible(wizard, control.id))
            printf("  %-18s %s%s\n", control.name, controlText(wizard, control.id).c_str(),
                   controlChecked(wizard, control.id) ? "  [checked]" : "");
    printf("  buttons: Back %s, Next \"%s\" %s, Cancel %s\n", controlEnabled(wizard, 4) ? "on" : "off",
           controlText(wizard, 1).c_str(), controlEnabled(wizard, 1) ? "on" : "off",
           controlEnabled(wizard, 2) ? "on" : "off");
}

}  // namespace

int main(int argc, char** argv)
{
    std::string shots = argc > 1 ? argv[1] : ".";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char line[] = "E:\\SETUP.EXE";
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, "E:\\", &startup, &process)) {
        printf("cannot start E:\\SETUP.EXE (error %lu)\n", GetLastError());
        return 2;
    }
    printf("started E:\\SETUP.EXE\n");
    int page = 0;
    std::string previous;
    bool cancelled = false;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        HWND window = waitForWindow(DialogClass, NULL, process.dwProcessId, 500);
        if (!window)
            continue;
        if (GetDlgItem(window, MessageBoxTextId) && !GetDlgItem(window, 1000)) {
            printf("message box \"%s\": %s\n", windowText(window).c_str(),
                   controlText(window, MessageBoxTextId).c_str());
            clickButton(window, IDOK);
            waitForWindowGone(window, Timeout);
            continue;
        }
        Sleep(300);  // let the page paint before the screenshot
        std::string state = pageState(window);
        if (state == previous) {
            // Next changed nothing: the installer goes no further yet.
            printf("the wizard goes no further from this page; pressing Cancel\n");
            clickButton(window, IDCANCEL);
            cancelled = true;
            Sleep(500);
            continue;
        }
        previous = state;
        char name[64];
        wsprintfA(name, "page%02d.bmp", ++page);
        std::string path = joinPath(shots, name);
        printf("page %d (%s):\n", page, saveWindowScreenshot(window, path) ? path.c_str() : "no screenshot");
        describe(window);
        if (controlEnabled(window, 1))
            clickButton(window, IDOK);
        else if (!controlEnabled(window, 1) && controlEnabled(window, 2) && !cancelled) {
            // Waiting for the copy: the page changes by itself.
            previous.clear();
            Sleep(500);
        }
        Sleep(500);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    printf("SETUP.EXE ended with exit code %lu%s\n", code, cancelled ? " (cancelled here)" : "");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
