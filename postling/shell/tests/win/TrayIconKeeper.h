// Test support: one tray icon of the test process's own for the whole run.
// Wine's stand-alone tray hides its window when its last icon goes, and
// without a window manager that waits 2 s for the window to be withdrawn,
// inside the NIM_DELETE of every frame a test destroys. With this icon
// there the tray never empties.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

class TrayIconKeeper : public ::testing::Environment {
public:
    void SetUp() override {
        m_window = CreateWindowExA(0, "STATIC", "tray icon keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        if (!m_window) return;
        NOTIFYICONDATAA data = Data();
        data.uFlags = NIF_ICON;
        data.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        m_added = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    }
    void TearDown() override {
        if (m_added) {
            NOTIFYICONDATAA data = Data();
            Shell_NotifyIconA(NIM_DELETE, &data);
        }
        if (m_window) DestroyWindow(m_window);
    }

private:
    NOTIFYICONDATAA Data() const {
        NOTIFYICONDATAA data = {};
        data.cbSize = sizeof data;
        data.hWnd = m_window;
        data.uID = 0x7E57;
        return data;
    }
    HWND m_window = nullptr;
    bool m_added = false;
};

inline ::testing::Environment* const g_trayIconKeeper = ::testing::AddGlobalTestEnvironment(new TrayIconKeeper);
