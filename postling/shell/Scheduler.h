// The check scheduler: on every tick of the main frame's one-second timer
// it starts the checks of the accounts whose next check has passed, unless
// checking is paused, no dial-up connection is up while the user asked for
// one, or the user's mail program runs while the user asked to wait for it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "postling/model/Clock.h"
#include "postling/res/resource.h"

class CAccount;
class CAccountList;
class ProgramSettings;

class CScheduler {
public:
    CScheduler(CAccountList& accounts, const ProgramSettings& settings);
    virtual ~CScheduler();
    CScheduler(const CScheduler&) = delete;
    CScheduler& operator=(const CScheduler&) = delete;

    // Timer 1 of the main frame.
    void OnSchedulerTick();
    // True when due checks must be skipped now. May ask for the program's
    // end (dial-up gone with OPT_EXIT_WITHOUT_DIALUP).
    bool IsCheckBlocked();

    bool IsPaused() const { return m_bPaused; }
    void SetPaused(bool paused) { m_bPaused = paused; }
    // Every account due again at `now`, as far as its periods allow.
    void MakeAllDue(TimeValue now);

    // The check-now commands (the caller resumes a pause first). False when
    // the identifier names no account or nothing could start.
    bool CheckNow(UINT id);
    // Whether the check-now command is enabled: 20000 always, an account's
    // item only when the account exists and is not being checked.
    bool CanCheckNow(UINT id) const;

    // Called when the program must end (OPT_EXIT_WITHOUT_DIALUP).
    std::function<void()> m_onExitRequest;

protected:
    // The account's StartCheck; tests replace it.
    virtual bool StartCheck(CAccount& account);
    // Whether some remote-access connection is in the connected state.
    virtual bool IsDialupConnected();
    // Whether a running process's executable is `path`; false when the
    // processes cannot be listed.
    virtual bool IsProgramRunning(const std::string& path);

    CAccountList& m_accounts;
    const ProgramSettings& m_settings;

private:
    CAccount* AccountForCommand(UINT id) const;
    bool m_bPaused = false;
};

// Upper-cased forms of a path for comparing executables: the long form and
// the short (8.3) form, when the file system gives one.
std::string UpperPath(const std::string& path);
std::string ShortUpperPath(const std::string& path);
