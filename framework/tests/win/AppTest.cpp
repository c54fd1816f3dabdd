// The application object: message loop and idle processing, the main
// frame ending the loop, profile functions, command line, run-time classes.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

// Ends a message loop that would otherwise hang the test.
constexpr int kTimedOut = 99;
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(kTimedOut); }

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("Framework Test") {}
    int ExitInstance() override {
        ++exits;
        return CWinApp::ExitInstance() + 1000;
    }
    bool SaveAllModified() override {
        ++saves;
        return allowClose;
    }
    bool OnIdle(long count) override {
        idleCounts.push_back(count);
        return CWinApp::OnIdle(count);
    }
    // Runs the loop with a time limit; returns Run's result.
    int RunLimited() {
        UINT_PTR timer = ::SetTimer(nullptr, 0, 3000, GiveUp);
        int result = Run();
        ::KillTimer(nullptr, timer);
        return result;
    }
    int exits = 0;
    int saves = 0;
    bool allowClose = true;
    std::vector<long> idleCounts;
};

class MainFrame : public CFrameWnd {
public:
    explicit MainFrame(bool* deleted) : m_deleted(deleted) {}
    ~MainFrame() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

// What the update handler of IdleFrame does; it outlives the frame.
struct IdleState {
    bool enabled = false;
    bool closeOnUpdate = false;
    int updates = 0;
};

// A child control's command 300 with an update handler that enables it as
// the state says and may end the loop.
class IdleFrame : public MainFrame {
public:
    IdleFrame(bool* deleted, IdleState* state) : MainFrame(deleted), m_state(state) {}

protected:
    void OnButton() {}
    void OnUpdateButton(CCmdUI* ui) {
        ++m_state->updates;
        ui->Enable(m_state->enabled);
        if (m_state->closeOnUpdate) PostMessage(WM_CLOSE);
    }

    IdleState* m_state;

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry IdleFrame::messageEntries[] = {
    On::Command<&IdleFrame::OnButton>(300),
    On::Update<&IdleFrame::OnUpdateButton>(300),
    On::End(),
};
const MessageMap IdleFrame::messageMap = {&CFrameWnd::messageMap, IdleFrame::messageEntries};

TEST(Application, IsTheGlobalObjectWhileItLives) {
    EXPECT_EQ(AfxGetApp(), nullptr);
    {
        TestApp app;
        EXPECT_EQ(AfxGetApp(), &app);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(Application, ClosingTheMainFrameEndsTheLoop) {
    TestApp app;
    bool deleted = false;
    auto* frame = new MainFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, "main", WS_OVERLAPPEDWINDOW));
    app.m_pMainWnd = frame;
    frame->PostMessage(WM_CLOSE);
    EXPECT_EQ(app.RunLimited(), 1000);  // WM_QUIT code 0, through ExitInstance
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(app.saves, 1);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST(Application, SaveRefusedKeepsTheMainFrame) {
    TestApp app;
    app.allowClose = false;
    bool deleted = false;
    auto* frame = new MainFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, "main", WS_OVERLAPPEDWINDOW));
    app.m_pMainWnd = frame;
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(frame->SendMessage(WM_QUERYENDSESSION), FALSE);
    app.allowClose = true;
    EXPECT_EQ(frame->SendMessage(WM_QUERYENDSESSION), TRUE);
    frame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(deleted);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop would end
}

TEST(Application, SessionEndRunsTheExitStepsOfTheMainFrameOnly) {
    TestApp app;
    bool mainDeleted = false, otherDeleted = false;
    auto* main = new MainFrame(&mainDeleted);
    auto* other = new MainFrame(&otherDeleted);
    ASSERT_TRUE(main->Create(nullptr, "main", WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(other->Create(nullptr, "other", WS_OVERLAPPEDWINDOW));
    app.m_pMainWnd = main;
    other->SendMessage(WM_ENDSESSION, TRUE);
    main->SendMessage(WM_ENDSESSION, FALSE);  // the session goes on
    EXPECT_EQ(app.exits, 0);
    main->SendMessage(WM_ENDSESSION, TRUE);
    EXPECT_EQ(app.exits, 1);
    other->DestroyWindow();
    main->DestroyWindow();
    EXPECT_TRUE(mainDeleted && otherDeleted);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(Application, ExitCommandPostedToTheFrameEndsTheLoop) {
    TestApp app;
    bool deleted = false;
    auto* frame = new MainFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, "main", WS_OVERLAPPEDWINDOW));
    app.m_pMainWnd = frame;
    frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_EQ(app.RunLimited(), 1000);
    EXPECT_TRUE(deleted);
}

TEST(Application, ClosingAnotherFrameDoesNotEndTheLoop) {
    TestApp app;
    bool mainDeleted = false, otherDeleted = false;
    auto* main = new MainFrame(&mainDeleted);
    auto* other = new MainFrame(&otherDeleted);
    ASSERT_TRUE(main->Create(nullptr, "main", WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(other->Create(nullptr, "other", WS_OVERLAPPEDWINDOW));
    app.m_pMainWnd = main;
    other->SendMessage(WM_CLOSE);
    EXPECT_TRUE(otherDeleted);
    EXPECT_EQ(app.saves, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    main->DestroyWindow();
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(Application, IdleRunsUpdateHandlersOfChildControls) {
    TestApp app;
    bool deleted = false;
    IdleState state;
    auto* frame = new IdleFrame(&deleted, &state);
    ASSERT_TRUE(frame->Create(nullptr, "main", WS_OVERLAPPEDWINDOW));
    HWND button = CreateWindowExA(0, "BUTTON", "button", WS_CHILD, 0, 0, 80, 20, frame->m_hWnd,
                                  reinterpret_cast<HMENU>(300), GetModuleHandleA(nullptr), nullptr);
    EXPECT_TRUE(IsWindowEnabled(button));
    app.OnIdle(0);  // a hidden frame runs no update handlers
    EXPECT_EQ(state.updates, 0);
    EXPECT_TRUE(IsWindowEnabled(button));
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    app.OnIdle(0);
    EXPECT_EQ(state.updates, 1);
    EXPECT_FALSE(IsWindowEnabled(button));
    app.OnIdle(1);  // later idle calls of the same period do not repeat it
    EXPECT_EQ(state.updates, 1);

    // In the loop: once the queue is empty, idle time updates the control
    // again; this time the handler ends the loop.
    app.m_pMainWnd = frame;
    app.idleCounts.clear();
    state.enabled = true;
    state.closeOnUpdate = true;
    frame->PostMessage(WM_NULL);
    EXPECT_EQ(app.RunLimited(), 1000);
    EXPECT_EQ(state.updates, 2);
    EXPECT_TRUE(IsWindowEnabled(button) || deleted);
    ASSERT_FALSE(app.idleCounts.empty());
    EXPECT_EQ(app.idleCounts.front(), 0);
    EXPECT_TRUE(deleted);
}

class MemoryStore : public CProfileStore {
public:
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) override {
        auto it = strings.find(section + "|" + entry);
        return it == strings.end() ? defaultValue : it->second;
    }
    std::int32_t GetInt(const std::string& section, const std::string& entry,
                        std::int32_t defaultValue) override {
        auto it = ints.find(section + "|" + entry);
        return it == ints.end() ? defaultValue : it->second;
    }
    bool WriteString(const std::string& section, const std::string& entry,
                     const std::string& value) override {
        strings[section + "|" + entry] = value;
        return !failWrites;
    }
    bool WriteInt(const std::string& section, const std::string& entry, std::int32_t value) override {
        ints[section + "|" + entry] = value;
        return !failWrites;
    }
    std::map<std::string, std::string> strings;
    std::map<std::string, std::int32_t> ints;
    bool failWrites = false;
};

TEST(Application, ProfileFunctionsGoThroughTheStore) {
    TestApp app;
    MemoryStore store;
    app.SetProfileStore(&store);
    EXPECT_EQ(app.GetProfileInt("Settings", "Options", 17), 17);
    EXPECT_EQ(app.GetProfileString("Settings", "Mailer", "none"), "none");
    EXPECT_TRUE(app.WriteProfileInt("Settings", "Options", -5));
    EXPECT_TRUE(app.WriteProfileString("Settings", "Mailer", "C:\\mail.exe"));
    EXPECT_EQ(store.ints["Settings|Options"], -5);
    EXPECT_EQ(store.strings["Settings|Mailer"], "C:\\mail.exe");
    EXPECT_EQ(app.GetProfileInt("Settings", "Options", 17), -5);
    EXPECT_EQ(app.GetProfileString("Settings", "Mailer"), "C:\\mail.exe");
    store.failWrites = true;
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Options", 1));
}

TEST(Application, WithoutAStoreReadsGiveDefaultsAndWritesFail) {
    TestApp app;
    EXPECT_EQ(app.GetProfileInt("Settings", "Options", 3), 3);
    EXPECT_EQ(app.GetProfileString("Settings", "Mailer", "x"), "x");
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Options", 1));
    EXPECT_FALSE(app.WriteProfileString("Settings", "Mailer", "y"));
}

TEST(Application, RegistryKeyAndProfileName) {
    TestApp app;
    EXPECT_EQ(app.GetAppRegistryPath(), "");
    app.SetRegistryKey("Company");
    EXPECT_EQ(app.m_strProfileName, "Framework Test");
    EXPECT_EQ(app.GetAppRegistryPath(), "Software\\Company\\Framework Test");
}

TEST(Application, WinInitSetsTitleAndHelpPath) {
    CWinApp app;
    AfxWinInit(&app, GetModuleHandleA(nullptr), "", SW_HIDE);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe = path;
    std::string help = exe.substr(0, exe.rfind('.')) + ".HLP";
    EXPECT_EQ(app.m_strHelpFilePath, help);
    EXPECT_EQ(app.m_nCmdShow, SW_HIDE);
    // The title is string 57344 (the test carries the program's table).
    EXPECT_EQ(app.m_strAppName, "Varnek & Soltu Post Sentry");
}

TEST(Application, CommandLineSplitsSwitchesFromArguments) {
    struct Recorder : CCommandLineInfo {
        void ParseParam(const char* param, bool isSwitch, bool isLast) override {
            seen += std::string(isSwitch ? "S:" : "P:") + param + (isLast ? "!" : ";");
            CCommandLineInfo::ParseParam(param, isSwitch, isLast);
        }
        std::string seen;
    } info;
    const char* argv[] = {"/AUTOSTART", "file.txt", "-restart:12"};
    CWinApp::ParseCommandLine(info, 3, argv);
    EXPECT_EQ(info.seen, "S:AUTOSTART;P:file.txt;S:restart:12!");
    EXPECT_EQ(info.m_switches, (std::vector<std::string>{"AUTOSTART", "restart:12"}));
    EXPECT_EQ(info.m_params, (std::vector<std::string>{"file.txt"}));
}

// A class of the program's kind, with its own run-time record.
class CTestFrame : public CFrameWnd {
public:
    static CObject* Create() { return new CTestFrame; }
    const CRuntimeClass* GetRuntimeClass() const override { return &classCTestFrame; }
    static const CRuntimeClass classCTestFrame;
};
const CRuntimeClass CTestFrame::classCTestFrame = {"CTestFrame", sizeof(CTestFrame),
                                                   &CFrameWnd::classCFrameWnd, &CTestFrame::Create};

TEST(RuntimeClass, FrameworkClassesKnowTheirBases) {
    CTestFrame frame;
    EXPECT_TRUE(frame.IsKindOf(&CTestFrame::classCTestFrame));
    EXPECT_TRUE(frame.IsKindOf(&CFrameWnd::classCFrameWnd));
    EXPECT_TRUE(frame.IsKindOf(&CWnd::classCWnd));
    EXPECT_TRUE(frame.IsKindOf(&CCmdTarget::classCCmdTarget));
    EXPECT_TRUE(frame.IsKindOf(&CObject::classCObject));
    EXPECT_FALSE(frame.IsKindOf(&CWinApp::classCWinApp));

    CWnd wnd;
    EXPECT_FALSE(wnd.IsKindOf(&CFrameWnd::classCFrameWnd));
    EXPECT_STREQ(wnd.GetRuntimeClass()->m_lpszClassName, "CWnd");

    CWinApp app("x");
    EXPECT_TRUE(app.IsKindOf(&CCmdTarget::classCCmdTarget));
    EXPECT_FALSE(app.IsKindOf(&CWnd::classCWnd));

    CObject* made = CTestFrame::classCTestFrame.CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(&CFrameWnd::classCFrameWnd));
    delete made;
    EXPECT_EQ(CFrameWnd::classCFrameWnd.CreateObject(), nullptr);
}

}  // namespace
