// Test support: dispatches this thread's messages for a while, so that
// posted work and repaints of the windows under test happen.
#pragma once

#include <windows.h>

inline void Pump(DWORD milliseconds = 50) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}
