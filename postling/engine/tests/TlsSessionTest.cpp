// The platform's TLS session against the local servers of
// tls_session_test.py: certificate verdicts and fingerprints, failures of the
// connection, records cut into small pieces, and hostile records. Ports and
// the certificate folder come through the environment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "postling/engine/Socket.h"
#include "postling/engine/Tls.h"

namespace {

struct Stats {
    int receives = 0;  // ReceiveRaw calls
    int timeouts = 0;
};

// The connection's part in miniature: a socket, a wait with a time-out, and
// reads cut to at most `chunk` bytes.
class SocketTransport : public TlsTransport {
public:
    SocketTransport(SocketHandle socket, std::size_t chunk, int timeout, std::shared_ptr<Stats> stats)
        : m_socket(socket), m_chunk(chunk), m_timeout(timeout), m_stats(std::move(stats)) {}
    ~SocketTransport() override { CloseSocket(m_socket); }

    bool SendRaw(const char* data, std::size_t length) override {
        while (length > 0) {
            long n = SendSocket(m_socket, data, length);
            if (n <= 0) return false;
            data += n;
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

    long ReceiveRaw(char* buffer, std::size_t capacity) override {
        ++m_stats->receives;
        int ready = WaitSocketReadable(m_socket, m_timeout, 0);
        if (ready == 0) {
            ++m_stats->timeouts;
            return kTlsTimedOut;
        }
        if (ready < 0) return kTlsFailed;
        long n = ReceiveSocket(m_socket, buffer, std::min(capacity, m_chunk));
        return n < 0 ? kTlsFailed : n;
    }

private:
    SocketHandle m_socket;
    std::size_t m_chunk;
    int m_timeout;
    std::shared_ptr<Stats> m_stats;
};

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

int Port(const std::string& server) {
    std::istringstream ports(Env("POSTLING_TLS_PORTS"));
    std::string item;
    while (ports >> item)
        if (item.compare(0, server.size() + 1, server + "=") == 0) return std::atoi(item.c_str() + server.size() + 1);
    return 0;
}

std::string Fingerprint(const std::string& name) {
    std::ifstream file(Env("POSTLING_TLS_CERTS") + "/" + name + ".sha256");
    std::string text;
    file >> text;
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

struct Client {
    std::unique_ptr<TlsSession> session;
    std::shared_ptr<Stats> stats = std::make_shared<Stats>();
};

Client Connect(const std::string& server, std::size_t chunk = 1 << 16, int timeout = 10) {
    Client client;
    const int port = Port(server);
    EXPECT_NE(port, 0) << "no port for " << server;
    std::uint32_t address = 0;
    ParseDottedAddress("127.0.0.1", address);
    SocketHandle socket = CreateStreamSocket();
    if (socket == kInvalidSocket || !ConnectSocket(socket, address, static_cast<std::uint16_t>(port))) {
        ADD_FAILURE() << "cannot connect to " << server;
        if (socket != kInvalidSocket) CloseSocket(socket);
        return client;
    }
    client.session = CreateTlsSession(std::make_unique<SocketTransport>(socket, chunk, timeout, client.stats));
    EXPECT_TRUE(client.session) << "no TLS session";
    return client;
}

// One line through Receive, at most `piece` bytes a call; empty on failure.
std::string ReadLine(TlsSession& session, std::size_t piece = 512) {
    std::string line;
    char buffer[512];
    while (line.size() < 2000 && (line.empty() || line.back() != '\n')) {
        long n = session.Receive(buffer, std::min(piece, sizeof buffer));
        if (n <= 0) return std::string();
        line.append(buffer, static_cast<std::size_t>(n));
    }
    return line;
}

bool SendText(TlsSession& session, const std::string& text) {
    return session.Send(text.data(), text.size()) == static_cast<long>(text.size());
}

class TlsSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartSockets()); }
    static void TearDownTestSuite() { StopSockets(); }
};

struct CertificateCase {
    const char* label;
    const char* server;
    const char* host;
    const char* accept;  // "": nothing; a certificate's name; "*lower", "*grouped": own, so written
    TlsHandshakeResult::Status status;
    CertificateProblem problem;
    const char* certificate;  // whose fingerprint the server shows
};

const CertificateCase kCertificateCases[] = {
    {"Good", "good", "localhost", "", TlsHandshakeResult::kOk, CertificateProblem::kNone, "good"},
    {"NameCaseIgnored", "good", "LocalHost", "", TlsHandshakeResult::kOk, CertificateProblem::kNone, "good"},
    {"Expired", "expired", "localhost", "", TlsHandshakeResult::kCertificate, CertificateProblem::kExpired,
     "expired"},
    {"WrongName", "wrongname", "localhost", "", TlsHandshakeResult::kCertificate, CertificateProblem::kWrongName,
     "wrongname"},
    {"Untrusted", "untrusted", "localhost", "", TlsHandshakeResult::kCertificate, CertificateProblem::kUntrusted,
     "untrusted"},
    {"AddressAgainstDnsName", "good", "127.0.0.1", "", TlsHandshakeResult::kCertificate,
     CertificateProblem::kWrongName, "good"},
    {"AddressAgainstIpName", "ipsan", "127.0.0.1", "", TlsHandshakeResult::kOk, CertificateProblem::kNone, "ipsan"},
    {"DnsNameAgainstIpName", "ipsan", "localhost", "", TlsHandshakeResult::kCertificate,
     CertificateProblem::kWrongName, "ipsan"},
    {"ExpiredAccepted", "expired", "localhost", "expired", TlsHandshakeResult::kOk, CertificateProblem::kNone,
     "expired"},
    {"WrongNameAcceptedLowerCase", "wrongname", "localhost", "*lower", TlsHandshakeResult::kOk,
     CertificateProblem::kNone, "wrongname"},
    {"UntrustedAcceptedGrouped", "untrusted", "localhost", "*grouped", TlsHandshakeResult::kOk,
     CertificateProblem::kNone, "untrusted"},
    {"UntrustedAccepted", "untrusted", "localhost", "untrusted", TlsHandshakeResult::kOk, CertificateProblem::kNone,
     "untrusted"},
    {"OtherFingerprintAccepted", "untrusted", "localhost", "good", TlsHandshakeResult::kCertificate,
     CertificateProblem::kUntrusted, "untrusted"},
};

class TlsCertificateTest : public TlsSessionTest, public ::testing::WithParamInterface<CertificateCase> {};

TEST_P(TlsCertificateTest, VerdictFingerprintAndGreeting) {
    const CertificateCase& c = GetParam();
    Client client = Connect(c.server);
    ASSERT_TRUE(client.session);
    const std::string own = Fingerprint(c.certificate);
    ASSERT_EQ(own.size(), 64u);
    std::string accept = c.accept;
    if (accept == "*lower") {
        accept = Lower(own);
    } else if (accept == "*grouped") {  // "ab:CD:..."
        accept.clear();
        for (std::size_t i = 0; i < own.size(); i += 2)
            accept += (i ? ":" : "") + (i % 4 ? own.substr(i, 2) : Lower(own.substr(i, 2)));
    } else if (!accept.empty()) {
        accept = Fingerprint(accept);
    }

    TlsHandshakeResult result = client.session->Handshake(c.host, accept);
    EXPECT_EQ(result.status, c.status) << result.detail;
    EXPECT_EQ(result.problem, c.problem);
    EXPECT_EQ(result.fingerprint, own);
    if (c.status == TlsHandshakeResult::kOk) {
        EXPECT_EQ(ReadLine(*client.session), "+OK POP3 ready\r\n");
        EXPECT_TRUE(SendText(*client.session, "NOOP\r\n"));
        EXPECT_EQ(ReadLine(*client.session), "+OK NOOP\r\n");
    } else {
        // A rejected server gets nothing.
        char byte;
        EXPECT_EQ(client.session->Send("X", 1), kTlsFailed);
        EXPECT_EQ(client.session->Receive(&byte, 1), kTlsFailed);
    }
    client.session->Close();
}

INSTANTIATE_TEST_SUITE_P(Servers, TlsCertificateTest, ::testing::ValuesIn(kCertificateCases),
                         [](const ::testing::TestParamInfo<CertificateCase>& info) { return info.param.label; });

struct FailureCase {
    const char* server;
    TlsHandshakeResult::Status status;
};

class TlsHandshakeFailureTest : public TlsSessionTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TlsHandshakeFailureTest, StatusWithoutCertificate) {
    Client client = Connect(GetParam().server, 1 << 16, 1);
    ASSERT_TRUE(client.session);
    TlsHandshakeResult result = client.session->Handshake("localhost", "");
    EXPECT_EQ(result.status, GetParam().status) << result.detail;
    EXPECT_EQ(result.problem, CertificateProblem::kNone);
    EXPECT_TRUE(result.fingerprint.empty());
    if (result.status == TlsHandshakeResult::kFailed) {
        EXPECT_FALSE(result.detail.empty());
    }
    if (result.status == TlsHandshakeResult::kTimedOut) {
        EXPECT_GE(client.stats->timeouts, 1);
    }
    client.session->Close();
}

INSTANTIATE_TEST_SUITE_P(Servers, TlsHandshakeFailureTest,
                         ::testing::Values(FailureCase{"closer", TlsHandshakeResult::kClosed},
                                           FailureCase{"silent", TlsHandshakeResult::kTimedOut},
                                           FailureCase{"plain", TlsHandshakeResult::kFailed},
                                           FailureCase{"tls11", TlsHandshakeResult::kFailed}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.server; });

// Records through a transport that hands over at most `chunk` bytes a read:
// every record and handshake message arrives in pieces.
struct StreamCase {
    const char* server;
    std::size_t chunk;
};

class TlsStreamTest : public TlsSessionTest, public ::testing::WithParamInterface<StreamCase> {
protected:
    void SetUp() override {
        client = Connect(GetParam().server, GetParam().chunk);
        ASSERT_TRUE(client.session);
        TlsHandshakeResult result = client.session->Handshake("localhost", "");
        if (std::strcmp(GetParam().server, "tls13") == 0 && result.status == TlsHandshakeResult::kFailed)
            GTEST_SKIP() << "no TLS 1.3 in this system's TLS (so Wine 8): " << result.detail;
        ASSERT_EQ(result.status, TlsHandshakeResult::kOk) << result.detail;
        ASSERT_EQ(ReadLine(*client.session), "+OK POP3 ready\r\n");
    }
    Client client;
};

TEST_P(TlsStreamTest, LongReplyArrivesWhole) {
    // Several full records; fewer when they come a few bytes a read.
    const std::size_t kSize = GetParam().chunk < 16 ? 40000 : 100000;
    ASSERT_TRUE(SendText(*client.session, "BIG " + std::to_string(kSize) + "\r\n"));
    std::string data;
    char buffer[3001];
    const std::size_t pieces[] = {1, 1000, sizeof buffer, 17};
    for (std::size_t i = 0; data.size() < kSize; ++i) {
        long n = client.session->Receive(buffer, std::min(pieces[i % 4], kSize - data.size()));
        ASSERT_GT(n, 0);
        ASSERT_LE(static_cast<std::size_t>(n), pieces[i % 4]);
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ASSERT_EQ(data.size(), kSize);
    for (std::size_t i = 0; i < kSize; ++i)
        ASSERT_EQ(static_cast<unsigned char>(data[i]), (i * 7 + 3) % 251) << "at " << i;
    EXPECT_FALSE(client.session->HasPendingData());
}

TEST_P(TlsStreamTest, LongCommandGoesInSeveralRecords) {
    std::string data(70001, '\0');
    unsigned long sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 13 % 256);
        sum += static_cast<unsigned char>(data[i]);
    }
    ASSERT_TRUE(SendText(*client.session, "DATA 70001\r\n" + data));
    EXPECT_EQ(ReadLine(*client.session), "+OK 70001 " + std::to_string(sum) + "\r\n");
}

TEST_P(TlsStreamTest, BufferedTextIsTakenWithoutTheSocket) {
    ASSERT_TRUE(SendText(*client.session, "NOOP\r\n"));
    char first;
    ASSERT_EQ(client.session->Receive(&first, 1), 1);
    EXPECT_EQ(first, '+');
    const int receives = client.stats->receives;
    EXPECT_TRUE(client.session->HasPendingData());
    EXPECT_EQ(ReadLine(*client.session, 1), "OK NOOP\r\n");
    EXPECT_EQ(client.stats->receives, receives);
    EXPECT_FALSE(client.session->HasPendingData());
}

// The server's close notification ends the stream at once, while its
// connection stays open.
TEST_P(TlsStreamTest, CloseNotificationEndsTheStream) {
    ASSERT_TRUE(SendText(*client.session, "QUIT\r\n"));
    EXPECT_EQ(ReadLine(*client.session), "+OK bye\r\n");
    char byte;
    EXPECT_EQ(client.session->Receive(&byte, 1), kTlsClosed);
    EXPECT_EQ(client.session->Receive(&byte, 1), kTlsClosed);
    EXPECT_TRUE(client.session->HasPendingData());
    EXPECT_EQ(client.stats->timeouts, 0);
}

TEST_P(TlsStreamTest, DroppedConnectionEndsTheStream) {
    ASSERT_TRUE(SendText(*client.session, "DROP\r\n"));
    char byte;
    EXPECT_EQ(client.session->Receive(&byte, 1), kTlsClosed);
}

INSTANTIATE_TEST_SUITE_P(Pieces, TlsStreamTest,
                         ::testing::Values(StreamCase{"good", 1 << 16}, StreamCase{"good", 1},
                                           StreamCase{"good", 7}, StreamCase{"tls12", 1 << 16},
                                           StreamCase{"tls12", 3}, StreamCase{"tls13", 5}),
                         [](const ::testing::TestParamInfo<StreamCase>& info) {
                             return std::string(info.param.server) + "_" + std::to_string(info.param.chunk);
                         });

TEST_F(TlsSessionTest, CloseSendsTheCloseNotification) {
    Client client = Connect("good");
    ASSERT_TRUE(client.session);
    ASSERT_EQ(client.session->Handshake("localhost", "").status, TlsHandshakeResult::kOk);
    ASSERT_EQ(ReadLine(*client.session), "+OK POP3 ready\r\n");
    ASSERT_TRUE(SendText(*client.session, "CLOSES\r\n"));
    const std::string before = ReadLine(*client.session);
    client.session->Close();
    EXPECT_EQ(client.session->Send("X", 1), kTlsFailed);
    client.session.reset();

    // The server counts close notifications; it may take a moment to read it.
    std::string after;
    for (int attempt = 0; attempt < 20; ++attempt) {
        Client probe = Connect("good");
        ASSERT_TRUE(probe.session);
        ASSERT_EQ(probe.session->Handshake("localhost", "").status, TlsHandshakeResult::kOk);
        ASSERT_EQ(ReadLine(*probe.session), "+OK POP3 ready\r\n");
        ASSERT_TRUE(SendText(*probe.session, "CLOSES\r\n"));
        after = ReadLine(*probe.session);
        if (after != before) break;
    }
    ASSERT_EQ(before.compare(0, 4, "+OK "), 0);
    EXPECT_EQ(std::atoi(after.c_str() + 4), std::atoi(before.c_str() + 4) + 1) << before << after;
}

// A broken record fails the read at once and for good, and so does one whose
// header promises more than a record may hold.
TEST_F(TlsSessionTest, HostileRecordsFail) {
    for (const char* server : {"badrecord", "hugerecord"}) {
        SCOPED_TRACE(server);
        Client client = Connect(server, 1 << 16, 5);
        ASSERT_TRUE(client.session);
        ASSERT_EQ(client.session->Handshake("localhost", "").status, TlsHandshakeResult::kOk);
        ASSERT_EQ(ReadLine(*client.session), "+OK POP3 ready\r\n");
        ASSERT_TRUE(SendText(*client.session, "NOOP\r\n"));
        char buffer[64];
        EXPECT_EQ(client.session->Receive(buffer, sizeof buffer), kTlsFailed);
        EXPECT_EQ(client.stats->timeouts, 0);
        EXPECT_EQ(client.session->Send("NOOP\r\n", 6), kTlsFailed);
        client.session->Close();
    }
}

// A TLS 1.2 server asks for a new handshake, then sends a line: the line
// arrives, whether the system renegotiates or ignores the request (Wine).
TEST_F(TlsSessionTest, RenegotiationRequestKeepsTheStream) {
    Client client = Connect("renegotiate");
    ASSERT_TRUE(client.session);
    TlsHandshakeResult result = client.session->Handshake("localhost", "");
    ASSERT_EQ(result.status, TlsHandshakeResult::kOk) << result.detail;
    EXPECT_EQ(ReadLine(*client.session), "after renegotiation\n");
    client.session->Close();
}

TEST_F(TlsSessionTest, NoTrafficBeforeTheHandshake) {
    Client client = Connect("good");
    ASSERT_TRUE(client.session);
    char byte;
    EXPECT_EQ(client.session->Send("X", 1), kTlsFailed);
    EXPECT_EQ(client.session->Receive(&byte, 1), kTlsFailed);
    EXPECT_FALSE(client.session->HasPendingData());
    EXPECT_EQ(client.stats->receives, 0);
    client.session->Close();
}

}  // namespace
