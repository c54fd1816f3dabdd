#include "ScriptedServer.h"

#include <algorithm>
#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
using socklen_t = int;
static void CloseFd(std::intptr_t s) { closesocket(static_cast<SOCKET>(s)); }
constexpr int kNoSignal = 0;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
static void CloseFd(std::intptr_t s) { close(static_cast<int>(s)); }
constexpr int kNoSignal = MSG_NOSIGNAL;  // a closed peer must not end the test
#endif

namespace {

// Waits up to `ms` for the socket to be readable (or to have a connection).
bool Readable(std::intptr_t s, int ms) {
#ifdef _WIN32
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(s), &set);
    timeval tv = {ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &tv) == 1;
#else
    pollfd entry = {static_cast<int>(s), POLLIN, 0};
    return poll(&entry, 1, ms) == 1;
#endif
}

constexpr int kStepTimeoutMs = 10000;

}  // namespace

ScriptedServer::ScriptedServer(int backlog) {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    auto s = socket(AF_INET, SOCK_STREAM, 0);
    m_listener = static_cast<std::intptr_t>(s);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(s, backlog);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
}

ScriptedServer::~ScriptedServer() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_client != -1) CloseFd(m_client);
    CloseFd(m_listener);
#ifdef _WIN32
    WSACleanup();
#endif
}

ScriptedServer& ScriptedServer::Accept() { m_steps.push_back({Step::kAccept, "", 0}); return *this; }
ScriptedServer& ScriptedServer::Send(const std::string& bytes) {
    m_steps.push_back({Step::kSend, bytes, 0});
    return *this;
}
ScriptedServer& ScriptedServer::Segments(const std::vector<std::string>& parts, int gapMs) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) Pause(gapMs);
        Send(parts[i]);
    }
    return *this;
}
ScriptedServer& ScriptedServer::Expect(const std::string& line) {
    m_steps.push_back({Step::kExpect, line, 0});
    return *this;
}
ScriptedServer& ScriptedServer::ExpectAny() { m_steps.push_back({Step::kExpectAny, "", 0}); return *this; }
ScriptedServer& ScriptedServer::Pause(int ms) { m_steps.push_back({Step::kPause, "", ms}); return *this; }
ScriptedServer& ScriptedServer::Flood(const std::string& line) {
    m_steps.push_back({Step::kFlood, line, 0});
    return *this;
}
ScriptedServer& ScriptedServer::Close() { m_steps.push_back({Step::kClose, "", 0}); return *this; }

void ScriptedServer::Start() { m_thread = std::thread([this] { Run(); }); }

bool ScriptedServer::Finish(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!m_done) Fail("script did not finish in time");
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    return Failure().empty();
}

std::vector<std::string> ScriptedServer::Received() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_received;
}

std::string ScriptedServer::Failure() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_failure;
}

void ScriptedServer::Fail(const std::string& why) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_failure.empty()) m_failure = why;
}

bool ScriptedServer::ReadLine(std::string& line) {
    for (int waited = 0; waited < kStepTimeoutMs && !m_stop;) {
        std::size_t lf = m_pending.find('\n');
        if (lf != std::string::npos) {
            line = m_pending.substr(0, lf);
            m_pending.erase(0, lf + 1);
            std::lock_guard<std::mutex> lock(m_lock);
            m_received.push_back(line);
            return true;
        }
        if (!Readable(m_client, 50)) {
            waited += 50;
            continue;
        }
        char buffer[4096];
        int n = static_cast<int>(recv(m_client, buffer, sizeof buffer, 0));
        if (n <= 0) return false;
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
    return false;
}

void ScriptedServer::Run() {
    for (std::size_t i = 0; i < m_steps.size() && !m_stop; ++i) {
        const Step& step = m_steps[i];
        std::string where = "step " + std::to_string(i) + ": ";
        switch (step.kind) {
        case Step::kAccept: {
            if (m_client != -1) CloseFd(m_client);
            m_client = -1;
            m_pending.clear();
            int waited = 0;
            while (!m_stop && waited < kStepTimeoutMs && !Readable(m_listener, 50)) waited += 50;
            if (m_stop || waited >= kStepTimeoutMs) {
                Fail(where + "no connection");
                m_done = true;
                return;
            }
            m_client = static_cast<std::intptr_t>(accept(m_listener, nullptr, nullptr));
            break;
        }
        case Step::kSend: {
            std::size_t sent = 0;
            while (sent < step.text.size()) {
                int n = static_cast<int>(send(m_client, step.text.data() + sent,
                                              static_cast<int>(step.text.size() - sent), kNoSignal));
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            break;
        }
        case Step::kFlood:
            while (!m_stop && send(m_client, step.text.data(), static_cast<int>(step.text.size()),
                                   kNoSignal) > 0) {
            }
            break;
        case Step::kExpect:
        case Step::kExpectAny: {
            std::string line;
            if (!ReadLine(line)) {
                Fail(where + "expected '" + step.text + "', connection ended");
                m_done = true;
                return;
            }
            if (step.kind == Step::kExpect && line != step.text) {
                Fail(where + "expected '" + step.text + "', got '" + line + "'");
                m_done = true;
                return;
            }
            break;
        }
        case Step::kPause:
            for (int slept = 0; slept < step.ms && !m_stop; slept += 20)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min(20, step.ms - slept)));
            break;
        case Step::kClose:
            if (m_client != -1) CloseFd(m_client);
            m_client = -1;
            break;
        }
    }
    m_done = true;
}
