// The check scheduler: the strict due test, skipping (not postponing) busy
// or blocked accounts, the blocking tests at most once a tick.
#include <gtest/gtest.h>

#include "postling/engine/CheckThread.h"
#include "postling/shell/tests/win/FrameTestSupport.h"

namespace {

class SchedulerTest : public ::testing::Test {
protected:
    SchedulerTest() : sched(host.m_accounts, host.m_settings) {
        sched.m_onExitRequest = [this] { ++exits; };
    }

    FakeClock clock;
    FakeHost host;
    TestScheduler sched;
    int exits = 0;
};

TEST_F(SchedulerTest, AnAccountIsDueOnlyOnceItsNextCheckLiesBeforeNow) {
    CAccount& a = host.AddAccount("a", clock.now);
    sched.OnSchedulerTick();
    EXPECT_TRUE(sched.m_started.empty());
    EXPECT_EQ(a.m_timeNextCheck, clock.now);  // not touched
    clock.now += 1;
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_started, (std::vector<std::string>{"a"}));
}

TEST_F(SchedulerTest, ABusyAccountIsSkippedNotPostponed) {
    CAccount& a = host.AddAccount("a", clock.now - 5, 10);
    a.m_bChecking = 1;
    sched.OnSchedulerTick();
    EXPECT_TRUE(sched.m_started.empty());
    EXPECT_EQ(a.m_timeNextCheck, clock.now + 10);  // from the skip, not from the old time
    // Its check ends after 25 s: started at the first tick after, once due.
    clock.now += 25;
    a.m_bChecking = 0;
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_started.size(), 1u);
}

TEST_F(SchedulerTest, ANotCollectedThreadStillCountsAsBusy) {
    CAccount& a = host.AddAccount("a", clock.now - 5, 10);
    a.m_bChecking = 0;
    a.m_pThread = std::make_unique<CheckThread>([] {});
    a.m_pThread->Resume();
    sched.OnSchedulerTick();
    EXPECT_TRUE(sched.m_started.empty());
    CollectCheckThread(a);
}

TEST_F(SchedulerTest, AFailedStartLeavesTheAccountDue) {
    CAccount& a = host.AddAccount("a", clock.now - 5);
    sched.m_failStart = true;
    sched.OnSchedulerTick();
    EXPECT_EQ(a.m_timeNextCheck, clock.now - 5);
    sched.m_failStart = false;
    clock.now += 1;
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_started.size(), 1u);
}

TEST_F(SchedulerTest, TheDialupTestRunsOnceATickAndOnlyWhenSomethingIsDue) {
    host.m_settings.m_dwOptions = OPT_DIALUP_ONLY;
    sched.m_dialup = false;
    CAccount& a = host.AddAccount("a", clock.now - 1, 600);
    CAccount& b = host.AddAccount("b", clock.now - 1, 300);
    CAccount& c = host.AddAccount("c", clock.now + 100);
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_dialupTests, 1);
    EXPECT_TRUE(sched.m_started.empty());
    EXPECT_EQ(a.m_timeNextCheck, clock.now + 600);
    EXPECT_EQ(b.m_timeNextCheck, clock.now + 300);
    EXPECT_EQ(c.m_timeNextCheck, clock.now + 100);
    EXPECT_EQ(exits, 0);
    clock.now += 1;
    sched.OnSchedulerTick();  // nothing due
    EXPECT_EQ(sched.m_dialupTests, 1);
}

TEST_F(SchedulerTest, NoDialupEndsTheProgramWhenAskedTo) {
    host.m_settings.m_dwOptions = OPT_DIALUP_ONLY | OPT_EXIT_WITHOUT_DIALUP;
    sched.m_dialup = false;
    host.AddAccount("a", clock.now - 1);
    sched.OnSchedulerTick();
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(sched.m_started.empty());
}

TEST_F(SchedulerTest, AConnectedDialupLetsTheChecksRun) {
    host.m_settings.m_dwOptions = OPT_DIALUP_ONLY | OPT_EXIT_WITHOUT_DIALUP;
    host.AddAccount("a", clock.now - 1);
    host.AddAccount("b", clock.now - 1);
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_dialupTests, 1);
    EXPECT_EQ(sched.m_started.size(), 2u);
    EXPECT_EQ(exits, 0);
}

TEST_F(SchedulerTest, TheMailProgramTestRunsOnceATickAndNeedsAPath) {
    host.m_settings.m_dwOptions = OPT_SKIP_WHEN_MAILER_RUNS;
    host.AddAccount("a", clock.now - 1);
    host.AddAccount("b", clock.now - 1);
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_processTests, 0);  // no mail program chosen
    EXPECT_EQ(sched.m_started.size(), 2u);

    host.m_settings.m_strMailer = "C:\\Mail\\mailer.exe";
    sched.m_mailerRuns = true;
    for (auto& account : host.m_accounts) {
        account->m_bChecking = 0;
        account->m_timeNextCheck = clock.now - 1;
    }
    sched.OnSchedulerTick();
    EXPECT_EQ(sched.m_processTests, 1);
    EXPECT_EQ(sched.m_started.size(), 2u);
    EXPECT_TRUE(sched.IsCheckBlocked());
}

TEST_F(SchedulerTest, PausedBlocksWithoutAskingTheSystem) {
    host.m_settings.m_dwOptions = OPT_DIALUP_ONLY | OPT_SKIP_WHEN_MAILER_RUNS;
    host.m_settings.m_strMailer = "x.exe";
    sched.SetPaused(true);
    EXPECT_TRUE(sched.IsCheckBlocked());
    EXPECT_EQ(sched.m_dialupTests, 0);
    EXPECT_EQ(sched.m_processTests, 0);
}

TEST_F(SchedulerTest, TheProcessWalkFindsThisProgram) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    EXPECT_TRUE(sched.RealProgramRunning(path));
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(sched.RealProgramRunning(lower));
    EXPECT_FALSE(sched.RealProgramRunning("C:\\no\\such\\program.exe"));
}

TEST_F(SchedulerTest, CheckNowIgnoresTheBlockingTests) {
    host.m_settings.m_dwOptions = OPT_DIALUP_ONLY;
    sched.m_dialup = false;
    host.AddAccount("a");
    host.AddAccount("b");
    EXPECT_TRUE(sched.CheckNow(ID_CHECK_ALL));
    EXPECT_EQ(sched.m_started.size(), 2u);
    EXPECT_EQ(sched.m_dialupTests, 0);
    EXPECT_FALSE(sched.CheckNow(20001));  // busy now
    EXPECT_FALSE(sched.CheckNow(20003));
    EXPECT_FALSE(sched.CanCheckNow(20064));
    EXPECT_TRUE(sched.CanCheckNow(ID_CHECK_ALL));
}

}  // namespace
