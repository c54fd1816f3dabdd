// The message list window opened through the main frame, over accounts
// holding Russian messages in memory, driven as a user drives it: clicks
// on rows, headers and toolbar buttons, keys through the window's
// accelerators, its context menu, the header view it opens, message boxes
// read and dismissed, and its settings in the real Wine registry.
// MAILLIST_TEST_HOLD_MS: holds the first window of the screenshot test on
// screen that long, for a screenshot taken from outside.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/WinApp.h"
#include "postling/model/RegistryProfileStore.h"
#include "postling/shell/MailList.h"
#include "postling/shell/tests/win/FrameTestSupport.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

namespace {

const char kRegistryRoot[] = "Software\\Postling Tests\\Mail List";
constexpr int kListId = 59648;

// A main frame that records the rules asked of it.
class ListFrame : public CMainFrame {
public:
    using CMainFrame::CMainFrame;
    bool m_canCreateRule = false;
    std::vector<std::pair<std::string, RuleField>> m_rules;  // message id, field
    std::vector<std::string> m_tips;

    bool CanCreateRule() const override { return m_canCreateRule; }
    void CreateRuleFromMessage(const CMessage& message, RuleField field) override {
        m_rules.emplace_back(message.m_strMessageId, field);
    }

protected:
    void StartMailer() override {}
    bool IsTipShown() const override { return false; }
    void ShowTip(const std::string& text) override { m_tips.push_back(text); }
};

// The first visible dialog of a thread (a message box, the header view)
// while that thread runs its modal loop: its title and the text of one of
// its controls, then the command that closes it.
class DialogReader {
public:
    DialogReader(DWORD thread, int control, WPARAM command,
                 std::function<void(HWND)> before = nullptr)
        : m_thread(thread), m_control(control), m_command(command), m_before(std::move(before)),
          m_worker([this] { Run(); }) {}
    ~DialogReader() {
        m_stop = true;
        m_worker.join();
    }
    bool Seen() const { return m_done; }
    std::string Title() const { return m_done ? m_title : std::string(); }
    std::string Text() const { return m_done ? m_text : std::string(); }

private:
    void Run() {
        for (int i = 0; i < 500 && !m_stop && !m_done; ++i) {
            EnumThreadWindows(m_thread, &DialogReader::Visit, reinterpret_cast<LPARAM>(this));
            Sleep(10);
        }
    }
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
        auto* me = reinterpret_cast<DialogReader*>(self);
        char name[32] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
        std::vector<char> buffer(65536);
        GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
        me->m_title = buffer.data();
        buffer[0] = '\0';
        GetDlgItemTextA(window, me->m_control, buffer.data(), static_cast<int>(buffer.size()));
        me->m_text = buffer.data();
        if (me->m_before) me->m_before(window);
        me->m_done = true;
        PostMessageA(window, WM_COMMAND, me->m_command, 0);
        return FALSE;
    }

    DWORD m_thread;
    int m_control;
    WPARAM m_command;
    std::function<void(HWND)> m_before;
    std::string m_title, m_text;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

// The popup menu last opened by the window: its items and default item;
// Escape closes it.
struct MenuSeen {
    HWND owner = nullptr;
    int popups = 0;
    std::vector<std::string> items;
    UINT defaultItem = 0;
} g_menu;

LRESULT CALLBACK WatchMenus(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code >= 0 && call->message == WM_INITMENUPOPUP && call->hwnd == g_menu.owner) {
        HMENU popup = reinterpret_cast<HMENU>(call->wParam);
        ++g_menu.popups;
        g_menu.items.clear();
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            char text[128] = {};
            GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            g_menu.items.push_back(text);
        }
        g_menu.defaultItem = GetMenuDefaultItem(popup, FALSE, 0);
        PostMessageA(call->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD RegistryInt(const char* section, const char* entry) {
    const std::string key = std::string(kRegistryRoot) + "\\" + section;
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, key.c_str(), entry, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::string RegistryString(const char* section, const char* entry) {
    const std::string key = std::string(kRegistryRoot) + "\\" + section;
    char value[256] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), entry, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

struct Mail {
    const char* sender;
    const char* subject;
    const char* id;
    std::int32_t size;
    TimeValue sent;
    bool seen;
};

class MailListTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryRoot);
        app.SetProfileStore(&store);
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchMenus, nullptr, GetCurrentThreadId());
        auto scheduler = std::make_unique<TestScheduler>(host.GetAccounts(), host.GetSettings());
        sched = scheduler.get();
        frame = new ListFrame(host, std::move(scheduler));
        ASSERT_TRUE(frame->CreateHidden());
        frame->KillTimer(kSchedulerTimer);
        frame->KillTimer(kIconTimer);
        app.m_pMainWnd = frame;
    }
    void TearDown() override {
        if (frame && IsWindow(frame->m_hWnd)) frame->DestroyWindow();  // takes the list along
        Pump(50);
        UnhookWindowsHookEx(hook);
        app.m_pMainWnd = nullptr;
        app.SetProfileStore(nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryRoot);
    }

    // The application's message loop for a while: accelerators, idle updates.
    void Pump(DWORD milliseconds = 120) {
        const DWORD end = GetTickCount() + milliseconds;
        MSG msg;
        do {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT && !app.PreTranslateMessage(&msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            app.OnIdle(0);
            Sleep(5);
        } while (GetTickCount() < end);
    }

    CAccount& Account(const char* name, const std::vector<Mail>& mails) {
        CAccount& account = host.AddAccount(Cp1251(name));
        for (const Mail& mail : mails) Add(account, mail);
        return account;
    }
    static void Add(CAccount& account, const Mail& mail) {
        auto message = std::make_unique<CMessage>();
        message->m_strSenderName = Cp1251(mail.sender);
        message->m_strSubject = Cp1251(mail.subject);
        message->m_strMessageId = mail.id;
        message->m_strHeader = "From: x\r\nSubject: " + Cp1251(mail.subject) + "\r\nMessage-ID: " + mail.id + "\r\n";
        message->m_nSize = mail.size;
        message->m_timeSent = mail.sent;
        message->m_timeReceived = mail.sent + 60;
        message->m_bSeen = mail.seen ? 1 : 0;
        message->m_nReaction = 2;
        std::lock_guard<std::recursive_mutex> lock(account.m_lock);
        account.m_messages.push_back(std::move(message));
    }
    // Four messages of two accounts, of every kind of row once marked.
    void TypicalMailbox() {
        Account("Работа", {{"Иван Петров", "Отчёт за квартал", "<r1@corp.ru>", 18230, 1700000000, true},
                           {"Ольга Смирнова", "Встреча в пятницу", "<r2@corp.ru>", 2400, 1700100000, false}});
        Account("Дом", {{"Мама", "Привет!", "<h1@mail.ru>", 999, 1700200000, false},
                        {"Банк", "Выписка по счёту", "<h2@bank.ru>", 1250000, 1699900000, true}});
    }

    // The tray's "Письма..." command: the one window, shown and focused.
    HWND Open() {
        frame->PostMessage(WM_COMMAND, ID_MAIL_LIST, 0);
        Pump();
        if (!frame->m_pMailList) return nullptr;
        window = frame->m_pMailList->m_hWnd;
        list = GetDlgItem(window, kListId);
        return window;
    }
    CMailList& Window() { return *frame->m_pMailList; }

    int RowCount() { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int row, int column) {
        char text[256] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < RowCount(); ++row) texts.push_back(Cell(row, column));
        return texts;
    }
    int Image(int row) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    const CMessage* Data(int row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return reinterpret_cast<const CMessage*>(item.lParam);
    }
    int Selected() { return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }
    int RowOf(const char* subject) {
        for (int row = 0; row < RowCount(); ++row)
            if (Cell(row, 1) == Cp1251(subject)) return row;
        return -1;
    }

    POINT RowPoint(int row) {
        RECT rect = {};
        rect.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
        return {rect.left + 10, (rect.top + rect.bottom) / 2};
    }
    void Click(int row, bool twice = false) {
        POINT p = RowPoint(row);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        if (twice) {
            PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        }
        Pump();
    }
    void Key(WPARAM key) {
        PostMessageA(list, WM_KEYDOWN, key, 1);
        PostMessageA(list, WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    void ClickHeader(int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        RECT rect = {};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&rect));
        const LPARAM at = MAKELPARAM(rect.left + 12, (rect.top + rect.bottom) / 2);
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(header, WM_LBUTTONUP, 0, at);
        Pump();
    }
    HWND Toolbar() { return Window().m_toolBar.m_hWnd; }
    bool ButtonEnabled(UINT id) {
        return (SendMessageA(Toolbar(), TB_GETSTATE, id, 0) & TBSTATE_ENABLED) != 0;
    }
    void ClickButton(UINT id) {
        RECT rect = {};
        SendMessageA(Toolbar(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageA(Toolbar(), WM_MOUSEMOVE, 0, at);
        PostMessageA(Toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(Toolbar(), WM_LBUTTONUP, 0, at);
        Pump(200);
    }
    bool Unseen() {
        for (auto& account : host.GetAccounts())
            for (auto& message : account->m_messages)
                if (message->m_bSeen == 0) return true;
        return false;
    }

    CWinApp app{"Varnek & Soltu Post Sentry"};
    RegistryProfileStore store{kRegistryRoot};
    FakeHost host;
    TestScheduler* sched = nullptr;
    ListFrame* frame = nullptr;
    HWND window = nullptr;
    HWND list = nullptr;
    HHOOK hook = nullptr;
};

}  // namespace

// First: Wine without a window manager fails its X calls when a maximised
// window is destroyed after other windows of the process came and went.
TEST_F(MailListTest, PlacementColumnsOrderAndBarsComeBackFromTheRegistry) {
    TypicalMailbox();
    ASSERT_NE(Open(), nullptr);
    ClickHeader(5);  // by size
    ClickHeader(5);  // descending
    SetWindowPos(window, nullptr, 50, 60, 700, 400, SWP_NOZORDER);
    ListView_SetColumnWidth(list, 1, 260);
    int order[] = {1, 0, 2, 3, 4, 5};
    ListView_SetColumnOrderArray(list, 6, order);
    PostMessageA(window, WM_COMMAND, ID_VIEW_TOOLBAR, 0);  // the View menu hides the toolbar
    Pump();
    EXPECT_FALSE(IsWindowVisible(Toolbar()));
    ShowWindow(window, SW_MAXIMIZE);
    Pump();
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    ASSERT_FALSE(IsWindow(window));

    EXPECT_EQ(RegistryInt("Mail window", "Left"), 50u);
    EXPECT_EQ(RegistryInt("Mail window", "Righr"), 750u);
    EXPECT_EQ(RegistryInt("Mail window", "Top"), 60u);
    EXPECT_EQ(RegistryInt("Mail window", "Bottom"), 460u);
    EXPECT_EQ(RegistryInt("Mail window", "Zoomed"), 1u);
    EXPECT_EQ(RegistryString("Settings", "Mail List Sort Order"), "5,1");
    EXPECT_EQ(RegistryString("Settings", "Columns-59648").substr(0, 8), "100,260,");
    EXPECT_EQ(RegistryString("Settings", "Order-59648"), "1,0,2,3,4,5,");
    EXPECT_EQ(RegistryInt("Settings-Bar0", "BarID") == AFX_IDW_TOOLBAR ? RegistryInt("Settings-Bar0", "Visible")
                                                                       : RegistryInt("Settings-Bar1", "Visible"),
              0u);

    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(IsZoomed(window));
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 50);
    EXPECT_EQ(placement.rcNormalPosition.right, 750);
    EXPECT_EQ(placement.rcNormalPosition.top, 60);
    EXPECT_EQ(placement.rcNormalPosition.bottom, 460);
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 260);
    int shown[6] = {};
    ListView_GetColumnOrderArray(list, 6, shown);
    EXPECT_EQ(std::vector<int>(shown, shown + 6), std::vector<int>(order, order + 6));
    EXPECT_EQ(Column(5), (std::vector<std::string>{"1.19 Mb", "17.8 Kb", "2.34 Kb", "999 b."}));
    EXPECT_FALSE(IsWindowVisible(Toolbar()));
    EXPECT_TRUE(IsWindowVisible(Window().m_statusBar.m_hWnd));

    // Restored, closed, reopened: shown normally.
    ShowWindow(window, SW_RESTORE);
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_EQ(RegistryInt("Mail window", "Zoomed"), 0u);
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(IsZoomed(window));
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.bottom, 460);
}

TEST_F(MailListTest, RowsShowEveryMessageWithItsIconsTitlesAndTexts) {
    TypicalMailbox();
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(frame->IsCommandEnabled(ID_MAIL_LIST));
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_EQ(std::string(title), "V&S Post Sentry - " + Cp1251("Список писем"));
    EXPECT_EQ(GetWindow(window, GW_OWNER), frame->m_hWnd);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)),
              LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_NEWMAIL)));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetFocus(), list);
    // The command again brings the same window.
    frame->PostMessage(WM_COMMAND, ID_MAIL_LIST, 0);
    Pump();
    EXPECT_EQ(frame->m_pMailList->m_hWnd, window);

    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const char* titles[] = {"От", "Тема", "Отправлено", "Получено", "Учетная запись", "Размер"};
    ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) {
        char text[64] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(std::string(text), Cp1251(titles[i]));
    }
    // Sorted by subject, ascending, at first; one row per message.
    ASSERT_EQ(RowCount(), 4);
    EXPECT_EQ(Column(1), (std::vector<std::string>{Cp1251("Встреча в пятницу"), Cp1251("Выписка по счёту"),
                                                   Cp1251("Отчёт за квартал"), Cp1251("Привет!")}));
    const int greeting = RowOf("Привет!");
    EXPECT_EQ(Cell(greeting, 0), Cp1251("Мама"));
    EXPECT_EQ(Cell(greeting, 4), Cp1251("Дом"));
    EXPECT_EQ(Cell(greeting, 5), "999 b.");
    EXPECT_EQ(Cell(RowOf("Выписка по счёту"), 5), "1.19 Mb");
    // Texts reach the list in Unicode, the header texts from code page 1251
    // whatever the system's code page is.
    EXPECT_EQ(SendMessageW(list, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(window), NF_REQUERY), NFR_UNICODE);
    wchar_t wide[64] = {};
    LVITEMW cell = {};
    cell.iSubItem = 1;
    cell.pszText = wide;
    cell.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(greeting), reinterpret_cast<LPARAM>(&cell));
    EXPECT_EQ(std::wstring(wide), L"\x41F\x440\x438\x432\x435\x442!");  // "Привет!"
    std::tm local = {};
    ASSERT_TRUE(ToLocalTime(1700200000, local));
    char sent[32];
    std::strftime(sent, sizeof sent, "%d.%m.%Y %H:%M", &local);
    EXPECT_EQ(Cell(greeting, 2), sent);
    EXPECT_EQ(Image(greeting), CMailList::kImageNew);
    EXPECT_EQ(Image(RowOf("Отчёт за квартал")), CMailList::kImageRead);

    // Marked rows: a new one and a read one.
    Click(greeting);
    Key(VK_DELETE);
    Click(RowOf("Отчёт за квартал"));
    Key(VK_DELETE);
    EXPECT_EQ(Image(greeting), CMailList::kImageMarkedNew);
    EXPECT_EQ(Image(RowOf("Отчёт за квартал")), CMailList::kImageMarked);
    ClickHeader(5);
    ClickHeader(5);
    EXPECT_EQ(Column(5), (std::vector<std::string>{"1.19 Mb", "17.8 Kb", "2.34 Kb", "999 b."}));
    if (const char* hold = std::getenv("MAILLIST_TEST_HOLD_MS")) {
        SetWindowPos(window, nullptr, 20, 20, 800, 300, SWP_NOZORDER);
        Pump(static_cast<DWORD>(std::atoi(hold)));
    }
}

TEST_F(MailListTest, SizesAndTimesReadAsTheTableSays) {
    const struct {
        std::int32_t size;
        const char* text;
    } sizes[] = {
        {0, "0 b."},           {999, "999 b."},          {1000, "0.98 Kb"},       {1024, "1 Kb"},
        {1536, "1.5 Kb"},      {999999, "976.56 Kb"},    {1000000, "0.95 Mb"},    {1048576, "1 Mb"},
        {INT32_MAX, "2048 Mb"}, {-1, ""},  // a size the server never gave shows nothing
    };
    for (const auto& c : sizes) EXPECT_EQ(CMailListCtrl::FormatSize(c.size), c.text) << c.size;
    EXPECT_EQ(CMailListCtrl::FormatTime(kTimeInvalid), "");
    EXPECT_EQ(CMailListCtrl::FormatTime(INT32_MIN), "");
    EXPECT_EQ(CMailListCtrl::FormatTime(1000000000).size(), 16u);  // dd.mm.yyyy hh:mm

    // In the window: every size in its row.
    std::vector<Mail> mails;
    for (const auto& c : sizes) mails.push_back({"Отправитель", c.text, "<id>", c.size, kTimeInvalid, true});
    Account("Размеры", mails);
    ASSERT_NE(Open(), nullptr);
    for (const auto& c : sizes) {
        const int row = RowOf(c.text);
        ASSERT_GE(row, 0) << c.text;
        EXPECT_EQ(Cell(row, 5), c.text);
        EXPECT_EQ(Cell(row, 2), "");
    }
}

TEST_F(MailListTest, TheStoredSortOrderIsReadClampedAndTheRowsFollowIt) {
    TypicalMailbox();
    const struct {
        const char* stored;
        int column;
        bool descending;
        std::vector<std::string> rows;  // of that column
    } cases[] = {
        {"9,5", 5, true, {"1.19 Mb", "17.8 Kb", "2.34 Kb", "999 b."}},
        {"-3,0", 0, false, {Cp1251("Банк"), Cp1251("Иван Петров"), Cp1251("Мама"), Cp1251("Ольга Смирнова")}},
        {"2,1", 2, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        app.WriteProfileString("Settings", "Mail List Sort Order", c.stored);
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Window().m_list.GetSortColumn(), c.column);
        EXPECT_EQ(Window().m_list.IsSortDescending() != FALSE, c.descending);
        if (!c.rows.empty()) {
            EXPECT_EQ(Column(c.column), c.rows);
        }
        // Sent times as numbers, newest first.
        if (c.column == 2) {
            for (int row = 1; row < RowCount(); ++row) EXPECT_GE(Data(row - 1)->m_timeSent, Data(row)->m_timeSent);
        }
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, c.column, reinterpret_cast<LPARAM>(&item));
        EXPECT_TRUE(item.fmt & HDF_BITMAP);  // the arrow
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump();
        EXPECT_EQ(frame->m_pMailList, nullptr);
    }
}

TEST_F(MailListTest, MarkingRefreshingAndUnmarkingLeaveNoMark) {
    TypicalMailbox();
    ASSERT_NE(Open(), nullptr);
    CRuleBook& rules = host.GetRules();
    // Nothing marked: "Удалить отмеченные" is disabled, in the toolbar too.
    EXPECT_FALSE(Window().IsCommandEnabled(ID_MAILLIST_DELETE_MARKED));
    EXPECT_FALSE(ButtonEnabled(ID_MAILLIST_DELETE_MARKED));
    EXPECT_FALSE(ButtonEnabled(ID_MAILLIST_MARK));  // nothing selected

    Click(RowOf("Встреча в пятницу"));
    EXPECT_TRUE(ButtonEnabled(ID_MAILLIST_MARK));
    Key(VK_DELETE);
    EXPECT_TRUE(rules.HasMark("<r2@corp.ru>"));
    EXPECT_TRUE(ButtonEnabled(ID_MAILLIST_DELETE_MARKED));

    // A refresh after a check keeps the mark of a message still listed.
    frame->RefreshAndNotify();
    Pump();
    EXPECT_EQ(Image(RowOf("Встреча в пятницу")), CMailList::kImageMarkedNew);
    EXPECT_EQ(rules.GetMarkCount(), 1u);

    Click(RowOf("Встреча в пятницу"));
    ClickButton(ID_MAILLIST_MARK);
    EXPECT_EQ(rules.GetMarkCount(), 0u);
    EXPECT_EQ(Image(RowOf("Встреча в пятницу")), CMailList::kImageNew);
    EXPECT_FALSE(ButtonEnabled(ID_MAILLIST_DELETE_MARKED));

    // A mark whose message is gone from the server goes at the next refresh.
    Click(RowOf("Привет!"));
    Key(VK_DELETE);
    host.GetAccounts()[1].m_messages.erase(host.GetAccounts()[1].m_messages.begin());
    frame->RefreshAndNotify();
    Pump();
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(rules.GetMarkCount(), 0u);

    // A message without an identifier cannot be told apart: it takes no mark.
    Add(host.GetAccounts()[0], {"Без имени", "Без идентификатора", "", 10, 1700000000, true});
    frame->RefreshAndNotify();
    Pump();
    Click(RowOf("Без идентификатора"));
    Key(VK_DELETE);
    EXPECT_EQ(Image(RowOf("Без идентификатора")), CMailList::kImageRead);
    EXPECT_FALSE(ButtonEnabled(ID_MAILLIST_DELETE_MARKED));
}

TEST_F(MailListTest, DeletingMarkedMessagesChecksTheirAccountsNowOrSaysWhichAreBusy) {
    // Two accounts of one name: the first of them owns the marked copies.
    CAccount& first = Account("Почта", {{"Пётр", "Первое", "<a1@x.ru>", 100, 1700000000, true}});
    CAccount& second = Account("Почта", {{"Павел", "Второе", "<b1@x.ru>", 100, 1700000000, true}});
    CAccount& busy = Account("Занятая", {{"Анна", "Третье", "<c1@x.ru>", 100, 1700000000, true}});
    ASSERT_NE(Open(), nullptr);
    Click(RowOf("Второе"));
    Key(VK_DELETE);
    ClickButton(ID_MAILLIST_DELETE_MARKED);
    EXPECT_EQ(sched->m_started, std::vector<std::string>{Cp1251("Почта")});
    EXPECT_TRUE(first.IsBusy());
    EXPECT_FALSE(second.IsBusy());
    EXPECT_EQ(RowCount(), 3);  // the rows stay until the check has deleted

    // An account being checked: the others are checked at once, then the box.
    first.m_bChecking = 0;
    busy.m_bChecking = 1;
    sched->m_started.clear();
    Click(RowOf("Третье"));
    Key(VK_DELETE);
    {
        DialogReader box(GetCurrentThreadId(), 0xFFFF, IDOK);
        ClickButton(ID_MAILLIST_DELETE_MARKED);
        for (int i = 0; i < 50 && !box.Seen(); ++i) Pump(100);
        ASSERT_TRUE(box.Seen());
        EXPECT_EQ(box.Text(), Cp1251("Для некоторых из учетных записей в данный момент выполняется проверка почты. "
                                     "Если не все письма, помеченные для удаления, будут удалены, повторите "
                                     "попытку позже."));
    }
    EXPECT_EQ(sched->m_started, std::vector<std::string>{Cp1251("Почта")});
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MailListTest, TheSelectedMessageStaysSelectedWhenARefreshMovesIt) {
    TypicalMailbox();
    ASSERT_NE(Open(), nullptr);
    Click(RowOf("Привет!"));
    const int before = Selected();
    ASSERT_EQ(Cell(before, 1), Cp1251("Привет!"));
    // New messages sort before it.
    Add(host.GetAccounts()[0], {"Сергей", "Акт сверки", "<r3@corp.ru>", 500, 1700300000, false});
    Add(host.GetAccounts()[0], {"Сергей", "Бюджет", "<r4@corp.ru>", 500, 1700300000, false});
    frame->RefreshAndNotify();
    Pump();
    EXPECT_EQ(RowCount(), 6);
    EXPECT_EQ(Selected(), before + 2);
    EXPECT_EQ(Cell(Selected(), 1), Cp1251("Привет!"));
}

TEST_F(MailListTest, EscapeMinimisesAndTheWayOfClosingDecidesWhetherTheMailStaysNew) {
    TypicalMailbox();
    frame->RefreshAndNotify();
    ASSERT_TRUE(frame->IsBlinking());
    // Esc: minimised, and the messages count as seen.
    ASSERT_NE(Open(), nullptr);
    Key(VK_ESCAPE);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(Unseen());
    EXPECT_FALSE(frame->IsBlinking());
    // Back from the taskbar, then closed.
    PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsIconic(window));
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();

    const struct {
        const char* how;
        std::function<void()> close;
        bool stayNew;
    } cases[] = {
        {"remind later", [this] { ClickButton(ID_MAILLIST_REMIND_LATER); }, true},
        {"title bar", [this] { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
        {"menu", [this] { PostMessageA(window, WM_COMMAND, ID_MAILLIST_CLOSE, 0); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        Add(host.GetAccounts()[0], {"Новый", "Ещё письмо", "<n@x.ru>", 10, 1700000000, false});
        frame->RefreshAndNotify();
        ASSERT_TRUE(frame->IsBlinking());
        ASSERT_NE(Open(), nullptr);
        c.close();
        Pump();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(frame->m_pMailList, nullptr);
        EXPECT_FALSE(frame->IsBlinking());  // the reminder stops either way
        EXPECT_EQ(Unseen(), c.stayNew);
        // The next check reminds again only of messages kept new.
        frame->RefreshAndNotify();
        EXPECT_EQ(frame->IsBlinking(), c.stayNew);
        host.GetAccounts()[0].MarkAllSeen();
    }
}

TEST_F(MailListTest, EnterAndDoubleClickShowTheRowsHeaderWithTheFramesRuleHook) {
    TypicalMailbox();
    ASSERT_NE(Open(), nullptr);
    const struct {
        const char* subject;
        bool doubleClick;
    } cases[] = {{"Привет!", false}, {"Отчёт за квартал", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subject);
        frame->m_rules.clear();
        const int row = RowOf(c.subject);
        const std::string header = Data(row)->m_strHeader;
        // The dialog's own rule command reaches the frame.
        DialogReader dialog(GetCurrentThreadId(), IDC_HEADER_TEXT, IDCANCEL,
                            [](HWND shown) { SendMessageA(shown, WM_COMMAND, ID_RULE_FROM_SUBJECT, 0); });
        if (c.doubleClick) {
            Click(row, true);
        } else {
            Click(row);
            Key(VK_RETURN);
        }
        for (int i = 0; i < 50 && !dialog.Seen(); ++i) Pump(100);
        ASSERT_TRUE(dialog.Seen());
        EXPECT_EQ(dialog.Title(), Cp1251("Заголовок сообщения"));
        std::string shown = dialog.Text();
        EXPECT_EQ(shown, header);
        ASSERT_EQ(frame->m_rules.size(), 1u);
        EXPECT_EQ(frame->m_rules[0].first, Data(row)->m_strMessageId);
        EXPECT_EQ(frame->m_rules[0].second, RuleFieldSubject);
        EXPECT_TRUE(IsWindowEnabled(window));
    }
}

TEST_F(MailListTest, RightClickOnARowOffersItsCommandsWithTheHeaderFirst) {
    TypicalMailbox();
    ASSERT_NE(Open(), nullptr);
    g_menu.owner = window;
    const POINT p = RowPoint(RowOf("Привет!"));
    // The real pointer over the row: a mouse move Wine makes up elsewhere
    // between the button's down and up reads as a drag, and no menu comes.
    // Windows of other tests on the same display can still cause one, so a
    // click that brought no menu is made again.
    POINT screen = p;
    ClientToScreen(list, &screen);
    for (int attempt = 0; attempt < 3 && g_menu.popups == 0; ++attempt) {
        SetCursorPos(screen.x, screen.y);
        Pump(100);
        PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        for (int i = 0; i < 30 && g_menu.popups == 0; ++i) Pump(100);
    }
    Pump(100);
    ASSERT_EQ(g_menu.popups, 1);
    ASSERT_EQ(g_menu.items.size(), 6u);
    EXPECT_EQ(g_menu.items[0], Cp1251("Заголовок...\tEnter"));
    EXPECT_EQ(g_menu.items[1], Cp1251("Пометить на удаление\tDel"));
    EXPECT_EQ(g_menu.defaultItem, static_cast<UINT>(ID_MAILLIST_HEADER));
    EXPECT_EQ(Cell(Selected(), 1), Cp1251("Привет!"));

    // The rule commands need a row and the settings sheet.
    EXPECT_FALSE(Window().IsCommandEnabled(ID_RULE_FROM_SENDER));
    frame->m_canCreateRule = true;
    EXPECT_TRUE(Window().IsCommandEnabled(ID_RULE_FROM_SENDER));
    PostMessageA(window, WM_COMMAND, ID_RULE_FROM_SENDER, 0);
    Pump();
    ASSERT_EQ(frame->m_rules.size(), 1u);
    EXPECT_EQ(frame->m_rules[0].first, "<h1@mail.ru>");
    EXPECT_EQ(frame->m_rules[0].second, RuleFieldSender);
}
