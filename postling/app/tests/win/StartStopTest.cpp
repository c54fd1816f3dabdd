// The program starts, shows its hidden main window, and ends cleanly when
// that window is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "postling/app/MainWindowClass.h"

namespace {

std::string ProgramPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + "Postling.exe";
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        for (HWND w = FindWindowA(kMainWindowClass, nullptr); w;
             w = FindWindowExA(nullptr, w, kMainWindowClass, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == processId) return w;
        }
        Sleep(50);
    }
    return nullptr;
}

// Ends the child if a failed assertion leaves it running.
struct ChildProcess {
    PROCESS_INFORMATION pi = {};
    ~ChildProcess() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

}  // namespace

TEST(Program, StartsHiddenAndEndsWhenClosed) {
    std::string command = "\"" + ProgramPath() + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    ChildProcess child;
    PROCESS_INFORMATION& pi = child.pi;
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi))
        << GetLastError();

    HWND window = WaitForMainWindow(pi.dwProcessId, 20000);
    ASSERT_NE(window, nullptr) << "main window did not appear";
    EXPECT_FALSE(IsWindowVisible(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}
