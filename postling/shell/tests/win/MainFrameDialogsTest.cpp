// The About box, the second-start notice and the exit confirmation, opened
// through the main frame as the tray menu and other copies open them, with
// the program's application object as the frame's host, and clicked and
// closed as a user does.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "postling/app/PostlingApp.h"
#include "postling/shell/AboutDlg.h"
#include "postling/shell/ExitConfirmDlg.h"
#include "postling/shell/SecondInstanceDlg.h"
#include "postling/shell/SettingsWindow.h"
#include "framework/tests/win/MessageBoxAnswerer.h"
#include "postling/message/Message.h"
#include "postling/shell/tests/win/FrameTestSupport.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

namespace {

const char kAboutTitle[] = "О программе V&S Post Sentry";
const char kNoticeTitle[] = "V&S Post Sentry: Повторный запуск";
const char kConfirmTitle[] = "Завершение работы V&S Post Sentry";
const char kSettingsTitle[] = "Настройки V&S Post Sentry";

// The WM_COMMAND messages the frame takes from the queue.
HWND g_frame = nullptr;
std::vector<WPARAM> g_posted;
LRESULT CALLBACK RecordPosted(int code, WPARAM removed, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code >= 0 && removed == PM_REMOVE && msg->message == WM_COMMAND && msg->hwnd == g_frame)
        g_posted.push_back(msg->wParam);
    return CallNextHookEx(nullptr, code, removed, lParam);
}

// How a user closes a dialog: a button, Esc on the focused control, the close box.
enum class Close { Button, EscapeKey, SystemClose };

class FrameDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        hook = SetWindowsHookExA(WH_GETMESSAGE, RecordPosted, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        OpenFrame();
    }
    void TearDown() override {
        if (IsWindow(frameWindow)) {
            app.SaveAllModified();
            Pump();
            frame->DestroyWindow();  // the frame deletes itself
        }
        Pump();
        UnhookWindowsHookEx(hook);
        app.m_pMainWnd = nullptr;
    }
    // The application's main window; the test drives no timers.
    void OpenFrame() {
        frame = new CMainFrame(app);
        ASSERT_TRUE(frame->CreateHidden());
        frame->KillTimer(kSchedulerTimer);
        frame->KillTimer(kIconTimer);
        app.m_pMainWnd = frame;
        g_frame = frameWindow = frame->m_hWnd;
        g_posted.clear();
        quit = false;
    }

    // The application's message loop for a while: dialog keys go through
    // the framework's pre-translation. WM_QUIT is noted, not obeyed.
    void Pump(DWORD milliseconds = 150) {
        const DWORD end = GetTickCount() + milliseconds;
        MSG msg;
        do {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quit = true;
                } else if (!app.PreTranslateMessage(&msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            Sleep(5);
        } while (GetTickCount() < end);
    }
    void Post(UINT message, WPARAM wParam = 0) {
        frame->PostMessage(message, wParam, 0);
        Pump();
    }
    // The one dialog of that title after the message came twice.
    HWND OpenedTwice(UINT message, WPARAM wParam, const char* title) {
        Post(message, wParam);
        Post(message, wParam);
        std::vector<HWND> dialogs = DialogsTitled(title);
        EXPECT_EQ(dialogs.size(), 1u) << title;
        return dialogs.empty() ? nullptr : dialogs[0];
    }
    void CloseBy(Close how, HWND dialog, int control) {
        HWND target = GetDlgItem(dialog, control);
        if (how == Close::Button) PostMessageA(target, BM_CLICK, 0, 0);
        if (how == Close::EscapeKey) PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        if (how == Close::SystemClose) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump();
    }
    // Shown, in front and focused, with the window's two icons.
    void ExpectInFront(HWND dialog, UINT smallIcon) {
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(GetForegroundWindow(), dialog);
        EXPECT_TRUE(IsChild(dialog, GetFocus()));
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)),
                  app.LoadIcon(smallIcon, GetSystemMetrics(SM_CXSMICON)));
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)),
                  app.LoadIcon(IDI_PROGRAM));
    }

    CPostlingApp app;
    CMainFrame* frame = nullptr;
    HWND frameWindow = nullptr;
    HHOOK hook = nullptr;
    bool quit = false;
};

TEST_F(FrameDialogs, AboutCommandShowsOneUnownedBoxWithMailLinksUntilItIsClosed) {
    for (Close how : {Close::Button, Close::EscapeKey, Close::SystemClose}) {
        SCOPED_TRACE(static_cast<int>(how));
        HWND box = OpenedTwice(WM_COMMAND, ID_APP_ABOUT, kAboutTitle);
        ASSERT_NE(frame->m_pAboutDlg, nullptr);
        ASSERT_EQ(frame->m_pAboutDlg->m_hWnd, box);
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        ExpectInFront(box, IDI_NEWMAIL);
        // The links are the box's objects on its two static texts.
        CAboutDlg& about = *frame->m_pAboutDlg;
        EXPECT_EQ(about.m_linkVarnek.m_strURL, "mailto:varnek@example.com?subject=About%20Post%20Sentry");
        EXPECT_EQ(about.m_linkSoltu.m_strURL, "mailto:soltu@example.com?subject=About%20Post%20Sentry");
        EXPECT_EQ(CWnd::FromHandlePermanent(GetDlgItem(box, IDC_ABOUT_LINK_VARNEK)), &about.m_linkVarnek);
        EXPECT_EQ(CWnd::FromHandlePermanent(GetDlgItem(box, IDC_ABOUT_LINK_SOLTU)), &about.m_linkSoltu);

        CloseBy(how, box, IDOK);
        EXPECT_FALSE(IsWindow(box));
        EXPECT_EQ(frame->m_pAboutDlg, nullptr);
    }
    EXPECT_TRUE(IsWindow(frameWindow));
}

TEST_F(FrameDialogs, SecondStartShowsOneCentredNoticeAndItsSettingsButtonReachesTheFrame) {
    const struct {
        Close how;
        int button;
        std::vector<WPARAM> posted;
    } cases[] = {
        {Close::Button, IDC_SECOND_INSTANCE_SETTINGS, {ID_SETTINGS}},
        {Close::Button, IDCANCEL, {}},
        {Close::SystemClose, IDCANCEL, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        HWND notice = OpenedTwice(RegisteredMessages::Get().startSecondInstance, 0, kNoticeTitle);
        ASSERT_NE(frame->m_pSecondInstanceDlg, nullptr);
        ASSERT_EQ(frame->m_pSecondInstanceDlg->m_hWnd, notice);
        EXPECT_EQ(GetWindow(notice, GW_OWNER), frameWindow);
        ExpectInFront(notice, IDI_PROGRAM);
        EXPECT_EQ(GetFocus(), GetDlgItem(notice, IDCANCEL));  // "Закрыть", the default button
        RECT rect, screen;
        GetWindowRect(notice, &rect);
        GetWindowRect(GetDesktopWindow(), &screen);
        EXPECT_NEAR(rect.left + rect.right, screen.left + screen.right, 1);
        EXPECT_NEAR(rect.top + rect.bottom, screen.top + screen.bottom, 1);

        g_posted.clear();
        CloseBy(c.how, notice, c.button);
        EXPECT_FALSE(IsWindow(notice));
        EXPECT_EQ(frame->m_pSecondInstanceDlg, nullptr);
        EXPECT_EQ(g_posted, c.posted);
    }
}

TEST_F(FrameDialogs, ExitAsksOnceWhenTheSettingsSayAndOnlyYesEndsTheFrame) {
    app.m_settings.m_dwOptions = OPT_CONFIRM_EXIT;
    const struct {
        Close how;
        int control;
    } keep[] = {{Close::Button, IDNO}, {Close::SystemClose, IDNO}, {Close::EscapeKey, IDYES}};
    for (const auto& c : keep) {
        SCOPED_TRACE(c.control);
        HWND dialog = OpenedTwice(WM_COMMAND, ID_EXIT, kConfirmTitle);
        ASSERT_NE(frame->m_pExitConfirmDlg, nullptr);
        ASSERT_EQ(frame->m_pExitConfirmDlg->m_hWnd, dialog);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
        ExpectInFront(dialog, IDI_NEWMAIL);
        EXPECT_EQ(reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, IDC_EXIT_CONFIRM_ICON, STM_GETICON, 0, 0)),
                  LoadIconA(nullptr, IDI_QUESTION));
        CloseBy(c.how, dialog, c.control);
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_EQ(frame->m_pExitConfirmDlg, nullptr);
        ASSERT_TRUE(IsWindow(frameWindow));
        EXPECT_FALSE(quit);
    }

    g_posted.clear();
    Post(WM_COMMAND, ID_EXIT);
    std::vector<HWND> dialogs = DialogsTitled(kConfirmTitle);
    ASSERT_EQ(dialogs.size(), 1u);
    CloseBy(Close::Button, dialogs[0], IDYES);
    EXPECT_FALSE(IsWindow(dialogs[0]));
    EXPECT_FALSE(IsWindow(frameWindow));
    EXPECT_TRUE(quit);
    EXPECT_EQ(g_posted, (std::vector<WPARAM>{ID_EXIT, ID_APP_EXIT}));
}

TEST_F(FrameDialogs, TheFrameworkExitAndAnUnconfirmedExitEndAtOnce) {
    const struct {
        std::uint32_t options;
        UINT command;
        std::vector<WPARAM> posted;
    } cases[] = {
        {0, ID_EXIT, {ID_EXIT, ID_APP_EXIT}},
        {~OPT_CONFIRM_EXIT, ID_EXIT, {ID_EXIT, ID_APP_EXIT}},
        {OPT_CONFIRM_EXIT, ID_APP_EXIT, {ID_APP_EXIT}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        if (!IsWindow(frameWindow)) OpenFrame();
        app.m_settings.m_dwOptions = c.options;
        Post(WM_COMMAND, c.command);
        EXPECT_FALSE(IsWindow(frameWindow));
        EXPECT_TRUE(quit);
        EXPECT_TRUE(DialogsTitled(kConfirmTitle).empty());
        EXPECT_EQ(g_posted, c.posted);
    }
}

TEST_F(FrameDialogs, EveryOpenDialogIsClosedBeforeTheMainWindowCloses) {
    app.m_settings.m_dwOptions = OPT_CONFIRM_EXIT;
    // At the session's end: the dialogs go, the frame stays.
    Post(WM_COMMAND, ID_APP_ABOUT);
    Post(RegisteredMessages::Get().startSecondInstance);
    Post(WM_COMMAND, ID_EXIT);
    ASSERT_NE(frame->m_pAboutDlg, nullptr);
    ASSERT_NE(frame->m_pSecondInstanceDlg, nullptr);
    ASSERT_NE(frame->m_pExitConfirmDlg, nullptr);
    EXPECT_EQ(frame->SendMessage(WM_QUERYENDSESSION, 0, 0), TRUE);
    Pump();
    EXPECT_EQ(frame->m_pAboutDlg, nullptr);
    EXPECT_EQ(frame->m_pSecondInstanceDlg, nullptr);
    EXPECT_EQ(frame->m_pExitConfirmDlg, nullptr);
    ASSERT_TRUE(IsWindow(frameWindow));

    // Closing the main window: the unowned dialogs do not outlive it.
    Post(WM_COMMAND, ID_APP_ABOUT);
    Post(WM_COMMAND, ID_EXIT);
    Post(WM_CLOSE);
    EXPECT_FALSE(IsWindow(frameWindow));
    for (const char* title : {kAboutTitle, kConfirmTitle})
        EXPECT_TRUE(DialogsTitled(title).empty()) << title;
}

// The settings command opens one unowned sheet; a rule from a message goes
// to its rules page; while one of its own dialogs is open, a rule from a
// message is refused with message 10022 and the sheet is left alone; at the
// session's end the sheet goes like the other dialogs.
TEST_F(FrameDialogs, SettingsSheetOpensOnceAndTakesRulesFromMessages) {
    HWND sheet = OpenedTwice(WM_COMMAND, ID_SETTINGS, kSettingsTitle);
    ASSERT_NE(frame->m_pSettings, nullptr);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowVisible(sheet));

    CMessage message;
    message.m_strSenderAddress = "ivan@example.ru";
    frame->CreateRuleFromMessage(message, RuleFieldSender);
    Pump();
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND rules = GetDlgItem(page, IDC_RULES_LIST);
    ASSERT_NE(rules, nullptr) << "the rules page is not the current page";
    const int last = static_cast<int>(SendMessageA(rules, LVM_GETITEMCOUNT, 0, 0)) - 1;
    ASSERT_GE(last, 0);
    char text[128] = {};
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(rules, LVM_GETITEMTEXTA, static_cast<WPARAM>(last), reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "ivan@example.ru");

    // A child dialog of the sheet: the account sheet, open while a timer
    // inside its loop asks for another rule.
    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    Pump();
    page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    static CMainFrame* s_frame;
    static CMessage* s_message;
    static bool s_childActive;
    static std::string s_refusal;
    s_frame = frame;
    s_message = &message;
    s_childActive = false;
    s_refusal.clear();
    SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        s_childActive = s_frame->m_pSettings && s_frame->m_pSettings->IsChildDialogActive();
        {
            MessageBoxAnswerer answerer(GetCurrentThreadId());
            s_frame->CreateRuleFromMessage(*s_message, RuleFieldSubject);
            s_refusal = answerer.Text();
        }
        for (HWND child : DialogsTitled("Добавление")) PostMessageA(child, WM_COMMAND, IDCANCEL, 0);
    });
    PostMessageA(GetDlgItem(page, IDC_ACCOUNTS_LIST), WM_KEYDOWN, VK_INSERT, 0x00520001);
    Pump(1500);
    EXPECT_TRUE(s_childActive);
    EXPECT_EQ(s_refusal.compare(0, 20, Cp1251("Невозможно создать п")), 0) << s_refusal;
    EXPECT_EQ(static_cast<int>(SendMessageA(rules, LVM_GETITEMCOUNT, 0, 0)) - 1, last);  // no new rule

    app.SaveAllModified();
    Pump();
    EXPECT_EQ(frame->m_pSettings, nullptr);
    EXPECT_FALSE(IsWindow(sheet));
}

}  // namespace
