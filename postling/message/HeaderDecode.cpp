#include "HeaderDecode.h"

#include "Cp1251.h"

namespace {

// The value of a hexadecimal digit of either case, or -1.
int HexValue(unsigned char c) {
    c = UpperCase1251(c);
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const signed char* Base64Table() {
    static const auto table = [] {
        struct Table {
            signed char value[256];
        } t;
        for (signed char& v : t.value) v = -1;
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i) t.value[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
        return t;
    }();
    return table.value;
}

// Plain text between encoded words: quoted-printable, then the fallback charset.
void AppendPlain(std::string& out, const std::string& text, std::size_t begin, std::size_t end,
                 int fallback) {
    std::string plain = DecodeQuotedPrintable(text.substr(begin, end - begin));
    out += fallback == CharsetKoi8r ? Koi8rToWin1251(plain) : plain;
}

}  // namespace

std::string DecodeBase64(const std::string& text) {
    const signed char* table = Base64Table();
    std::string out;
    out.reserve(text.size() * 3 / 4);
    unsigned carry = 0;
    int phase = 0;
    for (unsigned char c : text) {
        int v = table[c];
        if (v < 0) break;  // "=", a line break, anything else ends the data
        switch (phase) {
        case 0: carry = static_cast<unsigned>(v) << 2; break;
        case 1:
            out.push_back(static_cast<char>(carry | (static_cast<unsigned>(v) >> 4)));
            carry = (static_cast<unsigned>(v) & 0x0F) << 4;
            break;
        case 2:
            out.push_back(static_cast<char>(carry | (static_cast<unsigned>(v) >> 2)));
            carry = (static_cast<unsigned>(v) & 0x03) << 6;
            break;
        default:
            out.push_back(static_cast<char>(carry | static_cast<unsigned>(v)));
            carry = 0;
            break;
        }
        phase = (phase + 1) & 3;
    }
    return out;
}

std::string DecodeQuotedPrintable(const std::string& text, bool underscoreIsSpace) {
    std::string out;
    out.reserve(text.size());
    auto literal = [underscoreIsSpace](char c) { return underscoreIsSpace && c == '_' ? ' ' : c; };
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c != '=') {
            out.push_back(literal(c));
            continue;
        }
        if (++i == n) break;  // a final "=" is dropped
        int high = HexValue(static_cast<unsigned char>(text[i]));
        if (high < 0) {
            out.push_back(literal(text[i]));
            continue;
        }
        if (++i == n) break;  // so is an incomplete byte
        int low = HexValue(static_cast<unsigned char>(text[i]));
        if (low < 0)
            out.push_back(literal(text[i]));
        else
            out.push_back(static_cast<char>(high * 16 + low));
    }
    return out;
}

std::string DecodeHeaderText(const std::string& text, int charsetCode) {
    const int fallback = charsetCode == CharsetKoi8r ? CharsetKoi8r : CharsetWin1251;
    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    std::size_t pos = 0;
    while (pos < n) {
        std::size_t start = text.find("=?", pos);
        if (start != pos) {
            std::size_t end = start == std::string::npos ? n : start;
            AppendPlain(out, text, pos, end, fallback);
            pos = end;
            continue;
        }
        // =?charset?X?encoded text?=
        std::size_t nameEnd = text.find('?', pos + 2);
        if (nameEnd == std::string::npos || nameEnd + 2 >= n || text[nameEnd + 2] != '?') {
            // Not an encoded word: plain text up to the next "=?".
            std::size_t next = text.find("=?", pos + 1);
            std::size_t end = next == std::string::npos ? n : next;
            AppendPlain(out, text, pos, end, fallback);
            pos = end;
            continue;
        }
        int code = FindCharset(ToUpper1251(text.substr(pos + 2, nameEnd - pos - 2)));
        if (code < 0) code = fallback;
        const unsigned char letter = UpperCase1251(static_cast<unsigned char>(text[nameEnd + 1]));
        const std::size_t dataBegin = nameEnd + 3;
        std::size_t dataEnd = text.find("?=", dataBegin);
        if (dataEnd == std::string::npos) {
            dataEnd = n;  // no "?=": the word runs to the end
            pos = n;
        } else {
            pos = dataEnd + 2;
        }
        std::string data = text.substr(dataBegin, dataEnd - dataBegin);
        if (letter == 'B')
            out += ConvertToWin1251(DecodeBase64(data), code);
        else if (letter == 'Q')
            out += ConvertToWin1251(DecodeQuotedPrintable(data, true), code);
        // any other letter: the word is dropped
    }
    return out;
}
