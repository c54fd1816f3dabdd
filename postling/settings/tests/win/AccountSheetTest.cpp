// The account sheet in real modal runs, driven from a second thread as a
// user drives it: typing, clicks, the sliders' keys, the period dialogs.
// ACCOUNTS_SHOT_DIR (a Windows path): screenshots on request.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "postling/res/resource.h"
#include "postling/settings/AccountProperties.h"
#include "postling/settings/tests/win/UiDriver.h"

using namespace ui_driver;

namespace {

const std::string kFingerprint(64, 'A');

// The sheet's window, found by the start of its caption.
HWND WaitForSheet(const std::string& captionStart) {
    for (int i = 0; i < 500; ++i) {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(found, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(found) &&
                Text(found).compare(0, captionStart.size(), captionStart) == 0)
                return found;
        }
        Sleep(10);
    }
    return nullptr;
}

HWND Page(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void SelectTab(HWND sheet, int index) {
    PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Settle();
}

void Choose(HWND combo, int index) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    Settle();
}

}  // namespace

// Adding: the caption follows the name; blanks around the server go; an
// empty name becomes "server (user)"; choosing TLS moves the default port
// to 995 and STLS back to 110, but a port the user typed stays; the
// certificate the last check refused is shown and accepted.
TEST(AccountSheet, AddsAnAccountAsTyped) {
    CAccountProperties sheet;
    sheet.m_nAdding = 1;
    sheet.m_strOfferedCertificate = kFingerprint;
    std::string captionTyped, captionCleared, portAfterTls, portAfterStls, portKept, certificateShown;
    bool acceptEnabled = false;

    const INT_PTR result = RunWithDriver(sheet, [&] {
        HWND window = WaitForSheet(Cp1251("Добавление"));
        if (!window) return;
        Settle();
        HWND page = Page(window);
        Type(GetDlgItem(page, IDC_ACCOUNT_NAME), "Work");
        captionTyped = Text(window);
        Type(GetDlgItem(page, IDC_ACCOUNT_NAME), "");
        captionCleared = Text(window);
        Type(GetDlgItem(page, IDC_ACCOUNT_SERVER), "  pop.example.ru  ");
        Type(GetDlgItem(page, IDC_ACCOUNT_USER), " ivan ");
        Type(GetDlgItem(page, IDC_ACCOUNT_PASSWORD), "se cret");
        Choose(GetDlgItem(page, IDC_ACCOUNT_SECURITY), CAccount::SECURITY_TLS);
        portAfterTls = Text(GetDlgItem(page, IDC_ACCOUNT_PORT));
        Choose(GetDlgItem(page, IDC_ACCOUNT_SECURITY), CAccount::SECURITY_STLS);
        portAfterStls = Text(GetDlgItem(page, IDC_ACCOUNT_PORT));
        Type(GetDlgItem(page, IDC_ACCOUNT_PORT), "1110");
        Choose(GetDlgItem(page, IDC_ACCOUNT_SECURITY), CAccount::SECURITY_TLS);
        portKept = Text(GetDlgItem(page, IDC_ACCOUNT_PORT));
        certificateShown = Text(GetDlgItem(page, IDC_ACCOUNT_CERTIFICATE));
        acceptEnabled = Enabled(page, IDC_ACCOUNT_ACCEPT_CERTIFICATE);
        Click(GetDlgItem(page, IDC_ACCOUNT_ACCEPT_CERTIFICATE));
        Shot("ACCOUNTS_SHOT_DIR", "connection");
        Click(GetDlgItem(window, IDOK));
    });

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(captionTyped, Cp1251("Добавление: Work"));
    EXPECT_EQ(captionCleared, Cp1251("Добавление"));
    EXPECT_EQ(portAfterTls, "995");
    EXPECT_EQ(portAfterStls, "110");
    EXPECT_EQ(portKept, "1110");
    EXPECT_EQ(certificateShown, kFingerprint);
    EXPECT_TRUE(acceptEnabled);
    const CAccount& account = sheet.m_account;
    EXPECT_EQ(account.m_strName, "pop.example.ru (ivan)");
    EXPECT_EQ(account.m_strServer, "pop.example.ru");
    EXPECT_EQ(account.m_strUser, "ivan");
    EXPECT_EQ(account.m_strPassword, "se cret");
    EXPECT_EQ(account.m_nPort, 1110);
    EXPECT_EQ(account.m_nSecurity, CAccount::SECURITY_TLS);
    EXPECT_EQ(account.m_strCertificate, kFingerprint);
}

// Every value the connection page refuses keeps the sheet open with its
// message; once mended, OK ends the sheet.
TEST(AccountSheet, RefusesWhatNoCheckCouldUse) {
    struct Case {
        const char* what;
        std::function<void(HWND page)> spoil;
        const char* message;  // UTF-8 start of the message; null: the range prompt
    };
    const std::string longUser(CAccountPropertiesPage1::kMaxCredential + 1, 'u');
    const std::vector<Case> cases = {
        {"blank server", [](HWND p) { Type(GetDlgItem(p, IDC_ACCOUNT_SERVER), "   "); },
         "Необходимо указать имя сервера!"},
        {"no user", [](HWND p) { Type(GetDlgItem(p, IDC_ACCOUNT_USER), ""); }, "Необходимо указать имя пользователя!"},
        {"no password", [](HWND p) { Type(GetDlgItem(p, IDC_ACCOUNT_PASSWORD), ""); }, "Необходимо указать пароль!"},
        {"line break in the password",
         [](HWND p) { SetWindowTextA(GetDlgItem(p, IDC_ACCOUNT_PASSWORD), "pass\r\nDELE 1"); },
         "Имя сервера, имя пользователя и пароль не могут содержать перевод строки."},
        {"user too long", [&](HWND p) { SetWindowTextA(GetDlgItem(p, IDC_ACCOUNT_USER), longUser.c_str()); },
         "Имя пользователя или пароль слишком длинные"},
        {"IMAP4", [](HWND p) { Choose(GetDlgItem(p, IDC_ACCOUNT_PROTOCOL), 1); },
         "Программа проверяет почту только по протоколу POP3."},
        {"port 70000", [](HWND p) { Type(GetDlgItem(p, IDC_ACCOUNT_PORT), "70000"); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CAccountProperties sheet;
        sheet.m_account.m_strServer = "pop.example.ru";
        sheet.m_account.m_strUser = "ivan";
        sheet.m_account.m_strPassword = "secret";
        sheet.m_account.m_strName = "Work";
        std::string said;
        bool stayed = false;
        const INT_PTR result = RunWithDriver(sheet, [&] {
            HWND window = WaitForSheet(Cp1251("Свойства: Work"));
            if (!window) return;
            Settle();
            c.spoil(Page(window));
            PostMessageA(window, WM_COMMAND, IDOK, 0);
            said = AnswerMessageBox();
            Settle();
            stayed = IsWindow(window) && IsWindowVisible(window);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(stayed);
        if (c.message)
            EXPECT_EQ(said.compare(0, Cp1251(c.message).size(), Cp1251(c.message)), 0) << said;
        else
            EXPECT_FALSE(said.empty());
        EXPECT_EQ(sheet.m_account.m_strPassword, "secret");
    }
}

// The times page: unknown stored values show the table's defaults and are
// stored as 600 and 60 seconds; the interval slider at its right end is 10
// seconds; a period list edited through its dialogs becomes the account's,
// a cancelled one does not; clearing a period box disables its button.
TEST(AccountSheet, TimesAndPeriodsPage) {
    CAccountProperties sheet;
    sheet.m_account.m_strName = "Work";
    sheet.m_account.m_strServer = "pop.example.ru";
    sheet.m_account.m_strUser = "ivan";
    sheet.m_account.m_strPassword = "secret";
    sheet.m_account.m_nInterval = 86400;
    sheet.m_account.m_nTimeOut = 45;
    sheet.m_account.m_dwOptions = CAccount::OPT_UNCHECK_PERIODS;
    sheet.m_account.m_uncheckPeriods.Add(CInterval::Daily(1, 0, 5, 0));
    std::string intervalLabel, timeOutLabel, periodsText, uncheckText;
    bool buttonOffAtFirst = false, buttonOnWhenChecked = false, uncheckButtonOffWhenCleared = false;

    const INT_PTR result = RunWithDriver(sheet, [&] {
        HWND window = WaitForSheet(Cp1251("Свойства: Work"));
        if (!window) return;
        SelectTab(window, 1);
        HWND page = Page(window);
        intervalLabel = Text(GetDlgItem(page, IDC_ACCOUNT_INTERVAL_LABEL));
        timeOutLabel = Text(GetDlgItem(page, IDC_ACCOUNT_TIMEOUT_LABEL));
        buttonOffAtFirst = !Enabled(page, IDC_ACCOUNT_EDIT_CHECK_PERIODS);
        Click(GetDlgItem(page, IDC_ACCOUNT_CHECK_PERIODS));
        buttonOnWhenChecked = Enabled(page, IDC_ACCOUNT_EDIT_CHECK_PERIODS);

        // Add a period through the two dialogs.
        Click(GetDlgItem(page, IDC_ACCOUNT_EDIT_CHECK_PERIODS));
        HWND list = WaitForDialog(Cp1251("Когда проверять почту"));
        if (!list) return;
        Settle();
        Key(GetDlgItem(list, IDC_PERIOD_LIST), VK_INSERT);
        HWND editor = WaitForDialog(Cp1251("Добавление периода времени"));
        if (!editor) return;
        Settle();
        Click(GetDlgItem(editor, IDOK));
        WaitGone(editor);
        Click(GetDlgItem(list, IDOK));
        WaitGone(list);
        Settle();
        periodsText = Text(GetDlgItem(page, IDC_ACCOUNT_CHECK_PERIODS_TEXT));

        // A cancelled list changes nothing.
        Click(GetDlgItem(page, IDC_ACCOUNT_EDIT_UNCHECK_PERIODS));
        list = WaitForDialog(Cp1251("Когда НЕ проверять почту"));
        if (!list) return;
        Settle();
        Key(GetDlgItem(list, IDC_PERIOD_LIST), VK_INSERT);
        editor = WaitForDialog(Cp1251("Добавление периода времени"));
        if (!editor) return;
        Click(GetDlgItem(editor, IDOK));
        WaitGone(editor);
        Click(GetDlgItem(list, IDCANCEL));
        WaitGone(list);
        Settle();
        uncheckText = Text(GetDlgItem(page, IDC_ACCOUNT_UNCHECK_PERIODS_TEXT));
        Click(GetDlgItem(page, IDC_ACCOUNT_UNCHECK_PERIODS));
        uncheckButtonOffWhenCleared = !Enabled(page, IDC_ACCOUNT_EDIT_UNCHECK_PERIODS);

        // The interval slider to its right end with the End key.
        HWND slider = GetDlgItem(page, IDC_ACCOUNT_INTERVAL);
        SetFocus(slider);
        Key(slider, VK_END);
        Shot("ACCOUNTS_SHOT_DIR", "times");
        Click(GetDlgItem(window, IDOK));
    });

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(intervalLabel, Cp1251("Кадждые 10 мин."));
    EXPECT_EQ(timeOutLabel, Cp1251("1 минута"));
    EXPECT_TRUE(buttonOffAtFirst);
    EXPECT_TRUE(buttonOnWhenChecked);
    EXPECT_EQ(periodsText, CInterval::Daily(9, 0, 18, 0).Describe());
    EXPECT_EQ(uncheckText, CInterval::Daily(1, 0, 5, 0).Describe());
    EXPECT_TRUE(uncheckButtonOffWhenCleared);
    const CAccount& account = sheet.m_account;
    EXPECT_EQ(account.m_nInterval, 10);
    EXPECT_EQ(account.m_nTimeOut, 60);
    EXPECT_EQ(account.m_dwOptions & (CAccount::OPT_CHECK_PERIODS | CAccount::OPT_UNCHECK_PERIODS),
              CAccount::OPT_CHECK_PERIODS);
    // Taken back by assignment, the cleared bit's list is emptied.
    CAccount taken;
    taken = account;
    EXPECT_EQ(taken.m_checkPeriods.GetCount(), 1u);
    EXPECT_TRUE(taken.m_uncheckPeriods.IsEmpty());
}
