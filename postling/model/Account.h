// One POP3 account: its settings and schedule, the state of its check and
// its message lists. The connection of a check is the engine's session.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Object.h"
#include "postling/message/Message.h"
#include "postling/model/Clock.h"
#include "postling/model/Interval.h"

// What the settings dialogs edit and the registry keeps of an account: one
// value, copied whole, so that no setting can be left out of a copy. Read by
// the checking thread without a lock.
struct AccountSettings {
    std::uint32_t m_dwOptions = 0;
    std::string m_strName;
    std::string m_strServer;
    std::string m_strUser;
    std::string m_strPassword;      // plain text
    std::int32_t m_nProtocol = 0;   // 0 POP3, 1 IMAP4, 2 HOTMAIL; always checked as POP3
    std::int32_t m_nPort = 110;
    std::int32_t m_nTimeOut = 60;   // seconds
    std::int32_t m_nInterval = 600; // seconds from one check's start to the next
    CIntervalList m_checkPeriods;
    CIntervalList m_uncheckPeriods;
    std::int32_t m_nSecurity = 0;   // CAccount::Security
    // The one certificate accepted whatever its checks say: SHA-256, 64
    // upper-case hex digits; empty: none.
    std::string m_strCertificate;
};

class CheckThread;

class CAccount : public CObject, public AccountSettings {
public:
    // Option bits (m_dwOptions).
    static constexpr std::uint32_t OPT_REPORT_ERRORS = 0x1;    // errors open the errors window
    static constexpr std::uint32_t OPT_CHECK_PERIODS = 0x2;    // check only inside m_checkPeriods
    static constexpr std::uint32_t OPT_UNCHECK_PERIODS = 0x4;  // never start inside m_uncheckPeriods
    static constexpr std::uint32_t OPT_ASK_PASSWORD = 0x8;     // ask for the password on a failed log-in

    // How the connection is protected (m_nSecurity).
    enum Security : std::int32_t {
        SECURITY_NONE = 0,  // plain POP3
        SECURITY_TLS = 1,   // TLS from the first byte (POP3S, port 995)
        SECURITY_STLS = 2,  // plain POP3 upgraded by STLS before the log-in
    };
    static constexpr std::int32_t kTlsPort = 995;

    enum PendingAction : std::int32_t { PENDING_NONE = 0, PENDING_REPLACE = 1, PENDING_DELETE = 2 };

    // The shortest interval the schedule uses: a stored interval below it
    // would have the account checked back to back.
    static constexpr std::int32_t kMinInterval = 10;
    static constexpr std::int32_t kMaxInterval = 7 * 24 * 3600;  // longest interval kept on load
    static constexpr std::int32_t kMaxTimeOut = 3600;            // longest time-out kept on load

    using MessageList = std::vector<std::unique_ptr<CMessage>>;

    CAccount();
    // A new account with the settings of `other` (see the assignment).
    CAccount(const CAccount& other);
    // Assignment of the settings, all of them, except that a period list
    // whose bit is clear is emptied and a bit whose list is empty is
    // cleared (the lists are copied normalised). Nothing else is touched.
    CAccount& operator=(const CAccount& other);
    ~CAccount() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCAccount;

    // The same account: equal server and equal user name (case-sensitive).
    bool IsSameAccount(const CAccount& other) const;

    // Reads account `number` from the profile; false when it has no name
    // (then nothing else is read). Missing values keep the object's; the
    // period lists and the known identifiers are replaced.
    bool Load(int number);
    // Writes this account as account `number`; deletes nothing. The known
    // identifiers come first, then those of the seen current messages;
    // empty identifiers are left out.
    void Save(int number) const;

    // Sets m_timeNextCheck to the first moment from `from` + interval that the
    // periods allow, searched up to 62 days after `from`; false when never.
    bool ComputeNextCheck(TimeValue from);
    // The schedule of a loaded or newly applied account: due at `now` unless
    // its periods forbid it.
    bool MakeDue(TimeValue now);

    // --- Checking (the engine starts and collects the thread) ---

    // Busy from the start of a check until the main frame has collected its thread.
    bool IsBusy() const;
    void MarkAllSeen();

    // The time-out of every wait: a stored value of 0 or less would make
    // every read fail at once, so it counts as the default 60 seconds.
    int EffectiveTimeOut() const;

    // "Accounts\Account 000" for number 0, and the key above all accounts.
    static std::string KeyName(int number);
    static std::string AccountsKey();

    // Guards the three message lists and the hand-over fields (orphan mark,
    // pending action, pending copy). Recursive, like a critical section.
    mutable std::recursive_mutex m_lock;

    // Check state.
    std::atomic<std::int32_t> m_bChecking;
    // Written by the checking thread, read by the user-interface thread.
    std::atomic<TimeValue> m_timeCheckStarted;
    std::atomic<TimeValue> m_timeCheckFinished;  // -1 while a check runs
    TimeValue m_timeNextCheck;      // kTimeNever: never

    // Under m_lock.
    MessageList m_messages;         // as of the last completed check
    MessageList m_gathered;         // found by the check under way
    MessageList m_knownIds;         // seen before the last save; only the identifier is set

    // The thread of the check under way, until the main frame collects it.
    std::unique_ptr<CheckThread> m_pThread;

    // Hand-over of edited settings (under m_lock).
    std::int32_t m_bOrphan;
    std::int32_t m_nPendingAction;  // PendingAction
    std::unique_ptr<CAccount> m_pPending;

    // Why the log-in failed, for the password prompt: written by the
    // checking thread before it asks.
    std::string m_strLoginError;
    // 1: the user confirmed a new user name and password. Written by the
    // user-interface thread before it sets the answered event.
    std::atomic<std::int32_t> m_bPasswordReply;

private:
    void ClearBitsOfEmptyLists();
    std::int32_t ScheduleInterval() const;  // the interval, at least kMinInterval
};
