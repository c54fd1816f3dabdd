// A session's line connection: open, wait, send a command, read a reply,
// close; and failures turned into error records.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "CheckContext.h"
#include "EngineStrings.h"
#include "Pop3Text.h"
#include "Socket.h"
#include "Tls.h"
#include "postling/engine/Pop3Session.h"
#include "postling/model/Account.h"
#include "postling/model/TextFormat.h"

namespace {

constexpr std::size_t kDiscardBufferSize = 20480;
// A reply may run this far past the reply buffer before it counts as
// endless (a server that sends whole messages for TOP stays well below).
constexpr std::size_t kMaxDiscarded = 64u << 20;

// The last bytes of a stream, enough to see a terminating "." line; no
// allocation per chunk.
class Tail {
public:
    void Add(const char* data, std::size_t length) {
        if (length > kSize) {
            data += length - kSize;
            length = kSize;
        }
        std::size_t keep = std::min(m_length, kSize - length);
        std::memmove(m_bytes, m_bytes + m_length - keep, keep);
        std::memcpy(m_bytes + keep, data, length);
        m_length = keep + length;
    }
    bool EndsWithDotLine() const { return ::EndsWithDotLine(m_bytes, m_length); }

private:
    static constexpr std::size_t kSize = 8;
    char m_bytes[kSize];
    std::size_t m_length = 0;
};

// Microseconds the next wait may take: the time-out, cut to what is left of
// the reply's time; 0 when that is up.
long long WaitMicroseconds(const Pop3Session& session) {
    long long wait = std::int64_t{session.m_account.EffectiveTimeOut()} * 1000000;
    if (session.m_replyEnd != Pop3Session::TimePoint::max()) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                              session.m_replyEnd - std::chrono::steady_clock::now())
                              .count();
        wait = std::max(0LL, std::min<long long>(wait, left));
    }
    return wait;
}

// Waits for the session's next bytes within the reply's time.
bool WaitInTime(Pop3Session& session) {
    const long long wait = WaitMicroseconds(session);
    return wait > 0 && session.WaitReadable(static_cast<int>(wait / 1000000), static_cast<int>(wait % 1000000));
}

// A NUL from the server would cut the reply short for everything that reads
// it as text (and stall the reading of a header block): it becomes a blank.
void BlankZeroBytes(char* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (data[i] == '\0') data[i] = ' ';
}

// Reads and drops the stream up to a "." line that `tail` (the bytes read
// so far) does not yet end with.
int DiscardRest(Pop3Session& session, Tail& tail) {
    std::unique_ptr<char[]> discard(new (std::nothrow) char[kDiscardBufferSize]);
    if (!discard) return IDS_OUT_OF_MEMORY;
    std::size_t discarded = 0;
    while (!tail.EndsWithDotLine()) {
        // Out of step with a server whose reply does not end: a time-out.
        if (!WaitInTime(session)) return IDS_TIMED_OUT;
        long n = session.ReceiveData(discard.get(), kDiscardBufferSize);
        if (n == kTlsTimedOut) return IDS_TIMED_OUT;
        if (n < 0) return IDS_RECEIVE_FAILED;
        if (n == 0) break;
        tail.Add(discard.get(), static_cast<std::size_t>(n));
        discarded += static_cast<std::size_t>(n);
        if (discarded > kMaxDiscarded) return IDS_TIMED_OUT;
    }
    return kNoError;
}

// The session's socket as TLS sees it: the account's time-out on every
// wait, and the stop at exit.
class SessionTransport : public TlsTransport {
public:
    explicit SessionTransport(Pop3Session& session) : m_session(session) {}

    bool SendRaw(const char* data, std::size_t length) override {
        while (length > 0) {
            const long n = SendSocket(m_session.m_socket, data, length);
            if (n <= 0) return false;
            data += n;
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

    long ReceiveRaw(char* buffer, std::size_t capacity) override {
        const long long wait = WaitMicroseconds(m_session);
        if (wait == 0 || !m_session.WaitSocket(static_cast<int>(wait / 1000000), static_cast<int>(wait % 1000000)))
            return kTlsTimedOut;
        const long n = ReceiveSocket(m_session.m_socket, buffer, capacity);
        return n < 0 ? kTlsFailed : n;
    }

private:
    Pop3Session& m_session;
};

}  // namespace

Pop3Session::ReplyTime::ReplyTime(Pop3Session& session) : m_session(session), m_outer(session.m_replyEnd) {
    // A reading inside another keeps the outer end.
    if (m_outer != TimePoint::max()) return;
    m_session.m_replyEnd = std::chrono::steady_clock::now() +
                           std::chrono::seconds(std::int64_t{session.m_account.EffectiveTimeOut()} * kReplyTimeOuts);
}

Pop3Session::ReplyTime::~ReplyTime() { m_session.m_replyEnd = m_outer; }

Pop3Session::Pop3Session(CAccount& account) : m_account(account) {}

Pop3Session::~Pop3Session() { Disconnect(false); }

bool Pop3Session::OpenConnection() {
    m_nLastError = kLoginUnderWay;
    m_socket = CreateStreamSocket();
    if (m_socket == kInvalidSocket) {
        m_nLastError = IDS_SOCKET_CREATE_FAILED;
        return false;
    }
    // A resolver or a server that does not answer is given the time-out,
    // and a stop request ends the wait for either at once.
    auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(m_account.EffectiveTimeOut());
    const auto giveUp = [&giveUpAt] { return ChecksStopping() || std::chrono::steady_clock::now() >= giveUpAt; };
    std::uint32_t address = 0;
    if (!ParseDottedAddress(m_account.m_strServer, address) &&
        !ResolveFirstAddressOrGiveUp(m_account.m_strServer, address, giveUp)) {
        m_nLastError = IDS_SERVER_NOT_FOUND;
        return false;
    }
    // A stored port outside the TCP range cannot be connected to.
    giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(m_account.EffectiveTimeOut());
    if (m_account.m_nPort <= 0 || m_account.m_nPort > 65535 ||
        !ConnectSocket(m_socket, address, static_cast<std::uint16_t>(m_account.m_nPort), giveUp)) {
        m_nLastError = IDS_CONNECT_FAILED;
        return false;
    }
    return m_account.m_nSecurity != CAccount::SECURITY_TLS || StartTls();
}

bool Pop3Session::StartTls() {
    m_strServerFingerprint.clear();
    m_strTlsDetail.clear();
    std::unique_ptr<TlsSession> session = CreateTlsSession(std::make_unique<SessionTransport>(*this));
    if (!session) {
        m_strTlsDetail = LoadStringResource(IDS_TLS_UNAVAILABLE);
        m_nLastError = IDS_TLS_FAILED;
        return false;
    }
    const TlsHandshakeResult result = [&] {
        const ReplyTime time(*this);
        return session->Handshake(m_account.m_strServer, m_account.m_strCertificate);
    }();
    m_strServerFingerprint = result.fingerprint;
    switch (result.status) {
    case TlsHandshakeResult::kOk:
        m_pTls = std::move(session);
        return true;
    case TlsHandshakeResult::kTimedOut:
        m_nLastError = IDS_TIMED_OUT;
        return false;
    case TlsHandshakeResult::kClosed:
        m_nLastError = IDS_CONNECTION_CLOSED;
        return false;
    case TlsHandshakeResult::kCertificate:
        switch (result.problem) {
        case CertificateProblem::kExpired: m_nLastError = IDS_CERTIFICATE_EXPIRED; break;
        case CertificateProblem::kWrongName: m_nLastError = IDS_CERTIFICATE_WRONG_NAME; break;
        case CertificateProblem::kUntrusted: m_nLastError = IDS_CERTIFICATE_UNTRUSTED; break;
        default: m_nLastError = IDS_CERTIFICATE_INVALID; break;
        }
        return false;
    case TlsHandshakeResult::kFailed:
    default:
        m_strTlsDetail = result.detail.empty() ? std::string("TLS") : result.detail;
        m_nLastError = IDS_TLS_FAILED;
        return false;
    }
}

bool Pop3Session::IsCertificateError() const {
    return m_nLastError >= static_cast<int>(IDS_CERTIFICATE_EXPIRED) &&
           m_nLastError <= static_cast<int>(IDS_CERTIFICATE_INVALID);
}

long Pop3Session::SendData(const char* data, std::size_t length) {
    if (m_pTls) return m_pTls->Send(data, length);
    return SendSocket(m_socket, data, length);
}

long Pop3Session::ReceiveData(char* buffer, std::size_t capacity) {
    if (m_pTls) return m_pTls->Receive(buffer, capacity);
    return ReceiveSocket(m_socket, buffer, capacity);
}

bool Pop3Session::WaitReadable(int seconds, int microseconds) {
    if (m_pTls && m_pTls->HasPendingData()) return !ChecksStopping();
    return WaitSocket(seconds, microseconds);
}

bool Pop3Session::WaitSocket(int seconds, int microseconds) {
    // Long waits go in slices so that a stop request ends them early; a
    // server that never stops sending is left at the next call.
    constexpr long long kSliceUs = 250000;
    long long remaining = static_cast<long long>(seconds) * 1000000 + microseconds;
    for (;;) {
        if (ChecksStopping()) return false;
        const long long slice = std::min(std::max(remaining, 0LL), kSliceUs);
        const int rc = WaitSocketReadable(m_socket, static_cast<int>(slice / 1000000),
                                          static_cast<int>(slice % 1000000));
        if (rc != 0) return rc == 1;
        remaining -= slice;
        if (remaining <= 0) return false;
    }
}

int Pop3Session::SendLine(const char* text) {
    std::size_t length = std::strlen(text);
    bool whole = SendData(text, length) == static_cast<long>(length);
    return whole ? kNoError : static_cast<int>(IDS_SEND_FAILED);
}

int Pop3Session::ReadReply(char* buffer, int capacity) {
    m_bReplyCut = false;
    if (capacity < 2) {  // no room for a byte and its terminator
        if (capacity == 1) buffer[0] = '\0';
        return IDS_RECEIVE_FAILED;
    }
    const ReplyTime time(*this);
    int received = 0;
    Tail tail;
    // A read that continues a text already in the reply buffer (a header
    // block read piece by piece) sees the end of that text too.
    if (std::greater<const char*>()(buffer, m_szReply) &&
        std::less_equal<const char*>()(buffer, m_szReply + kReplyBufferSize)) {
        std::size_t before = std::min<std::size_t>(static_cast<std::size_t>(buffer - m_szReply), 4);
        tail.Add(buffer - before, before);
    }
    for (;;) {
        if (!WaitInTime(*this)) {
            buffer[received] = '\0';
            return IDS_TIMED_OUT;
        }
        long n = ReceiveData(buffer + received, static_cast<std::size_t>(capacity - received));
        if (n == kTlsTimedOut) {
            buffer[received] = '\0';
            return IDS_TIMED_OUT;
        }
        if (n < 0) {
            buffer[received] = '\0';
            return IDS_RECEIVE_FAILED;
        }
        if (n == 0) {
            // Closed: before the first byte, or in the middle of a reply. The
            // partial text stays in the buffer for the error message.
            buffer[received] = '\0';
            return IDS_CONNECTION_CLOSED;
        }
        BlankZeroBytes(buffer + received, static_cast<std::size_t>(n));
        tail.Add(buffer + received, static_cast<std::size_t>(n));
        received += static_cast<int>(n);
        if (received == capacity) break;  // full: overflow steps
        if (buffer[received - 1] == '\n') {
            buffer[received] = '\0';
            return kNoError;
        }
    }

    // The reply does not fit: keep capacity - 1 bytes and drop the rest of a
    // multi-line reply up to its terminating "." line.
    buffer[capacity - 1] = '\0';
    m_bReplyCut = true;
    return DiscardRest(*this, tail);
}

int Pop3Session::DiscardRestOfReply(const char* text, std::size_t length) {
    Tail tail;
    tail.Add(text, length);
    const ReplyTime time(*this);
    return DiscardRest(*this, tail);
}

bool Pop3Session::Disconnect(bool sendQuit) {
    bool acknowledged = false;
    if (sendQuit && m_socket != kInvalidSocket) {
        std::strcpy(m_szCommand, "QUIT\n");
        SendLine(m_szCommand);
        // Over TLS the close notification follows the reply: a TLS 1.2
        // server may drop what comes after it.
        if (!m_pTls) ShutdownSend(m_socket);
        acknowledged = ReadReply(m_szReply, static_cast<int>(kReplyBufferSize)) == kNoError &&
                       IsPositive(m_szReply);
    }
    if (m_pTls) {
        m_pTls->Close();
        m_pTls.reset();
    }
    if (m_socket != kInvalidSocket) CloseSocket(m_socket);
    m_socket = kInvalidSocket;
    return acknowledged;
}

std::string Pop3Session::AccountPart() const {
    return FormatResource(IDS_ACCOUNT_PART, {m_account.m_strName, m_account.m_strServer});
}

std::string Pop3Session::ReplyPart() const {
    return FormatResource(IDS_REPLY_PART, {std::string(m_szReply)});
}

void Pop3Session::FormatErrorText(std::string& out) const {
    if (IsCertificateError()) {
        out = FormatResource(static_cast<unsigned>(m_nLastError),
                             {m_account.m_strServer, GroupFingerprint(m_strServerFingerprint), AccountPart()});
        return;
    }
    if (m_nLastError == static_cast<int>(IDS_TLS_FAILED)) {
        out = FormatResource(IDS_TLS_FAILED, {m_strTlsDetail, AccountPart()});
        return;
    }
    std::string format;
    if (m_nLastError > 0) format = LoadStringResource(static_cast<unsigned>(m_nLastError));
    if (format.empty()) format = LoadStringResource(IDS_UNKNOWN_SOCKET_ERROR);
    out = FormatText(format, {AccountPart(), ReplyPart()});
}

void Pop3Session::ReportError() {
    if (m_nLastError == kNoError || m_nLastError == kLoginUnderWay) return;
    std::string text;
    FormatErrorText(text);
    PostError(ErrorRecord::kError, text, IsCertificateError() ? m_strServerFingerprint : std::string());
}

void Pop3Session::PostError(int kind, const std::string& text, const std::string& fingerprint) {
    std::unique_ptr<ErrorRecord> record(new (std::nothrow) ErrorRecord(kind, text, &m_account));
    if (record) record->m_strFingerprint = fingerprint;
    Checking().m_sink.PostAddError(std::move(record));
}
