// The program's help under Wine: CPostlingApp::WinHelp through the real
// loader against a stand-in HTML Help control registered for the control's
// class identifier; the Help button of a library dialog and the frame's
// help mode driven with the mouse and keys; and Wine's own HTML Help
// viewer on the built Postling.chm.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/FrameWnd.h"
#include "framework/ToolBar.h"
#include "postling/app/HtmlHelp.h"
#include "postling/app/PostlingApp.h"
#include "postling/app/tests/win/HelpFakeHhctrl.h"
#include "postling/shell/ExitConfirmDlg.h"

namespace {

constexpr UINT kTestFrame = 400;
constexpr UINT kSecondButton = 32902;

std::string ExeDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\') + 1);
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (AfxGetApp() && AfxGetApp()->PreTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// The application object of one test; its WinHelp requests are kept.
class TestApp : public CPostlingApp {
public:
    std::vector<std::pair<DWORD_PTR, UINT>> requests;
    bool WinHelp(DWORD_PTR data, UINT command) override {
        requests.emplace_back(data, command);
        return CPostlingApp::WinHelp(data, command);
    }
};

// The HTML Help control's class registered as `dll` while the object lives.
class ServerRegistration {
public:
    explicit ServerRegistration(const std::string& dll) {
        char old[MAX_PATH] = {};
        LONG size = sizeof old;
        m_had = RegQueryValueA(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, old, &size) == ERROR_SUCCESS;
        m_old = old;
        if (m_old.find("HelpFake") != std::string::npos) {
            // Left by a run that died: the system's own control.
            char system[MAX_PATH] = {};
            GetSystemDirectoryA(system, MAX_PATH);
            m_old = std::string(system) + "\\hhctrl.ocx";
        }
        Set(dll);
    }
    ~ServerRegistration() {
        if (m_had) Set(m_old);
        else RegDeleteKeyA(HKEY_CLASSES_ROOT, kHtmlHelpServerKey);
    }
    void Set(const std::string& dll) {
        RegSetValueA(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, REG_SZ, dll.c_str(), static_cast<DWORD>(dll.size()));
    }

private:
    bool m_had = false;
    std::string m_old;
};

// The stand-in control's record, through its own exports.
struct Fake {
    HMODULE module = LoadLibraryA((ExeDirectory() + "HelpFakeHhctrl.dll").c_str());
    FakeHelpResetFn reset = reinterpret_cast<FakeHelpResetFn>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
    FakeHelpCountFn count = reinterpret_cast<FakeHelpCountFn>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(2))));
    FakeHelpGetFn get = reinterpret_cast<FakeHelpGetFn>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(3))));
    ~Fake() { FreeLibrary(module); }
    std::vector<FakeHelpCall> Calls() const {
        std::vector<FakeHelpCall> calls;
        for (int i = 0; i < count(); ++i) calls.push_back(*get(i));
        return calls;
    }
};

BOOL CALLBACK FindOwnMessageBox(HWND window, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid == GetCurrentProcessId() && std::string(name) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

HWND OwnMessageBox() {
    HWND found = nullptr;
    EnumWindows(FindOwnMessageBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A frame with the test toolbar and the Shift+F1 accelerator.
class HelpTestFrame : public CFrameWnd {
public:
    CToolBar toolBar;
    bool Build() {
        return LoadFrame(kTestFrame, WS_OVERLAPPEDWINDOW) &&
               toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP) &&
               toolBar.LoadToolBar(kTestFrame) && (RecalcLayout(), true);
    }
};

class HelpFake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.module);
        fake.reset(0);
        app.m_bHtmlHelp = TRUE;
        app.m_strHelpFilePath = "C:\\Program\\Postling.CHM";
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Help test main"));
        app.m_pMainWnd = frame;
    }
    void TearDown() override {
        app.m_pMainWnd = nullptr;
        frame->DestroyWindow();
    }

    const std::string withWindow = "C:\\Program\\Postling.CHM>VarnekAndSoltuPostSentryHtmlHelp";
    ServerRegistration registration{ExeDirectory() + "HelpFakeHhctrl.dll"};
    Fake fake;
    TestApp app;
    CFrameWnd* frame = nullptr;
};

TEST_F(HelpFake, RequestsBecomeHtmlHelpCallsInTheProgramsWindowType) {
    const struct {
        UINT command;
        DWORD_PTR data;
        UINT htmlCommand;
        DWORD_PTR htmlData;
    } cases[] = {
        {HELP_CONTEXT, HID_BASE_RESOURCE + 140, HH_HELP_CONTEXT, 140},
        {HELP_CONTEXT, HID_BASE_COMMAND + 32773, HH_HELP_CONTEXT, 32773},
        {HELP_CONTEXT, HID_BASE_PROMPT + 10051, HH_HELP_CONTEXT, 10051},
        {HELP_FINDER, 0, HH_DISPLAY_TOC, 0},
        {HELP_INDEX, 0, HH_DISPLAY_TOC, 0},
        {HELP_QUIT, 0, HH_CLOSE_ALL, 0},
    };
    for (const auto& c : cases) {
      for (int unknown : {0, -1}) {  // HH_GET_WIN_TYPE answers null or -1
        SCOPED_TRACE(testing::Message() << "command " << c.command << ", data " << c.data << ", " << unknown);
        fake.reset(unknown);
        app.WinHelp(c.data, c.command);
        const std::vector<FakeHelpCall> calls = fake.Calls();
        ASSERT_EQ(calls.size(), 3u);
        for (const FakeHelpCall& call : calls) EXPECT_EQ(call.caller, frame->m_hWnd);
        EXPECT_EQ(calls[0].command, static_cast<UINT>(HH_GET_WIN_TYPE));
        EXPECT_EQ(calls[0].file, withWindow);
        // Unknown to HTML Help: defined with the designed values.
        ASSERT_EQ(calls[1].command, static_cast<UINT>(HH_SET_WIN_TYPE));
        EXPECT_EQ(calls[1].file, std::string("C:\\Program\\Postling.CHM"));
        const HH_WINTYPE& type = calls[1].type;
        EXPECT_EQ(type.cbStruct, static_cast<int>(sizeof(HH_WINTYPE)));
        EXPECT_STREQ(calls[1].typeName, "VarnekAndSoltuPostSentryHtmlHelp");
        EXPECT_EQ(type.fsValidMembers, 0x132u);
        EXPECT_EQ(type.fsWinProperties, 0x33420u);
        EXPECT_EQ(type.fsToolBarFlags, 0x280Eu);
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_EQ(type.rcWindowPos.left, 0);
        EXPECT_EQ(type.rcWindowPos.top, 0);
        EXPECT_EQ(type.rcWindowPos.right, width);
        EXPECT_EQ(type.rcWindowPos.bottom, height);
        EXPECT_EQ(type.iNavWidth, width / 3);
        EXPECT_EQ(calls[2].command, c.htmlCommand);
        EXPECT_EQ(calls[2].data, c.htmlData);
        EXPECT_EQ(calls[2].file, withWindow);
      }
    }

    // A window type HTML Help knows is not defined again.
    fake.reset(1);
    app.WinHelp(HID_BASE_RESOURCE + 137, HELP_CONTEXT);
    std::vector<FakeHelpCall> calls = fake.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HH_GET_WIN_TYPE));
    EXPECT_EQ(calls[1].command, static_cast<UINT>(HH_HELP_CONTEXT));
    EXPECT_EQ(calls[1].data, 137u);

    // Requests HTML Help has no counterpart for, and a help file that is
    // not compiled HTML help, go to the framework's WinHelp: no call.
    fake.reset(0);
    app.WinHelp(1054, HELP_CONTEXTPOPUP);
    app.m_bHtmlHelp = FALSE;
    app.WinHelp(HID_BASE_RESOURCE + 140, HELP_CONTEXT);
    EXPECT_EQ(fake.count(), 0);
}

TEST_F(HelpFake, AControlThatCannotBeLoadedMakesHelpSilentForGood) {
    // A file without export 14: the failure is kept, even once the right
    // file is registered again, and nothing is shown.
    TearDown();
    {
        registration.Set(ExeDirectory() + "HelpFakeNoExport.dll");
        TestApp other;
        other.m_bHtmlHelp = TRUE;
        other.m_strHelpFilePath = "C:\\Program\\Postling.CHM";
        EXPECT_FALSE(other.WinHelp(HID_BASE_RESOURCE + 140, HELP_CONTEXT));
        registration.Set(ExeDirectory() + "HelpFakeHhctrl.dll");
        EXPECT_FALSE(other.WinHelp(0, HELP_FINDER));
        Pump(200);
        EXPECT_EQ(OwnMessageBox(), nullptr);
    }
    EXPECT_EQ(fake.count(), 0);
    SetUp();
}

TEST_F(HelpFake, HelpButtonAndHelpFinderOfALibraryDialog) {
    auto* dialog = new CExitConfirmDlg(nullptr);
    ASSERT_TRUE(dialog->Create(CExitConfirmDlg::IDD, nullptr));
    dialog->ShowWindow(SW_SHOW);
    Pump(100);
    // The Help button clicked with the mouse.
    HWND button = dialog->GetDlgItem(IDHELP);
    ASSERT_TRUE(button);
    RECT rect;
    GetClientRect(button, &rect);
    const LPARAM center = MAKELPARAM((rect.right) / 2, (rect.bottom) / 2);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, center);
    PostMessageA(button, WM_LBUTTONUP, 0, center);
    Pump(300);
    // The help-finder command reaches the application from the dialog.
    dialog->SendMessage(WM_COMMAND, ID_HELP_FINDER, 0);
    dialog->DestroyWindow();

    ASSERT_EQ(app.requests.size(), 2u);
    EXPECT_EQ(app.requests[0].first & 0xFFFF, static_cast<DWORD_PTR>(IDD_EXIT_CONFIRM));
    EXPECT_EQ(app.requests[0].second, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(app.requests[1], std::make_pair(DWORD_PTR{0}, static_cast<UINT>(HELP_FINDER)));
    std::vector<UINT> commands;
    std::vector<DWORD_PTR> data;
    for (const FakeHelpCall& call : fake.Calls()) {
        if (call.command == HH_GET_WIN_TYPE || call.command == HH_SET_WIN_TYPE) continue;
        commands.push_back(call.command);
        data.push_back(call.data);
    }
    EXPECT_EQ(commands, (std::vector<UINT>{HH_HELP_CONTEXT, HH_DISPLAY_TOC}));
    EXPECT_EQ(data, (std::vector<DWORD_PTR>{IDD_EXIT_CONFIRM, 0}));
}

// Real keys and mouse for the help mode.
void Key(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void Click(POINT screen, bool right = false) {
    SetCursorPos(screen.x, screen.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

struct HelpModeCase {
    const char* what;
    POINT point;  // the click; none for Esc
    bool escape;
    bool right;
    std::vector<std::pair<DWORD_PTR, UINT>> expected;
};

TEST_F(HelpFake, HelpModeOfAFrameAsksForTheElementClicked) {
    auto* help = new HelpTestFrame;
    ASSERT_TRUE(help->Build());
    ::SetWindowPos(help->m_hWnd, nullptr, 100, 100, 420, 260, SWP_NOZORDER);
    help->ShowWindow(SW_SHOW);
    SetForegroundWindow(help->m_hWnd);
    Pump(300);

    RECT item;
    ASSERT_TRUE(help->toolBar.GetItemRect(help->toolBar.CommandToIndex(kSecondButton), &item));
    POINT button = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ::ClientToScreen(help->toolBar.m_hWnd, &button);
    RECT client;
    help->GetClientRect(&client);
    POINT inside = {client.right / 2, client.bottom - 20};
    ::ClientToScreen(help->m_hWnd, &inside);
    RECT whole;
    help->GetWindowRect(&whole);
    const POINT outside = {whole.right + 40, whole.bottom + 40};

    const HelpModeCase cases[] = {
        {"toolbar button", button, false, false, {{HID_BASE_COMMAND + kSecondButton, HELP_CONTEXT}}},
        {"frame's client area", inside, false, false, {{HID_BASE_RESOURCE + kTestFrame, HELP_CONTEXT}}},
        {"Esc", {}, true, false, {}},
        {"right button", inside, false, true, {}},
        {"outside the frame", outside, false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        app.requests.clear();
        SetForegroundWindow(help->m_hWnd);
        Pump(100);
        // Shift+F1 enters the mode; the mode's loop then runs in the frame's
        // command handler while the input arrives.
        Key(VK_SHIFT, false);
        Key(VK_F1, false);
        Key(VK_F1, true);
        Key(VK_SHIFT, true);
        HANDLE driver = CreateThread(
            nullptr, 0,
            [](LPVOID param) -> DWORD {
                const auto* c = static_cast<const HelpModeCase*>(param);
                Sleep(400);
                if (c->escape) {
                    Key(VK_ESCAPE, false);
                    Key(VK_ESCAPE, true);
                } else {
                    Click(c->point, c->right);
                }
                return 0;
            },
            const_cast<void*>(static_cast<const void*>(&c)), 0, nullptr);
        Pump(1200);
        WaitForSingleObject(driver, INFINITE);
        CloseHandle(driver);
        EXPECT_FALSE(help->IsInHelpMode());
        EXPECT_EQ(app.requests, c.expected);
        Pump(100);
    }
    help->DestroyWindow();
}

BOOL CALLBACK FindHelpWindow(HWND window, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid == GetCurrentProcessId() && std::string(name) == "HH Parent" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

HWND HelpWindow() {
    HWND found = nullptr;
    EnumWindows(FindHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Wine's HTML Help viewer on the built file, addressed as the program does
// ("<executable>.CHM"). POSTLING_HELP_VIEWER_WAIT=ms keeps it open for a
// screenshot.
TEST(HelpViewer, OpensTheBuiltFileAtATopicAndClosesOnQuit) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    ServerRegistration registration(std::string(system) + "\\hhctrl.ocx");
    TestApp app;
    app.m_bHtmlHelp = TRUE;
    app.m_strHelpFilePath = ExeDirectory() + "Postling.CHM";
    ASSERT_NE(GetFileAttributesA(app.m_strHelpFilePath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(app.WinHelp(HID_BASE_RESOURCE + IDD_ERRORS, HELP_CONTEXT));
    Pump(1500);
    HWND window = HelpWindow();
    ASSERT_TRUE(window);
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STRNE(title, "");
    // Wine's viewer keeps its own size and place (740 x 640) whatever the
    // window type says: the type's values are checked against the stand-in.
    char wait[16] = {};
    if (GetEnvironmentVariableA("POSTLING_HELP_VIEWER_WAIT", wait, sizeof wait)) Pump(atoi(wait));
    app.WinHelp(0, HELP_QUIT);
    Pump(500);
    EXPECT_EQ(HelpWindow(), nullptr);
}

}  // namespace
