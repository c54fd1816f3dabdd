// BSD sockets.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Socket.h"

bool StartSockets() { return true; }
void StopSockets() {}

SocketHandle CreateStreamSocket() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    return fd < 0 ? kInvalidSocket : fd;
}

bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   const std::function<bool()>& giveUp) {
    const int fd = static_cast<int>(socket);
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    // Non-blocking while connecting, so that the wait can be given up.
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return false;
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
        for (;;) {
            pollfd entry = {fd, POLLOUT, 0};
            const int rc = ::poll(&entry, 1, 250);
            if (rc < 0 && errno == EINTR) continue;
            if (rc < 0) break;
            if (rc > 0) {
                int error = 0;
                socklen_t length = sizeof error;
                connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
                break;
            }
            if (giveUp && giveUp()) break;
        }
    }
    ::fcntl(fd, F_SETFL, flags);
    return connected;
}

int WaitSocketReadable(SocketHandle socket, int seconds, int microseconds) {
    // poll rather than select: no FD_SETSIZE limit on the descriptor number.
    pollfd entry = {static_cast<int>(socket), POLLIN, 0};
    long long ms = static_cast<long long>(seconds) * 1000 + (microseconds + 999) / 1000;
    if (ms < 0) ms = 0;
    if (ms > 0x7FFFFFFF) ms = 0x7FFFFFFF;
    int rc;
    do {
        rc = ::poll(&entry, 1, static_cast<int>(ms));
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) return -1;
    return rc > 0 ? 1 : 0;
}

long SendSocket(SocketHandle socket, const char* data, std::size_t length) {
    ssize_t rc;
    do {
        rc = ::send(static_cast<int>(socket), data, length, MSG_NOSIGNAL);
    } while (rc < 0 && errno == EINTR);
    return static_cast<long>(rc);
}

long ReceiveSocket(SocketHandle socket, char* buffer, std::size_t capacity) {
    ssize_t rc;
    do {
        rc = ::recv(static_cast<int>(socket), buffer, capacity, 0);
    } while (rc < 0 && errno == EINTR);
    return static_cast<long>(rc);
}

void ShutdownSend(SocketHandle socket) { ::shutdown(static_cast<int>(socket), SHUT_WR); }

void CloseSocket(SocketHandle socket) { ::close(static_cast<int>(socket)); }
