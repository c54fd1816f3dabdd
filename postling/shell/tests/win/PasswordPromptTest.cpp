// The password prompt against a scripted POP3 server: a check whose PASS
// the server rejects opens the prompt; what the user does there decides
// how the check goes on.
#include <gtest/gtest.h>

#include <string>

#include "framework/tests/win/MessageBoxAnswerer.h"
#include "postling/engine/CheckThread.h"
#include "postling/engine/tests/ScriptedServer.h"
#include "postling/res/resource.h"
#include "postling/shell/tests/win/FrameTestSupport.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

namespace {

const char kRejected[] = "-ERR [AUTH] Authentication failed.\r\n";

// The prompt window of this thread, or null.
HWND FindPrompt() {
    struct Search {
        std::string title;
        HWND found = nullptr;
    } search{Cp1251("Ошибка авторизации")};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char title[128] = {};
            GetWindowTextA(window, title, sizeof title);
            if (s->title == title && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Done>
bool PumpUntil(Done done, int milliseconds = 15000) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        PumpMessages();
        if (done()) return true;
        Sleep(10);
    }
    return false;
}

void SetText(HWND prompt, int id, const char* text) { SetWindowTextA(GetDlgItem(prompt, id), text); }

void Press(HWND prompt, int id) { PostMessageA(GetDlgItem(prompt, id), BM_CLICK, 0, 0); }

class PasswordPromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCheckContext(&host.m_context);
        frame = new TestFrame(host, nullptr);  // the real scheduler: real checking threads
        ASSERT_TRUE(frame->CreateHidden());
        frame->KillTimer(kSchedulerTimer);
        host.m_sink.SetFrame(frame->m_hWnd);
        account = &host.AddAccount(Cp1251("Почта"));
        account->m_strServer = "127.0.0.1";
        account->m_strUser = "user";
        account->m_strPassword = "wrong";
        account->m_nTimeOut = 10;
    }
    void TearDown() override {
        if (account->m_bChecking) {
            host.m_context.m_bStopping = true;
            PumpUntil([&] { return !account->IsBusy(); }, 5000);
        }
        if (frame) frame->DestroyWindow();
        PumpMessages();
        SetCheckContext(nullptr);
    }

    // A log-in the server rejects at PASS.
    static void RejectedLogin(ScriptedServer& server) {
        server.Accept().Send("+OK ready\r\n").Reply("USER user", "+OK\r\n").Reply("PASS wrong", kRejected)
            .Reply("QUIT", "+OK Logging out\r\n").Close();
    }

    void StartCheck(ScriptedServer& server) {
        server.Start();
        account->m_nPort = server.Port();
        ASSERT_TRUE(::StartCheck(*account));
    }

    bool CheckEnded() {
        return PumpUntil([&] { return !account->IsBusy(); });
    }

    FakeHost host;
    TestFrame* frame = nullptr;
    CAccount* account = nullptr;
};

TEST_F(PasswordPromptTest, ANewPasswordLogsInAgainAndStaysWithTheAccount) {
    ScriptedServer server;
    RejectedLogin(server);
    server.Accept().Send("+OK ready\r\n").Reply("USER user", "+OK\r\n").Reply("PASS right", "+OK\r\n")
        .Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK\r\n").Close();
    StartCheck(server);

    HWND prompt = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (prompt = FindPrompt()) != nullptr; }));
    char text[512] = {};
    GetWindowTextA(GetDlgItem(prompt, IDC_PASSWORD_ERROR), text, sizeof text);
    EXPECT_EQ(std::string(text).find(Cp1251("Ошибка авторизации - возможно, указан неверный пароль.")), 0u)
        << text;
    // The server's refusal is quoted, not its answer to QUIT.
    EXPECT_NE(std::string(text).find("Authentication failed"), std::string::npos) << text;
    GetWindowTextA(GetDlgItem(prompt, IDC_PASSWORD_USER), text, sizeof text);
    EXPECT_STREQ(text, "user");
    EXPECT_EQ(GetFocus(), GetDlgItem(prompt, IDC_PASSWORD_PASSWORD));

    SetText(prompt, IDC_PASSWORD_PASSWORD, "right");
    Press(prompt, IDOK);
    ASSERT_TRUE(CheckEnded());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_FALSE(IsWindow(prompt));
    EXPECT_EQ(account->m_strPassword, "right");
    EXPECT_EQ(account->m_bPasswordReply, 1);
}

TEST_F(PasswordPromptTest, EmptyFieldsKeepThePromptOpenAndCancelReportsTheRejection) {
    ScriptedServer server;
    RejectedLogin(server);
    StartCheck(server);
    HWND prompt = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (prompt = FindPrompt()) != nullptr; }));

    struct Case {
        const char* user;
        const char* password;
        int control;
        const char* message;
    } cases[] = {
        {"", "secret", IDC_PASSWORD_USER, "Необходимо указать имя пользователя!"},
        {"user", "", IDC_PASSWORD_PASSWORD, "Необходимо указать пароль!"},
    };
    for (const Case& c : cases) {
        SetText(prompt, IDC_PASSWORD_USER, c.user);
        SetText(prompt, IDC_PASSWORD_PASSWORD, c.password);
        {
            MessageBoxAnswerer answerer(GetCurrentThreadId(), prompt);
            Press(prompt, IDOK);
            ASSERT_TRUE(PumpUntil([&] { return answerer.Answered(); }, 8000)) << c.message;
            PumpMessages();
            EXPECT_EQ(answerer.Text(), Cp1251(c.message));
        }
        PumpMessages();
        EXPECT_TRUE(IsWindow(prompt));
        EXPECT_EQ(GetFocus(), GetDlgItem(prompt, c.control)) << c.message;
        EXPECT_TRUE(account->m_bChecking);  // the check still waits for the answer
    }

    Press(prompt, IDCANCEL);
    ASSERT_TRUE(CheckEnded());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_EQ(account->m_strPassword, "wrong");
    ASSERT_FALSE(host.m_errors.empty());
    const std::string& error = host.m_errors.back()->m_strText;
    EXPECT_NE(error.find(Cp1251("Ошибка авторизации - возможно, указан неверный пароль.")), std::string::npos)
        << error;
}

TEST_F(PasswordPromptTest, ClosingTheFrameAnswersAnOpenPromptAsCancelled) {
    ScriptedServer server;
    RejectedLogin(server);
    StartCheck(server);
    HWND prompt = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (prompt = FindPrompt()) != nullptr; }));
    frame->DestroyWindow();
    frame = nullptr;
    EXPECT_FALSE(IsWindow(prompt));
    // The thread is no longer held by the prompt; nobody collects it now.
    ASSERT_TRUE(PumpUntil([&] { return !account->m_bChecking; }));
    EXPECT_EQ(account->m_bPasswordReply, 0);
    CollectCheckThread(*account);
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

}  // namespace
