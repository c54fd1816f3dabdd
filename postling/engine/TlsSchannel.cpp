// The TLS seam on Windows: Schannel through SSPI. Every byte goes through the
// transport; Schannel only turns records into tokens and plain text. The
// certificate is checked by the system's chain engine, by hand, after the
// handshake (manual validation), so that its fingerprint is always known.
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <windows.h>
#include <bcrypt.h>
#include <subauth.h>
#include <wincrypt.h>
#include <schannel.h>
#include <security.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "Socket.h"
#include "Tls.h"

namespace {

// Encrypted bytes held at once: several full records (16 KiB of text plus
// protection each) and the longest handshake flight we take.
constexpr std::size_t kInputCapacity = 128 * 1024;
constexpr std::size_t kRecordHeader = 5;
constexpr std::size_t kMaxRecordBody = 16384 + 2048;
constexpr unsigned char kAlertRecord = 21;  // content type (TLS 1.2: in the clear)
// Handshake calls that neither read nor finish, before the server counts as
// looping us.
constexpr int kMaxIdleCalls = 64;

constexpr ULONG kContextRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                  ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION |
                                  ISC_REQ_EXTENDED_ERROR;

// SSL_EXTRA_CERT_CHAIN_POLICY_PARA.fdwChecks (wininet's SECURITY_FLAG_IGNORE_*).
constexpr DWORD kIgnoreUnknownCa = 0x00000100;
constexpr DWORD kIgnoreDateInvalid = 0x00002000;
constexpr DWORD kIgnoreWrongName = 0x00001000;

constexpr DWORD kOldProtocols = SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT |
                                SP_PROT_TLS1_1_CLIENT;

std::string Hex(SECURITY_STATUS status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    return text;
}

const char* StatusWords(SECURITY_STATUS status) {
    switch (status) {
    case SEC_E_ILLEGAL_MESSAGE: return "malformed or unexpected message from the server";
    case SEC_E_ALGORITHM_MISMATCH: return "no protocol version or cipher in common";
    case SEC_E_UNSUPPORTED_FUNCTION: return "protocol version not supported";
    case SEC_E_DECRYPT_FAILURE: return "a record could not be decrypted";
    case SEC_E_MESSAGE_ALTERED: return "a record failed its integrity check";
    case SEC_E_INVALID_TOKEN: return "invalid handshake message";
    case SEC_E_INTERNAL_ERROR: return "internal error of the TLS library";
    case SEC_E_NO_CREDENTIALS: return "no credentials for the connection";
    case SEC_E_INSUFFICIENT_MEMORY: return "out of memory";
    case SEC_E_CONTEXT_EXPIRED: return "the connection was shut down";
    case SEC_E_CERT_UNKNOWN: return "the server's certificate could not be read";
    case SEC_E_WRONG_PRINCIPAL: return "the certificate names another host";
    default: return "TLS failure";
    }
}

std::string Failure(const char* step, SECURITY_STATUS status) {
    return std::string(step) + ": " + StatusWords(status) + " (" + Hex(status) + ")";
}

// SHA-256 of `data` as 64 upper-case hex digits; empty when the system
// cannot hash.
std::string Sha256Hex(const BYTE* data, DWORD length) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return std::string();
    UCHAR digest[32];
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)) &&
              BCRYPT_SUCCESS(BCryptHashData(hash, const_cast<PUCHAR>(data), length, 0)) &&
              BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, sizeof digest, 0));
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return std::string();
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (UCHAR byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// A TLS record starts here, as far as `length` bytes show: a known content
// type, major version 3 and a body TLS allows. A plain-text server's
// greeting fails at once instead of being waited on as a record.
bool RecordHeaderValid(const char* data, std::size_t length) {
    const auto byte = [data](std::size_t i) { return static_cast<unsigned char>(data[i]); };
    if (length >= 1 && (byte(0) < 20 || byte(0) > 23)) return false;
    if (length >= 2 && byte(1) != 3) return false;
    return length < kRecordHeader || ((std::size_t{byte(3)} << 8) | byte(4)) <= kMaxRecordBody;
}

// The body length a record header announces.
std::size_t RecordBody(const char* header) {
    return (std::size_t{static_cast<unsigned char>(header[3])} << 8) | static_cast<unsigned char>(header[4]);
}

// An address among the certificate's alternative names (iPAddress).
bool NamesAddress(PCCERT_CONTEXT certificate, std::uint32_t address) {
    const CERT_INFO* info = certificate->pCertInfo;
    PCERT_EXTENSION extension = CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!extension || !CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                                           extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                                           &size))
        return false;
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == sizeof address &&
                std::memcmp(entry.IPAddress.pbData, &address, sizeof address) == 0;
    }
    LocalFree(names);
    return found;
}

// The SSL policy's verdict on `chain` for `host`, with `ignore` checks off.
DWORD SslPolicyError(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host, DWORD ignore) {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = ignore;
    ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA para{};
    para.cbSize = sizeof para;
    para.pvExtraPolicyPara = &ssl;
    if (ignore & kIgnoreUnknownCa) para.dwFlags |= CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG;
    if (ignore & kIgnoreDateInvalid) para.dwFlags |= CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &para, &status))
        return static_cast<DWORD>(CERT_E_CRITICAL);
    return status.dwError;
}

// What is wrong with the server's certificate for `host`: the chain engine's
// trust bits and the SSL policy together (Wine's policy passes a chain that
// ends short of any root; its trust bits say so).
CertificateProblem CheckCertificate(PCCERT_CONTEXT certificate, const std::string& host) {
    LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    // The server's other certificates are in the certificate's own store.
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &para, 0, nullptr,
                                 &chain))
        return CertificateProblem::kOther;

    std::wstring wideHost;
    if (int n = MultiByteToWideChar(CP_ACP, 0, host.c_str(), -1, nullptr, 0); n > 0) {
        wideHost.resize(static_cast<std::size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, host.c_str(), -1, &wideHost[0], n);
        wideHost.resize(static_cast<std::size_t>(n - 1));
    }
    // An address is checked against the address names here: the system's
    // policy compares it with DNS names only (so Wine).
    std::uint32_t address = 0;
    const bool literal = ParseDottedAddress(host, address);
    const DWORD bits = chain->TrustStatus.dwErrorStatus;
    const DWORD full = SslPolicyError(chain, wideHost, literal ? kIgnoreWrongName : 0);
    // The name on its own: a chain error stops the full check before it.
    const DWORD name = literal ? (NamesAddress(certificate, address) ? 0 : static_cast<DWORD>(CERT_E_CN_NO_MATCH))
                               : SslPolicyError(chain, wideHost, kIgnoreUnknownCa | kIgnoreDateInvalid);
    CertFreeCertificateChain(chain);

    auto untrustedCode = [](DWORD e) {
        return e == static_cast<DWORD>(CERT_E_UNTRUSTEDROOT) || e == static_cast<DWORD>(CERT_E_CHAINING) ||
               e == static_cast<DWORD>(TRUST_E_CERT_SIGNATURE);
    };
    auto known = [&](DWORD e) {
        return e == 0 || e == static_cast<DWORD>(CERT_E_EXPIRED) ||
               e == static_cast<DWORD>(CERT_E_CN_NO_MATCH) || untrustedCode(e);
    };
    if ((bits & CERT_TRUST_IS_NOT_TIME_VALID) || full == static_cast<DWORD>(CERT_E_EXPIRED))
        return CertificateProblem::kExpired;
    if (full == static_cast<DWORD>(CERT_E_CN_NO_MATCH) || name == static_cast<DWORD>(CERT_E_CN_NO_MATCH))
        return CertificateProblem::kWrongName;
    if ((bits & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_NOT_SIGNATURE_VALID |
                 CERT_TRUST_IS_CYCLIC)) ||
        untrustedCode(full))
        return CertificateProblem::kUntrusted;
    if ((bits & (CERT_TRUST_IS_REVOKED | CERT_TRUST_IS_NOT_VALID_FOR_USAGE | CERT_TRUST_INVALID_EXTENSION |
                 CERT_TRUST_INVALID_BASIC_CONSTRAINTS | CERT_TRUST_INVALID_NAME_CONSTRAINTS |
                 CERT_TRUST_INVALID_POLICY_CONSTRAINTS)) ||
        !known(full) || !known(name))
        return CertificateProblem::kOther;
    return CertificateProblem::kNone;
}

class SchannelSession final : public TlsSession {
public:
    explicit SchannelSession(std::unique_ptr<TlsTransport> transport) : m_transport(std::move(transport)) {}
    ~SchannelSession() override;

    bool Open();

    TlsHandshakeResult Handshake(const std::string& host, const std::string& acceptedFingerprint) override;
    long Send(const char* data, std::size_t length) override;
    long Receive(char* buffer, std::size_t capacity) override;
    bool HasPendingData() const override;
    void Close() override;

private:
    enum Outcome { kDone, kDeclined, kTimedOut, kClosed, kFailed };

    Outcome Negotiate(std::string& detail);
    long ReadMore();
    bool SendToken(SecBuffer& token);
    void KeepExtra(const SecBuffer& extra);
    std::string PeerFingerprint();
    long TakePlain(char* buffer, std::size_t capacity);

    std::unique_ptr<TlsTransport> m_transport;
    CredHandle m_credentials{};
    bool m_haveCredentials = false;
    CtxtHandle m_context{};
    bool m_haveContext = false;
    std::string m_host;
    std::string m_fingerprint;
    SecPkgContext_StreamSizes m_sizes{};
    std::vector<char> m_in;  // encrypted bytes from the server not yet used
    std::size_t m_inLength = 0;
    std::vector<char> m_plain;  // decrypted bytes not yet taken
    std::size_t m_plainBegin = 0;
    std::size_t m_plainEnd = 0;
    std::vector<char> m_out;  // one record on its way out
    bool m_negotiated = false;
    bool m_established = false;  // negotiated and the certificate passed
    bool m_renegotiate = false;  // the server asked; done before the next record
    bool m_peerClosed = false;
    bool m_broken = false;
};

SchannelSession::~SchannelSession() {
    if (m_haveContext) DeleteSecurityContext(&m_context);
    if (m_haveCredentials) FreeCredentialsHandle(&m_credentials);
}

bool SchannelSession::Open() {
    try {
        m_in.resize(kInputCapacity);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const DWORD flags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    TimeStamp expiry;
    // SCH_CREDENTIALS (Windows 10 1809 and later) is the one that offers TLS
    // 1.3. Wine takes it but ignores the disabled protocols (and says so in
    // the supported ones); SCHANNEL_CRED's enabled protocols it honours.
    TLS_PARAMETERS parameters{};
    parameters.grbitDisabledProtocols = kOldProtocols;
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = flags;
    modern.cTlsParameters = 1;
    modern.pTlsParameters = &parameters;
    SECURITY_STATUS status =
        AcquireCredentialsHandleA(nullptr, const_cast<LPSTR>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                  &modern, nullptr, nullptr, &m_credentials, &expiry);
    if (status == SEC_E_OK) {
        SecPkgCred_SupportedProtocols supported{};
        if (QueryCredentialsAttributesA(&m_credentials, SECPKG_ATTR_SUPPORTED_PROTOCOLS, &supported) == SEC_E_OK &&
            (supported.grbitProtocol & kOldProtocols)) {
            FreeCredentialsHandle(&m_credentials);
            status = SEC_E_UNSUPPORTED_FUNCTION;
        }
    }
    // Older systems know no TLS 1.3 and may refuse its bit.
    for (DWORD protocols : {DWORD{SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT}, DWORD{SP_PROT_TLS1_2_CLIENT}}) {
        if (status == SEC_E_OK) break;
        SCHANNEL_CRED legacy{};
        legacy.dwVersion = SCHANNEL_CRED_VERSION;
        legacy.grbitEnabledProtocols = protocols;
        legacy.dwFlags = flags;
        status = AcquireCredentialsHandleA(nullptr, const_cast<LPSTR>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                           &legacy, nullptr, nullptr, &m_credentials, &expiry);
    }
    m_haveCredentials = status == SEC_E_OK;
    return m_haveCredentials;
}

long SchannelSession::ReadMore() {
    if (m_inLength == m_in.size()) return kTlsFailed;
    long n = m_transport->ReceiveRaw(m_in.data() + m_inLength, m_in.size() - m_inLength);
    if (n > 0) m_inLength += static_cast<std::size_t>(std::min<long>(n, m_in.size() - m_inLength));
    return n;
}

// Sends and frees a token Schannel allocated; false when sending failed.
bool SchannelSession::SendToken(SecBuffer& token) {
    bool sent = true;
    if (token.pvBuffer && token.cbBuffer > 0)
        sent = m_transport->SendRaw(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
    if (token.pvBuffer) FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    token.cbBuffer = 0;
    return sent;
}

// The unused tail of the input moves to its front; anything else was used.
void SchannelSession::KeepExtra(const SecBuffer& extra) {
    if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= m_inLength) {
        std::memmove(m_in.data(), m_in.data() + m_inLength - extra.cbBuffer, extra.cbBuffer);
        m_inLength = extra.cbBuffer;
    } else {
        m_inLength = 0;
    }
}

// Runs InitializeSecurityContext until the context is complete: the first
// handshake (no context yet), or a renegotiation with the server's message
// in the input.
SchannelSession::Outcome SchannelSession::Negotiate(std::string& detail) {
    bool renegotiating = m_haveContext;
    ULONG request = kContextRequest;
    int idle = 0;
    bool read = false;
    for (;;) {
        if (read) {
            long n = ReadMore();
            if (n == kTlsTimedOut) return kTimedOut;
            if (n == kTlsClosed) return kClosed;
            if (n < 0) {
                detail = m_inLength == m_in.size() ? "handshake message too long" : "the connection failed";
                return kFailed;
            }
            idle = 0;
        } else if (++idle > kMaxIdleCalls) {
            detail = "the handshake does not progress";
            return kFailed;
        }
        read = false;
        if (!RecordHeaderValid(m_in.data(), m_inLength)) {
            detail = "the server does not answer in TLS";
            return kFailed;
        }
        SecBuffer in[2] = {{static_cast<ULONG>(m_inLength), SECBUFFER_TOKEN, m_in.data()},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
        SecBuffer out[2] = {{0, SECBUFFER_TOKEN, nullptr}, {0, SECBUFFER_ALERT, nullptr}};
        SecBufferDesc outDesc = {SECBUFFER_VERSION, 2, out};
        ULONG attributes = 0;
        const bool first = !m_haveContext;
        SECURITY_STATUS status = InitializeSecurityContextA(
            &m_credentials, first ? nullptr : &m_context, const_cast<char*>(m_host.c_str()), request, 0, 0,
            first ? nullptr : &inDesc, 0, &m_context, &outDesc, &attributes, nullptr);
        if (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)) m_haveContext = true;
        // Asked to renegotiate, the system may want the server's next
        // message instead of starting (Wine); the request is then ignored,
        // as a client may.
        const bool declined = renegotiating && status == SEC_E_INCOMPLETE_MESSAGE && m_inLength == 0 &&
                              out[0].cbBuffer == 0;
        renegotiating = false;
        const bool sent = SendToken(out[0]);
        if (out[1].pvBuffer) FreeContextBuffer(out[1].pvBuffer);
        if (declined) return kDeclined;
        if (!sent) {
            detail = "the connection failed";
            return kFailed;
        }
        switch (status) {
        case SEC_E_INCOMPLETE_MESSAGE:
            read = true;
            break;
        case SEC_I_INCOMPLETE_CREDENTIALS:
            // The server asks for a client certificate: go on without one.
            if (request & ISC_REQ_USE_SUPPLIED_CREDS) {
                detail = Failure("handshake", status);
                return kFailed;
            }
            request |= ISC_REQ_USE_SUPPLIED_CREDS;
            break;
        case SEC_E_OK:
            if (!first) KeepExtra(in[1]);
            return kDone;
        case SEC_I_CONTINUE_NEEDED:
            if (!first) KeepExtra(in[1]);
            read = m_inLength == 0;
            break;
        default:
            detail = Failure("handshake", status);
            return kFailed;
        }
    }
}

std::string SchannelSession::PeerFingerprint() {
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesA(&m_context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        !certificate)
        return std::string();
    std::string fingerprint = Sha256Hex(certificate->pbCertEncoded, certificate->cbCertEncoded);
    CertFreeCertificateContext(certificate);
    return fingerprint;
}

TlsHandshakeResult SchannelSession::Handshake(const std::string& host, const std::string& acceptedFingerprint) {
    TlsHandshakeResult result;
    if (m_haveContext || m_broken) {
        result.detail = "handshake repeated";
        return result;
    }
    m_host = host;
    m_broken = true;  // until it succeeds
    switch (Negotiate(result.detail)) {
    case kTimedOut: result.status = TlsHandshakeResult::kTimedOut; return result;
    case kClosed: result.status = TlsHandshakeResult::kClosed; return result;
    case kFailed: result.status = TlsHandshakeResult::kFailed; return result;
    case kDone:
    case kDeclined: break;
    }
    m_negotiated = true;
    // TLS 1.2 at least, whatever the credentials let through.
    SecPkgContext_ConnectionInfo connection{};
    SECURITY_STATUS status = QueryContextAttributesA(&m_context, SECPKG_ATTR_CONNECTION_INFO, &connection);
    if (status != SEC_E_OK || (connection.dwProtocol & kOldProtocols) || connection.dwProtocol == 0) {
        result.detail = status == SEC_E_OK ? "the server offers no TLS 1.2 or later"
                                           : Failure("protocol version", status);
        return result;
    }
    status = QueryContextAttributesA(&m_context, SECPKG_ATTR_STREAM_SIZES, &m_sizes);
    if (status != SEC_E_OK || m_sizes.cbMaximumMessage == 0 || m_sizes.cbMaximumMessage > kMaxRecordBody ||
        m_sizes.cbHeader > kMaxRecordBody || m_sizes.cbTrailer > kMaxRecordBody) {
        result.detail = Failure("record sizes", status == SEC_E_OK ? SEC_E_INTERNAL_ERROR : status);
        return result;
    }
    try {
        m_out.resize(m_sizes.cbHeader + m_sizes.cbMaximumMessage + m_sizes.cbTrailer);
        m_plain.resize(kInputCapacity);
    } catch (const std::bad_alloc&) {
        result.detail = Failure("record buffers", SEC_E_INSUFFICIENT_MEMORY);
        return result;
    }

    PCCERT_CONTEXT certificate = nullptr;
    status = QueryContextAttributesA(&m_context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    if (status != SEC_E_OK || !certificate) {
        result.status = TlsHandshakeResult::kCertificate;
        result.problem = CertificateProblem::kOther;
        return result;
    }
    result.fingerprint = Sha256Hex(certificate->pbCertEncoded, certificate->cbCertEncoded);
    CertificateProblem problem = CheckCertificate(certificate, host);
    CertFreeCertificateContext(certificate);
    if (result.fingerprint.empty()) {
        result.detail = "no SHA-256 from the system";
        return result;
    }
    if (problem != CertificateProblem::kNone && NormalizeFingerprint(acceptedFingerprint) != result.fingerprint) {
        result.status = TlsHandshakeResult::kCertificate;
        result.problem = problem;
        return result;
    }
    m_fingerprint = result.fingerprint;
    m_established = true;
    m_broken = false;
    result.status = TlsHandshakeResult::kOk;
    return result;
}

long SchannelSession::Send(const char* data, std::size_t length) {
    if (!m_established || m_broken) return kTlsFailed;
    std::size_t sent = 0;
    while (sent < length) {
        const std::size_t chunk = std::min<std::size_t>(length - sent, m_sizes.cbMaximumMessage);
        char* record = m_out.data();
        std::memcpy(record + m_sizes.cbHeader, data + sent, chunk);
        SecBuffer buffers[4] = {
            {m_sizes.cbHeader, SECBUFFER_STREAM_HEADER, record},
            {static_cast<ULONG>(chunk), SECBUFFER_DATA, record + m_sizes.cbHeader},
            {m_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record + m_sizes.cbHeader + chunk},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&m_context, 0, &desc, 0) != SEC_E_OK) {
            m_broken = true;
            return kTlsFailed;
        }
        // The parts stay where they were given; the trailer may have shrunk.
        const std::size_t total =
            std::size_t{buffers[0].cbBuffer} + buffers[1].cbBuffer + buffers[2].cbBuffer;
        if (buffers[0].cbBuffer != m_sizes.cbHeader || buffers[1].cbBuffer != chunk || total > m_out.size() ||
            !m_transport->SendRaw(record, total)) {
            m_broken = true;
            return kTlsFailed;
        }
        sent += chunk;
    }
    return static_cast<long>(length);
}

long SchannelSession::TakePlain(char* buffer, std::size_t capacity) {
    const std::size_t n = std::min(capacity, m_plainEnd - m_plainBegin);
    std::memcpy(buffer, m_plain.data() + m_plainBegin, n);
    m_plainBegin += n;
    if (m_plainBegin == m_plainEnd) m_plainBegin = m_plainEnd = 0;
    return static_cast<long>(n);
}

long SchannelSession::Receive(char* buffer, std::size_t capacity) {
    if (capacity == 0) return kTlsFailed;
    if (m_plainBegin < m_plainEnd) return TakePlain(buffer, std::min<std::size_t>(capacity, 0x7fffffff));
    if (!m_established || m_broken) return kTlsFailed;
    if (m_peerClosed) return kTlsClosed;
    for (;;) {
        if (m_renegotiate) {
            m_renegotiate = false;
            std::string detail;
            Outcome outcome = Negotiate(detail);
            if (outcome == kDeclined) continue;
            // A renegotiated connection must still be the server we checked.
            if (outcome == kDone) {
                std::string now = PeerFingerprint();
                if (!now.empty() && now != m_fingerprint) outcome = kFailed;
            }
            if (outcome != kDone) {
                m_broken = true;
                return outcome == kTimedOut ? kTlsTimedOut : outcome == kClosed ? kTlsClosed : kTlsFailed;
            }
            continue;
        }
        if (!RecordHeaderValid(m_in.data(), m_inLength)) {
            m_broken = true;
            return kTlsFailed;
        }
        // Schannel is asked only once a whole record is in.
        if (m_inLength >= kRecordHeader && m_inLength >= kRecordHeader + RecordBody(m_in.data())) {
            SecBuffer buffers[4] = {{static_cast<ULONG>(m_inLength), SECBUFFER_DATA, m_in.data()},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
            const bool alert = static_cast<unsigned char>(m_in[0]) == kAlertRecord;
            SECURITY_STATUS status = DecryptMessage(&m_context, &desc, 0, nullptr);
            if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE || status == SEC_I_CONTEXT_EXPIRED) {
                const SecBuffer* data = nullptr;
                const SecBuffer* extra = nullptr;
                for (const SecBuffer& b : buffers) {
                    if (b.BufferType == SECBUFFER_DATA && !data) data = &b;
                    if (b.BufferType == SECBUFFER_EXTRA && !extra) extra = &b;
                }
                std::size_t plain = 0;
                if (data && data->pvBuffer && data->cbBuffer > 0) {
                    // Never more text than the record that held it.
                    if (data->cbBuffer > m_inLength) {
                        m_broken = true;
                        return kTlsFailed;
                    }
                    plain = data->cbBuffer;
                    std::memcpy(m_plain.data(), data->pvBuffer, plain);
                }
                static const SecBuffer kNone = {0, SECBUFFER_EMPTY, nullptr};
                KeepExtra(extra ? *extra : kNone);
                m_plainBegin = 0;
                m_plainEnd = plain;
                // Wine answers a close notification with SEC_E_OK and no
                // text; an alert after the handshake ends the stream anyway.
                if (status == SEC_I_CONTEXT_EXPIRED || (alert && plain == 0)) m_peerClosed = true;
                if (status == SEC_I_RENEGOTIATE) m_renegotiate = true;
                if (plain > 0) return TakePlain(buffer, std::min<std::size_t>(capacity, 0x7fffffff));
                if (m_peerClosed) return kTlsClosed;
                continue;
            }
            if (status != SEC_E_INCOMPLETE_MESSAGE) {
                m_broken = true;
                return kTlsFailed;
            }
        }
        long n = ReadMore();
        if (n <= 0) {
            if (n == kTlsClosed) m_peerClosed = true;
            else m_broken = true;
            return n;
        }
    }
}

bool SchannelSession::HasPendingData() const {
    if (m_plainBegin < m_plainEnd) return true;
    if (!m_established) return false;
    // A failure or the end to report, or a whole record already read:
    // Receive answers without waiting first.
    return m_broken || m_peerClosed ||
           (m_inLength >= kRecordHeader && m_inLength >= kRecordHeader + RecordBody(m_in.data()));
}

void SchannelSession::Close() {
    if (!m_negotiated || !m_haveContext) return;
    m_negotiated = false;
    m_broken = true;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control = {sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc = {SECBUFFER_VERSION, 1, &control};
    if (ApplyControlToken(&m_context, &controlDesc) != SEC_E_OK) return;
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    SECURITY_STATUS status =
        InitializeSecurityContextA(&m_credentials, &m_context, const_cast<char*>(m_host.c_str()), kContextRequest,
                                   0, 0, nullptr, 0, &m_context, &outDesc, &attributes, nullptr);
    if (status == SEC_E_OK || status == SEC_I_CONTEXT_EXPIRED || status == SEC_I_CONTINUE_NEEDED) SendToken(out);
    else if (out.pvBuffer) FreeContextBuffer(out.pvBuffer);
}

}  // namespace

std::unique_ptr<TlsSession> CreateTlsSession(std::unique_ptr<TlsTransport> transport) {
    if (!transport) return nullptr;
    std::unique_ptr<SchannelSession> session(new (std::nothrow) SchannelSession(std::move(transport)));
    if (!session || !session->Open()) return nullptr;
    return session;
}
