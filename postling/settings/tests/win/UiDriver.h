// Test support for dialogs in real modal runs: the test thread runs the
// dialog, a driver thread acts as the user does with posted clicks and keys,
// waits for the windows it expects and reads what they show.
// Screenshots: Shot(variable, name) writes NAME.ready into the Windows path
// the environment variable names and waits for NAME.done, so that a script
// outside can take one.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/ResourceChain.h"
#include "framework/tests/win/CodePageText.h"

namespace ui_driver {

using ::Cp1251;

inline std::string Text(HWND window) {
    char buffer[512] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// The visible dialog of this process titled `title`, waited for up to 5 s.
inline HWND WaitForDialog(const std::string& title) {
    for (int i = 0; i < 500; ++i) {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32770", title.c_str())) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(found, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(found)) return found;
        }
        Sleep(10);
    }
    return nullptr;
}

inline bool WaitGone(HWND window) {
    for (int i = 0; i < 500 && IsWindow(window); ++i) Sleep(10);
    return !IsWindow(window);
}

inline void Settle() { Sleep(150); }

inline void Click(HWND control) {
    RECT rect = {};
    GetClientRect(control, &rect);
    const LPARAM at = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
    Settle();
}

inline void Key(HWND window, UINT vk) {
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    Settle();
}

// Types `text` into an edit box as characters, replacing what it held
// (an empty text deletes it).
inline void Type(HWND edit, const char* text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    if (!*text) PostMessageA(edit, WM_CHAR, VK_BACK, 1);
    for (const char* c = text; *c; ++c) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 1);
    Settle();
}

inline void SetTime(HWND picker, int hour, int minute) {
    SYSTEMTIME time = {};
    time.wYear = 2000;
    time.wMonth = 1;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

inline std::string TimeShown(HWND picker) {
    SYSTEMTIME time = {};
    if (SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return "?";
    char text[16];
    wsprintfA(text, "%d:%02d", time.wHour, time.wMinute);
    return text;
}

inline std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char buffer[256] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        rows.push_back(buffer);
    }
    return rows;
}

inline int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

inline void ClickRow(HWND list, int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    Settle();
}

// Waits until `window` is the active window and has settled: activation
// arrives late under Wine and moves the focus, which would close an editor.
inline void WaitActive(HWND window) {
    for (int i = 0; i < 300 && GetForegroundWindow() != window; ++i) Sleep(10);
    Sleep(300);
}

// The visible message box of this process: its text, answered with
// `button`; with `ownerSettles` also waits until its owner is active again.
inline std::string AnswerMessageBox(WPARAM button = IDOK, bool ownerSettles = false) {
    for (int i = 0; i < 500; ++i) {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(found, &process);
            HWND text = GetDlgItem(found, 0xFFFF);
            if (process != GetCurrentProcessId() || !text || !IsWindowVisible(found)) continue;
            const std::string said = Text(text);
            HWND owner = GetWindow(found, GW_OWNER);
            PostMessageA(found, WM_COMMAND, button, 0);
            WaitGone(found);
            if (ownerSettles) WaitActive(owner);
            return said;
        }
        Sleep(10);
    }
    return std::string();
}

inline void Shot(const char* variable, const char* name) {
    const char* dir = std::getenv(variable);
    if (!dir || !*dir) return;
    const std::string base = std::string(dir) + "\\" + name;
    std::ofstream(base + ".ready") << name;
    for (int i = 0; i < 1000; ++i) {
        if (GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(20);
    }
}

// POSTLING_TEST_LANGUAGE_MODULE (a module's path): its resources come first
// for the whole run, for pictures of the dialogs in that language (the
// tests' own expectations are Russian).
inline const bool kLanguageModuleForPictures = [] {
    const char* path = std::getenv("POSTLING_TEST_LANGUAGE_MODULE");
    if (path && *path) AfxSetLanguageModule(LoadLibraryA(path));
    return true;
}();

inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Runs `dialog` modally while `driver` acts on the screen from a thread.
template <typename Dialog>
inline INT_PTR RunWithDriver(Dialog& dialog, const std::function<void()>& driver) {
    std::thread worker(driver);
    const INT_PTR result = dialog.DoModal();
    worker.join();
    return result;
}

}  // namespace ui_driver
