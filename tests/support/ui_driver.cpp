#include "support/ui_driver.h"

const char DialogClass[] = "#32770";

namespace {

// What a wanted top-level window must match; caption null and controlId 0
// match any.
struct WindowQuery {
    const char* className;
    const char* caption;
    DWORD processId;
    int controlId;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param)
{
    WindowQuery* query = reinterpret_cast<WindowQuery*>(param);
    char name[256];
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if ((query->processId && process != query->processId) || !IsWindowVisible(window) ||
        !GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, query->className) != 0 ||
        (query->caption && windowText(window) != query->caption) ||
        (query->controlId && !GetDlgItem(window, query->controlId)))
        return TRUE;
    query->found = window;
    return FALSE;
}

HWND waitForMatch(WindowQuery query, int timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        query.found = NULL;
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found)
            return query.found;
        if ((int)(GetTickCount() - start) >= timeoutMs)
            return NULL;
        Sleep(20);
    }
}

}  // namespace

HWND waitForWindow(const char* className, const char* caption, DWORD processId, int timeoutMs)
{
    return waitForMatch(WindowQuery{className, caption, processId, 0, NULL}, timeoutMs);
}

HWND waitForDialogWithControl(DWORD processId, int controlId, int timeoutMs)
{
    return waitForMatch(WindowQuery{DialogClass, NULL, processId, controlId, NULL}, timeoutMs);
}

bool waitForWindowGone(HWND window, int timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if ((int)(GetTickCount() - start) >= timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

std::string windowText(HWND window)
{
    char text[2048];
    // WM_GETTEXT works across threads and processes alike.
    LRESULT length = SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text, length > 0 ? (size_t)length : 0);
}

std::string controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? windowText(control) : std::string();
}

bool controlVisible(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE);
}

bool controlEnabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

bool controlChecked(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void clickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

MessageBoxSeen answerMessageBox(int button, DWORD processId, int timeoutMs)
{
    MessageBoxSeen seen = {false, std::string(), std::string(), NULL};
    // Only message boxes: the wizard is a dialog too, but without the text.
    HWND box = waitForDialogWithControl(processId ? processId : GetCurrentProcessId(),
                                        MessageBoxTextId, timeoutMs);
    if (!box)
        return seen;
    seen.seen = true;
    seen.caption = windowText(box);
    seen.text = controlText(box, MessageBoxTextId);
    seen.owner = GetWindow(box, GW_OWNER);
    clickButton(box, button);
    waitForWindowGone(box, timeoutMs);
    return seen;
}

namespace {

DWORD WINAPI answerOnThread(LPVOID param)
{
    MessageBoxAnswerer* answerer = static_cast<MessageBoxAnswerer*>(param);
    DWORD start = GetTickCount();
    while (!answerer->stop && (int)(GetTickCount() - start) < answerer->timeoutMs) {
        answerer->result = answerMessageBox(answerer->button, 0, 50);
        if (answerer->result.seen)
            break;
    }
    return 0;
}

}  // namespace

void startAnswering(MessageBoxAnswerer* answerer, int button, int timeoutMs)
{
    answerer->button = button;
    answerer->timeoutMs = timeoutMs;
    answerer->stop = 0;
    answerer->result = MessageBoxSeen{false, std::string(), std::string(), NULL};
    answerer->thread = CreateThread(NULL, 0, answerOnThread, answerer, 0, NULL);
}

MessageBoxSeen finishAnswering(MessageBoxAnswerer* answerer)
{
    InterlockedExchange(&answerer->stop, 1);
    WaitForSingleObject(answerer->thread, INFINITE);
    CloseHandle(answerer->thread);
    answerer->thread = NULL;
    return answerer->result;
}
