// Whole checks against servers that misbehave on purpose: each must end
// with the failure it is, the error record the user sees, and in bounded
// time, with the connection closed.
#include <chrono>
#include <cctype>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "EngineFixture.h"
#include "postling/engine/EngineStrings.h"
#include "postling/engine/Pop3Session.h"
#include "postling/engine/Socket.h"

namespace {

const char kGreeting[] = "+OK POP3 ready\r\n";

ScriptedServer& LogIn(ScriptedServer& server) {
    return server.Accept().Send(kGreeting).Reply("USER alice", "+OK\r\n").Reply("PASS secret", "+OK\r\n");
}

// `text` sent one byte at a time, `gapMs` apart.
std::vector<std::string> Drip(const std::string& text) {
    std::vector<std::string> bytes;
    for (char c : text) bytes.emplace_back(1, c);
    return bytes;
}

std::string Top(const std::string& id) {
    return "+OK\r\nMessage-ID: " + id + "\r\nFrom: a@b\r\nSubject: s\r\n\r\n.\r\n";
}

struct Scenario {
    const char* name;
    std::function<void(ScriptedServer&)> script;
    bool succeeds;
    int lastError;          // the session's failure; kNoError: not checked
    std::size_t records;    // error records posted
    const char* quoted;     // a text the first record holds, or null
    std::size_t gathered;   // messages found
    int maxSeconds;         // with a time-out of one second
};

const int kTimedOut = static_cast<int>(IDS_TIMED_OUT);
const int kStat = static_cast<int>(IDS_STAT_FAILED);
const int kUser = static_cast<int>(IDS_USER_REJECTED);

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = {
        {"no greeting, no answer", [](ScriptedServer& s) { s.Accept().Pause(4000); }, false, kTimedOut, 1,
         nullptr, 0, 6},
        {"close after the greeting", [](ScriptedServer& s) { s.Accept().Send(kGreeting).Close(); }, false,
         kTimedOut, 1, nullptr, 0, 4},
        {"silence after USER", [](ScriptedServer& s) { s.Accept().Send(kGreeting).ExpectAny().Pause(4000); },
         false, kTimedOut, 1, nullptr, 0, 6},
        {"a greeting without end",
         // Where the flood is cut decides whether STAT or the time gives out first.
         [](ScriptedServer& s) { s.Accept().Flood("+OK still greeting\r\n"); }, false, kNoError, 1, nullptr, 0, 8},
        {"a reply dripped just inside every time-out",
         [](ScriptedServer& s) { s.Accept().Send(kGreeting).ExpectAny().Segments(Drip("+OK slowly, ever so slowly\r\n"), 700); },
         false, kTimedOut, 1, nullptr, 0, 8},
        {"garbage STAT", [](ScriptedServer& s) { LogIn(s).Reply("STAT", "+OK lots\r\n").Reply("QUIT", "+OK\r\n"); },
         false, kStat, 1, "+OK lots", 0, 4},
        {"negative STAT",
         [](ScriptedServer& s) { LogIn(s).Reply("STAT", "+OK -3 100\r\n").Reply("QUIT", "+OK\r\n"); }, false, kStat,
         1, nullptr, 0, 4},
        {"STAT with INT_MAX, then the server goes",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 2147483647 1\r\n").Reply("LIST 1", "+OK 1 10\r\n").Reply("TOP 1 0", Top("<a@x>"))
                 .Close();
         },
         false, kTimedOut, 1, nullptr, 1, 4},
        {"garbage LIST costs that message",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 2 20\r\n").Reply("LIST 1", "+OK ?\r\n").Reply("LIST 2", "+OK 2 10\r\n")
                 .Reply("TOP 2 0", Top("<b@x>")).Reply("QUIT", "+OK\r\n");
         },
         false, kNoError, 1, "+OK ?", 1, 4},
        {"negative TOP costs that message",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 1 20\r\n").Reply("LIST 1", "+OK 1 10\r\n").Reply("TOP 1 0", "-ERR gone\r\n")
                 .Reply("QUIT", "+OK\r\n");
         },
         false, kNoError, 1, "-ERR gone", 0, 4},
        {"endless TOP",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 1 20\r\n").Reply("LIST 1", "+OK 1 10\r\n").Reply("TOP 1 0", "+OK\r\n")
                 .Flood("X-Junk: " + std::string(2000, 'j') + "\r\n");
         },
         false, kTimedOut, 1, nullptr, 0, 8},
        {"a megabyte line without an end",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 1 20\r\n").Reply("LIST 1", "+OK 1 10\r\n")
                 .Reply("TOP 1 0", "+OK\r\nSubject: " + std::string(1 << 20, 'x')).Pause(6000);
         },
         false, kTimedOut, 1, nullptr, 0, 8},
        {"huge TOP with its end",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 1 20\r\n").Reply("LIST 1", "+OK 1 10\r\n")
                 .Reply("TOP 1 0", "+OK\r\nMessage-ID: <h@x>\r\nX: " + std::string(300000, 'h') + "\r\n\r\n.\r\n")
                 .Reply("QUIT", "+OK\r\n");
         },
         true, kNoError, 0, nullptr, 1, 4},
        {"a close in the middle of a header",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 1 20\r\n").Reply("LIST 1", "+OK 1 10\r\n").Reply("TOP 1 0", "+OK\r\nFrom: a")
                 .Close();
         },
         false, kTimedOut, 1, nullptr, 0, 4},
        {"a whole session in one-byte pieces",
         [](ScriptedServer& s) {
             s.Accept().Segments(Drip(kGreeting), 1).Expect("USER alice").Segments(Drip("+OK\r\n"), 1)
                 .Expect("PASS secret").Segments(Drip("+OK\r\n"), 1).Expect("STAT")
                 .Segments(Drip("+OK 1 10\r\n"), 1).Expect("LIST 1").Segments(Drip("+OK 1 10\r\n"), 1)
                 .Expect("TOP 1 0").Segments(Drip(Top("<one@x>")), 1).Reply("QUIT", "+OK\r\n");
         },
         true, kNoError, 0, nullptr, 1, 6},
        {"binary and NUL bytes in a header",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 1 20\r\n").Reply("LIST 1", "+OK 1 10\r\n")
                 .Reply("TOP 1 0", std::string("+OK\r\nMessage-ID: <b\0in@x>\r\nX: \x01\xff\xfe\r\n\r\n.\r\n", 40))
                 .Reply("QUIT", "+OK\r\n");
         },
         true, kNoError, 0, nullptr, 1, 4},
        {"TOP answered with another message's header",
         [](ScriptedServer& s) {
             LogIn(s).Reply("STAT", "+OK 2 20\r\n").Reply("LIST 1", "+OK 1 10\r\n").Reply("TOP 1 0", Top("<same@x>"))
                 .Reply("LIST 2", "+OK 2 10\r\n").Reply("TOP 2 0", Top("<same@x>")).Reply("QUIT", "+OK\r\n");
         },
         true, kNoError, 0, nullptr, 2, 4},
        {"format specifiers in a refusal",
         [](ScriptedServer& s) {
             s.Accept().Send(kGreeting).Reply("USER alice", "-ERR %s%n%x%p\r\n").Reply("QUIT", "+OK\r\n");
         },
         false, kUser, 1, "-ERR %s%n%x%p", 0, 4},
        {"QUIT never answered, the connection never closed",
         [](ScriptedServer& s) { LogIn(s).Reply("STAT", "+OK 0 0\r\n").ExpectAny().Pause(4000); }, true, kNoError,
         0, nullptr, 0, 4},
        {"the greeting line over the reply buffer",
         [](ScriptedServer& s) {
             s.Accept().Send("+OK " + std::string(40000, 'g') + "\r\n").Reply("USER alice", "+OK\r\n")
                 .Reply("PASS secret", "+OK\r\n").Reply("STAT", "+OK 0 0\r\n").Reply("QUIT", "+OK\r\n");
         },
         true, kNoError, 0, nullptr, 0, 6},
    };
    return scenarios;
}

class HostileServerTest : public EngineTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(HostileServerTest, EndsWithItsFailureInBoundedTime) {
    const Scenario& c = Scenarios()[GetParam()];
    SCOPED_TRACE(c.name);
    ScriptedServer server;
    c.script(server);
    server.Start();
    auto account = MakeAccount(server, 1);
    Pop3Session session(*account);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session.CheckMailbox(), c.succeeds);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LE(seconds.count(), c.maxSeconds);
    if (c.lastError != kNoError) EXPECT_EQ(session.m_nLastError, c.lastError);
    EXPECT_EQ(session.m_socket, kInvalidSocket);
    const auto errors = Errors();
    EXPECT_EQ(errors.size(), c.records);
    if (c.quoted && !errors.empty())
        EXPECT_NE(errors[0]->m_strText.find(c.quoted), std::string::npos) << errors[0]->m_strText;
    EXPECT_EQ(account->m_gathered.size(), c.gathered);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, HostileServerTest, ::testing::Range<std::size_t>(0, Scenarios().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             std::string name;
                             for (const char* c = Scenarios()[info.param].name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

// A port nobody listens on is refused at once; a listener whose queue is
// full never answers the connect, which is given up after the time-out.
TEST_F(EngineTest, RefusedAndUnansweredConnects) {
    std::uint16_t refused = 0;
    {
        ScriptedServer gone;  // its port, free again once it is gone
        refused = gone.Port();
    }
    ScriptedServer full(0);  // never accepts: one queued connection fills it
    std::uint32_t loopback = 0;
    ASSERT_TRUE(ParseDottedAddress("127.0.0.1", loopback));
    SocketHandle filler = CreateStreamSocket();
    ASSERT_TRUE(ConnectSocket(filler, loopback, full.Port()));
    for (std::uint16_t port : {refused, full.Port()}) {
        SCOPED_TRACE(port);
        CAccount account;
        account.m_strName = "Test";
        account.m_strServer = "127.0.0.1";
        account.m_nPort = port;
        account.m_nTimeOut = 1;
        Pop3Session session(account);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(session.CheckMailbox());
        EXPECT_LE(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count(),
                  4);
        // A system that queues the connect anyway leaves it unanswered: a time-out.
        EXPECT_TRUE(session.m_nLastError == static_cast<int>(IDS_CONNECT_FAILED) ||
                    (port == full.Port() && session.m_nLastError == static_cast<int>(IDS_TIMED_OUT)))
            << session.m_nLastError;
    }
    CloseSocket(filler);
}

// A resolver that does not answer: the look-up is abandoned after the
// time-out, or at once when the checks stop (as at exit).
TEST_F(EngineTest, AResolverThatDoesNotAnswerIsAbandoned) {
    SetResolverForTesting([](const std::string&, std::uint32_t&) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return false;
    });
    CAccount account;
    account.m_strName = "Test";
    account.m_strServer = "slow.example";
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stop" : "time-out");
        account.m_nTimeOut = stop ? 10 : 1;
        Pop3Session session(account);
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (stop) m_context.m_bStopping = true;
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(session.CheckMailbox());
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        stopper.join();
        EXPECT_LE(ms.count(), 2500);  // the resolver takes 3 s
        EXPECT_EQ(session.m_nLastError, static_cast<int>(IDS_SERVER_NOT_FOUND));
    }
    SetResolverForTesting(nullptr);
}

}  // namespace
