// The program against a real POP3 server: it checks at start, shows the tip
// for new mail, saves the seen Message-IDs at exit, and a copy started later
// (here by "/RESTART:") reads them back. "/PAUSE" holds the first check
// until the user resumes. A message marked in the message list and
// "Удалить отмеченные" leaves the mailbox at once.
//
// Run by program_mailbox_test.py, which starts the server and passes:
//   POSTLING_TEST_POP3_PORT   its loopback port
//   POSTLING_TEST_POP3_LOG    its log file (a Windows path)
//   POSTLING_TEST_MESSAGE_IDS the Message-IDs in the mailbox, blank-separated
//   POSTLING_TEST_SILENT_PORT a loopback port whose connections never complete
//   POSTLING_TEST_SUBJECTS    a file of "Message-ID<TAB>subject" lines (UTF-8)
//   POSTLING_TEST_MAILDIR     the user's maildir (a Windows path)
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/tests/win/CodePageText.h"
#include "postling/app/tests/win/ProgramRunner.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

using namespace program_runner;

namespace {

const char kProgramKey[] = "Software\\Razezo Varnek\\Varnek & Soltu Post Sentry";
const char kAccountKey[] = "Software\\Razezo Varnek\\Varnek & Soltu Post Sentry\\Accounts\\Account 000";
const char kRulesKey[] = "Software\\Razezo Varnek\\Varnek & Soltu Post Sentry\\Rules";
constexpr WPARAM kExitCommand = 0xE141;
constexpr WPARAM kPauseCommand = 32802;
constexpr DWORD kReactionTip = 3;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void SetString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void SetNumber(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The "Message ID N" values of the account, up to the first missing one.
std::set<std::string> SavedMessageIds() {
    std::set<std::string> ids;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kAccountKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ids;
    for (int n = 0;; ++n) {
        char value[512] = {};
        DWORD size = sizeof value - 1;
        DWORD type = 0;
        std::string name = "Message ID " + std::to_string(n);
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value),
                             &size) != ERROR_SUCCESS ||
            type != REG_SZ || value[0] == '\0')
            break;
        ids.insert(value);
    }
    RegCloseKey(key);
    return ids;
}

// A window of that process whose text begins with the tip's title.
bool TipShown(DWORD processId) {
    return FindWindowOf(processId, [](HWND window) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return IsWindowVisible(window) &&
               std::wstring(text).rfind(L"Получена свежая почта!", 0) == 0;
    }) != nullptr;
}

bool WaitForTip(DWORD processId, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (TipShown(processId)) return true;
        SleepPumping(100);
    }
    return TipShown(processId);
}

// "Message-ID<TAB>subject" lines, the subjects turned into code page 1251.
std::map<std::string, std::string> SubjectIds(const std::string& path) {
    std::map<std::string, std::string> bySubject;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        bySubject[Cp1251(line.substr(tab + 1).c_str())] = line.substr(0, tab);
    }
    return bySubject;
}

// The text of a list-view cell of another process, through a buffer in
// that process.
std::string RemoteCell(HANDLE process, HWND list, int row, int column) {
    constexpr SIZE_T kText = 512;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kText, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return "<no memory>";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = static_cast<int>(kText);
    char text[kText] = {};
    if (WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote)) >= 0)
        ReadProcessMemory(process, remote + sizeof(LVITEMA), text, kText - 1, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

class MailboxRun : public ::testing::Test {
protected:
    std::string port = Env("POSTLING_TEST_POP3_PORT");
    std::string logPath = Env("POSTLING_TEST_POP3_LOG");
    std::set<std::string> mailboxIds;

    void SetUp() override {
        if (port.empty() || logPath.empty())
            GTEST_SKIP() << "needs the POP3 server of program_mailbox_test.py";
        std::istringstream ids(Env("POSTLING_TEST_MESSAGE_IDS"));
        for (std::string id; ids >> id;) mailboxIds.insert(id);
        ASSERT_FALSE(mailboxIds.empty());
        ASSERT_TRUE(WaitUntilNoOtherCopy(120000)) << "another copy keeps running";
        WriteOneAccount();
    }

    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey); }

    // A fresh program key: one account on the test server, checked at start,
    // and the popup tip as the reaction to new mail.
    void WriteOneAccount(const std::string& accountPort = std::string()) {
        RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAccountKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        SetString(key, "Name", "Test mailbox");
        SetString(key, "Server", "127.0.0.1");
        SetString(key, "User", "alice");
        SetString(key, "Password", "s3cret");
        SetNumber(key, "Port", static_cast<DWORD>(std::stoul(accountPort.empty() ? port : accountPort)));
        SetNumber(key, "Time Out", 600);
        SetNumber(key, "Interval", 3600);
        RegCloseKey(key);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRulesKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        SetNumber(key, "Default Rule", kReactionTip);
        RegCloseKey(key);
    }

    // Sessions the server has seen end with QUIT.
    int CompletedSessions() const {
        std::ifstream log(logPath);
        int count = 0;
        for (std::string line; std::getline(log, line);)
            if (line.find("Logged out") != std::string::npos) ++count;
        return count;
    }

    bool WaitForSessions(int count, DWORD timeoutMs) const {
        for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
            if (CompletedSessions() >= count) return true;
            SleepPumping(100);
        }
        return CompletedSessions() >= count;
    }

    // Starts the program; its main window, or null.
    static HWND StartProgram(ChildProcess& program, const std::string& arguments = "") {
        if (!program.Start(arguments)) return nullptr;
        return WaitForMainWindow(program.pi.dwProcessId, 20000);
    }

    // Starts the program and waits for the tip of its first check; its main
    // window, or null.
    static HWND StartAndWaitForTip(ChildProcess& program) {
        HWND frame = StartProgram(program);
        return frame && WaitForTip(program.pi.dwProcessId, 30000) ? frame : nullptr;
    }

    // Posts the message that ends the program and waits for a clean end.
    static void EndProgram(ChildProcess& program, HWND frame, UINT message, WPARAM wParam = 0) {
        PostMessageA(frame, message, wParam, 0);
        ASSERT_TRUE(WaitPumping(program.pi.hProcess, 20000)) << "the program did not end";
        EXPECT_EQ(program.ExitCode(), 0u);
    }

    // Sent rather than posted, so that the flag is dropped before the next
    // step: a message sent next would overtake a posted one.
    static void DropUnreadFlag(HWND frame, WPARAM remindLater) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(frame, RegisterWindowMessageA("Varnek & Soltu Post Sentry: Drop Unread Flag"),
                            remindLater, 0, SMTO_NORMAL, 20000, &result);
    }
};

}  // namespace

TEST_F(MailboxRun, FirstCheckShowsTheTipAndExitSavesTheSeenIds) {
    int sessions = CompletedSessions();
    ChildProcess program;
    HWND frame = StartAndWaitForTip(program);
    ASSERT_NE(frame, nullptr) << "no tip after the first check";
    EXPECT_TRUE(WaitForSessions(sessions + 1, 5000));

    // Nothing is seen until the user says so; then exit saves every id.
    DropUnreadFlag(frame, 0);
    EndProgram(program, frame, WM_COMMAND, kExitCommand);
    EXPECT_EQ(SavedMessageIds(), mailboxIds);
}

TEST_F(MailboxRun, UnseenMessagesAreNotSaved) {
    ChildProcess program;
    HWND frame = StartAndWaitForTip(program);
    ASSERT_NE(frame, nullptr) << "no tip after the first check";
    // "Remind later" keeps them new.
    DropUnreadFlag(frame, 1);
    EndProgram(program, frame, WM_COMMAND, kExitCommand);
    EXPECT_TRUE(SavedMessageIds().empty());
}

TEST_F(MailboxRun, ARestartedCopyReadsWhatTheOldOneSaved) {
    int sessions = CompletedSessions();
    ChildProcess first;
    HWND firstFrame = StartAndWaitForTip(first);
    ASSERT_NE(firstFrame, nullptr) << "no tip after the first check";
    DropUnreadFlag(firstFrame, 0);

    ChildProcess second;
    HWND secondFrame = RestartReplacing(first, second);
    ASSERT_FALSE(first.IsRunning()) << "the old copy did not end";
    EXPECT_EQ(first.ExitCode(), 0u);
    ASSERT_NE(secondFrame, nullptr) << "the new copy did not come up";

    // The new copy checks at start and finds only messages it knows.
    ASSERT_TRUE(WaitForSessions(sessions + 2, 30000)) << "the new copy did not check";
    SleepPumping(2000);
    EXPECT_FALSE(TipShown(second.pi.dwProcessId)) << "saved messages came back as new";

    EndProgram(second, secondFrame, WM_CLOSE);
    EXPECT_EQ(SavedMessageIds(), mailboxIds);
}

TEST_F(MailboxRun, PauseSwitchHoldsChecksUntilResumed) {
    int sessions = CompletedSessions();
    ChildProcess program;
    HWND frame = StartProgram(program, "/PAUSE");
    ASSERT_NE(frame, nullptr);
    // The account is due at once, but the scheduler skips it while paused.
    SleepPumping(4000);
    EXPECT_EQ(CompletedSessions(), sessions);
    EXPECT_FALSE(TipShown(program.pi.dwProcessId));

    PostMessageA(frame, WM_COMMAND, kPauseCommand, 0);
    ASSERT_TRUE(WaitForTip(program.pi.dwProcessId, 30000)) << "resuming did not check";
    EXPECT_TRUE(WaitForSessions(sessions + 1, 5000));

    EndProgram(program, frame, WM_CLOSE);
}

TEST_F(MailboxRun, SessionEndSavesAtOnceAndALaterCloseLosesNothing) {
    ChildProcess program;
    HWND frame = StartAndWaitForTip(program);
    ASSERT_NE(frame, nullptr) << "no tip after the first check";
    DropUnreadFlag(frame, 0);

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 20000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    ASSERT_TRUE(SendMessageTimeoutA(frame, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 20000, &answer));
    EXPECT_EQ(SavedMessageIds(), mailboxIds) << "nothing saved when the session ended";

    // Not ended by the system here: a close afterwards must not save again.
    EndProgram(program, frame, WM_CLOSE);
    EXPECT_EQ(SavedMessageIds(), mailboxIds);
}

TEST_F(MailboxRun, ARestartIsNotHeldUpByACheckThatCannotConnect) {
    const std::string silentPort = Env("POSTLING_TEST_SILENT_PORT");
    ASSERT_FALSE(silentPort.empty());
    WriteOneAccount(silentPort);
    ChildProcess first;
    HWND firstFrame = StartProgram(first);
    ASSERT_NE(firstFrame, nullptr);
    SleepPumping(3000);  // its first check is connecting now, with a 600 s time-out

    // The new copy waits 10 s for the old one to end.
    ChildProcess second;
    HWND secondFrame = RestartReplacing(first, second);
    ASSERT_FALSE(first.IsRunning()) << "the old copy did not end";
    EXPECT_EQ(first.ExitCode(), 0u);
    ASSERT_NE(secondFrame, nullptr) << "the new copy gave up";
    EndProgram(second, secondFrame, WM_CLOSE);
}

// Last: it changes the mailbox the other tests share.
TEST_F(MailboxRun, AMessageMarkedInTheListIsDeletedFromTheServerAtOnce) {
    const std::string maildir = Env("POSTLING_TEST_MAILDIR");
    const auto subjects = SubjectIds(Env("POSTLING_TEST_SUBJECTS"));
    ASSERT_FALSE(maildir.empty());
    ASSERT_EQ(MaildirIds(maildir), mailboxIds);
    int sessions = CompletedSessions();
    ChildProcess program;
    HWND frame = StartAndWaitForTip(program);
    ASSERT_NE(frame, nullptr) << "no tip after the first check";
    ASSERT_TRUE(WaitForSessions(sessions + 1, 5000));

    // "Письма..." of the tray menu.
    PostMessageA(frame, WM_COMMAND, 32773, 0);
    HWND window = nullptr;
    for (DWORD waited = 0; !window && waited < 10000; waited += 100) {
        SleepPumping(100);
        window = FindWindowOf(program.pi.dwProcessId, [](HWND w) {
            wchar_t text[128] = {};
            GetWindowTextW(w, text, 128);
            return IsWindowVisible(w) && std::wstring(text) == L"V&S Post Sentry - Список писем";
        });
    }
    ASSERT_NE(window, nullptr) << "the message list did not open";
    HWND list = GetDlgItem(window, 59648);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(mailboxIds.size()));

    // The first row, marked with Del, then "Удалить отмеченные".
    PostMessageA(list, WM_KEYDOWN, VK_HOME, 1);
    PostMessageA(list, WM_KEYUP, VK_HOME, 0xC0000001);
    SleepPumping(300);
    ASSERT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    const std::string subject = RemoteCell(program.pi.hProcess, list, 0, 1);
    ASSERT_EQ(subjects.count(subject), 1u) << subject;
    const std::string marked = subjects.at(subject);
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 1);
    PostMessageA(list, WM_KEYUP, VK_DELETE, 0xC0000001);
    SleepPumping(300);
    PostMessageA(window, WM_COMMAND, 32790, 0);

    // One more session, which deletes exactly that message; the list
    // follows after the check.
    ASSERT_TRUE(WaitForSessions(sessions + 2, 30000)) << "no check after the deletion";
    std::set<std::string> expected = mailboxIds;
    expected.erase(marked);
    EXPECT_EQ(MaildirIds(maildir), expected);
    for (DWORD waited = 0; waited < 5000; waited += 100) {
        if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(expected.size())) break;
        SleepPumping(100);
    }
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(expected.size()));
    EndProgram(program, frame, WM_COMMAND, kExitCommand);
}

namespace {

// The visible dialog of that process with exactly this title.
HWND WaitForDialogOf(DWORD processId, const wchar_t* title, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        HWND found = FindWindowOf(processId, [title](HWND w) {
            wchar_t text[128] = {};
            GetWindowTextW(w, text, 128);
            return IsWindowVisible(w) && std::wstring(text) == title;
        });
        if (found) return found;
        SleepPumping(100);
    }
    return nullptr;
}

// Types into another process's edit box as a user does: all selected, then
// the characters.
void TypeInto(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    PostMessageA(edit, WM_CHAR, VK_BACK, 1);
    for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    SleepPumping(150);
}

std::string AccountValue(const char* name) {
    char value[256] = {};
    DWORD size = sizeof value - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kAccountKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return value;
}

}  // namespace

// A new user: the first start with no account opens the settings on the
// accounts page; the account typed into the account sheet is stored at
// once and checked at once, on the server's port whatever its number.
TEST_F(MailboxRun, AFirstStartLeadsToTheAccountsAndTheAccountAddedThereIsChecked) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey);
    const int sessions = CompletedSessions();
    ChildProcess program;
    HWND frame = StartProgram(program);
    ASSERT_NE(frame, nullptr);
    const DWORD id = program.pi.dwProcessId;
    HWND sheet = WaitForDialogOf(id, L"Настройки V&S Post Sentry", 20000);
    ASSERT_NE(sheet, nullptr) << "no settings sheet at the first start";
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND accounts = GetDlgItem(page, 1002);
    ASSERT_NE(accounts, nullptr) << "the accounts page is not the current page";

    PostMessageA(accounts, WM_KEYDOWN, VK_INSERT, 0x00520001);
    HWND account = WaitForDialogOf(id, L"Добавление", 10000);
    ASSERT_NE(account, nullptr) << "Insert opened no account sheet";
    HWND connection = reinterpret_cast<HWND>(SendMessageA(account, PSM_GETCURRENTPAGEHWND, 0, 0));
    TypeInto(GetDlgItem(connection, 1005), "127.0.0.1");
    TypeInto(GetDlgItem(connection, 1012), "alice");
    TypeInto(GetDlgItem(connection, 1013), "s3cret");
    TypeInto(GetDlgItem(connection, 1007), port);
    PostMessageA(GetDlgItem(account, IDOK), BM_CLICK, 0, 0);
    for (DWORD waited = 0; IsWindow(account) && waited < 10000; waited += 100) SleepPumping(100);
    if (IsWindow(account)) {
        HWND box = FindWindowOf(id, [](HWND w) { return IsWindowVisible(w) && GetDlgItem(w, 0xFFFF) != nullptr; });
        wchar_t said[512] = {};
        if (box) GetWindowTextW(GetDlgItem(box, 0xFFFF), said, 512);
        FAIL() << "the account sheet refused the values: " << WideToUtf8(said);
    }
    EXPECT_EQ(SendMessageA(accounts, LVM_GETITEMCOUNT, 0, 0), 1);
    PostMessageA(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);

    // Stored at once, named after server and user, and checked at once.
    ASSERT_TRUE(WaitForSessions(sessions + 1, 30000)) << "the new account was not checked";
    EXPECT_EQ(AccountValue("Name"), "127.0.0.1 (alice)");
    EXPECT_EQ(AccountValue("Server"), "127.0.0.1");
    EXPECT_EQ(AccountValue("User"), "alice");
    EndProgram(program, frame, WM_COMMAND, kExitCommand);
}

namespace {

// POSTLING_TEST_SHOT_DIR (a Windows path): at the moments worth a look the
// test writes NAME.ready there and waits for NAME.done, so that the script
// around it can take a picture of the display.
void Shot(const char* name) {
    const std::string dir = Env("POSTLING_TEST_SHOT_DIR");
    if (dir.empty()) return;
    const std::string base = dir + "\\" + name;
    std::ofstream(base + ".ready") << "ready\n";
    for (DWORD waited = 0; waited < 20000; waited += 100) {
        if (GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES) return;
        SleepPumping(100);
    }
}

bool HasCyrillic(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x400 && c <= 0x4FF; });
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// A string of the English module, up to its first line end.
std::wstring EnglishString(UINT id) {
    HMODULE module = LoadLibraryExA((ProgramPath().substr(0, ProgramPath().find_last_of('\\') + 1) + "ZELENG.lng").c_str(),
                                    nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const wchar_t* text = nullptr;
    int length = module ? LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0) : 0;
    std::wstring result = length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : L"";
    if (module) FreeLibrary(module);
    return result.substr(0, result.find(L'\n'));
}

// The visible window of that process that `match` accepts, waited for.
HWND WaitForWindowOf(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (HWND found = FindWindowOf(processId, [&](HWND w) { return IsWindowVisible(w) && match(w); }))
            return found;
        SleepPumping(100);
    }
    return nullptr;
}

// The texts of a header control of another process.
std::vector<std::wstring> RemoteHeaderTexts(HANDLE process, HWND header) {
    std::vector<std::wstring> texts;
    constexpr SIZE_T kText = 256;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(HDITEMW) + kText * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return texts;
    for (int i = 0, count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); i < count; ++i) {
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(HDITEMW));
        item.cchTextMax = static_cast<int>(kText);
        wchar_t text[kText] = {};
        if (WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote)))
            ReadProcessMemory(process, remote + sizeof(HDITEMW), text, (kText - 1) * sizeof(wchar_t), nullptr);
        texts.push_back(text);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return texts;
}

}  // namespace

// The English module beside the program and "Language" 0x409: the tip, the
// tray menu, the message list and the settings sheet speak English; the
// Russian subjects of the mail are shown as they are.
TEST_F(MailboxRun, WithTheEnglishModuleTheUserSeesEnglish) {
    const std::wstring tipTitle = EnglishString(10057);
    const std::wstring listTitle = EnglishString(10058);
    const std::wstring settingsTitle = EnglishString(10059);
    ASSERT_FALSE(tipTitle.empty()) << "no ZELENG.lng beside the program";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kProgramKey) + "\\Settings").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    SetNumber(key, "Language", 0x409);
    RegCloseKey(key);

    ChildProcess program;
    HWND frame = StartProgram(program);
    ASSERT_NE(frame, nullptr);
    const DWORD id = program.pi.dwProcessId;
    HWND tip = WaitForWindowOf(id, [&](HWND w) { return TextOf(w).rfind(tipTitle, 0) == 0; }, 30000);
    ASSERT_NE(tip, nullptr) << "no English tip after the first check";
    Shot("en-01-tip");

    // The tray menu: a click on the icon.
    PostMessageA(frame, RegisterWindowMessageA("Varnek & Soltu Post Sentry: Icon Click Message"), 0, WM_RBUTTONUP);
    HWND menu = WaitForWindowOf(id, [](HWND w) {
        char name[32] = {};
        GetClassNameA(w, name, sizeof name);
        return std::string(name) == "#32768";
    });
    ASSERT_NE(menu, nullptr) << "no tray menu";
    Shot("en-02-tray-menu");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(menu, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    for (DWORD waited = 0; IsWindowVisible(menu) && waited < 5000; waited += 100) SleepPumping(100);

    // The message list: English title, columns and menu bar; Russian subjects.
    PostMessageA(frame, WM_COMMAND, 32773, 0);
    HWND window = WaitForWindowOf(id, [&](HWND w) { return TextOf(w) == listTitle; });
    ASSERT_NE(window, nullptr) << "the message list did not open with its English title";
    HWND list = GetDlgItem(window, 59648);
    const auto columns = RemoteHeaderTexts(program.pi.hProcess, reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)));
    ASSERT_EQ(columns.size(), 6u);
    for (const std::wstring& column : columns) {
        EXPECT_FALSE(column.empty());
        EXPECT_FALSE(HasCyrillic(column));
    }
    const auto subjects = SubjectIds(Env("POSTLING_TEST_SUBJECTS"));
    const std::string subject = RemoteCell(program.pi.hProcess, list, 0, 1);
    EXPECT_EQ(subjects.count(subject), 1u) << "the subject of the first row: " << subject;
    Shot("en-03-message-list");
    PostMessageA(window, WM_CLOSE, 0, 0);

    // The settings sheet: English title, tabs and page texts.
    PostMessageA(frame, WM_COMMAND, 32771, 0);
    HWND sheet = WaitForWindowOf(id, [&](HWND w) { return TextOf(w) == settingsTitle; });
    ASSERT_NE(sheet, nullptr) << "the settings sheet did not open with its English title";
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    int texts = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(child);
        EXPECT_FALSE(HasCyrillic(text)) << GetDlgCtrlID(child);
        texts += !text.empty();
    }
    EXPECT_GT(texts, 0);
    Shot("en-04-settings");
    PostMessageA(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    for (DWORD waited = 0; IsWindow(sheet) && waited < 5000; waited += 100) SleepPumping(100);

    EndProgram(program, frame, WM_COMMAND, kExitCommand);
}
