// The socket seam of the checking engine: blocking IPv4 TCP sockets, BSD
// sockets natively and Windows Sockets on Windows. No platform types leak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

using SocketHandle = std::intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

// Windows Sockets 1.1 start-up, once per program; true natively.
bool StartSockets();
void StopSockets();

SocketHandle CreateStreamSocket();

// A dotted IPv4 address (inet_addr rules) in network byte order; false when
// the text is not one.
bool ParseDottedAddress(const std::string& text, std::uint32_t& address);
// The first IPv4 address of a host name, in network byte order.
bool ResolveFirstAddress(const std::string& name, std::uint32_t& address);
// The same on a thread of its own, waited for while `giveUp` (asked a few
// times a second) says false: a resolver that does not answer is abandoned,
// and ends later by itself. False when given up.
bool ResolveFirstAddressOrGiveUp(const std::string& name, std::uint32_t& address,
                                 const std::function<bool()>& giveUp);
// Tests: the look-up ResolveFirstAddressOrGiveUp makes; empty: the system's.
void SetResolverForTesting(std::function<bool(const std::string&, std::uint32_t&)> resolver);

// Connects, waiting as long as the system does; `giveUp`, asked a few times
// a second while the connection is under way, ends the wait early (false).
bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   const std::function<bool()>& giveUp = nullptr);

// 1 when the socket became readable within the time, 0 on time-out, -1 on error.
int WaitSocketReadable(SocketHandle socket, int seconds, int microseconds);

// Bytes sent or received, or -1 on failure; 0 from ReceiveSocket: closed.
long SendSocket(SocketHandle socket, const char* data, std::size_t length);
long ReceiveSocket(SocketHandle socket, char* buffer, std::size_t capacity);

void ShutdownSend(SocketHandle socket);
void CloseSocket(SocketHandle socket);
