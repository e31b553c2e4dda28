#include "mutation/box_watcher.h"

namespace {

// A visible message box of this process: a dialog with the box's text.
HWND findMessageBox()
{
    DWORD self = GetCurrentProcessId();
    for (HWND window = FindWindowExA(NULL, NULL, DialogClass, NULL); window;
         window = FindWindowExA(NULL, window, DialogClass, NULL)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == self && IsWindowVisible(window) && GetDlgItem(window, MessageBoxTextId))
            return window;
    }
    return NULL;
}

DWORD WINAPI watchBoxes(LPVOID param)
{
    BoxWatcher* watcher = static_cast<BoxWatcher*>(param);
    while (!watcher->stop) {
        HWND box = findMessageBox();
        if (!box) {
            Sleep(1);
            continue;
        }
        MessageBoxSeen seen = {true, windowText(box), controlText(box, MessageBoxTextId),
                               GetWindow(box, GW_OWNER)};
        EnterCriticalSection(&watcher->lock);
        watcher->boxes.push_back(seen);
        LeaveCriticalSection(&watcher->lock);
        clickButton(box, watcher->button);
        while (IsWindow(box) && !watcher->stop)
            Sleep(0);
    }
    return 0;
}

}  // namespace

void startBoxWatcher(BoxWatcher* watcher, int button)
{
    watcher->button = button;
    watcher->stop = 0;
    InitializeCriticalSection(&watcher->lock);
    watcher->thread = CreateThread(NULL, 0, watchBoxes, watcher, 0, NULL);
}

std::vector<MessageBoxSeen> takeBoxes(BoxWatcher* watcher)
{
    std::vector<MessageBoxSeen> boxes;
    EnterCriticalSection(&watcher->lock);
    boxes.swap(watcher->boxes);
    LeaveCriticalSection(&watcher->lock);
    return boxes;
}

void stopBoxWatcher(BoxWatcher* watcher)
{
    InterlockedExchange(&watcher->stop, 1);
    WaitForSingleObject(watcher->thread, INFINITE);
    CloseHandle(watcher->thread);
    watcher->thread = NULL;
    DeleteCriticalSection(&watcher->lock);
}
