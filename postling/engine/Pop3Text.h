// Small facts about POP3 reply text shared by the connection and the session.
#pragma once

#include <cstddef>
#include <cstring>

// True when the text ends with a line that is a single "." (the end of a
// multi-line reply): LF "." CR LF or LF "." LF.
inline bool EndsWithDotLine(const char* text, std::size_t length) {
    auto endsWith = [&](const char* suffix, std::size_t n) {
        return length >= n && std::memcmp(text + length - n, suffix, n) == 0;
    };
    return endsWith("\n.\r\n", 4) || endsWith("\n.\n", 3);
}

// True for a positive reply ("+OK" at the start).
inline bool IsPositive(const char* reply) { return std::strncmp(reply, "+OK", 3) == 0; }
