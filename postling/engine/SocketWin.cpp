// Windows Sockets 1.1.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "Socket.h"

bool StartSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void StopSockets() { WSACleanup(); }

SocketHandle CreateStreamSocket() {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   const std::function<bool()>& giveUp) {
    const SOCKET s = static_cast<SOCKET>(socket);
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    // Non-blocking while connecting, so that the wait can be given up.
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) return false;
    bool connected =
        ::connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    if (!connected && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        for (;;) {
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            timeval slice = {0, 250000};
            const int rc = ::select(0, nullptr, &writable, &failed, &slice);
            if (rc == SOCKET_ERROR) break;
            if (rc > 0) {
                connected = FD_ISSET(s, &writable) && !FD_ISSET(s, &failed);
                break;
            }
            if (giveUp && giveUp()) break;
        }
    }
    u_long blocking = 0;
    ::ioctlsocket(s, FIONBIO, &blocking);
    return connected;
}

int WaitSocketReadable(SocketHandle socket, int seconds, int microseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket), &readable);
    timeval timeout = {seconds, microseconds};
    int rc = ::select(0, &readable, nullptr, nullptr, &timeout);
    if (rc == SOCKET_ERROR) return -1;
    return rc == 1 ? 1 : 0;
}

long SendSocket(SocketHandle socket, const char* data, std::size_t length) {
    int rc = ::send(static_cast<SOCKET>(socket), data, static_cast<int>(length), 0);
    return rc == SOCKET_ERROR ? -1 : rc;
}

long ReceiveSocket(SocketHandle socket, char* buffer, std::size_t capacity) {
    int rc = ::recv(static_cast<SOCKET>(socket), buffer, static_cast<int>(capacity), 0);
    return rc == SOCKET_ERROR ? -1 : rc;
}

void ShutdownSend(SocketHandle socket) { ::shutdown(static_cast<SOCKET>(socket), SD_SEND); }

void CloseSocket(SocketHandle socket) { ::closesocket(static_cast<SOCKET>(socket)); }
