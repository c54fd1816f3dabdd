// The tray main frame in process: tooltip and icon from the counts, the
// strongest reaction, "Drop Unread Flag", error records, pause and resume,
// the tray menu and the registered messages.
#include <gtest/gtest.h>

#include <ctime>

#include "postling/shell/tests/win/FrameTestSupport.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto scheduler = std::make_unique<TestScheduler>(host.m_accounts, host.m_settings);
        sched = scheduler.get();
        frame = new TestFrame(host, std::move(scheduler));
        ASSERT_TRUE(frame->CreateHidden());
        host.m_sink.SetFrame(frame->m_hWnd);
        // The test drives the timers itself.
        frame->KillTimer(kSchedulerTimer);
        frame->KillTimer(kIconTimer);
    }
    void TearDown() override {
        if (frame) frame->DestroyWindow();  // the frame deletes itself
        PumpMessages();
    }

    std::string Tip(const char* countText) {
        return "V&&S Post Sentry: " + Cp1251(countText);
    }

    FakeClock clock;
    FakeHost host;
    TestScheduler* sched = nullptr;
    TestFrame* frame = nullptr;
};

TEST_F(MainFrameTest, FormatMailCountGivesTheCountText) {
    EXPECT_EQ(CMainFrame::FormatMailCount(5, 2), Cp1251("5 писем (2 новых)"));
    EXPECT_EQ(CMainFrame::FormatMailCount(1, 1), Cp1251("1 письмо (1 новое)"));
    EXPECT_EQ(CMainFrame::FormatMailCount(3, 0), Cp1251("3 письма (новых нет)"));
    EXPECT_EQ(CMainFrame::FormatMailCount(0, 0), Cp1251("Нет писем"));
    EXPECT_EQ(CMainFrame::FormatMailCount(-1, 3), Cp1251("Нет писем"));
    EXPECT_EQ(CMainFrame::FormatMailCount(21, 22), Cp1251("21 письмо (22 новых)"));
}

TEST_F(MainFrameTest, CreationLoadsTheIconsAndShowsNoMail) {
    for (int i = 0; i < CMainFrame::kIconCount; ++i)
        EXPECT_NE(frame->GetIcon(static_cast<CMainFrame::Icon>(i)), nullptr) << i;
    EXPECT_EQ(frame->GetTrayTip(), Tip("Нет писем"));
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconNormal));
    EXPECT_FALSE(frame->IsWindowVisible());
    char name[64] = {};
    GetClassNameA(frame->m_hWnd, name, sizeof name);
    EXPECT_STREQ(name, "PostlingMainFrame");
    EXPECT_EQ(GetWindowLongA(frame->m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
}

TEST_F(MainFrameTest, UpdateTrayChoosesTooltipIconAndBlinking) {
    frame->UpdateTray(5, 2);
    EXPECT_EQ(frame->GetTrayTip(), Tip("5 писем (2 новых)"));
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconNewMail));
    EXPECT_TRUE(frame->IsBlinking());
    EXPECT_TRUE(frame->GetBlinkPhase());

    frame->UpdateTray(3, 0);
    EXPECT_EQ(frame->GetTrayTip(), Tip("3 письма (новых нет)"));
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconNormal));
    EXPECT_FALSE(frame->IsBlinking());

    // More new than in all: no more new than there are.
    frame->UpdateTray(2, 7);
    EXPECT_EQ(frame->GetTrayTip(), Tip("2 письма (2 новых)"));
}

TEST_F(MainFrameTest, WhileChecksRunOnlyTheTooltipChanges) {
    host.m_context.m_nRunningChecks = 1;
    frame->OnIconTimer();
    HICON animated = frame->GetShownIcon();
    EXPECT_EQ(animated, frame->GetIcon(CMainFrame::kIconFrame0));
    frame->UpdateTray(1, 1);
    EXPECT_EQ(frame->GetTrayTip(), Tip("1 письмо (1 новое)"));
    EXPECT_EQ(frame->GetShownIcon(), animated);
    host.m_context.m_nRunningChecks = 0;
}

TEST_F(MainFrameTest, IconTimerAnimatesThenBlinks) {
    host.m_context.m_nRunningChecks = 2;
    for (int i = 0; i < 9; ++i) {
        frame->OnIconTimer();
        EXPECT_EQ(frame->GetShownIcon(),
                  frame->GetIcon(static_cast<CMainFrame::Icon>(CMainFrame::kIconFrame0 + i % 8)));
    }
    EXPECT_EQ(frame->GetAnimationFrame(), 1);  // kept between checks
    host.m_context.m_nRunningChecks = 0;
    frame->UpdateTray(1, 1);
    frame->OnIconTimer();
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconBlinkOff));
    frame->OnIconTimer();
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconNewMail));
    frame->UpdateTray(1, 0);
    frame->OnIconTimer();
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconNormal));
}

TEST_F(MainFrameTest, SetTrayIconCutsTheTooltipTo127Characters) {
    std::string longTip(300, 'x');
    HICON before = frame->GetShownIcon();
    frame->SetTrayIcon(frame->GetIcon(CMainFrame::kIconPaused), longTip.c_str(), false);
    EXPECT_EQ(frame->GetTrayTip(), std::string(127, 'x'));
    EXPECT_EQ(frame->GetShownIcon(), before);
    frame->SetTrayIcon(frame->GetIcon(CMainFrame::kIconPaused), nullptr, true);
    EXPECT_EQ(frame->GetTrayTip(), std::string(127, 'x'));
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconPaused));
}

TEST_F(MainFrameTest, RefreshAndNotifyCarriesOutTheStrongestUnseenReaction) {
    CAccount& a = host.AddAccount("a");
    CAccount& b = host.AddAccount("b");
    FakeHost::AddMessage(a, 5, true);   // seen: does not count
    FakeHost::AddMessage(a, 2, false);
    FakeHost::AddMessage(a, 1, true);
    FakeHost::AddMessage(b, 4, false);
    FakeHost::AddMessage(b, 3, true);
    frame->RefreshAndNotify();
    EXPECT_EQ(frame->GetTrayTip(), Tip("5 писем (2 новых)"));
    EXPECT_TRUE(frame->IsBlinking());
    ASSERT_EQ(host.m_sounds.size(), 1u);
    EXPECT_EQ(host.m_sounds[0], SOUND_EVENT_MESSAGES);
    EXPECT_EQ(frame->m_mailLists, 1);
    EXPECT_EQ(frame->m_mailerStarts, 0);
    EXPECT_TRUE(frame->m_tips.empty());
    // Still unseen after the next check: it reminds again.
    frame->RefreshAndNotify();
    EXPECT_EQ(host.m_sounds.size(), 2u);
    EXPECT_EQ(frame->m_mailLists, 2);
}

TEST_F(MainFrameTest, EachReactionHasItsOwnSoundAndAction) {
    CAccount& a = host.AddAccount("a");
    FakeHost::AddMessage(a, 5, false);
    frame->RefreshAndNotify();
    EXPECT_EQ(host.m_sounds.back(), SOUND_EVENT_MAILER);
    EXPECT_EQ(frame->m_mailerStarts, 1);
    EXPECT_EQ(frame->m_mailLists, 0);

    a.MarkAllSeen();
    FakeHost::AddMessage(a, 2, false);
    frame->RefreshAndNotify();
    EXPECT_EQ(host.m_sounds.back(), SOUND_EVENT_BLINK);
    EXPECT_EQ(frame->m_mailerStarts, 1);

    a.MarkAllSeen();
    FakeHost::AddMessage(a, 1, false);
    host.m_sounds.clear();
    frame->RefreshAndNotify();
    EXPECT_TRUE(host.m_sounds.empty());  // new, but "no reaction"
    EXPECT_TRUE(frame->IsBlinking());
}

TEST_F(MainFrameTest, ThePopupReactionShowsTheTipAndAnOpenTipIsRefreshed) {
    CAccount& a = host.AddAccount("a");
    FakeHost::AddMessage(a, 3, false);
    FakeHost::AddMessage(a, 1, true);
    frame->RefreshAndNotify();
    ASSERT_EQ(frame->m_tips.size(), 1u);
    EXPECT_EQ(frame->m_tips[0], Cp1251("Получена свежая почта!\n2 письма (1 новое)"));
    EXPECT_EQ(host.m_sounds.back(), SOUND_EVENT_POPUP);
    // Nothing new, but the tip is still open: its text follows.
    a.MarkAllSeen();
    frame->RefreshAndNotify();
    ASSERT_EQ(frame->m_tips.size(), 2u);
    EXPECT_EQ(frame->m_tips[1], Cp1251("Получена свежая почта!\n2 письма (новых нет)"));
    frame->m_tipShown = false;
    frame->RefreshAndNotify();
    EXPECT_EQ(frame->m_tips.size(), 2u);
}

TEST_F(MainFrameTest, DropUnreadFlagZeroMarksEverythingSeen) {
    CAccount& a = host.AddAccount("a");
    CAccount& b = host.AddAccount("b");
    FakeHost::AddMessage(a, 4, false);
    FakeHost::AddMessage(b, 2, false);
    FakeHost::AddMessage(b, 2, true);
    frame->SendMessage(RegisteredMessages::Get().dropUnreadFlag, 0, 0);
    for (CAccount* account : {&a, &b})
        for (auto& message : account->m_messages) EXPECT_EQ(message->m_bSeen, 1);
    EXPECT_FALSE(frame->IsBlinking());
    EXPECT_EQ(frame->GetTrayTip(), Tip("3 письма (новых нет)"));
    EXPECT_TRUE(host.m_sounds.empty());
}

TEST_F(MainFrameTest, DropUnreadFlagOneOnlyStopsTheBlinking) {
    CAccount& a = host.AddAccount("a");
    FakeHost::AddMessage(a, 2, false);
    FakeHost::AddMessage(a, 2, true);
    frame->RefreshAndNotify();
    EXPECT_TRUE(frame->IsBlinking());
    host.m_sounds.clear();
    frame->SendMessage(RegisteredMessages::Get().dropUnreadFlag, 1, 0);
    EXPECT_FALSE(frame->IsBlinking());
    EXPECT_EQ(frame->GetTrayTip(), Tip("2 письма (новых нет)"));
    EXPECT_EQ(a.m_messages[0]->m_bSeen, 0);  // still unseen
    EXPECT_TRUE(host.m_sounds.empty());
    // The next check reminds again.
    frame->RefreshAndNotify();
    EXPECT_TRUE(frame->IsBlinking());
    EXPECT_EQ(host.m_sounds.size(), 1u);
}

TEST_F(MainFrameTest, AddErrorStampsTheRecordWithTheTime) {
    CAccount& a = host.AddAccount("a");
    frame->OnAddError(std::make_unique<ErrorRecord>(ErrorRecord::kWarning, "text", &a));
    ASSERT_EQ(host.m_errors.size(), 1u);
    EXPECT_EQ(host.m_errors[0]->m_time, clock.now);
    std::tm broken = {};
    ASSERT_TRUE(ToLocalTime(clock.now, broken));
    char stamp[128];
    std::strftime(stamp, sizeof stamp, "%c", &broken);
    EXPECT_EQ(host.m_errors[0]->m_strText, std::string(stamp) + " - text");
    EXPECT_EQ(frame->m_errorWindows, 0);
    EXPECT_EQ(frame->m_errorRefreshes, 1);
    EXPECT_TRUE(host.m_sounds.empty());
}

TEST_F(MainFrameTest, AnErrorOpensTheErrorsWindowOnlyWhenTheAccountAsksForIt) {
    CAccount& quiet = host.AddAccount("quiet");
    CAccount& loud = host.AddAccount("loud");
    loud.m_dwOptions |= CAccount::OPT_REPORT_ERRORS;
    frame->OnAddError(std::make_unique<ErrorRecord>(ErrorRecord::kError, "x", &quiet));
    EXPECT_EQ(frame->m_errorWindows, 0);
    frame->OnAddError(std::make_unique<ErrorRecord>(ErrorRecord::kWarning, "x", &loud));
    EXPECT_EQ(frame->m_errorWindows, 0);
    frame->OnAddError(std::make_unique<ErrorRecord>(ErrorRecord::kError, "x", &loud));
    EXPECT_EQ(frame->m_errorWindows, 1);
    ASSERT_EQ(host.m_sounds.size(), 1u);
    EXPECT_EQ(host.m_sounds[0], SOUND_EVENT_ERROR);
    EXPECT_EQ(host.m_errors.size(), 3u);
}

TEST_F(MainFrameTest, PostedRecordsArriveAndForeignPointersAreIgnored) {
    CAccount& a = host.AddAccount("a");
    host.m_sink.PostAddError(std::make_unique<ErrorRecord>(ErrorRecord::kMessage, "posted", &a));
    PumpMessages();
    ASSERT_EQ(host.m_errors.size(), 1u);
    ErrorRecord stranger(ErrorRecord::kError, "stranger", &a);
    frame->SendMessage(RegisteredMessages::Get().addError, 0, reinterpret_cast<LPARAM>(&stranger));
    EXPECT_EQ(host.m_errors.size(), 1u);
    // An account pointer that is not ours is not touched either.
    frame->SendMessage(RegisteredMessages::Get().threadExiting, 0, 0x1234);
    frame->SendMessage(RegisteredMessages::Get().clearMessages, 0, 0x1234);
    EXPECT_EQ(frame->SendMessage(RegisteredMessages::Get().checkInstance), 0x1234);
}

TEST_F(MainFrameTest, ClearMessagesExpiresOldRecordsOfTheAccount) {
    host.m_settings.m_nErrorSaveTime = 2;
    CAccount& a = host.AddAccount("a");
    CAccount& b = host.AddAccount("b");
    auto add = [&](CAccount* account, TimeValue age, const char* text) {
        frame->OnAddError(std::make_unique<ErrorRecord>(ErrorRecord::kMessage, text, account));
        host.m_errors.back()->m_time = clock.now - age;
    };
    add(&a, 7201, "old");
    add(&a, 7200, "exactly");
    add(&a, 10, "young");
    add(&b, 99999, "other");
    frame->SendMessage(RegisteredMessages::Get().clearMessages, 0, reinterpret_cast<LPARAM>(&a));
    ASSERT_EQ(host.m_errors.size(), 3u);
    EXPECT_NE(host.m_errors[0]->m_strText.find("exactly"), std::string::npos);
    EXPECT_NE(host.m_errors[1]->m_strText.find("young"), std::string::npos);
    EXPECT_NE(host.m_errors[2]->m_strText.find("other"), std::string::npos);
}

TEST_F(MainFrameTest, PauseShowsThePausedIconAndResumeMakesEveryAccountDue) {
    CAccount& a = host.AddAccount("a", clock.now + 5000);
    CAccount& b = host.AddAccount("b", clock.now + 5000);
    FakeHost::AddMessage(b, 2, false);
    frame->OnPause();
    EXPECT_TRUE(frame->IsPaused());
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconPaused));
    EXPECT_EQ(frame->GetTrayTip(), Cp1251("V&&S Post Sentry: приостановлен"));
    CCmdUI ui;
    ui.m_nID = ID_PAUSE;
    ASSERT_TRUE(frame->OnCmdMsg(ID_PAUSE, CmdAction::Update, &ui));
    EXPECT_EQ(ui.m_strText, Cp1251("Возобновить"));

    // A check that ends while paused leaves the paused icon and tooltip.
    frame->UpdateTray(1, 1);
    frame->OnIconTimer();
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconPaused));
    EXPECT_EQ(frame->GetTrayTip(), Cp1251("V&&S Post Sentry: приостановлен"));

    // An hour later: nothing was checked while paused.
    clock.now += 3600 + 5000;
    sched->OnSchedulerTick();
    EXPECT_TRUE(sched->m_started.empty());

    frame->SendMessage(WM_COMMAND, ID_PAUSE, 0);
    EXPECT_FALSE(frame->IsPaused());
    EXPECT_EQ(frame->GetTrayTip(), Tip("1 письмо (1 новое)"));
    EXPECT_EQ(frame->GetShownIcon(), frame->GetIcon(CMainFrame::kIconNewMail));
    EXPECT_EQ(host.m_sounds.back(), SOUND_EVENT_BLINK);
    EXPECT_LE(a.m_timeNextCheck, clock.now);
    EXPECT_LE(b.m_timeNextCheck, clock.now);
    ui = CCmdUI();
    ui.m_nID = ID_PAUSE;
    frame->OnCmdMsg(ID_PAUSE, CmdAction::Update, &ui);
    EXPECT_EQ(ui.m_strText, Cp1251("Приостановить"));
    clock.now += 1;
    sched->OnSchedulerTick();
    EXPECT_EQ(sched->m_started, (std::vector<std::string>{"a", "b"}));
}

TEST_F(MainFrameTest, CheckNowWhilePausedResumesAndSkipsBusyAccounts) {
    CAccount& a = host.AddAccount("a");
    CAccount& b = host.AddAccount("b");
    CAccount& c = host.AddAccount("c");
    b.m_bChecking = 1;
    frame->OnPause();
    frame->SendMessage(WM_COMMAND, ID_CHECK_ALL, 0);
    EXPECT_FALSE(frame->IsPaused());
    EXPECT_EQ(sched->m_started, (std::vector<std::string>{"a", "c"}));

    // One account's command resumes too; a busy account's does not.
    a.m_bChecking = 0;
    c.m_bChecking = 0;
    frame->OnPause();
    frame->SendMessage(WM_COMMAND, 20002, 0);
    EXPECT_TRUE(frame->IsPaused());
    frame->SendMessage(WM_COMMAND, 20003, 0);
    EXPECT_FALSE(frame->IsPaused());
    EXPECT_EQ(sched->m_started, (std::vector<std::string>{"a", "c", "c"}));
}

TEST_F(MainFrameTest, CheckOneAccountByItsCommand) {
    host.AddAccount("a");
    CAccount& b = host.AddAccount("b");
    EXPECT_TRUE(frame->IsCommandEnabled(20002));
    EXPECT_FALSE(frame->IsCommandEnabled(20003));  // no third account
    EXPECT_TRUE(frame->IsCommandEnabled(ID_CHECK_ALL));
    frame->SendMessage(WM_COMMAND, 20002, 0);
    EXPECT_EQ(sched->m_started, (std::vector<std::string>{"b"}));
    EXPECT_TRUE(b.IsBusy());
    EXPECT_FALSE(frame->IsCommandEnabled(20002));  // being checked
    frame->SendMessage(WM_COMMAND, 20002, 0);
    frame->SendMessage(WM_COMMAND, 20003, 0);
    EXPECT_EQ(sched->m_started.size(), 1u);
    // The message list and the errors window open always.
    EXPECT_TRUE(frame->IsCommandEnabled(ID_MAIL_LIST));
    EXPECT_TRUE(frame->IsCommandEnabled(ID_ERRORS));
}

TEST_F(MainFrameTest, TrayMenuHasTheAccountsAndTheFixedItems) {
    host.AddAccount("first");
    host.AddAccount("R&D");
    HMENU menu = frame->BuildTrayMenu();
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    char text[128];
    GetMenuStringA(popup, ID_SILENT_MODE, text, sizeof text, MF_BYCOMMAND);
    EXPECT_EQ(std::string(text), Cp1251("\"Тихий\" режим"));
    GetMenuStringA(popup, ID_STOP_SOUNDS, text, sizeof text, MF_BYCOMMAND);
    EXPECT_EQ(std::string(text), Cp1251("Выключить звук!"));
    GetMenuStringA(popup, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(std::string(text), Cp1251("Проверить сейчас"));
    EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, 0), static_cast<UINT>(ID_MAIL_LIST));
    HMENU checkNow = GetSubMenu(popup, 1);
    ASSERT_EQ(GetMenuItemCount(checkNow), 4);
    EXPECT_EQ(GetMenuItemID(checkNow, 0), 20000u);
    EXPECT_EQ(GetMenuItemID(checkNow, 2), 20001u);
    EXPECT_EQ(GetMenuItemID(checkNow, 3), 20002u);
    GetMenuStringA(checkNow, 3, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "R&&D");
    // The framework's commands, which the resource script names by copies of its own.
    EXPECT_EQ(GetMenuItemID(popup, 6), ID_HELP_FINDER);
    EXPECT_EQ(GetMenuItemID(popup, 7), ID_APP_ABOUT);
    DestroyMenu(menu);
    EXPECT_EQ(host.m_stops, 0);
}

TEST_F(MainFrameTest, MuteOnMenuStopsTheSoundsAndDropsTheItem) {
    host.m_settings.m_dwOptions |= OPT_MUTE_ON_MENU;
    HMENU menu = frame->BuildTrayMenu();
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    EXPECT_EQ(host.m_stops, 1);
    EXPECT_EQ(GetMenuState(popup, ID_STOP_SOUNDS, MF_BYCOMMAND), static_cast<UINT>(-1));
    // With no accounts the submenu holds only "check all" and a separator.
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(popup, 1)), 2);
    DestroyMenu(menu);
}

TEST_F(MainFrameTest, ThreadExitingAppliesAPendingDeletionOnlyWhenIdle) {
    CAccount& a = host.AddAccount("a");
    CAccount& b = host.AddAccount("b");
    frame->OnAddError(std::make_unique<ErrorRecord>(ErrorRecord::kError, "x", &b));
    {
        std::lock_guard<std::recursive_mutex> lock(b.m_lock);
        b.m_nPendingAction = CAccount::PENDING_DELETE;
    }
    b.m_bChecking = 1;  // still running: must stay
    frame->SendMessage(RegisteredMessages::Get().threadExiting, 0, reinterpret_cast<LPARAM>(&b));
    ASSERT_EQ(host.m_accounts.GetCount(), 2u);
    b.m_bChecking = 0;
    frame->SendMessage(RegisteredMessages::Get().threadExiting, 0, reinterpret_cast<LPARAM>(&b));
    ASSERT_EQ(host.m_accounts.GetCount(), 1u);
    EXPECT_EQ(&host.m_accounts[0], &a);
    EXPECT_EQ(host.m_errors[0]->m_pAccount, nullptr);
}

TEST_F(MainFrameTest, ThreadExitingAppliesAPendingReplacement) {
    CAccount& a = host.AddAccount("a");
    FakeHost::AddMessage(a, 2, false);
    {
        std::lock_guard<std::recursive_mutex> lock(a.m_lock);
        a.m_pPending = std::make_unique<CAccount>(a);
        a.m_pPending->m_strName = "renamed";
        a.m_nPendingAction = CAccount::PENDING_REPLACE;
    }
    frame->SendMessage(RegisteredMessages::Get().threadExiting, 0, reinterpret_cast<LPARAM>(&a));
    EXPECT_EQ(a.m_strName, "renamed");
    EXPECT_EQ(a.m_pPending, nullptr);
    EXPECT_EQ(a.m_nPendingAction, CAccount::PENDING_NONE);
    EXPECT_EQ(frame->GetTrayTip(), Tip("1 письмо (1 новое)"));
}


// Ends its own creation.
class FailingFrame : public CMainFrame {
public:
    using CMainFrame::CMainFrame;
    ~FailingFrame() override { *deleted = true; }
    bool* deleted = nullptr;

protected:
    LRESULT OnCreate(WPARAM, LPARAM) { return -1; }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry FailingFrame::messageEntries[] = {
    On::Message<&FailingFrame::OnCreate>(WM_CREATE),
    On::End(),
};
const MessageMap FailingFrame::messageMap = {&CMainFrame::messageMap, FailingFrame::messageEntries};

TEST_F(MainFrameTest, AFrameThatFailsToCreateStaysTheCallersToDelete) {
    bool deleted = false;
    auto* failing = new FailingFrame(host);
    failing->deleted = &deleted;
    EXPECT_FALSE(failing->CreateHidden());
    EXPECT_FALSE(deleted);  // the window existed and died; the object did not go with it
    EXPECT_EQ(failing->m_hWnd, nullptr);
    delete failing;
    EXPECT_TRUE(deleted);
}

}  // namespace
