// Certificate fingerprints as people read and type them.
#include <cstddef>

#include "Tls.h"

namespace {
constexpr std::size_t kFingerprintDigits = 64;  // SHA-256 in hex

// An upper-case hex digit, or 0 (no locale: bytes above 127 are never digits).
char HexDigit(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) return c;
    if (c >= 'a' && c <= 'f') return static_cast<char>(c - 'a' + 'A');
    return 0;
}
}  // namespace

std::string GroupFingerprint(const std::string& fingerprint) {
    std::string grouped;
    grouped.reserve(fingerprint.size() + fingerprint.size() / 2);
    for (std::size_t i = 0; i < fingerprint.size(); ++i) {
        if (i > 0 && i % 2 == 0) grouped += ':';
        grouped += fingerprint[i];
    }
    return grouped;
}

std::string NormalizeFingerprint(const std::string& text) {
    std::string digits;
    digits.reserve(kFingerprintDigits);
    for (const char c : text) {
        if (c == ':' || c == ' ' || c == '\t') continue;
        const char digit = HexDigit(c);
        if (digit == 0 || digits.size() == kFingerprintDigits) return std::string();
        digits += digit;
    }
    return digits.size() == kFingerprintDigits ? digits : std::string();
}
