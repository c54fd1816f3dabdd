// The settings sheet as the program opens it: modeless over a host with
// live accounts, driven from a second thread with clicks, keys and typing
// while the test thread runs the message loop; what it stores is read back
// from the host and from the real registry.
// SETTINGS_SHOT_DIR (a Windows path): screenshots on request.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "postling/model/AccountList.h"
#include "postling/model/RegistryProfileStore.h"
#include "postling/settings/Autostart.h"
#include "postling/settings/Properties.h"
#include "postling/settings/tests/win/UiDriver.h"
#include "postling/shell/tests/win/FrameTestSupport.h"

using namespace ui_driver;

namespace {

const char kTestRoot[] = "Software\\Postling Tests\\Settings Sheet";
const std::string kTitle = ui_driver::Cp1251("Настройки V&S Post Sentry");

HWND Page(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void SelectTab(HWND sheet, int index) {
    PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Settle();
}

bool AgentEntryExists() {
    HKEY apps = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kAgentAppsKey, 0, KEY_READ, &apps) != ERROR_SUCCESS) return false;
    const bool found = FindAgentEntry(apps) == kAgentEntryName;
    RegCloseKey(apps);
    return found;
}

class SettingsSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Mirabilis");
        SetProfileStore(&m_store);
        Add("Work", "pop.work.ru");
        Add("Home", "pop.home.ru");
        m_host.m_settings.m_dwOptions = OPT_MUTE_ON_MENU | OPT_CONFIRM_EXIT;
        m_host.m_settings.m_wLanguage = 0x419;
    }
    void TearDown() override {
        SetProfileStore(nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Mirabilis");
    }

    CAccount& Add(const char* name, const char* server) {
        CAccount& account = m_host.AddAccount(name);
        account.m_strServer = server;
        account.m_strUser = "ivan";
        account.m_strPassword = "secret";
        return account;
    }

    // Opens the sheet and runs the loop until its window is gone, while
    // `driver` acts from a thread of its own.
    void Run(const std::function<void(HWND sheet)>& driver, std::vector<LanguageEntry> languages = {}) {
        auto* sheet = new CProperties(m_host, nullptr, nullptr, std::move(languages));
        bool alive = true;
        sheet->m_onDestroyed = [&alive] { alive = false; };
        ASSERT_TRUE(sheet->Open());
        HWND window = sheet->m_hWnd;
        std::thread worker([&] { driver(window); });
        const DWORD end = GetTickCount() + 60000;
        MSG msg;
        while (alive && GetTickCount() < end) {
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(5);
                continue;
            }
            if (m_app.PreTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        worker.join();
        if (alive) sheet->DestroyWindow();
    }

    CWinApp m_app{"Varnek & Soltu Post Sentry"};
    RegistryProfileStore m_store{kTestRoot};
    FakeHost m_host;
};

// Accounts: one added through the account sheet, one deleted after the
// question, one edited; OK hands them to the live accounts, which keep
// their order and objects, and writes them to the registry.
TEST_F(SettingsSheetTest, AccountsAddedEditedAndDeletedReachTheLiveListAndTheRegistry) {
    CAccount* work = &m_host.m_accounts[0];
    std::vector<std::string> rows;
    std::string question;
    bool keptOnNo = false;
    Run([&](HWND sheet) {
        if (!WaitForDialog(kTitle)) return;
        SelectTab(sheet, 1);
        HWND page = Page(sheet);
        HWND list = GetDlgItem(page, IDC_ACCOUNTS_LIST);
        rows = Rows(list);
        // Delete "Home": No keeps it, Yes deletes it.
        ClickRow(list, 1);
        Key(list, VK_DELETE);
        question = AnswerMessageBox(IDNO);
        Settle();
        keptOnNo = Rows(list).size() == 2;
        Key(list, VK_DELETE);
        AnswerMessageBox(IDYES);
        Settle();
        // Add one.
        Key(list, VK_INSERT);
        HWND account = WaitForDialog(ui_driver::Cp1251("Добавление"));
        if (!account) return;
        Settle();
        HWND connection = reinterpret_cast<HWND>(SendMessageA(account, PSM_GETCURRENTPAGEHWND, 0, 0));
        Type(GetDlgItem(connection, IDC_ACCOUNT_NAME), "Mail.ru");
        Type(GetDlgItem(connection, IDC_ACCOUNT_SERVER), "pop.mail.ru");
        Type(GetDlgItem(connection, IDC_ACCOUNT_USER), "olga");
        Type(GetDlgItem(connection, IDC_ACCOUNT_PASSWORD), "pw");
        Click(GetDlgItem(account, IDOK));
        WaitGone(account);
        Settle();
        // Edit "Work" with Enter.
        ClickRow(list, 0);
        Key(list, VK_RETURN);
        HWND edit = WaitForDialog(ui_driver::Cp1251("Свойства: Work"));
        if (!edit) return;
        Settle();
        connection = reinterpret_cast<HWND>(SendMessageA(edit, PSM_GETCURRENTPAGEHWND, 0, 0));
        Type(GetDlgItem(connection, IDC_ACCOUNT_NAME), "Work mail");
        Click(GetDlgItem(edit, IDOK));
        WaitGone(edit);
        Settle();
        rows = Rows(list);
        Shot("SETTINGS_SHOT_DIR", "accounts");
        Click(GetDlgItem(sheet, IDOK));
    });

    EXPECT_EQ(rows, (std::vector<std::string>{"Work mail", "Mail.ru"}));
    EXPECT_EQ(question.compare(0, 10, ui_driver::Cp1251("Вы уверены")), 0) << question;
    EXPECT_TRUE(keptOnNo);
    ASSERT_EQ(m_host.m_accounts.GetCount(), 2u);
    EXPECT_EQ(&m_host.m_accounts[0], work);
    EXPECT_EQ(work->m_strName, "Work mail");
    EXPECT_EQ(m_host.m_accounts[1].m_strServer, "pop.mail.ru");
    CAccountList stored;
    ASSERT_EQ(stored.LoadAccounts(0), 2u);
    EXPECT_EQ(stored[1].m_strName, "Mail.ru");
}

// An account whose check runs keeps its settings: the edit waits, and the
// user is told so.
TEST_F(SettingsSheetTest, AnEditOfABusyAccountWaitsForItsCheck) {
    m_host.m_accounts[0].m_bChecking = 1;
    std::string told;
    Run([&](HWND sheet) {
        if (!WaitForDialog(kTitle)) return;
        SelectTab(sheet, 1);
        HWND list = GetDlgItem(Page(sheet), IDC_ACCOUNTS_LIST);
        ClickRow(list, 0);
        Key(list, VK_RETURN);
        HWND edit = WaitForDialog(ui_driver::Cp1251("Свойства: Work"));
        if (!edit) return;
        Settle();
        HWND connection = reinterpret_cast<HWND>(SendMessageA(edit, PSM_GETCURRENTPAGEHWND, 0, 0));
        Type(GetDlgItem(connection, IDC_ACCOUNT_PASSWORD), "new secret");
        Click(GetDlgItem(edit, IDOK));
        WaitGone(edit);
        PostMessageA(sheet, WM_COMMAND, IDOK, 0);
        told = AnswerMessageBox();
    });
    EXPECT_EQ(told.compare(0, 20, ui_driver::Cp1251("Невозможно внести из")), 0) << told;
    EXPECT_EQ(m_host.m_accounts[0].m_strPassword, "secret");
    ASSERT_TRUE(m_host.m_accounts[0].m_pPending);
    EXPECT_EQ(m_host.m_accounts[0].m_pPending->m_strPassword, "new secret");
}

// The general page: a mail program that does not exist is refused and the
// sheet stays; an empty one means none; the option bits above 0x08 stay;
// the agent's list gets the program's entry and loses it again; the
// language already active asks nothing.
TEST_F(SettingsSheetTest, GeneralPage) {
    HKEY apps = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kAgentAppsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &apps, nullptr);
    RegCloseKey(apps);
    m_host.m_settings.m_strMailer = "C:\\windows\\notepad.exe";
    std::string refused;
    bool stayed = false;
    Run([&](HWND sheet) {
        if (!WaitForDialog(kTitle)) return;
        Settle();
        HWND page = Page(sheet);
        Type(GetDlgItem(page, IDC_GENERAL_MAILER), "C:\\no such\\mailer.exe");
        Click(GetDlgItem(page, IDC_GENERAL_CONFIRM_EXIT));       // off
        Click(GetDlgItem(page, IDC_GENERAL_SKIP_WHEN_MAILER_RUNS));  // on
        Click(GetDlgItem(page, IDC_GENERAL_AGENT));
        Shot("SETTINGS_SHOT_DIR", "general");
        PostMessageA(sheet, WM_COMMAND, IDOK, 0);
        refused = AnswerMessageBox();
        Settle();
        stayed = IsWindowVisible(sheet) != FALSE;
        Type(GetDlgItem(page, IDC_GENERAL_MAILER), "");
        Click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_EQ(refused.compare(0, 10, ui_driver::Cp1251("Файл, указ")), 0) << refused;
    EXPECT_TRUE(stayed);
    EXPECT_EQ(m_host.m_settings.m_strMailer, "");
    EXPECT_EQ(m_host.m_settings.m_dwOptions, OPT_MUTE_ON_MENU | OPT_SKIP_WHEN_MAILER_RUNS);
    EXPECT_TRUE(AgentEntryExists());

    Run([&](HWND sheet) {
        if (!WaitForDialog(kTitle)) return;
        Settle();
        Click(GetDlgItem(Page(sheet), IDC_GENERAL_AGENT));
        Click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_FALSE(AgentEntryExists());
}

// Another language chosen on the general page is taken at once and a
// restart offered; "No" keeps the program running with the choice made.
TEST_F(SettingsSheetTest, AnotherLanguageOffersARestart) {
    LanguageEntry english;
    english.name = "English";
    english.langId = 0x409;
    english.codePage = 1252;
    english.path = "C:\\Postling\\ZELENG.lng";
    std::string chosen, offered;
    Run(
        [&](HWND sheet) {
            if (!WaitForDialog(kTitle)) return;
            Settle();
            HWND box = GetDlgItem(Page(sheet), IDC_GENERAL_LANGUAGE);
            Key(reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETCOMBOCONTROL, 0, 0)), VK_DOWN);
            Settle();
            char text[128] = {};
            COMBOBOXEXITEMA item = {};
            item.mask = CBEIF_TEXT;
            item.iItem = SendMessageA(box, CB_GETCURSEL, 0, 0);
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(box, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            chosen = text;
            Click(GetDlgItem(sheet, IDOK));
            offered = AnswerMessageBox(IDNO);
        },
        {english});
    EXPECT_EQ(chosen, "English (LANGID:0x409, CP:1252, ZELENG.lng)");
    EXPECT_EQ(offered.compare(0, 10, ui_driver::Cp1251("Изменение ")), 0) << offered;
    EXPECT_EQ(m_host.m_settings.m_wLanguage, 0x409);
}

// Cancel drops every working copy.
TEST_F(SettingsSheetTest, CancelChangesNothing) {
    Run([&](HWND sheet) {
        if (!WaitForDialog(kTitle)) return;
        Settle();
        Click(GetDlgItem(Page(sheet), IDC_GENERAL_CONFIRM_EXIT));
        SelectTab(sheet, 1);
        HWND list = GetDlgItem(Page(sheet), IDC_ACCOUNTS_LIST);
        ClickRow(list, 0);
        Key(list, VK_DELETE);
        AnswerMessageBox(IDYES);
        Settle();
        Click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_EQ(m_host.m_accounts.GetCount(), 2u);
    EXPECT_EQ(m_host.m_settings.m_dwOptions, OPT_MUTE_ON_MENU | OPT_CONFIRM_EXIT);
}

}  // namespace
