#include "Charset.h"

#include <algorithm>
#include <cstdint>

#include "lumkit/LumText.h"

namespace {

// KOI8-R letters 0xC0..0xFF in code page 1251.
const unsigned char kKoi8rLetters[64] = {
    0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3, 0xF5, 0xE8, 0xE9, 0xEA, 0xEB,
    0xEC, 0xED, 0xEE, 0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2, 0xFC, 0xFB,
    0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA, 0xDE, 0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4,
    0xC3, 0xD5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xDF, 0xD0, 0xD1,
    0xD2, 0xD3, 0xC6, 0xC2, 0xDC, 0xDB, 0xC7, 0xD8, 0xDD, 0xD9, 0xD7, 0xDA};

struct Mapping {
    char16_t unicode;
    unsigned char byte;
};

// Code page 1251 bytes 0x80..0xBF by their Unicode character (0x98 has none);
// 0xC0..0xFF are U+0410..U+044F in order.
const Mapping kWin1251High[] = {
    {0x00A0, 0xA0}, {0x00A4, 0xA4}, {0x00A6, 0xA6}, {0x00A7, 0xA7}, {0x00A9, 0xA9},
    {0x00AB, 0xAB}, {0x00AC, 0xAC}, {0x00AD, 0xAD}, {0x00AE, 0xAE}, {0x00B0, 0xB0},
    {0x00B1, 0xB1}, {0x00B5, 0xB5}, {0x00B6, 0xB6}, {0x00B7, 0xB7}, {0x00BB, 0xBB},
    {0x0401, 0xA8}, {0x0402, 0x80}, {0x0403, 0x81}, {0x0404, 0xAA}, {0x0405, 0xBD},
    {0x0406, 0xB2}, {0x0407, 0xAF}, {0x0408, 0xA3}, {0x0409, 0x8A}, {0x040A, 0x8C},
    {0x040B, 0x8E}, {0x040C, 0x8D}, {0x040E, 0xA1}, {0x040F, 0x8F}, {0x0451, 0xB8},
    {0x0452, 0x90}, {0x0453, 0x83}, {0x0454, 0xBA}, {0x0455, 0xBE}, {0x0456, 0xB3},
    {0x0457, 0xBF}, {0x0458, 0xBC}, {0x0459, 0x9A}, {0x045A, 0x9C}, {0x045B, 0x9E},
    {0x045C, 0x9D}, {0x045E, 0xA2}, {0x045F, 0x9F}, {0x0490, 0xA5}, {0x0491, 0xB4},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82},
    {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84}, {0x2020, 0x86}, {0x2021, 0x87},
    {0x2022, 0x95}, {0x2026, 0x85}, {0x2030, 0x89}, {0x2039, 0x8B}, {0x203A, 0x9B},
    {0x20AC, 0x88}, {0x2116, 0xB9}, {0x2122, 0x99}};

constexpr char16_t kReplacement = 0xFFFD;

char ToWin1251(char16_t c) {
    if (c < 0x80) return static_cast<char>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<char>(0xC0 + (c - 0x0410));
    const Mapping* end = std::end(kWin1251High);
    const Mapping* it = std::lower_bound(std::begin(kWin1251High), end, c,
                                         [](const Mapping& m, char16_t u) { return m.unicode < u; });
    return it != end && it->unicode == c ? static_cast<char>(it->byte) : '?';
}

char16_t FromWin1251(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return static_cast<char16_t>(0x0410 + (b - 0xC0));
    for (const Mapping& m : kWin1251High)
        if (m.byte == b) return m.unicode;
    return kReplacement;
}

void AppendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendCodePoint(std::u16string& out, std::uint32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// The 6-bit value of a base64 character, or -1.
int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

int FindCharset(const std::string& name) {
    for (int code : {CharsetWin1251, CharsetKoi8r, CharsetUtf8, CharsetUtf7})
        if (ResFindSubString(static_cast<unsigned>(code), name, ';') >= 0) return code;
    return -1;
}

unsigned char Koi8rCharToWin1251(unsigned char c) {
    if (c < 0x80) return c;
    if (c >= 0xC0) return kKoi8rLetters[c - 0xC0];
    if (c == 0xA3) return 0xB8;  // ё
    if (c == 0xB3) return 0xA8;  // Ё
    return '_';                  // box drawing and other symbols
}

std::string Koi8rToWin1251(const std::string& text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(Koi8rCharToWin1251(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Utf8ToUnicode(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    auto at = [&](std::size_t k) -> unsigned { return static_cast<unsigned char>(bytes[k]); };
    while (i < n) {
        unsigned lead = at(i);
        if (lead == 0) break;
        if (lead < 0x80) {
            out.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte (no overlong forms,
        // no surrogates, nothing above U+10FFFF).
        int length;
        unsigned low = 0x80, high = 0xBF;
        std::uint32_t cp;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        // A broken sequence gives one replacement for the bytes read so far;
        // decoding resumes at the byte that broke it.
        std::size_t k = i + 1;
        bool complete = true;
        for (int m = 1; m < length; ++m, ++k) {
            unsigned b = k < n ? at(k) : 0;
            if (b < low || b > high) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
            low = 0x80, high = 0xBF;
        }
        if (complete)
            AppendCodePoint(out, cp);
        else
            out.push_back(kReplacement);
        i = k;
    }
    return out;
}

std::u16string Utf7ToUnicode(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) break;
        if (c != '+') {
            out.push_back(c < 0x80 ? static_cast<char16_t>(c) : kReplacement);
            ++i;
            continue;
        }
        ++i;
        if (i < n && bytes[i] == '-') {  // "+-" is a plus sign
            out.push_back(u'+');
            ++i;
            continue;
        }
        // A shifted sequence: modified base64 of UTF-16 units, ended by the
        // first other character; a "-" there is absorbed. Left-over bits drop.
        std::uint32_t bits = 0;
        int count = 0;
        for (; i < n; ++i) {
            int v = Base64Value(static_cast<unsigned char>(bytes[i]));
            if (v < 0) break;
            bits = (bits << 6) | static_cast<std::uint32_t>(v);
            count += 6;
            if (count >= 16) {
                count -= 16;
                out.push_back(static_cast<char16_t>((bits >> count) & 0xFFFF));
            }
            bits &= (1u << count) - 1;
        }
        if (i < n && bytes[i] == '-') ++i;
    }
    return out;
}

std::string UnicodeToWin1251(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == 0) break;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;  // a pair is one character, and none of them is in 1251
        out.push_back(ToWin1251(c));
    }
    return out;
}

std::string ConvertToWin1251(const std::string& text, int code) {
    switch (code) {
    case CharsetKoi8r: return Koi8rToWin1251(text);
    case CharsetUtf8: return UnicodeToWin1251(Utf8ToUnicode(text));
    case CharsetUtf7: return UnicodeToWin1251(Utf7ToUnicode(text));
    default: return text;
    }
}

std::string Win1251ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char b : text) AppendUtf8(out, FromWin1251(b));
    return out;
}
