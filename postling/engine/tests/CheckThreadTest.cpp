// Checking threads and the merge of their results into the account.
#include <chrono>
#include <thread>

#include "EngineFixture.h"
#include "postling/engine/CheckThread.h"
#include "postling/engine/Pop3Session.h"
#include "postling/message/Rule.h"

namespace {

// A session that lists the given identifiers.
void Mailbox(ScriptedServer& server, const std::vector<std::string>& ids) {
    server.Accept().Send("+OK\r\n").Reply("USER alice", "+OK\r\n").Reply("PASS secret", "+OK\r\n")
        .Reply("STAT", "+OK " + std::to_string(ids.size()) + " 100\r\n");
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::string n = std::to_string(i + 1);
        server.Reply("LIST " + n, "+OK " + n + " 100\r\n").Reply("TOP " + n + " 0", TopReply(ids[i], "s" + n));
    }
    server.Reply("QUIT", "+OK\r\n");
}

struct Seen {
    std::string id;
    int seen;
    int reaction;
    bool operator==(const Seen& o) const { return id == o.id && seen == o.seen && reaction == o.reaction; }
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << s.id << " seen=" << s.seen << " reaction=" << s.reaction;
}

std::vector<Seen> State(const CAccount& account) {
    std::vector<Seen> state;
    for (const auto& m : account.m_messages) state.push_back({m->m_strMessageId, m->m_bSeen, m->m_nReaction});
    return state;
}

}  // namespace

class CheckThreadTest : public EngineTest {
protected:
    // One whole check on the account's own thread, collected as the main frame does.
    void Check(CAccount& account, ScriptedServer& server) {
        server.Start();
        std::size_t before = m_exits;
        ASSERT_TRUE(StartCheck(account));
        EXPECT_TRUE(account.IsBusy());
        ASSERT_TRUE(m_sink.WaitFor(QueueSink::kThreadExiting, before + 1, 20000));
        ++m_exits;
        EXPECT_TRUE(CollectCheckThread(account));
        EXPECT_FALSE(account.IsBusy());
        EXPECT_TRUE(server.Finish()) << server.Failure();
    }
    std::size_t m_exits = 0;
};

TEST_F(CheckThreadTest, MergeKeepsSeenFlagsAndGivesNewMessagesTheirReactions) {
    CRuleList rules;
    rules.AddTail(std::make_unique<CRule>(1, "quiet", 1));  // subject "quiet": no reaction
    m_rules.SetRules(rules, 3);

    ScriptedServer first;
    Mailbox(first, {"<a@x>", "<b@x>"});
    auto account = MakeAccount(first);
    Pop3Session session(*account);
    account->m_knownIds.push_back(std::make_unique<CMessage>());
    account->m_knownIds.back()->m_strMessageId = "<a@x>";
    account->m_knownIds.push_back(std::make_unique<CMessage>());
    account->m_knownIds.back()->m_strMessageId = "<gone@x>";
    Check(*account, first);
    EXPECT_EQ(State(*account), (std::vector<Seen>{{"<a@x>", 1, 1}, {"<b@x>", 0, 3}}));
    EXPECT_TRUE(account->m_knownIds.empty());
    EXPECT_TRUE(account->m_gathered.empty());

    // b is still unseen: it counts as new again; c is new; a went away.
    ScriptedServer second;
    Mailbox(second, {"<b@x>", "<c@x>"});
    account->m_nPort = second.Port();
    Check(*account, second);
    EXPECT_EQ(State(*account), (std::vector<Seen>{{"<b@x>", 0, 3}, {"<c@x>", 0, 3}}));

    account->MarkAllSeen();
    ScriptedServer third;
    Mailbox(third, {"<b@x>", "<c@x>", "<d@x>"});
    account->m_nPort = third.Port();
    Check(*account, third);
    EXPECT_EQ(State(*account), (std::vector<Seen>{{"<b@x>", 1, 1}, {"<c@x>", 1, 1}, {"<d@x>", 0, 3}}));
}

TEST_F(CheckThreadTest, NoReactionRuleMakesTheMessageSeen) {
    CRuleList rules;
    rules.AddTail(std::make_unique<CRule>(1, "S1", 1));
    m_rules.SetRules(rules, 4);
    ScriptedServer server;
    Mailbox(server, {"<q@x>", "<r@x>"});
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    Check(*account, server);
    EXPECT_EQ(State(*account), (std::vector<Seen>{{"<q@x>", 1, 1}, {"<r@x>", 0, 4}}));
}

TEST_F(CheckThreadTest, FailedCheckLeavesTheLastCompletedOne) {
    ScriptedServer first;
    Mailbox(first, {"<a@x>"});
    auto account = MakeAccount(first);
    Pop3Session session(*account);
    Check(*account, first);
    ASSERT_EQ(account->m_messages.size(), 1u);

    ScriptedServer broken;  // the connection drops in the middle of the listing
    broken.Accept().Send("+OK\r\n").Reply("USER alice", "+OK\r\n").Reply("PASS secret", "+OK\r\n")
        .Reply("STAT", "+OK 2 100\r\n").Reply("LIST 1", "+OK 1 50\r\n")
        .Reply("TOP 1 0", TopReply("<new@x>", "n")).Expect("LIST 2").Close();
    account->m_nPort = broken.Port();
    Check(*account, broken);
    EXPECT_EQ(State(*account), (std::vector<Seen>{{"<a@x>", 0, 2}}));
}

TEST_F(CheckThreadTest, TwoAccountsAtOnceReturnTheRunningCountToZero) {
    ScriptedServer one, two;
    Mailbox(one, {"<1@x>"});
    Mailbox(two, {"<2@x>", "<3@x>"});
    one.Start();
    two.Start();
    auto first = MakeAccount(one);
    auto second = MakeAccount(two);
    ASSERT_TRUE(StartCheck(*first));
    ASSERT_TRUE(StartCheck(*second));
    EXPECT_FALSE(StartCheck(*first));  // never two checks of one account
    ASSERT_TRUE(m_sink.WaitFor(QueueSink::kThreadExiting, 2, 20000));
    EXPECT_TRUE(CollectCheckThread(*first));
    EXPECT_TRUE(CollectCheckThread(*second));
    EXPECT_EQ(m_context.m_nRunningChecks.load(), 0);
    EXPECT_EQ(first->m_messages.size(), 1u);
    EXPECT_EQ(second->m_messages.size(), 2u);
    EXPECT_NE(first->m_timeCheckFinished, kTimeInvalid);
    EXPECT_TRUE(one.Finish()) << one.Failure();
    EXPECT_TRUE(two.Finish()) << two.Failure();
}

TEST_F(CheckThreadTest, AnAccountStaysBusyUntilItsThreadIsCollected) {
    ScriptedServer server;
    Mailbox(server, {});
    server.Start();
    auto account = MakeAccount(server);
    Pop3Session session(*account);
    ASSERT_TRUE(StartCheck(*account));
    ASSERT_TRUE(m_sink.WaitFor(QueueSink::kThreadExiting, 1, 20000));
    EXPECT_EQ(account->m_bChecking.load(), 0);
    EXPECT_TRUE(account->IsBusy());       // ended, not yet collected
    EXPECT_FALSE(StartCheck(*account));  // so the handle cannot be replaced
    EXPECT_TRUE(CollectCheckThread(*account));
    EXPECT_FALSE(CollectCheckThread(*account));
    EXPECT_TRUE(server.Finish()) << server.Failure();
}

TEST_F(CheckThreadTest, AStopRequestEndsChecksThatWaitOnTheServer) {
    ScriptedServer silent;  // no greeting, no reply to USER
    silent.Accept().Expect("USER alice");
    ScriptedServer flood;  // a greeting that never ends
    flood.Accept().Flood("+OK and more\r\n");
    silent.Start();
    flood.Start();
    auto quiet = MakeAccount(silent, 600);
    auto endless = MakeAccount(flood, 600);
    ASSERT_TRUE(StartCheck(*quiet));
    ASSERT_TRUE(StartCheck(*endless));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // both are waiting now
    m_context.m_bStopping = true;
    ASSERT_TRUE(m_sink.WaitFor(QueueSink::kThreadExiting, 2, 20000)) << "a check went on";
    EXPECT_TRUE(CollectCheckThread(*quiet));
    EXPECT_TRUE(CollectCheckThread(*endless));
    EXPECT_EQ(m_context.m_nRunningChecks.load(), 0);
    EXPECT_TRUE(silent.Finish()) << silent.Failure();
    EXPECT_TRUE(flood.Finish()) << flood.Failure();
}

TEST_F(CheckThreadTest, AStopRequestEndsAConnectionThatIsNotAnswered) {
    ScriptedServer full(0);  // never accepts: one queued connection fills it
    std::uint32_t loopback = 0;
    ASSERT_TRUE(ParseDottedAddress("127.0.0.1", loopback));
    SocketHandle filler = CreateStreamSocket();
    ASSERT_TRUE(ConnectSocket(filler, loopback, full.Port()));
    auto account = MakeAccount(full, 600);
    Pop3Session session(*account);
    ASSERT_TRUE(StartCheck(*account));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the connect is under way
    EXPECT_TRUE(account->IsBusy());
    m_context.m_bStopping = true;
    ASSERT_TRUE(m_sink.WaitFor(QueueSink::kThreadExiting, 1, 20000)) << "the connect went on";
    EXPECT_TRUE(CollectCheckThread(*account));
    std::vector<std::unique_ptr<ErrorRecord>> errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0]->m_strText.find("127.0.0.1"), std::string::npos);
    CloseSocket(filler);
}
