// One check's connection to an account's server and its POP3 dialogue, on
// the checking thread. The account lends its settings and takes the
// messages found; the connection, the buffers and the last failure belong
// to the session and end with it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "postling/engine/Socket.h"

class CAccount;
class TlsSession;

class Pop3Session {
public:
    static constexpr std::size_t kCommandBufferSize = 200;
    static constexpr std::size_t kReplyBufferSize = 20480;
    // The longest user name or password a USER or PASS line holds.
    static constexpr std::size_t kMaxCredential = kCommandBufferSize - 7;

    explicit Pop3Session(CAccount& account);
    // Closes a connection still open, without QUIT.
    ~Pop3Session();
    Pop3Session(const Pop3Session&) = delete;
    Pop3Session& operator=(const Pop3Session&) = delete;

    // The whole session: log-in (asking for the password again when the
    // account says so), the mailbox read into the account's gathered list,
    // the deletions, QUIT; failures reported. False when it failed.
    bool CheckMailbox();
    bool Login();
    bool ReadMailbox();
    bool AskPassword();

    // The line connection.
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

    CAccount& m_account;
    SocketHandle m_socket = kInvalidSocket;
    std::unique_ptr<TlsSession> m_pTls;  // while the connection is encrypted
    // The server certificate of the last handshake, and the TLS library's
    // words for a failed one.
    std::string m_strServerFingerprint;
    std::string m_strTlsDetail;
    char m_szCommand[kCommandBufferSize] = {};
    char m_szReply[kReplyBufferSize] = {};
    std::int32_t m_nLastError = 0;  // string id of the last failure; 0 none, 1 log-in under way
    // The last ReadReply filled its buffer and dropped the rest of the reply.
    bool m_bReplyCut = false;
    // Deletion marks whose messages the server accepted DELE for; they are
    // used up only when the QUIT that commits the deletions is acknowledged.
    std::vector<std::string> m_marksDeleted;
    // How long one answer may take as a whole, in time-outs: a server that
    // sends a byte just inside every time-out must not hold the check for
    // ever, while a slow but steady link still has several time-outs.
    static constexpr int kReplyTimeOuts = 4;
    using TimePoint = std::chrono::steady_clock::time_point;
    // The end of the time the answer being read may take; max while none is.
    TimePoint m_replyEnd = TimePoint::max();
    // Sets that end for its lifetime (a reply, a multi-line answer read in
    // pieces, the greeting, a handshake); one inside another keeps the outer end.
    class ReplyTime {
    public:
        explicit ReplyTime(Pop3Session& session);
        ~ReplyTime();
        ReplyTime(const ReplyTime&) = delete;
        ReplyTime& operator=(const ReplyTime&) = delete;

    private:
        Pop3Session& m_session;
        TimePoint m_outer;
    };

private:
    // Reads and drops the rest of a multi-line reply up to its "." line;
    // `tail` holds the last bytes already read.
    int DiscardRestOfReply(const char* tail, std::size_t tailLength);
    // "USER x\n" or "PASS x\n" into the command buffer; false (and the last
    // error set) when the value would not fit or holds a line break.
    bool ComposeCommand(const char* verb, const std::string& argument);
    // QUIT and close after a refusal, the refusal kept as the reply to quote.
    void QuitKeepingReply();
};
