// A fake program for the main frame and the scheduler: accounts, rules,
// settings, errors and a checking context of its own, recorded sounds, a
// scheduler that starts no threads and a frame that opens no windows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/tests/win/CodePageText.h"
#include "postling/engine/CheckContext.h"
#include "postling/message/RuleBook.h"
#include "postling/model/Account.h"
#include "postling/model/AccountList.h"
#include "postling/model/Clock.h"
#include "postling/model/ProgramSettings.h"
#include "postling/shell/MainFrame.h"
#include "postling/shell/RegisteredMessages.h"
#include "postling/shell/Scheduler.h"
#include "postling/shell/ShellHost.h"

// The visible dialogs of this thread with that title (UTF-8 here).
inline std::vector<HWND> DialogsTitled(const char* title) {
    struct Search {
        std::string title;
        std::vector<HWND> found;
    } search = {Cp1251(title), {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            char name[32] = {}, text[256] = {};
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, text, sizeof text);
            if (std::string(name) == "#32770" && IsWindowVisible(window) && s->title == text)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A fixed clock the tests move by hand.
struct FakeClock {
    TimeValue now = 1000000000;
    FakeClock() { SetClockForTesting([this] { return now; }); }
    ~FakeClock() { SetClockForTesting({}); }
};

class FakeHost : public ShellHost {
public:
    FakeHost() : m_context(m_sink, m_rules) {
        m_settings.m_nErrorSaveTime = 24;
    }

    CAccountList& GetAccounts() override { return m_accounts; }
    CRuleBook& GetRules() override { return m_rules; }
    ProgramSettings& GetSettings() override { return m_settings; }
    ErrorList& GetErrors() override { return m_errors; }
    CheckContext& GetCheckContext() override { return m_context; }
    void PlaySoundEvent(SoundEvent event) override { m_sounds.push_back(event); }
    void StopAllSounds() override { ++m_stops; }
    bool IsSilentMode() const override { return m_silent; }
    void SetSilentMode(bool on) override { m_silent = on; }
    void OnMultimediaNotify(WPARAM, LPARAM) override {}

    CAccount& AddAccount(const std::string& name, TimeValue next = kTimeNever, int interval = 600) {
        auto account = std::make_unique<CAccount>();
        account->m_strName = name;
        account->m_nInterval = interval;
        account->m_timeNextCheck = next;
        return *m_accounts.Add(std::move(account));
    }
    static void AddMessage(CAccount& account, int reaction, bool seen) {
        auto message = std::make_unique<CMessage>();
        message->m_nReaction = reaction;
        message->m_bSeen = seen ? 1 : 0;
        std::lock_guard<std::recursive_mutex> lock(account.m_lock);
        account.m_messages.push_back(std::move(message));
    }

    PostingSink m_sink;
    CRuleBook m_rules;
    CAccountList m_accounts;
    ProgramSettings m_settings;
    ErrorList m_errors;
    CheckContext m_context;
    std::vector<SoundEvent> m_sounds;
    int m_stops = 0;
    bool m_silent = false;
};

// Starts no thread: a started account is marked checking.
class TestScheduler : public CScheduler {
public:
    using CScheduler::CScheduler;
    // The real walk over the processes.
    bool RealProgramRunning(const std::string& path) { return CScheduler::IsProgramRunning(path); }

    std::vector<std::string> m_started;
    bool m_failStart = false;
    bool m_dialup = true;
    bool m_mailerRuns = false;
    int m_dialupTests = 0;
    int m_processTests = 0;

protected:
    bool StartCheck(CAccount& account) override {
        if (m_failStart) return false;
        m_started.push_back(account.m_strName);
        account.m_bChecking = 1;
        account.ComputeNextCheck(CurrentTime());
        return true;
    }
    bool IsDialupConnected() override {
        ++m_dialupTests;
        return m_dialup;
    }
    bool IsProgramRunning(const std::string& path) override {
        ++m_processTests;
        (void)path;
        return m_mailerRuns;
    }
};

class TestFrame : public CMainFrame {
public:
    TestFrame(ShellHost& host, std::unique_ptr<CScheduler> scheduler)
        : CMainFrame(host, std::move(scheduler)) {}

    int m_mailLists = 0;
    int m_mailerStarts = 0;
    int m_errorWindows = 0;
    int m_errorRefreshes = 0;
    int m_exits = 0;
    bool m_tipShown = false;
    std::vector<std::string> m_tips;

protected:
    void ShowMailList() override { ++m_mailLists; }
    void StartMailer() override { ++m_mailerStarts; }
    void ShowErrorsWindow() override { ++m_errorWindows; }
    void RefreshErrorsWindow() override { ++m_errorRefreshes; }
    void RequestExit() override { ++m_exits; }
    bool IsTipShown() const override { return m_tipShown; }
    void ShowTip(const std::string& text) override {
        m_tips.push_back(text);
        m_tipShown = true;
    }
};

// Pumps this thread's messages until none are left.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}
