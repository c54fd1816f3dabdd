// Program entry: a hidden main window and the message loop.
#include <windows.h>

#include "lumkit/LumMessages.h"
#include "postling/app/MainWindowClass.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // LUMKIT has registered its messages by now; a zero means it did not load properly.
    if (LUMKIT_INPLACE_EDIT_FINISHED == 0 || LUMKIT_DRAGDROP_FINISHED == 0) return 1;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(0, kMainWindowClass, "Postling", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
