// The line connection against a scripted server: replies split, cut, closed
// and late; the overflow of a long reply; error texts.
#include <chrono>
#include <cstring>

#include "EngineFixture.h"
#include "postling/engine/Pop3Session.h"
#include "postling/engine/EngineStrings.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Reply(const Pop3Session& session) { return session.m_szReply; }

}  // namespace

using ConnectionTest = EngineTest;

TEST_F(ConnectionTest, ReadsAReplySplitInTheMiddleOfTheLine) {
    ScriptedServer server;
    server.Accept().Segments({"+OK hel", "lo\r\n"}).Pause(100);
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(session.OpenConnection());
    EXPECT_EQ(session.ReadReply(session.m_szReply, Pop3Session::kReplyBufferSize), kNoError);
    EXPECT_EQ(Reply(session), "+OK hello\r\n");
    session.Disconnect(false);
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(ConnectionTest, CloseBeforeTheFirstByteAndSilence) {
    ScriptedServer server;
    server.Accept().Close().Accept().Pause(1500).Close();
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(session.OpenConnection());
    EXPECT_EQ(session.ReadReply(session.m_szReply, Pop3Session::kReplyBufferSize),
              static_cast<int>(IDS_CONNECTION_CLOSED));
    session.Disconnect(false);

    ASSERT_TRUE(session.OpenConnection());
    auto start = Clock::now();
    EXPECT_EQ(session.ReadReply(session.m_szReply, Pop3Session::kReplyBufferSize),
              static_cast<int>(IDS_TIMED_OUT));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
    session.Disconnect(false);
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(ConnectionTest, CloseInTheMiddleOfAReplyEndsTheReadAtOnce) {
    ScriptedServer server;
    server.Accept().Send("+OK 2 3").Close();
    server.Start();
    auto account = MakeAccount(server, 5);
    Pop3Session session(*account);
    ASSERT_TRUE(session.OpenConnection());
    auto start = Clock::now();
    EXPECT_EQ(session.ReadReply(session.m_szReply, Pop3Session::kReplyBufferSize),
              static_cast<int>(IDS_CONNECTION_CLOSED));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(Reply(session), "+OK 2 3");  // kept for the error text
    session.Disconnect(false);
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(ConnectionTest, LongReplyIsCutAndItsRestConsumed) {
    std::string reply = "+OK\r\n";
    for (int i = 0; reply.size() < 30000 - 3; ++i) reply += "X-Line-" + std::to_string(i) + ": abcdefghij\r\n";
    reply += ".\r\n";
    ScriptedServer server;
    server.Accept().Segments({reply.substr(0, 12000), reply.substr(12000)}, 20)
        .Expect("NOOP").Send("+OK next\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(session.OpenConnection());
    ASSERT_EQ(session.ReadReply(session.m_szReply, Pop3Session::kReplyBufferSize), kNoError);
    EXPECT_EQ(Reply(session).size(), 20479u);
    EXPECT_EQ(Reply(session), reply.substr(0, 20479));
    EXPECT_EQ(session.SendLine("NOOP\n"), kNoError);
    ASSERT_EQ(session.ReadReply(session.m_szReply, Pop3Session::kReplyBufferSize), kNoError);
    EXPECT_EQ(Reply(session), "+OK next\r\n");
    session.Disconnect(false);
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(ConnectionTest, ReplyOfExactlyTheCapacityDoesNotWaitForMore) {
    // The terminating line lies partly in the kept bytes: no time-out wait.
    std::string reply = "+OK\r\n" + std::string(50, 'a') + "\r\n.\r\n";
    ScriptedServer server;
    server.Accept().Send(reply).Pause(300);
    server.Start();
    auto account = MakeAccount(server, 3);
    Pop3Session session(*account);
    ASSERT_TRUE(session.OpenConnection());
    char small[61];
    ASSERT_EQ(reply.size(), sizeof small - 1);
    auto start = Clock::now();
    EXPECT_EQ(session.ReadReply(small, static_cast<int>(reply.size())), kNoError);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(std::string(small), reply.substr(0, reply.size() - 1));
    session.Disconnect(false);
    server.Finish();
}

TEST_F(ConnectionTest, DisconnectWithQuitWaitsAtMostTheTimeOut) {
    ScriptedServer server;
    server.Accept().Expect("QUIT").Pause(2500);
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(session.OpenConnection());
    auto start = Clock::now();
    session.Disconnect(true);
    auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(2400));
    EXPECT_EQ(session.m_socket, kInvalidSocket);
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(ConnectionTest, ConnectFailures) {
    ScriptedServer server;  // its port, with nobody accepting after we close it
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    account->m_strServer = "no-such-host.invalid";
    EXPECT_FALSE(session.OpenConnection());
    EXPECT_EQ(session.m_nLastError, static_cast<int>(IDS_SERVER_NOT_FOUND));
    session.Disconnect(false);

    account->m_strServer = "127.0.0.1";
    account->m_nPort = 0;
    EXPECT_FALSE(session.OpenConnection());
    EXPECT_EQ(session.m_nLastError, static_cast<int>(IDS_CONNECT_FAILED));
    session.Disconnect(false);
}

TEST_F(ConnectionTest, ErrorTextsCarryTheAccountAndTheReply) {
    CAccount account;
    Pop3Session session(account);
    account.m_strName = "Work";
    account.m_strServer = "pop.example.ru";
    std::strcpy(session.m_szReply, "-ERR %s%n\r\n");
    std::string text;

    session.m_nLastError = IDS_PASSWORD_REJECTED;
    session.FormatErrorText(text);
    EXPECT_EQ(text,
              "\xCE\xF8\xE8\xE1\xEA\xE0 \xE0\xE2\xF2\xEE\xF0\xE8\xE7\xE0\xF6\xE8\xE8 - \xE2\xEE\xE7\xEC"
              "\xEE\xE6\xED\xEE, \xF3\xEA\xE0\xE7\xE0\xED \xED\xE5\xE2\xE5\xF0\xED\xFB\xE9 \xEF\xE0\xF0"
              "\xEE\xEB\xFC. \xD3\xF7\xE5\xF2\xED\xE0\xFF \xE7\xE0\xEF\xE8\xF1\xFC: 'Work', \xF1\xE5\xF0"
              "\xE2\xE5\xF0: 'pop.example.ru'. \xCE\xF2\xE2\xE5\xF2 \xF1\xE5\xF0\xE2\xE5\xF0\xE0: "
              "'-ERR %s%n\r\n'.");

    session.m_nLastError = 10999;  // no such string
    session.FormatErrorText(text);
    EXPECT_EQ(text.rfind("\xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xE0\xFF \xEE\xF8\xE8\xE1\xEA\xE0 "
                         "\xF1\xEE\xEA\xE5\xF2\xE0. \xD3\xF7\xE5\xF2\xED\xE0\xFF",
                         0),
              0u)
        << text;
}

TEST_F(ConnectionTest, ReportErrorPostsOnlyRealFailures) {
    CAccount account;
    Pop3Session session(account);
    for (int error : {kNoError, kLoginUnderWay}) {
        session.m_nLastError = error;
        session.ReportError();
    }
    EXPECT_TRUE(Errors().empty());
    session.m_nLastError = IDS_TIMED_OUT;
    session.ReportError();
    auto errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0]->m_nKind, ErrorRecord::kError);
    EXPECT_EQ(errors[0]->m_pAccount, &account);
}
