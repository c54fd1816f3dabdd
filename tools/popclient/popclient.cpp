// popclient: the least a POP3 client can do to list a mailbox's headers. It
// sends USER, PASS, STAT, then LIST i and TOP i 0 for every message, and QUIT,
// reading each reply to its end without looking into it. The yardstick of
// scripts/bench-check.
//   popclient HOST PORT USER PASSWORD
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int g_socket = -1;
char g_buffer[65536];
std::size_t g_start = 0, g_end = 0;

bool Fill() {
    if (g_start == g_end) g_start = g_end = 0;
    if (g_end == sizeof g_buffer) {
        std::memmove(g_buffer, g_buffer + g_start, g_end - g_start);
        g_end -= g_start;
        g_start = 0;
    }
    ssize_t n = recv(g_socket, g_buffer + g_end, sizeof g_buffer - g_end, 0);
    if (n <= 0) return false;
    g_end += static_cast<std::size_t>(n);
    return true;
}

// One line, LF included; false when the connection ended.
bool ReadLine(std::string& line) {
    line.clear();
    for (;;) {
        char* lf = static_cast<char*>(std::memchr(g_buffer + g_start, '\n', g_end - g_start));
        if (lf) {
            std::size_t length = static_cast<std::size_t>(lf - (g_buffer + g_start)) + 1;
            line.append(g_buffer + g_start, length);
            g_start += length;
            return true;
        }
        line.append(g_buffer + g_start, g_end - g_start);
        g_start = g_end;
        if (!Fill()) return false;
    }
}

bool Command(const std::string& text) {
    return send(g_socket, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

bool SingleLine(const std::string& command, std::string& reply) {
    return Command(command) && ReadLine(reply);
}

// A multi-line reply: its status line, then lines up to the "." line.
bool MultiLine(const std::string& command) {
    std::string line;
    if (!Command(command) || !ReadLine(line)) return false;
    if (line.compare(0, 3, "+OK") != 0) return true;
    while (ReadLine(line))
        if (line == ".\r\n" || line == ".\n") return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: popclient HOST PORT USER PASSWORD\n");
        return 2;
    }
    g_socket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[2])));
    address.sin_addr.s_addr = inet_addr(argv[1]);
    if (connect(g_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
    std::string reply;
    if (!ReadLine(reply) || !SingleLine(std::string("USER ") + argv[3] + "\n", reply) ||
        !SingleLine(std::string("PASS ") + argv[4] + "\n", reply) || reply.compare(0, 3, "+OK") != 0 ||
        !SingleLine("STAT\n", reply))
        return 1;
    int count = std::atoi(reply.c_str() + 4);
    for (int i = 1; i <= count; ++i) {
        if (!SingleLine("LIST " + std::to_string(i) + "\n", reply)) return 1;
        if (!MultiLine("TOP " + std::to_string(i) + " 0\n")) return 1;
    }
    SingleLine("QUIT\n", reply);
    close(g_socket);
    std::printf("%d messages\n", count);
    return 0;
}
