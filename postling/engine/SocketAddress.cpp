// Host addresses for the socket seam; the same calls on both platforms.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include "Socket.h"

bool ParseDottedAddress(const std::string& text, std::uint32_t& address) {
    const auto value = ::inet_addr(text.c_str());
    if (value == INADDR_NONE) return false;
    address = static_cast<std::uint32_t>(value);
    return true;
}

bool ResolveFirstAddress(const std::string& name, std::uint32_t& address) {
    // getaddrinfo, unlike gethostbyname, is safe on several checking threads at once.
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || !result) return false;
    address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(result);
    return true;
}
