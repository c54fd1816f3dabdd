// The TLS seam of the checking engine: a client TLS session over bytes the
// connection moves, so that the connection's time-outs and the stop at exit
// govern every wait. OpenSSL natively, Schannel (SSPI) on Windows. No
// platform types leak.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Raw bytes of the connected socket, with the account's time-out and stop.
class TlsTransport {
public:
    virtual ~TlsTransport() = default;
    // False unless every byte was sent.
    virtual bool SendRaw(const char* data, std::size_t length) = 0;
    // Waits for bytes and reads some: the count, or one of the Io values.
    virtual long ReceiveRaw(char* buffer, std::size_t capacity) = 0;
};

// Results of the byte calls besides a positive count.
enum TlsIo : long {
    kTlsClosed = 0,     // the peer closed the connection
    kTlsFailed = -1,    // a socket or protocol failure
    kTlsTimedOut = -2,  // no bytes within the time-out, or the program stops
};

enum class CertificateProblem {
    kNone,
    kExpired,    // outside its validity period
    kWrongName,  // issued for another host name
    kUntrusted,  // its chain does not end at a root the system trusts
    kOther,      // any other failed check (revoked, bad signature, bad use)
};

struct TlsHandshakeResult {
    enum Status {
        kOk,           // encrypted; the certificate passed or was accepted
        kTimedOut,     // the server stopped answering, or the program stops
        kClosed,       // the server closed the connection
        kFailed,       // no common protocol, a broken record, ...
        kCertificate,  // the certificate failed its checks: `problem`
    } status = kFailed;
    CertificateProblem problem = CertificateProblem::kNone;
    // SHA-256 of the server certificate (DER), 64 upper-case hex digits;
    // empty when the server sent none.
    std::string fingerprint;
    // The TLS library's own words for kFailed, for the error text.
    std::string detail;
};

class TlsSession {
public:
    virtual ~TlsSession() = default;
    // Client handshake for `host` (server name indication and the name
    // check). The certificate must chain to a trusted root, be valid now and
    // name `host`; one whose fingerprint equals `acceptedFingerprint` (as
    // above, case ignored) is accepted whatever its problem.
    virtual TlsHandshakeResult Handshake(const std::string& host, const std::string& acceptedFingerprint) = 0;
    // Encrypts and sends all of `data`: `length`, or kTlsFailed/kTlsTimedOut.
    virtual long Send(const char* data, std::size_t length) = 0;
    // Decrypted bytes: a count, or a TlsIo value. Waits through the
    // transport only when nothing is decrypted yet.
    virtual long Receive(char* buffer, std::size_t capacity) = 0;
    // A Receive would answer at once without touching the socket: decrypted
    // bytes are waiting, the peer's close notification has come, or the
    // session is broken.
    virtual bool HasPendingData() const = 0;
    // Sends the close notification, best effort, without waiting for the peer's.
    virtual void Close() = 0;
};

// A session over `transport`, which it owns; null when the platform's TLS
// cannot be set up.
std::unique_ptr<TlsSession> CreateTlsSession(std::unique_ptr<TlsTransport> transport);

// "AB:CD:..." groups of a 64-digit fingerprint, for people to read.
std::string GroupFingerprint(const std::string& fingerprint);
// A fingerprint as given by a person (colons, spaces, any case) in the
// 64-digit form; empty when it is not one.
std::string NormalizeFingerprint(const std::string& text);
