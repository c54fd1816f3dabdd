// The TLS seam over OpenSSL (native builds). The session never touches the
// socket: OpenSSL reads from and writes to memory BIOs, and the bytes move
// through the transport, which owns every wait.
#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "Socket.h"
#include "Tls.h"

namespace {

// One TLS record with its header and expansion fits.
constexpr std::size_t kChunkSize = 17 * 1024;
// Bytes a handshake, or a wait for application data, may take before the
// server counts as hostile (a certificate chain is capped far lower).
constexpr std::size_t kMaxNonDataBytes = 1u << 20;
// Host names longer than DNS allows get no server name indication.
constexpr std::size_t kMaxHostName = 253;

// Certificate problems seen during verification, as bits.
enum : unsigned {
    kSawExpired = 1,
    kSawWrongName = 2,
    kSawUntrusted = 4,
    kSawOther = 8,
};

unsigned ProblemBit(long verifyError) {
    switch (verifyError) {
    case X509_V_OK:
        return 0;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return kSawExpired;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return kSawWrongName;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
        return kSawUntrusted;
    default:
        return kSawOther;
    }
}

CertificateProblem WorstProblem(unsigned seen) {
    if (seen & kSawExpired) return CertificateProblem::kExpired;
    if (seen & kSawWrongName) return CertificateProblem::kWrongName;
    if (seen & kSawUntrusted) return CertificateProblem::kUntrusted;
    if (seen & kSawOther) return CertificateProblem::kOther;
    return CertificateProblem::kNone;
}

// OpenSSL's words for the oldest queued error (the cause), and an empty queue.
std::string TakeErrorText() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return std::string();
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

std::string Sha256Hex(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!X509_digest(certificate, EVP_sha256(), digest, &length)) return std::string();
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

int SessionIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

class OpenSslSession : public TlsSession {
public:
    explicit OpenSslSession(std::unique_ptr<TlsTransport> transport) : m_transport(std::move(transport)) {}

    ~OpenSslSession() override {
        SSL_free(m_ssl);  // frees both BIOs
        SSL_CTX_free(m_context);
    }

    bool Init() {
        m_context = SSL_CTX_new(TLS_client_method());
        if (!m_context) return false;
        if (!SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION) ||
            !SSL_CTX_set_default_verify_paths(m_context))
            return false;
        m_ssl = SSL_new(m_context);
        if (!m_ssl) return false;
        BIO* in = BIO_new(BIO_s_mem());
        BIO* out = BIO_new(BIO_s_mem());
        if (!in || !out) {
            BIO_free(in);
            BIO_free(out);
            return false;
        }
        // An empty input BIO means "wait for more", not the end of the stream.
        BIO_set_mem_eof_return(in, -1);
        BIO_set_mem_eof_return(out, -1);
        SSL_set_bio(m_ssl, in, out);
        m_in = in;
        m_out = out;
        if (!SSL_set_ex_data(m_ssl, SessionIndex(), this)) return false;
        // Every check runs, and every failure is noted, without ending the
        // handshake: the certificate and its fingerprint are always known.
        SSL_set_verify(m_ssl, SSL_VERIFY_NONE, &OpenSslSession::NoteVerifyError);
        SSL_set_connect_state(m_ssl);
        return true;
    }

    TlsHandshakeResult Handshake(const std::string& host, const std::string& acceptedFingerprint) override {
        TlsHandshakeResult result;
        if (m_attempted) return result;
        m_attempted = true;
        ERR_clear_error();
        if (!SetHost(host)) m_seen |= kSawWrongName;
        std::size_t received = 0;
        for (;;) {
            const int rc = SSL_do_handshake(m_ssl);
            const int error = rc == 1 ? SSL_ERROR_NONE : SSL_get_error(m_ssl, rc);
            const std::string detail = TakeErrorText();
            // Our part of the exchange (or an alert) goes out first.
            if (!Flush()) {
                result.status = TlsHandshakeResult::kFailed;
                result.detail = detail;
                return result;
            }
            if (rc == 1) break;
            if (error != SSL_ERROR_WANT_READ) {
                result.status = TlsHandshakeResult::kFailed;
                result.detail = detail.empty() ? "handshake failed" : detail;
                return result;
            }
            const long n = Fill();
            if (n <= 0) {
                result.status = n == kTlsTimedOut ? TlsHandshakeResult::kTimedOut
                                : n == kTlsClosed ? TlsHandshakeResult::kClosed
                                                  : TlsHandshakeResult::kFailed;
                return result;
            }
            received += static_cast<std::size_t>(n);
            if (received > kMaxNonDataBytes) {
                result.status = TlsHandshakeResult::kFailed;
                result.detail = "handshake too long";
                return result;
            }
        }

        X509* certificate = SSL_get0_peer_certificate(m_ssl);
        if (!certificate) {
            result.status = TlsHandshakeResult::kCertificate;
            result.problem = CertificateProblem::kOther;
            return result;
        }
        result.fingerprint = Sha256Hex(certificate);
        m_seen |= ProblemBit(SSL_get_verify_result(m_ssl));
        const CertificateProblem problem = WorstProblem(m_seen);
        const bool accepted =
            !result.fingerprint.empty() && NormalizeFingerprint(acceptedFingerprint) == result.fingerprint;
        if (result.fingerprint.empty() || (problem != CertificateProblem::kNone && !accepted)) {
            result.status = TlsHandshakeResult::kCertificate;
            result.problem = problem == CertificateProblem::kNone ? CertificateProblem::kOther : problem;
            return result;
        }
        m_established = true;
        // The server's first data may have come with its last handshake bytes.
        DecryptAhead();
        result.status = TlsHandshakeResult::kOk;
        return result;
    }

    long Send(const char* data, std::size_t length) override {
        if (!m_established || m_broken) return kTlsFailed;
        std::size_t done = 0;
        std::size_t received = 0;
        while (done < length) {
            ERR_clear_error();
            std::size_t written = 0;
            const int rc = SSL_write_ex(m_ssl, data + done, std::min(length - done, kChunkSize), &written);
            const int error = rc == 1 ? SSL_ERROR_NONE : SSL_get_error(m_ssl, rc);
            ERR_clear_error();
            if (!Flush()) return Broken(kTlsFailed);
            if (rc == 1) {
                done += written;
                continue;
            }
            if (error != SSL_ERROR_WANT_READ) return Broken(kTlsFailed);
            // A renegotiation under way needs the server's answer.
            const long n = Fill();
            if (n <= 0) return Broken(n == kTlsTimedOut ? kTlsTimedOut : kTlsFailed);
            received += static_cast<std::size_t>(n);
            if (received > kMaxNonDataBytes) return Broken(kTlsFailed);
        }
        return static_cast<long>(length);
    }

    long Receive(char* buffer, std::size_t capacity) override {
        if (!m_established || m_broken || capacity == 0) return kTlsFailed;
        if (m_peerClosed) return kTlsClosed;
        capacity = std::min<std::size_t>(capacity, INT_MAX);
        std::size_t received = 0;
        for (;;) {
            ERR_clear_error();
            std::size_t got = 0;
            const int rc = SSL_read_ex(m_ssl, buffer, capacity, &got);
            const int error = rc == 1 ? SSL_ERROR_NONE : SSL_get_error(m_ssl, rc);
            ERR_clear_error();
            // Reading may have produced bytes to send (a key update, a
            // renegotiation).
            if (!Flush()) return Broken(kTlsFailed);
            if (rc == 1) {
                DecryptAhead();
                return static_cast<long>(got);
            }
            if (error == SSL_ERROR_ZERO_RETURN) {
                m_peerClosed = true;
                return kTlsClosed;
            }
            if (error != SSL_ERROR_WANT_READ) return Broken(kTlsFailed);
            // Session tickets, key updates and renegotiation records carry no
            // data; a server that sends only those without end is cut off.
            const long n = Fill();
            if (n < 0) return n == kTlsTimedOut ? kTlsTimedOut : Broken(kTlsFailed);
            if (n == 0) return kTlsClosed;
            received += static_cast<std::size_t>(n);
            if (received > kMaxNonDataBytes) return Broken(kTlsFailed);
        }
    }

    // Also true when a Receive would end at once (the peer's close_notify,
    // a broken session) without touching the socket.
    bool HasPendingData() const override {
        return m_established && (m_broken || m_peerClosed || SSL_pending(m_ssl) > 0);
    }

    void Close() override {
        if (!m_established || m_closed) return;
        m_closed = true;
        if (m_broken) return;
        ERR_clear_error();
        // One call queues close_notify; the peer's answer is not awaited.
        SSL_shutdown(m_ssl);
        ERR_clear_error();
        Flush();
    }

private:
    // Server name indication and the name the certificate must carry: an IP
    // literal (in the connection's own reading of it) against the IP
    // addresses of the certificate, anything else against its DNS names.
    bool SetHost(const std::string& host) {
        if (host.empty() || host.find('\0') != std::string::npos) return false;
        X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
        std::uint32_t v4 = 0;
        unsigned char v6[16];
        if (ParseDottedAddress(host, v4))
            return X509_VERIFY_PARAM_set1_ip(param, reinterpret_cast<const unsigned char*>(&v4), 4) == 1;
        if (::inet_pton(AF_INET6, host.c_str(), v6) == 1) return X509_VERIFY_PARAM_set1_ip(param, v6, 16) == 1;
        if (host.size() <= kMaxHostName) SSL_set_tlsext_host_name(m_ssl, host.c_str());
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        return SSL_set1_host(m_ssl, host.c_str()) == 1;
    }

    // Verification goes on past every failure; each one is noted.
    static int NoteVerifyError(int ok, X509_STORE_CTX* store) {
        if (ok) return 1;
        SSL* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* self = ssl ? static_cast<OpenSslSession*>(SSL_get_ex_data(ssl, SessionIndex())) : nullptr;
        if (self) self->m_seen |= ProblemBit(X509_STORE_CTX_get_error(store));
        return 1;
    }

    // Sends what OpenSSL has written; false when the transport failed.
    bool Flush() {
        char chunk[kChunkSize];
        while (BIO_ctrl_pending(m_out) > 0) {
            const int n = BIO_read(m_out, chunk, static_cast<int>(sizeof chunk));
            if (n <= 0) break;
            if (!m_transport->SendRaw(chunk, static_cast<std::size_t>(n))) return false;
        }
        return true;
    }

    // Waits for the server's next bytes and hands them to OpenSSL: the count
    // or a TlsIo value.
    long Fill() {
        char chunk[kChunkSize];
        const long n = m_transport->ReceiveRaw(chunk, sizeof chunk);
        if (n <= 0) return n < kTlsTimedOut ? kTlsFailed : n;
        const long count = std::min(n, static_cast<long>(sizeof chunk));
        if (BIO_write(m_in, chunk, static_cast<int>(count)) != count) return kTlsFailed;
        return count;
    }

    // Decrypts the next record already read, if any, so that HasPendingData
    // sees data that came with earlier bytes; never waits.
    void DecryptAhead() {
        if (SSL_pending(m_ssl) > 0 || BIO_ctrl_pending(m_in) == 0) return;
        ERR_clear_error();
        char byte;
        std::size_t got = 0;
        const int rc = SSL_peek_ex(m_ssl, &byte, 1, &got);
        if (rc != 1) {
            const int error = SSL_get_error(m_ssl, rc);
            if (error == SSL_ERROR_ZERO_RETURN) m_peerClosed = true;
            else if (error != SSL_ERROR_WANT_READ) m_broken = true;
        }
        ERR_clear_error();
        if (!Flush()) m_broken = true;
    }

    long Broken(long io) {
        m_broken = true;
        return io;
    }

    std::unique_ptr<TlsTransport> m_transport;
    SSL_CTX* m_context = nullptr;
    SSL* m_ssl = nullptr;
    BIO* m_in = nullptr;   // the server's bytes, for OpenSSL to read
    BIO* m_out = nullptr;  // OpenSSL's bytes, for the server
    unsigned m_seen = 0;   // kSaw... bits
    bool m_attempted = false;
    bool m_established = false;
    bool m_broken = false;      // a failure that ends the session
    bool m_peerClosed = false;  // close_notify received
    bool m_closed = false;
};

}  // namespace

std::unique_ptr<TlsSession> CreateTlsSession(std::unique_ptr<TlsTransport> transport) {
    if (!transport) return nullptr;
    auto session = std::make_unique<OpenSslSession>(std::move(transport));
    const bool ready = session->Init();
    ERR_clear_error();
    if (!ready) return nullptr;
    return session;
}
