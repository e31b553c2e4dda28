// Answers every message box of this process from a helper thread for as
// long as it runs, so that thousands of loader calls can run back to back
// on the test thread. A box is read and recorded before it is answered:
// once the code that showed it has returned, takeBoxes has it.
#pragma once

#include <windows.h>

#include <vector>

#include "support/ui_driver.h"

struct BoxWatcher {
    HANDLE thread;
    int button;
    volatile LONG stop;
    CRITICAL_SECTION lock;  // guards boxes
    std::vector<MessageBoxSeen> boxes;
};

void startBoxWatcher(BoxWatcher* watcher, int button);
// The boxes answered since the last call, oldest first.
std::vector<MessageBoxSeen> takeBoxes(BoxWatcher* watcher);
void stopBoxWatcher(BoxWatcher* watcher);
