// The errors window, opened through the main frame as the tray menu and an
// arriving error open it, with the program's application object as the
// frame's host: its state line and icon, its wrapped items, copying through
// its context menu, refreshing while open, and the ways it closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "postling/app/PostlingApp.h"
#include "postling/model/TextFormat.h"
#include "postling/shell/ErrorsDlg.h"
#include "postling/shell/tests/win/FrameTestSupport.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

namespace {

const char kTitle[] = "V&S Post Sentry: Ошибки";
const char kErrorsText[] = "Во время последней проверки почты произошли ошибки. Подробности см. ниже:";
const char kNoErrorsText[] = "Во время последней проверки почты ошибок не произошло.";
const char kLongText[] =
    "Не удалось установить соединение с сервером pop.example.ru: сервер не ответил за отведённое "
    "время. Проверьте имя сервера и номер порта в настройках учётной записи, а также подключение "
    "к сети; следующая проверка будет выполнена по расписанию, а эта запись останется в списке до "
    "истечения срока хранения ошибок.";

// The popup menu a right click opened: its items as shown, then the key
// the user presses (VK_RETURN chooses the first item, VK_ESCAPE closes).
struct MenuSeen {
    HWND owner = nullptr;
    WPARAM key = VK_ESCAPE;
    int popups = 0;
    int count = 0;
    std::string text;
    bool grayed = false;
} g_menu;

LRESULT CALLBACK WatchMenus(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code >= 0 && call->message == WM_INITMENUPOPUP && call->hwnd == g_menu.owner) {
        // After the window's own handling: the command state is set.
        HMENU popup = reinterpret_cast<HMENU>(call->wParam);
        char text[64] = {};
        GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
        ++g_menu.popups;
        g_menu.count = GetMenuItemCount(popup);
        g_menu.text = text;
        g_menu.grayed = (GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED) != 0;
        if (g_menu.key == VK_RETURN) PostMessageA(call->hwnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(call->hwnd, WM_KEYDOWN, g_menu.key, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<not opened>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

// How a user closes the window; the program's exit; the frame going.
enum class Close { Button, EscapeKey, WindowMenu, Exit, FrameGone };

class ErrorsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchMenus, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        g_menu = MenuSeen();
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
        app.m_sink.SetFrame(nullptr);
        app.m_pMainWnd = nullptr;
    }
    // The application's main window, which takes the checks' errors; the
    // test drives no timers.
    void OpenFrame() {
        frame = new CMainFrame(app);
        ASSERT_TRUE(frame->CreateHidden());
        frame->KillTimer(kSchedulerTimer);
        frame->KillTimer(kIconTimer);
        app.m_pMainWnd = frame;
        app.m_sink.SetFrame(frame->m_hWnd);
        frameWindow = frame->m_hWnd;
    }

    // The application's message loop for a while, dialog keys included.
    void Pump(DWORD milliseconds = 150) {
        const DWORD end = GetTickCount() + milliseconds;
        MSG msg;
        do {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT && !app.PreTranslateMessage(&msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            Sleep(5);
        } while (GetTickCount() < end);
    }

    // A record as a checking thread reports it: through the frame's message.
    void Report(int kind, const char* text, CAccount* account = nullptr) {
        app.m_sink.PostAddError(std::make_unique<ErrorRecord>(kind, Cp1251(text), account));
        Pump();
    }
    // The tray menu's "Ошибки..." twice: one window, which the frame holds.
    HWND OpenFromTray() {
        for (int i = 0; i < 2; ++i) {
            frame->PostMessage(WM_COMMAND, ID_ERRORS, 0);
            Pump();
        }
        std::vector<HWND> windows = DialogsTitled(kTitle);
        EXPECT_EQ(windows.size(), 1u);
        if (windows.empty() || !frame->m_pErrorsDlg) return nullptr;
        EXPECT_EQ(frame->m_pErrorsDlg->m_hWnd, windows[0]);
        list = GetDlgItem(windows[0], IDC_ERRORS_LIST);
        return windows[0];
    }
    void CloseBy(Close how, HWND window) {
        if (how == Close::Button) PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
        if (how == Close::EscapeKey) PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        if (how == Close::WindowMenu) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (how == Close::Exit) app.SaveAllModified();
        if (how == Close::FrameGone) frame->DestroyWindow();
        Pump();
    }

    int Selected() { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }
    // The height of `text` in the list's font, wrapped into `width`.
    int TextHeight(const std::string& text, int width) {
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
        RECT rect = {0, 0, width, 0};
        const int height = DrawTextA(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        return height;
    }
    int Height(int item) { return static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, item, 0)); }
    POINT ItemPoint(int item) {
        RECT rect = {};
        SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void Click(int item) {
        POINT p = ItemPoint(item);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump();
    }
    // A right click on the item, the menu's item read, then `key` pressed.
    void RightClick(int item, WPARAM key) {
        g_menu.owner = GetParent(list);
        g_menu.key = key;
        g_menu.popups = 0;
        POINT p = ItemPoint(item);
        PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump(300);
        EXPECT_EQ(g_menu.popups, 1);
        EXPECT_EQ(g_menu.count, 1);
        EXPECT_EQ(g_menu.text, Cp1251("Копировать"));
    }
    // The list shows the application's records in order; the state line
    // and its icon say whether one is an error.
    void ExpectShown(HWND window, bool errors) {
        HWND shown = GetDlgItem(window, IDC_ERRORS_LIST);
        ASSERT_EQ(SendMessageA(shown, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(app.m_errors.size()));
        for (std::size_t i = 0; i < app.m_errors.size(); ++i)
            EXPECT_EQ(SendMessageA(shown, LB_GETITEMDATA, i, 0), reinterpret_cast<LRESULT>(app.m_errors[i].get()));
        char text[256] = {};
        GetDlgItemTextA(window, IDC_ERRORS_STATE, text, sizeof text);
        EXPECT_EQ(text, Cp1251(errors ? kErrorsText : kNoErrorsText));
        EXPECT_EQ(reinterpret_cast<HICON>(SendDlgItemMessageA(window, IDC_ERRORS_ICON, STM_GETICON, 0, 0)),
                  errors ? LoadIconA(nullptr, IDI_ERROR) : app.LoadIcon(IDI_PROGRAM));
    }

    CPostlingApp app;
    CMainFrame* frame = nullptr;
    HWND frameWindow = nullptr;
    HWND list = nullptr;
    HHOOK hook = nullptr;
};

TEST_F(ErrorsWindow, TheTrayCommandShowsOneWindowOfTheRecordsUntilItIsClosed) {
    EXPECT_TRUE(frame->IsCommandEnabled(ID_ERRORS));
    const struct {
        std::vector<int> kinds;
        bool errors;
        Close how;
    } cases[] = {
        {{}, false, Close::Button},
        {{ErrorRecord::kMessage, ErrorRecord::kWarning}, false, Close::EscapeKey},  // e.g. a deleted message
        {{ErrorRecord::kMessage, ErrorRecord::kError, ErrorRecord::kWarning}, true, Close::WindowMenu},
        {{ErrorRecord::kError}, true, Close::Exit},
        {{ErrorRecord::kWarning}, false, Close::FrameGone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.how));
        app.m_errors.clear();
        for (int kind : c.kinds) app.m_errors.push_back(std::make_unique<ErrorRecord>(kind, "x", nullptr));
        HWND window = OpenFromTray();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
        EXPECT_EQ(GetForegroundWindow(), window);
        EXPECT_TRUE(IsChild(window, GetFocus()));
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)), app.LoadIcon(IDI_NEWMAIL));
        ExpectShown(window, c.errors);

        CloseBy(c.how, window);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(DialogsTitled(kTitle).empty());
        // The frame's hold ends with the window; the frame stays unless it went.
        EXPECT_EQ(IsWindow(frameWindow) != FALSE, c.how != Close::FrameGone);
        if (c.how != Close::FrameGone) {
            EXPECT_EQ(frame->m_pErrorsDlg, nullptr);
        }
    }
}

TEST_F(ErrorsWindow, ItemsAreAsTallAsTheirWrappedTextWithTheKindsIcons) {
    Report(ErrorRecord::kMessage, "Сообщение «Отчёт за май» удалено с сервера.");
    Report(ErrorRecord::kWarning, kLongText);
    Report(ErrorRecord::kError, "Сервер отверг пароль учётной записи «Почта».");
    HWND window = OpenFromTray();
    ASSERT_NE(window, nullptr);
    ExpectShown(window, true);
    const int line = TextHeight("x", 1000);
    ASSERT_GT(line, 0);
    for (int item : {0, 2}) EXPECT_EQ(Height(item), std::max(18, line + 5)) << item;
    EXPECT_GE(Height(1), 3 * line + 5);         // three lines at least
    EXPECT_EQ((Height(1) - 5) % line, 0);       // whole lines
    Click(1);
    EXPECT_EQ(Selected(), 1);
    // To look at it: POSTLING_TEST_HOLD_MS keeps the window up.
    char hold[16] = {};
    if (GetEnvironmentVariableA("POSTLING_TEST_HOLD_MS", hold, sizeof hold)) Pump(atoi(hold));

    // Records of every length while it is open, enough for the scroll bar:
    // each item still holds all its lines at the width it is drawn in.
    RECT before = {}, after = {};
    GetClientRect(list, &before);
    std::string words;
    for (int i = 0; i < 40; ++i) {
        words += "проверка ";
        if (i >= 24) Report(ErrorRecord::kWarning, words.c_str());
    }
    GetClientRect(list, &after);
    ASSERT_LT(after.right, before.right);
    for (int item = 0; item < static_cast<int>(app.m_errors.size()); ++item)
        EXPECT_GE(Height(item), TextHeight(app.m_errors[item]->m_strText, after.right - 22) + 5) << item;
}

TEST_F(ErrorsWindow, TheContextMenuCopiesTheSelectedRecordOnly) {
    Report(ErrorRecord::kWarning, "Первая запись");
    Report(ErrorRecord::kError, "Вторая запись: «ошибка»");
    HWND window = OpenFromTray();
    ASSERT_NE(window, nullptr);
    const std::string before = "before";
    SetClipboardText(before);

    // Nothing selected: the item is disabled and the command copies nothing.
    ASSERT_EQ(Selected(), LB_ERR);
    RightClick(0, VK_ESCAPE);
    EXPECT_TRUE(g_menu.grayed);
    SendMessageA(window, WM_COMMAND, ID_EDIT_COPY, 0);
    Pump();
    EXPECT_EQ(ClipboardText(), before);

    for (int item : {1, 0}) {
        SCOPED_TRACE(item);
        Click(item);
        ASSERT_EQ(Selected(), item);
        RightClick(item, VK_RETURN);
        EXPECT_FALSE(g_menu.grayed);
        EXPECT_EQ(ClipboardText(), app.m_errors[item]->m_strText);
    }
    // The records carry the time in front of the text.
    EXPECT_NE(app.m_errors[1]->m_strText.find(Cp1251(" - Вторая запись: «ошибка»")), std::string::npos);
}

TEST_F(ErrorsWindow, ChangesOfTheErrorListRefillTheOpenWindow) {
    CAccount& account = *app.m_accounts.Add(std::make_unique<CAccount>());
    account.m_dwOptions |= CAccount::OPT_REPORT_ERRORS;

    // A warning of an account that reports errors opens nothing; its error
    // opens the window.
    Report(ErrorRecord::kWarning, "Предупреждение", &account);
    EXPECT_EQ(frame->m_pErrorsDlg, nullptr);
    Report(ErrorRecord::kError, "Ошибка", &account);
    ASSERT_NE(frame->m_pErrorsDlg, nullptr);
    HWND window = frame->m_pErrorsDlg->m_hWnd;
    EXPECT_TRUE(IsWindowVisible(window));
    ExpectShown(window, true);

    // Records of another account come in while it is open.
    Report(ErrorRecord::kMessage, "Сообщение удалено с сервера");
    ExpectShown(window, true);

    // The account's next check drops its old records: the window follows.
    const TimeValue stamped = app.m_errors[1]->m_time;
    FakeClock clock;
    clock.now = stamped + std::int64_t{app.m_settings.m_nErrorSaveTime} * 3600 + 10;
    frame->SendMessage(RegisteredMessages::Get().clearMessages, 0, reinterpret_cast<LPARAM>(&account));
    Pump();
    ASSERT_EQ(app.m_errors.size(), 1u);
    ExpectShown(window, false);
    EXPECT_EQ(DialogsTitled(kTitle).size(), 1u);
}

}  // namespace
