// Starting Postling.exe from a test: the child process, its main window,
// waiting while this thread's own windows go on answering messages, and
// the Message-IDs left in the test mailbox.
#pragma once

#include <windows.h>

#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "postling/app/MainWindowClass.h"

namespace program_runner {

inline std::string ProgramPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + "Postling.exe";
}

// Ends the child if a failed assertion leaves it running.
struct ChildProcess {
    PROCESS_INFORMATION pi = {};
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    bool Start(const std::string& arguments = "") {
        std::string command = "\"" + ProgramPath() + "\"";
        if (!arguments.empty()) command += " " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi) != FALSE;
    }
    bool IsRunning() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD ExitCode() const {
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
};

// Dispatches this thread's messages while it waits; true when `object` was
// signalled within the time.
inline bool WaitPumping(HANDLE object, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        DWORD result =
            MsgWaitForMultipleObjects(1, &object, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

inline void SleepPumping(DWORD ms) {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WaitPumping(never, ms);
    CloseHandle(never);
}

// The program's main window in that process, waiting up to the time.
inline HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 50) {
        for (HWND w = FindWindowA(kMainWindowClass, nullptr); w;
             w = FindWindowExA(nullptr, w, kMainWindowClass, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == processId) return w;
        }
        if (waited >= timeoutMs) return nullptr;
        SleepPumping(50);
    }
}

// A top-level window of that process that `match` accepts, or null.
inline HWND FindWindowOf(DWORD processId, const std::function<bool(HWND)>& match) {
    struct Search {
        DWORD processId;
        const std::function<bool(HWND)>& match;
        HWND found;
    } search = {processId, match, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !s->match(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts `replacement` with "/RESTART:" and the pid of `old`, waits for the
// old copy to end, then for the new copy's main window (null if none).
inline HWND RestartReplacing(ChildProcess& old, ChildProcess& replacement) {
    if (!replacement.Start("/RESTART:" + std::to_string(old.pi.dwProcessId))) return nullptr;
    if (!WaitPumping(old.pi.hProcess, 20000)) return nullptr;
    return WaitForMainWindow(replacement.pi.dwProcessId, 20000);
}

// Whether some window outside this process answers "Check Instance" as a
// running copy does (another test's main frame, say).
inline bool OtherCopyAnswers() {
    struct Search {
        UINT message;
        bool found;
    } search = {RegisterWindowMessageA("Varnek & Soltu Post Sentry: Check Instance"), false};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == GetCurrentProcessId()) return TRUE;
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(window, s->message, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) &&
                answer == 0x1234) {
                s->found = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Tests of other programs may run at the same time in the same Wine
// session; a copy found there would take our program's hand-over.
inline bool WaitUntilNoOtherCopy(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 250) {
        if (!OtherCopyAnswers()) return true;
        SleepPumping(250);
    }
    return false;
}

// The Message-IDs of the messages in the maildir (new and cur).
inline std::set<std::string> MaildirIds(const std::string& maildir) {
    std::set<std::string> ids;
    for (const char* sub : {"\\new\\", "\\cur\\"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((maildir + sub + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::ifstream file(maildir + sub + found.cFileName);
            for (std::string line; std::getline(file, line);) {
                if (line.rfind("Message-ID:", 0) != 0) continue;
                std::string id = line.substr(11);
                id.erase(0, id.find_first_not_of(' '));
                id.erase(id.find_last_not_of("\r ") + 1);
                ids.insert(id);
                break;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return ids;
}

}  // namespace program_runner
