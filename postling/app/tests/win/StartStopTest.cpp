// The program starts, shows its hidden main window, and ends cleanly when
// that window is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "postling/app/tests/win/ProgramRunner.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

using namespace program_runner;

TEST(Program, StartsHiddenAndEndsWhenClosed) {
    ASSERT_TRUE(WaitUntilNoOtherCopy(120000)) << "another copy keeps running";
    ChildProcess child;
    ASSERT_TRUE(child.Start()) << GetLastError();
    PROCESS_INFORMATION& pi = child.pi;

    HWND window = WaitForMainWindow(pi.dwProcessId, 20000);
    ASSERT_NE(window, nullptr) << "main window did not appear";
    EXPECT_FALSE(IsWindowVisible(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}
