// A second start of the program: it hands over to the running copy and ends
// at once, silently with "/AUTOSTART"; "/RESTART:" with the running copy's
// process id replaces that copy. The running copy is either a real one or a
// window of this test that answers "Check Instance" as a running copy does
// and records what it is sent.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/tests/win/CodePageText.h"
#include "postling/app/tests/win/ProgramRunner.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

using namespace program_runner;

namespace {

// The messages between copies, by their names.
UINT CheckInstanceMessage() {
    return RegisterWindowMessageA("Varnek & Soltu Post Sentry: Check Instance");
}
UINT StartSecondInstanceMessage() {
    return RegisterWindowMessageA("Varnek & Soltu Post Sentry: Start Second Instance");
}

constexpr WPARAM kAppExitCommand = 57665;

struct FakeCopy {
    HWND window = nullptr;
    int secondStarts = 0;
    int exitCommands = 0;
    int otherCommands = 0;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FakeCopy*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self) {
            if (message == CheckInstanceMessage()) return 0x1234;
            if (message == StartSecondInstanceMessage()) {
                ++self->secondStarts;
                return 0;
            }
            if (message == WM_COMMAND) {
                if (wParam == kAppExitCommand)
                    ++self->exitCommands;
                else
                    ++self->otherCommands;
                return 0;
            }
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    FakeCopy() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SecondStartTestFakeCopy";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, "fake copy", WS_OVERLAPPED, 0, 0, 10, 10,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FakeCopy() {
        if (window) DestroyWindow(window);
    }
};

// A message box shown by that process, or null. Only a visible one: its
// window exists before its texts are set.
HWND FindMessageBox(DWORD processId) {
    return FindWindowOf(processId, [](HWND window) {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        return std::string(name) == "#32770" && IsWindowVisible(window);
    });
}

std::wstring WindowTexts(HWND window) {
    std::wstring all;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        all += text;
        all += L"|";
    }
    return all;
}

// The visible second-start notices of that process.
int NoticesOf(DWORD processId) {
    struct Count {
        DWORD processId;
        int notices;
    } count = {processId, 0};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* c = reinterpret_cast<Count*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[16] = {}, title[128] = {};
            GetClassNameW(window, name, 16);
            GetWindowTextW(window, title, 128);
            if (owner == c->processId && IsWindowVisible(window) && std::wstring(name) == L"#32770" &&
                std::wstring(title) == L"V&S Post Sentry: Повторный запуск")
                ++c->notices;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.notices;
}

class SecondStart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WaitUntilNoOtherCopy(120000)) << "another copy keeps running";
    }
};

}  // namespace

TEST_F(SecondStart, HandsOverToTheRunningCopyAndEnds) {
    FakeCopy copy;
    ASSERT_NE(copy.window, nullptr);
    ChildProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(WaitPumping(second.pi.hProcess, 20000)) << "the second start did not end";
    EXPECT_EQ(second.ExitCode(), 0u);
    SleepPumping(200);  // the posted message arrives
    EXPECT_EQ(copy.secondStarts, 1);
    EXPECT_EQ(copy.exitCommands, 0);
    EXPECT_EQ(copy.otherCommands, 0);
}

TEST_F(SecondStart, AutostartEndsSilently) {
    FakeCopy copy;
    ASSERT_NE(copy.window, nullptr);
    for (const char* arguments : {"/AUTOSTART", "-autostart"}) {
        ChildProcess second;
        ASSERT_TRUE(second.Start(arguments));
        ASSERT_TRUE(WaitPumping(second.pi.hProcess, 20000)) << arguments;
        EXPECT_EQ(second.ExitCode(), 0u) << arguments;
    }
    SleepPumping(200);
    EXPECT_EQ(copy.secondStarts, 0);
    EXPECT_EQ(copy.exitCommands, 0);
}

TEST_F(SecondStart, ABadRestartSwitchCountsAsAbsent) {
    FakeCopy copy;
    ChildProcess second;
    ASSERT_TRUE(second.Start("/RESTART:12a"));
    ASSERT_TRUE(WaitPumping(second.pi.hProcess, 20000));
    SleepPumping(200);
    EXPECT_EQ(copy.secondStarts, 1);
    EXPECT_EQ(copy.exitCommands, 0);
}

TEST_F(SecondStart, RestartThatTheOldCopyDoesNotFollowGivesUpAfterTenSeconds) {
    // This test process is the "old copy": it records the exit command but
    // does not end.
    FakeCopy copy;
    ChildProcess second;
    DWORD started = GetTickCount();
    ASSERT_TRUE(second.Start("/RESTART:" + std::to_string(GetCurrentProcessId())));
    HWND box = nullptr;
    for (DWORD waited = 0; !box && waited < 30000; waited += 100) {
        SleepPumping(100);
        box = FindMessageBox(second.pi.dwProcessId);
    }
    ASSERT_NE(box, nullptr) << "no message after the failed restart";
    DWORD elapsed = GetTickCount() - started;
    EXPECT_GE(elapsed, 9500u);
    EXPECT_EQ(copy.exitCommands, 1);
    EXPECT_EQ(copy.secondStarts, 0);
    const std::wstring expected = L"Не удалось перезапустить Post Sentry. Попробуйте сделать это вручную.";
    std::wstring texts = WindowTexts(box);
    for (int i = 0; i < 50 && texts.find(expected) == std::wstring::npos; ++i) {
        SleepPumping(100);
        texts = WindowTexts(box);
    }
    EXPECT_NE(texts.find(expected), std::wstring::npos) << "texts of the box: " << WideToUtf8(texts);
    EXPECT_EQ(WaitForMainWindow(second.pi.dwProcessId, 0), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitPumping(second.pi.hProcess, 20000));
    EXPECT_EQ(copy.exitCommands, 1);
}

TEST_F(SecondStart, WithARealRunningCopy) {
    // Settings are written at exit only, under the program's key.
    const char kSettingsKey[] = "Software\\Razezo Varnek\\Varnek & Soltu Post Sentry\\Settings";
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    ChildProcess first;
    ASSERT_TRUE(first.Start());
    HWND firstWindow = WaitForMainWindow(first.pi.dwProcessId, 20000);
    ASSERT_NE(firstWindow, nullptr);

    for (const char* arguments : {"", "/AUTOSTART", "/PAUSE"}) {
        ChildProcess second;
        ASSERT_TRUE(second.Start(arguments));
        ASSERT_TRUE(WaitPumping(second.pi.hProcess, 20000)) << arguments;
        EXPECT_EQ(second.ExitCode(), 0u) << arguments;
        EXPECT_TRUE(first.IsRunning()) << arguments;
    }
    EXPECT_TRUE(IsWindow(firstWindow));
    // The first copy shows its notice, once for both starts that were not silent.
    for (DWORD waited = 0; NoticesOf(first.pi.dwProcessId) == 0 && waited < 10000; waited += 100)
        SleepPumping(100);
    SleepPumping(300);
    EXPECT_EQ(NoticesOf(first.pi.dwProcessId), 1);

    // A restart replaces the running copy, which ends normally.
    ChildProcess third;
    HWND thirdWindow = RestartReplacing(first, third);
    ASSERT_FALSE(first.IsRunning()) << "the old copy did not end";
    EXPECT_EQ(first.ExitCode(), 0u);
    ASSERT_NE(thirdWindow, nullptr) << "the new copy did not come up";
    EXPECT_TRUE(third.IsRunning());

    PostMessageA(thirdWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitPumping(third.pi.hProcess, 20000));
    EXPECT_EQ(third.ExitCode(), 0u);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Options", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    RegCloseKey(key);
}
