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

bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    return ::connect(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&target),
                     sizeof target) == 0;
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
