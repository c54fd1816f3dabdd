// The program against a real POP3 server: it checks at start, shows the tip
// for new mail, saves the seen Message-IDs at exit, and a copy started later
// (here by "/RESTART:") reads them back. "/PAUSE" holds the first check
// until the user resumes.
//
// Run by program_mailbox_test.py, which starts the server and passes:
//   POSTLING_TEST_POP3_PORT   its loopback port
//   POSTLING_TEST_POP3_LOG    its log file (a Windows path)
//   POSTLING_TEST_MESSAGE_IDS the Message-IDs in the mailbox, blank-separated
//   POSTLING_TEST_SILENT_PORT a loopback port whose connections never complete
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "postling/app/tests/win/ProgramRunner.h"

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
