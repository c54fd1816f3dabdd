// Test support: answers the next message box of a thread with OK and keeps
// its text. A box runs its own message loop inside the dispatch that showed
// it, so the test thread cannot look for it itself: a second thread does.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class MessageBoxAnswerer {
public:
    // `except`: a dialog of the thread that is not the box (it may look alike).
    explicit MessageBoxAnswerer(DWORD thread, HWND except = nullptr)
        : m_thread(thread), m_except(except), m_worker([this] { Run(); }) {}
    ~MessageBoxAnswerer() {
        m_stop = true;
        m_worker.join();
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    bool Answered() const { return m_done; }
    std::string Text() const { return m_done ? m_text : std::string(); }

private:
    void Run() {
        for (int i = 0; i < 1000 && !m_stop && !m_done; ++i) {
            EnumThreadWindows(m_thread, &MessageBoxAnswerer::Visit, reinterpret_cast<LPARAM>(this));
            Sleep(10);
        }
    }
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* me = reinterpret_cast<MessageBoxAnswerer*>(self);
        char name[32] = {};
        GetClassNameA(window, name, sizeof name);
        HWND text = GetDlgItem(window, 0xFFFF);
        if (window == me->m_except || std::string(name) != "#32770" || !text || !IsWindowVisible(window))
            return TRUE;
        char buffer[512] = {};
        GetWindowTextA(text, buffer, sizeof buffer);
        me->m_text = buffer;
        me->m_done = true;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return FALSE;
    }

    DWORD m_thread;
    HWND m_except;
    std::string m_text;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};
