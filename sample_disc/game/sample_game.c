/* The sample disc's game: one window of the game's class and title, so that
   the installer's running-game check and its shortcuts have something real
   to find and start. */
#include <windows.h>

static const char className[] = "\x81\x79\x95\xDB\x91\xB6\x81\x7AHoshinoumiWindow";
/* 星の海の物語 in Shift-JIS */
static const char title[] = "\x90\xAF\x82\xCC\x8A\x43\x82\xCC\x95\xA8\x8C\xEA";

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show)
{
    WNDCLASSA windowClass = {0};
    MSG message;
    (void)previous; (void)line;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                480, 320, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
