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

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

std::mutex g_resolverLock;
std::function<bool(const std::string&, std::uint32_t&)> g_resolver;

// One look-up, shared by the thread that makes it and the one that waits.
struct Lookup {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
    std::uint32_t address = 0;
};

}  // namespace

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

void SetResolverForTesting(std::function<bool(const std::string&, std::uint32_t&)> resolver) {
    std::lock_guard<std::mutex> guard(g_resolverLock);
    g_resolver = std::move(resolver);
}

bool ResolveFirstAddressOrGiveUp(const std::string& name, std::uint32_t& address,
                                 const std::function<bool()>& giveUp) {
    std::function<bool(const std::string&, std::uint32_t&)> resolver;
    {
        std::lock_guard<std::mutex> guard(g_resolverLock);
        resolver = g_resolver ? g_resolver : ResolveFirstAddress;
    }
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, name, resolver] {
            std::uint32_t found = 0;
            const bool ok = resolver(name, found);
            std::lock_guard<std::mutex> guard(lookup->lock);
            lookup->found = ok;
            lookup->address = found;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {  // no thread: the look-up here, not abandonable
        return resolver(name, address);
    }
    std::unique_lock<std::mutex> guard(lookup->lock);
    while (!lookup->finished) {
        if (giveUp && giveUp()) return false;
        lookup->done.wait_for(guard, std::chrono::milliseconds(100));
    }
    address = lookup->address;
    return lookup->found;
}
