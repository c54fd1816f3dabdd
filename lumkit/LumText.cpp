#include "LumText.h"

#include <climits>
#include <cstdlib>

#include "LumStringSource.h"

namespace {

std::string LoadOrEmpty(unsigned stringId) {
    std::string text;
    if (!LoadResourceString(stringId, text)) text.clear();
    return text;
}

// atoi of a field, without atoi's undefined behaviour on overflow.
int ToInt(const std::string& field) {
    long long value = std::strtoll(field.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::string Fill(int count, char fill) {
    return count > 0 ? std::string(static_cast<std::size_t>(count), fill) : std::string();
}

std::size_t Width(int width) { return width > 0 ? static_cast<std::size_t>(width) : 0; }

}  // namespace

std::string TrimSpaces(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool ParseFixed64(const std::string& text, std::int64_t* out, int decimals) {
    if (text.empty()) return false;
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
        if (i == text.size()) return false;
    }
    // Unsigned arithmetic: the value wraps like the 64-bit original, without UB.
    std::uint64_t value = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !inFraction) {
            if (decimals <= 0) return false;
            inFraction = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        if (inFraction) {
            if (fractionDigits >= decimals) continue;  // truncated, not rounded
            ++fractionDigits;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    for (; fractionDigits < decimals; ++fractionDigits) value *= 10;
    if (negative) value = 0 - value;
    *out = static_cast<std::int64_t>(value);
    return true;
}

bool ParseFixed32(const std::string& text, int* out, int decimals) {
    std::int64_t value = 0;
    if (!ParseFixed64(text, &value, decimals)) return false;
    *out = static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
    return true;
}

std::string SubString(const std::string& text, int index, char separator) {
    if (index < 0) return std::string();
    std::size_t start = 0;
    for (int field = 0; field < index; ++field) {
        std::size_t next = text.find(separator, start);
        if (next == std::string::npos) return std::string();
        start = next + 1;
    }
    std::size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int SubStringToInt(const std::string& text, int index, char separator) {
    return ToInt(SubString(text, index, separator));
}

std::string ResSubString(unsigned stringId, int index, char separator) {
    return SubString(LoadOrEmpty(stringId), index, separator);
}

int ResSubStringToInt(unsigned stringId, int index, char separator) {
    return ToInt(ResSubString(stringId, index, separator));
}

int FindSubString(const std::string& text, const std::string& value, char separator) {
    std::size_t start = 0;
    for (int index = 0;; ++index) {
        std::size_t end = text.find(separator, start);
        std::size_t length = (end == std::string::npos ? text.size() : end) - start;
        if (length == 0) return -1;  // the first empty field ends the search
        if (length == value.size() && text.compare(start, length, value) == 0) return index;
        if (end == std::string::npos) return -1;
        start = end + 1;
    }
}

int ResFindSubString(unsigned stringId, const std::string& value, char separator) {
    return FindSubString(LoadOrEmpty(stringId), value, separator);
}

std::string FormatFixed(std::int64_t value, int decimals, int minDecimals) {
    if (decimals <= 0) return std::to_string(value);
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    std::size_t fraction = static_cast<std::size_t>(decimals);
    if (digits.size() <= fraction) digits.insert(0, fraction + 1 - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - fraction) + '.' +
                       digits.substr(digits.size() - fraction);
    if (minDecimals != decimals) {
        std::size_t keep = minDecimals > 0 ? static_cast<std::size_t>(minDecimals) : 0;
        std::size_t point = text.find('.');
        while (text.size() - point - 1 > keep && text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return value < 0 ? '-' + text : text;
}

std::string FormatFixedGrouped(std::int64_t value, int decimals, int minDecimals, char separator) {
    std::string text = FormatFixed(value, decimals, minDecimals);
    // Negative numbers: the digits are grouped, the sign stays in front.
    std::size_t sign = text[0] == '-' ? 1 : 0;
    if (text.size() - sign <= 3) return text;
    std::size_t point = text.rfind('.');
    std::size_t p = point == std::string::npos ? text.size() : point;
    while (p > sign + 3) {
        p -= 3;
        text.insert(p, 1, separator);
    }
    return text;
}

std::string FormatCountWithNoun(std::int64_t count, const std::string& one,
                                const std::string& few, const std::string& many) {
    std::string text = FormatFixed(count, 0, 0) + ' ';
    if (count < 0) return text + many;
    std::int64_t r = count % 100;
    if (r >= 5 && r <= 20) return text + many;
    std::int64_t t = r % 10;
    if (t == 1) return text + one;
    if (t >= 2 && t <= 4) return text + few;
    return text + many;
}

std::string PadCenter(const std::string& text, int width, char fill) {
    std::size_t w = Width(width);
    if (text.size() >= w) return text.substr(0, w);
    int missing = static_cast<int>(w - text.size());
    return Fill(missing / 2, fill) + text + Fill(missing - missing / 2, fill);
}

std::string PadRight(const std::string& text, int width, char fill) {
    std::size_t w = Width(width);
    if (text.size() >= w) return text.substr(0, w);
    return text + Fill(static_cast<int>(w - text.size()), fill);
}

std::string PadLeft(const std::string& text, int width, char fill) {
    std::size_t w = Width(width);
    if (text.size() >= w) return text.substr(0, w);
    return Fill(static_cast<int>(w - text.size()), fill) + text;
}
