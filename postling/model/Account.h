// One POP3 account: its settings and schedule, the state of its check, its
// message lists and the buffers of its connection.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Object.h"
#include "postling/engine/CheckThread.h"
#include "postling/message/Message.h"
#include "postling/model/Clock.h"
#include "postling/model/Interval.h"

class TlsSession;

class CAccount : public CObject {
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

    static constexpr std::size_t kCommandBufferSize = 200;
    static constexpr std::size_t kReplyBufferSize = 20480;
    // The shortest interval the schedule uses: a stored interval below it
    // would have the account checked back to back.
    static constexpr std::int32_t kMinInterval = 10;

    // The connection's socket (the engine's socket seam); -1 when closed.
    using Socket = std::intptr_t;
    static constexpr Socket kInvalidSocket = -1;

    using MessageList = std::vector<std::unique_ptr<CMessage>>;

    CAccount();
    // A new account with the settings of `other` (see the assignment).
    CAccount(const CAccount& other);
    // Assignment of settings: options, name, server, user, password,
    // protocol, port, time-out, interval, security, the accepted
    // certificate, and the period lists whose bits
    // are set (copied and normalised; a list whose bit is clear is emptied,
    // a bit whose list is empty is cleared). Nothing else is touched.
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

    // --- Checking (the engine) ---

    // Starts a check on a thread of its own (user-interface thread). False,
    // and nothing happens, when the account is busy or no thread can be made.
    bool StartCheck();
    // Busy from StartCheck until the main frame has collected the thread.
    bool IsBusy() const;
    // Waits for the ended thread and forgets it (user-interface thread, on
    // "Checking Thread Exiting"); false when there is none.
    bool CollectThread();
    static unsigned CheckThreadProc(CAccount* account);
    // The session and the merge of its result; false when the session failed.
    bool RunCheck();
    void MarkAllSeen();

    // The POP3 session (checking thread).
    bool CheckMailbox();
    bool Login();
    bool ReadMailbox();
    bool AskPassword();

    // The line connection (checking thread).
    bool OpenConnection();
    // Decrypted bytes are waiting, or the socket became readable in time.
    bool WaitReadable(int seconds, int microseconds);
    // The socket alone became readable in time; false at once when checks stop.
    bool WaitSocket(int seconds, int microseconds);
    // Bytes through TLS when the connection has it: the count, 0 closed,
    // -1 failure, -2 time-out.
    long SendData(const char* data, std::size_t length);
    long ReceiveData(char* buffer, std::size_t capacity);
    // The TLS handshake on the open connection; false with the last error set.
    bool StartTls();
    // CAPA, then STLS and the handshake; false (nothing of the log-in sent)
    // when the server does not offer STLS.
    bool NegotiateStls();
    int SendLine(const char* text);
    int ReadReply(char* buffer, int capacity);
    // Closes the connection, with QUIT first when `sendQuit`; true when the
    // server acknowledged the QUIT (only then are deletions carried out).
    bool Disconnect(bool sendQuit);
    void FormatErrorText(std::string& out) const;
    void ReportError();
    // `fingerprint`: the certificate a certificate error is about.
    void PostError(int kind, const std::string& text, const std::string& fingerprint = std::string());
    // The last error is a certificate that failed its checks.
    bool IsCertificateError() const;
    // The fillers of error texts: "Учетная запись: ..." and "Ответ сервера: ...".
    std::string AccountPart() const;
    std::string ReplyPart() const;
    // The time-out of every wait: a stored value of 0 or less would make
    // every read fail at once, so it counts as the default 60 seconds.
    int EffectiveTimeOut() const;

    // "Accounts\Account 000" for number 0, and the key above all accounts.
    static std::string KeyName(int number);
    static std::string AccountsKey();

    // Settings, read by the checking thread without the lock.
    std::uint32_t m_dwOptions;
    std::string m_strName;
    std::string m_strServer;
    std::string m_strUser;
    std::string m_strPassword;     // plain text
    std::int32_t m_nProtocol;      // 0 POP3, 1 IMAP4, 2 HOTMAIL; always checked as POP3
    std::int32_t m_nPort;
    std::int32_t m_nTimeOut;       // seconds
    std::int32_t m_nInterval;      // seconds from one check's start to the next
    CIntervalList m_checkPeriods;
    CIntervalList m_uncheckPeriods;
    std::int32_t m_nSecurity;        // Security
    // The one certificate accepted whatever its checks say: SHA-256, 64
    // upper-case hex digits; empty: none.
    std::string m_strCertificate;

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

    // The connection; owned by the checking thread while it runs.
    std::unique_ptr<CheckThread> m_pThread;  // until collected by the main frame
    Socket m_socket;
    std::unique_ptr<TlsSession> m_pTls;  // while the connection is encrypted
    // The server certificate of the last handshake, and the TLS library's
    // words for a failed one.
    std::string m_strServerFingerprint;
    std::string m_strTlsDetail;
    char m_szCommand[kCommandBufferSize];
    char m_szReply[kReplyBufferSize];
    std::int32_t m_nLastError;      // string id of the last failure; 0 none, 1 log-in under way

    // Hand-over of edited settings (under m_lock).
    std::int32_t m_bOrphan;
    std::int32_t m_nPendingAction;  // PendingAction
    std::unique_ptr<CAccount> m_pPending;

    // 1: the user confirmed a new user name and password. Written by the
    // user-interface thread before it sets the answered event.
    std::atomic<std::int32_t> m_bPasswordReply;

    // Deletion marks whose messages the server accepted DELE for; they are
    // used up only when the QUIT that commits the deletions is acknowledged.
    std::vector<std::string> m_marksDeleted;  // checking thread only
    // The last ReadReply filled its buffer and dropped the rest of the reply.
    bool m_bReplyCut = false;

private:
    void ClearBitsOfEmptyLists();
    // Reads and drops the rest of a multi-line reply up to its "." line;
    // `tail` holds the last bytes already read.
    int DiscardRestOfReply(const char* tail, std::size_t tailLength);
    // "USER x\n" or "PASS x\n" into the command buffer; false (and the last
    // error set) when the value would not fit or holds a line break.
    bool ComposeCommand(const char* verb, const std::string& argument);
    std::int32_t ScheduleInterval() const;  // the interval, at least kMinInterval
};
