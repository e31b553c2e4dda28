// Acting as the user: finding windows, reading controls, pressing buttons
// and answering message boxes, through window messages only. Works on the
// windows of this process (from a helper thread) and of another process.
#pragma once

#include <windows.h>

#include <string>

// Message boxes and dialogs are of this class.
extern const char DialogClass[];
// The static control that holds a message box's text.
enum { MessageBoxTextId = 0xFFFF };

// Waits up to timeoutMs for a visible top-level window of className whose
// caption is caption (any caption when null), of processId (any when 0).
// Null on time-out.
HWND waitForWindow(const char* className, const char* caption, DWORD processId, int timeoutMs);

// Waits for a dialog of processId that has a control with controlId (the
// wizard has InfoText, a message box has not). Null on time-out.
HWND waitForDialogWithControl(DWORD processId, int controlId, int timeoutMs);

// Waits until window no longer exists; false on time-out.
bool waitForWindowGone(HWND window, int timeoutMs);

std::string windowText(HWND window);
std::string controlText(HWND dialog, int id);
bool controlVisible(HWND dialog, int id);
bool controlEnabled(HWND dialog, int id);
bool controlChecked(HWND dialog, int id);

// Presses a button as a click would (posted, so a modal box it opens does
// not block the caller).
void clickButton(HWND dialog, int id);

struct MessageBoxSeen {
    bool seen;
    std::string caption;
    std::string text;
    HWND owner;
};

// Waits for a message box of processId (this process when 0), reads it and
// presses button (IDOK, IDCANCEL, ...).
MessageBoxSeen answerMessageBox(int button, DWORD processId, int timeoutMs);

// Answers the next message box of this process on a helper thread while
// the test calls code that may show it. Use: start, run the code, finish.
// The code under test blocks in the box until it is answered, so once it
// has returned, finish stops waiting at once: no box means seen is false.
struct MessageBoxAnswerer {
    HANDLE thread;
    int button;
    int timeoutMs;
    volatile LONG stop;
    MessageBoxSeen result;
};
void startAnswering(MessageBoxAnswerer* answerer, int button, int timeoutMs);
MessageBoxSeen finishAnswering(MessageBoxAnswerer* answerer);
