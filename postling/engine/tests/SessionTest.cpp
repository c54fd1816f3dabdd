// POP3 sessions against a scripted server: log-in and its retries, the
// listing, deletion, and what reaches the main frame.
#include <chrono>
#include <thread>

#include "EngineFixture.h"
#include "postling/engine/Pop3Session.h"
#include "postling/message/Rule.h"
#include "postling/engine/EngineStrings.h"
#include "postling/model/TextFormat.h"

namespace {

const char kGreeting[] = "+OK POP3 ready\r\n";

// Greeting, USER and PASS accepted.
ScriptedServer& LogIn(ScriptedServer& server, const std::string& user = "alice",
                      const std::string& password = "secret") {
    return server.Accept().Send(kGreeting).Reply("USER " + user, "+OK\r\n")
        .Reply("PASS " + password, "+OK logged in\r\n");
}

std::vector<std::string> Ids(const CAccount::MessageList& list) {
    std::vector<std::string> ids;
    for (const auto& m : list) ids.push_back(m->m_strMessageId);
    return ids;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

using SessionTest = EngineTest;

TEST_F(SessionTest, EmptyMailboxEndsWithQuitAndNoList) {
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK bye\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_TRUE(account->m_gathered.empty());
    EXPECT_EQ(session.m_nLastError, kNoError);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SessionTest, CommandsEndWithASingleLineFeed) {
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 1 120\r\n").Reply("LIST 1", "+OK 1 120\r\n")
        .Reply("TOP 1 0", TopReply("<a@x>", "Hi")).Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(session.CheckMailbox());
    ASSERT_TRUE(server.Finish()) << server.Failure();
    // The scripted server strips the LF only: a CR would show in the lines.
    for (const std::string& line : server.Received()) EXPECT_EQ(line.find('\r'), std::string::npos);
    ASSERT_EQ(account->m_gathered.size(), 1u);
    EXPECT_EQ(account->m_gathered[0]->m_nSize, 120);
    EXPECT_EQ(account->m_gathered[0]->m_strSubject, "Hi");
    EXPECT_EQ(account->m_gathered[0]->m_strMessageId, "<a@x>");
}

TEST_F(SessionTest, MultiLineGreetingIsReadLineByLine) {
    ScriptedServer server;
    // Both lines in one piece: sent as two, a busy machine can hold the
    // second back past the 100 ms the greeting waits for more lines.
    server.Accept().Send("+OK first\r\n+OK second\r\n")
        .Reply("USER alice", "+OK\r\n").Reply("PASS secret", "+OK\r\n")
        .Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(SessionTest, RejectedUserGetsQuitAtOnceAndNoPass) {
    ScriptedServer server;
    server.Accept().Send(kGreeting).Reply("USER alice", "-ERR no such user\r\n")
        .Reply("QUIT", "+OK bye now\r\n").Close();
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_FALSE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_EQ(server.Received(), (std::vector<std::string>{"USER alice", "QUIT"}));
    auto errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0]->m_nKind, ErrorRecord::kError);
    // The reply part is the refusal, not the answer to QUIT.
    EXPECT_TRUE(Contains(errors[0]->m_strText, "'-ERR no such user\r\n'")) << errors[0]->m_strText;
}

// STLS asked for: without STLS in the capabilities, or refused, the check
// fails before anything of the log-in is sent.
TEST_F(SessionTest, StlsNotOfferedSendsNoCredentials) {
    struct Case {
        const char* capa;
        const char* stls;  // null: STLS is not sent
        const char* quoted;
    } cases[] = {
        {"-ERR unknown command\r\n", nullptr, "-ERR unknown command"},
        {"+OK\r\nUSER\r\nSASL PLAIN\r\nSTLSX\r\n.\r\n", nullptr, "STLSX"},
        {"+OK\r\nTOP\r\nstls\r\n.\r\n", "-ERR not now\r\n", "-ERR not now"},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        auto& script = server.Accept().Send(kGreeting).Reply("CAPA", c.capa);
        if (c.stls) script.Reply("STLS", c.stls);
        script.Reply("QUIT", "+OK bye\r\n").Close();
        server.Start();
        auto account = MakeAccount(server);
        Pop3Session session(*account);
        account->m_nSecurity = CAccount::SECURITY_STLS;
        EXPECT_FALSE(session.CheckMailbox());
        EXPECT_TRUE(server.Finish()) << server.Failure();
        for (const std::string& line : server.Received()) {
            EXPECT_NE(line.rfind("USER", 0), 0u) << c.capa;
            EXPECT_NE(line.rfind("PASS", 0), 0u) << c.capa;
        }
        EXPECT_EQ(session.m_nLastError, static_cast<int>(IDS_STLS_NOT_OFFERED));
        auto errors = Errors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(Contains(errors[0]->m_strText, c.quoted)) << errors[0]->m_strText;
        EXPECT_TRUE(errors[0]->m_strFingerprint.empty());
    }
}

TEST_F(SessionTest, RejectedPasswordPromptConfirmedReconnects) {
    m_sink.SetPromptHandler([](CAccount& account) {
        account.m_strPassword = "better";
        account.m_bPasswordReply = 1;
    });
    ScriptedServer server;
    server.Accept().Send(kGreeting).Reply("USER alice", "+OK\r\n")
        .Reply("PASS secret", "-ERR wrong\r\n").Reply("QUIT", "+OK\r\n").Close();
    LogIn(server, "alice", "better").Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SessionTest, RejectedPasswordPromptCancelledPostsTheRefusal) {
    ScriptedServer server;
    server.Accept().Send(kGreeting).Reply("USER alice", "+OK\r\n")
        .Reply("PASS secret", "-ERR wrong\r\n").Reply("QUIT", "+OK see you\r\n").Close();
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_FALSE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    auto errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    std::string expected = FormatResource(
        IDS_PASSWORD_REJECTED,
        {FormatResource(IDS_ACCOUNT_PART, {std::string("Test"), std::string("127.0.0.1")}),
         FormatResource(IDS_REPLY_PART, {std::string("-ERR wrong\r\n")})});
    EXPECT_EQ(errors[0]->m_strText, expected);
}

TEST_F(SessionTest, CredentialsThatWouldBreakTheCommandAreNeverSent) {
    struct Case {
        std::string user, password;
        unsigned error;
    } cases[] = {
        {"alice\r\nDELE 1", "secret", IDS_CREDENTIAL_LINE_BREAK},
        {"alice", "pw\nDELE 1", IDS_CREDENTIAL_LINE_BREAK},
        {std::string(194, 'u'), "secret", IDS_CREDENTIAL_TOO_LONG},  // "USER " + 194 + LF + NUL = 201
        {"alice", std::string(194, 'p'), IDS_CREDENTIAL_TOO_LONG},
    };
    for (const Case& c : cases) {
        ScriptedServer server;
        server.Accept().Send(kGreeting);
        if (c.user == "alice") server.Reply("USER alice", "+OK\r\n").Reply("QUIT", "+OK\r\n");
        server.Pause(200);
        server.Start();
        auto account = MakeAccount(server);
        Pop3Session session(*account);
        account->m_strUser = c.user;
        account->m_strPassword = c.password;
        EXPECT_FALSE(session.CheckMailbox());
        EXPECT_TRUE(server.Finish()) << server.Failure();
        for (const std::string& line : server.Received()) {
            EXPECT_NE(line.rfind("PASS", 0), 0u) << line;
            EXPECT_NE(line.rfind("DELE", 0), 0u) << line;
        }
        auto errors = Errors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(session.m_nLastError, static_cast<int>(c.error));
    }
    // The longest user name that fits is sent whole.
    ScriptedServer server;
    std::string user(193, 'u');
    LogIn(server, user).Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    account->m_strUser = user;
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(SessionTest, FailedTopCostsOnlyThatMessageAndFailsTheCheck) {
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 3 300\r\n")
        .Reply("LIST 1", "+OK 1 100\r\n").Reply("TOP 1 0", TopReply("<1@x>", "one"))
        .Reply("LIST 2", "+OK 2 100\r\n").Reply("TOP 2 0", "-ERR no such message\r\n")
        .Reply("LIST 3", "+OK 3 100\r\n").Reply("TOP 3 0", TopReply("<3@x>", "three"))
        .Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_FALSE(LoginAndRead(session));
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_EQ(Ids(account->m_gathered), (std::vector<std::string>{"<1@x>", "<3@x>"}));
    auto errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0]->m_strText,
              FormatResource(IDS_TOP_FAILED,
                             {std::int64_t{2}, session.AccountPart(),
                              FormatResource(IDS_REPLY_PART, {std::string("-ERR no such message\r\n")})}));
}

TEST_F(SessionTest, MalformedListAndStatReplies) {
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 2 200\r\n")
        .Reply("LIST 1", "+OK 1\r\n")                     // one number only
        .Reply("LIST 2", "+OK 2 99999999999999\r\n").Reply("TOP 2 0", TopReply("<2@x>", "two"))
        .Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_FALSE(LoginAndRead(session));
    EXPECT_TRUE(server.Finish()) << server.Failure();
    ASSERT_EQ(account->m_gathered.size(), 1u);
    EXPECT_EQ(account->m_gathered[0]->m_nSize, 0x7FFFFFFF);
    EXPECT_EQ(Errors().size(), 1u);

    // No count, or a negative one: a failed check, not an empty mailbox.
    for (const char* stat : {"+OK\r\n", "+OK -1 0\r\n"}) {
        ScriptedServer bare;
        LogIn(bare).Reply("STAT", stat).Reply("QUIT", "+OK\r\n");
        bare.Start();
        auto bareAccount = MakeAccount(bare);
        Pop3Session bareSession(*bareAccount);
        EXPECT_FALSE(LoginAndRead(bareSession)) << stat;
        EXPECT_EQ(bareSession.m_nLastError, static_cast<int>(IDS_STAT_FAILED)) << stat;
        EXPECT_TRUE(bare.Finish()) << bare.Failure();
    }
}

TEST_F(SessionTest, MarkedMessagesAreDeletedHighestNumberFirst) {
    ASSERT_TRUE(m_rules.AddMark("<2@x>"));
    ASSERT_TRUE(m_rules.AddMark("<5@x>"));
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 5 500\r\n");
    for (int i = 1; i <= 5; ++i) {
        std::string n = std::to_string(i);
        server.Reply("LIST " + n, "+OK " + n + " 100\r\n")
            .Reply("TOP " + n + " 0", TopReply("<" + n + "@x>", "m" + n));
    }
    server.Reply("DELE 5", "+OK\r\n").Reply("DELE 2", "-ERR locked\r\n").Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    // 5 went; 2 stays in the list (its DELE failed) and keeps its mark.
    EXPECT_EQ(Ids(account->m_gathered), (std::vector<std::string>{"<1@x>", "<3@x>", "<4@x>", "<2@x>"}));
    EXPECT_FALSE(m_rules.HasMark("<5@x>"));
    EXPECT_TRUE(m_rules.HasMark("<2@x>"));
    auto errors = Errors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0]->m_nKind, ErrorRecord::kMessage);  // 5 deleted
    EXPECT_TRUE(Contains(errors[0]->m_strText, "ivan@example.ru"));
    EXPECT_EQ(errors[1]->m_nKind, ErrorRecord::kError);    // DELE 2 refused
}

TEST_F(SessionTest, AMarkIsUsedUpOnlyWhenQuitCarriesOutTheDeletion) {
    ASSERT_TRUE(m_rules.AddMark("<1@x>"));
    ScriptedServer server;  // DELE accepted, then the connection drops before QUIT is answered
    LogIn(server).Reply("STAT", "+OK 1 100\r\n").Reply("LIST 1", "+OK 1 100\r\n")
        .Reply("TOP 1 0", TopReply("<1@x>", "m1")).Reply("DELE 1", "+OK\r\n").Expect("QUIT")
        .Close();
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_TRUE(m_rules.HasMark("<1@x>")) << "the server never deleted it";

    ScriptedServer again;
    LogIn(again).Reply("STAT", "+OK 1 100\r\n").Reply("LIST 1", "+OK 1 100\r\n")
        .Reply("TOP 1 0", TopReply("<1@x>", "m1")).Reply("DELE 1", "+OK\r\n")
        .Reply("QUIT", "+OK bye\r\n");
    again.Start();
    account->m_nPort = again.Port();
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(again.Finish()) << again.Failure();
    EXPECT_FALSE(m_rules.HasMark("<1@x>"));
}

TEST_F(SessionTest, StoppingDuringDeletionsSendsNoMoreDeleAndNoQuit) {
    ASSERT_TRUE(m_rules.AddMark("<1@x>"));
    ASSERT_TRUE(m_rules.AddMark("<2@x>"));
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 2 200\r\n");
    for (const char* n : {"1", "2"})
        server.Reply(std::string("LIST ") + n, std::string("+OK ") + n + " 100\r\n")
            .Reply(std::string("TOP ") + n + " 0", TopReply(std::string("<") + n + "@x>", n));
    server.Expect("DELE 2").Pause(3000);  // no answer while the program ends
    server.Start();
    auto account = MakeAccount(server, 60);
    Pop3Session session(*account);
    std::thread check([&] { EXPECT_FALSE(session.CheckMailbox()); });
    for (int waited = 0; waited < 10000; waited += 10) {
        auto lines = server.Received();
        if (!lines.empty() && lines.back() == "DELE 2") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_context.m_bStopping = true;
    check.join();
    EXPECT_TRUE(server.Finish()) << server.Failure();
    for (const std::string& line : server.Received()) {
        EXPECT_NE(line, "DELE 1");
        EXPECT_NE(line, "QUIT");
    }
    EXPECT_TRUE(m_rules.HasMark("<1@x>"));
    EXPECT_TRUE(m_rules.HasMark("<2@x>"));
}

TEST_F(SessionTest, AServerThatNeverStopsSendingIsGivenUp) {
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "+OK hello again\r\n";
    ScriptedServer greeting;  // greets without end, faster than it is read
    greeting.Accept().Flood(lines);
    greeting.Start();
    auto account = MakeAccount(greeting, 5);
    Pop3Session session(*account);
    EXPECT_FALSE(session.CheckMailbox());  // ends, one way or another
    EXPECT_TRUE(greeting.Finish()) << greeting.Failure();

    ScriptedServer header;  // a header block without end
    LogIn(header).Reply("STAT", "+OK 1 100\r\n").Reply("LIST 1", "+OK 1 100\r\n")
        .Reply("TOP 1 0", "+OK\r\n").Flood("X-Junk: " + std::string(4000, 'j') + "\r\n");
    header.Start();
    account->m_nPort = header.Port();
    EXPECT_FALSE(session.CheckMailbox());
    EXPECT_EQ(session.m_nLastError, static_cast<int>(IDS_TIMED_OUT));
    EXPECT_TRUE(header.Finish()) << header.Failure();
}

TEST_F(SessionTest, HeaderLineEndingInAFullStopAtASegmentEnd) {
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 1 100\r\n").Reply("LIST 1", "+OK 1 100\r\n").Expect("TOP 1 0")
        .Segments({"+OK\r\nMessage-ID: <d@x>\r\nFrom: a@b\r\nSubject: Done.\r\n",
                   "\r\n.\r\n"}, 50)
        .Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(LoginAndRead(session));
    EXPECT_TRUE(server.Finish()) << server.Failure();
    ASSERT_EQ(account->m_gathered.size(), 1u);
    EXPECT_EQ(account->m_gathered[0]->m_strSubject, "Done.");
    EXPECT_EQ(account->m_gathered[0]->m_strHeader.substr(account->m_gathered[0]->m_strHeader.size() - 5),
              "\r\n.\r\n");
}

TEST_F(SessionTest, ZeroByteInAHeaderCostsNothing) {
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 1 100\r\n").Reply("LIST 1", "+OK 1 100\r\n")
        .Reply("TOP 1 0", "+OK\r\nMessage-ID: <z@x>\r\nFrom: a@b\r\nSubject: bad" + std::string(1, '\0') +
                            "byte\r\n\r\n.\r\n")
        .Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server, 2);
    Pop3Session session(*account);
    ASSERT_TRUE(LoginAndRead(session));
    EXPECT_TRUE(server.Finish()) << server.Failure();
    ASSERT_EQ(account->m_gathered.size(), 1u);
    EXPECT_EQ(account->m_gathered[0]->m_strSubject, "bad byte");
}

TEST_F(SessionTest, LongHeaderBlockWhoseEndArrivesApart) {
    // 20,478 bytes, then the terminating line in a segment of its own: the
    // block is cut to 20,479 bytes without waiting out the time-out, and the
    // next reply is read right.
    std::string block = "+OK\r\nMessage-ID: <long@x>\r\nFrom: a@b\r\n";
    for (int i = 0; block.size() < 20478 - 40; ++i) block += "X-Padding-" + std::to_string(i) + ": abcdefghijklmnop\r\n";
    block += "X-Last: " + std::string(20476 - block.size() - 10, 'z') + "\r\n";
    ASSERT_EQ(block.size(), 20478u - 2);
    block += "\r\n";  // the empty line: 20,478 bytes
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 1 100\r\n").Reply("LIST 1", "+OK 1 100\r\n").Expect("TOP 1 0")
        .Segments({block, ".\r\n"}, 100)
        .Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server, 3);
    Pop3Session session(*account);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(LoginAndRead(session));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(server.Finish()) << server.Failure();
    ASSERT_EQ(account->m_gathered.size(), 1u);
    EXPECT_EQ(account->m_gathered[0]->m_strHeader.size(), 20479u);
    EXPECT_EQ(account->m_gathered[0]->m_strMessageId, "<long@x>");
}

TEST_F(SessionTest, HeaderBlockFillingTheBufferExactlyLeavesNoStrayLine) {
    // 20,479 bytes ending in a line feed, the "." line apart: the next
    // reply read is LIST 2's, not the leftover ".".
    std::string block = "+OK\r\nMessage-ID: <full@x>\r\nSubject: " +
                        std::string(20479 - 40, 'y') + "\r\n\r\n";
    ASSERT_EQ(block.size(), 20479u);
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 2 200\r\n").Reply("LIST 1", "+OK 1 100\r\n").Expect("TOP 1 0")
        .Segments({block, ".\r\n"}, 100)
        .Reply("LIST 2", "+OK 2 100\r\n").Reply("TOP 2 0", TopReply("<2@x>", "two"))
        .Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server, 3);
    Pop3Session session(*account);
    EXPECT_TRUE(LoginAndRead(session));
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_EQ(Ids(account->m_gathered), (std::vector<std::string>{"<full@x>", "<2@x>"}));
}

TEST_F(SessionTest, DeleteRulesDeleteAndStayAndTheFirstMatchDecides) {
    CRuleList rules;
    rules.AddTail(std::make_unique<CRule>(1, "keep", 2));   // subject "keep spam": kept
    rules.AddTail(std::make_unique<CRule>(1, "spam", -1));  // other spam: deleted
    m_rules.SetRules(rules, 3);
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 2 200\r\n")
        .Reply("LIST 1", "+OK 1 100\r\n").Reply("TOP 1 0", TopReply("<1@x>", "keep spam"))
        .Reply("LIST 2", "+OK 2 100\r\n").Reply("TOP 2 0", TopReply("<2@x>", "cheap SPAM"))
        .Reply("DELE 2", "+OK\r\n").Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    EXPECT_EQ(Ids(account->m_gathered), (std::vector<std::string>{"<1@x>"}));
    CRuleList after;
    std::int32_t reaction = 0;
    m_rules.GetRules(after, reaction);
    EXPECT_EQ(after.GetCount(), 2u);
}

TEST_F(SessionTest, ReadFailureAfterAMarkedMessageDeletesNothing) {
    ASSERT_TRUE(m_rules.AddMark("<1@x>"));
    ScriptedServer server;
    LogIn(server).Reply("STAT", "+OK 2 200\r\n")
        .Reply("LIST 1", "+OK 1 100\r\n").Reply("TOP 1 0", TopReply("<1@x>", "one"))
        .Expect("LIST 2").Close();
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_FALSE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
    for (const std::string& line : server.Received()) EXPECT_NE(line.rfind("DELE", 0), 0u) << line;
    EXPECT_TRUE(m_rules.HasMark("<1@x>"));
    EXPECT_EQ(session.m_nLastError, static_cast<int>(IDS_TIMED_OUT));
}

TEST_F(SessionTest, NoGreetingThenUserAfterTheTimeOut) {
    ScriptedServer server;
    server.Accept().Reply("USER alice", "+OK\r\n").Reply("PASS secret", "+OK\r\n")
        .Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK\r\n");
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    EXPECT_TRUE(session.CheckMailbox());
    EXPECT_TRUE(server.Finish()) << server.Failure();
}
