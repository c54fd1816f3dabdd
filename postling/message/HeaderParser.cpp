// CMessage's header parser: field look-up with unfolding, the parse of the
// whole header block, and the Date and Received time stamps.
#include <ctime>

#include "Cp1251.h"
#include "HeaderDecode.h"
#include "Message.h"
#include "lumkit/LumText.h"

namespace {

constexpr unsigned kEnglishMonths = 10050;
constexpr unsigned kRussianMonths = 10052;

// Code page 1251 upper case as a table, for the field name search.
const unsigned char* UpperTable() {
    static const auto table = [] {
        struct Table {
            unsigned char upper[256];
        } t;
        for (int c = 0; c < 256; ++c) t.upper[c] = UpperCase1251(static_cast<unsigned char>(c));
        return t;
    }();
    return table.upper;
}

// Whether `text` at `at` reads `name`, comparing the upper-cased text with
// the name as given (so only an upper-case name can match).
bool MatchesUpper(const std::string& text, std::size_t at, const std::string& name) {
    if (text.size() - at < name.size()) return false;
    const unsigned char* upper = UpperTable();
    for (std::size_t i = 0; i < name.size(); ++i)
        if (upper[static_cast<unsigned char>(text[at + i])] != static_cast<unsigned char>(name[i]))
            return false;
    return true;
}

// Finds, in one pass, where the value of each name starts: after the first
// line-feed-led occurrence, or at the text's start when no line has it (npos
// when absent).
template <std::size_t N>
void FindFieldValues(const std::string& text, const std::string (&names)[N], std::size_t (&begins)[N]) {
    std::size_t missing = N;
    for (std::size_t& b : begins) b = std::string::npos;
    for (std::size_t lf = text.find('\n'); lf != std::string::npos && missing > 0;
         lf = text.find('\n', lf + 1)) {
        for (std::size_t k = 0; k < N; ++k) {
            if (begins[k] == std::string::npos && MatchesUpper(text, lf + 1, names[k])) {
                begins[k] = lf + 1 + names[k].size();
                --missing;
            }
        }
    }
    for (std::size_t k = 0; k < N; ++k)
        if (begins[k] == std::string::npos && MatchesUpper(text, 0, names[k])) begins[k] = names[k].size();
}

// The line from `begin` up to the line feed at `lf`, without its CR.
std::string LineUpTo(const std::string& text, std::size_t begin, std::size_t lf) {
    std::size_t end = lf;
    if (end > begin && text[end - 1] == '\r') --end;
    return text.substr(begin, end - begin);
}

// A scanf-like reader for "%d %s %d %d:%d:%d" over a date text; integers
// saturate instead of overflowing, the word is cut to fit its buffer.
class DateScanner {
public:
    explicit DateScanner(const std::string& text) : m_text(text) {}

    bool Int(int& value) {
        SkipBlanks();
        std::size_t i = m_pos;
        bool negative = false;
        if (i < m_text.size() && (m_text[i] == '+' || m_text[i] == '-')) negative = m_text[i++] == '-';
        if (i >= m_text.size() || !IsDigit(m_text[i])) return false;
        long long v = 0;
        for (; i < m_text.size() && IsDigit(m_text[i]); ++i)
            if (v < kLimit) v = v * 10 + (m_text[i] - '0');
        if (v > kLimit) v = kLimit;
        value = static_cast<int>(negative ? -v : v);
        m_pos = i;
        return true;
    }

    // A word of non-blank characters; at most `size - 1` are kept, and a
    // longer word is read whole and kept only as its first part.
    bool Word(char* buffer, std::size_t size) {
        SkipBlanks();
        std::size_t length = 0;
        while (m_pos < m_text.size() && !IsBlank(m_text[m_pos])) {
            if (length + 1 < size) buffer[length++] = m_text[m_pos];
            else m_truncated = true;
            ++m_pos;
        }
        buffer[length] = '\0';
        return length > 0;
    }

    bool Literal(char c) {
        if (m_pos >= m_text.size() || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }

    bool Truncated() const { return m_truncated; }

private:
    static constexpr long long kLimit = 1000000;  // far beyond any date part, safe for mktime
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
    bool m_truncated = false;
};

// The unfolded value that starts at `begin`; empty when it is cut short.
std::string FieldValue(const std::string& text, std::size_t begin) {
    if (begin == std::string::npos) return std::string();
    std::size_t lf = text.find('\n', begin);
    if (lf == std::string::npos) return std::string();
    std::string value = TrimSpaces(LineUpTo(text, begin, lf));
    // Continuation lines begin with a blank; a truncated field is absent.
    for (;;) {
        if (lf + 1 >= text.size()) return std::string();
        char next = text[lf + 1];
        if (next != ' ' && next != '\t') return value;
        std::size_t lineBegin = lf + 2;
        lf = text.find('\n', lineBegin);
        if (lf == std::string::npos) return std::string();
        std::string more = TrimSpaces(LineUpTo(text, lineBegin, lf));
        // Encoded words split across lines join without a blank.
        if (more.empty() || more[0] != '=') value += ' ';
        value += more;
    }
}

}  // namespace

std::string CMessage::GetHeaderField(const std::string& name) const {
    const std::string names[1] = {name};
    std::size_t begin[1];
    FindFieldValues(m_strHeader, names, begin);
    return FieldValue(m_strHeader, begin[0]);
}

bool CMessage::ParseHeader() {
    // Each field as GetHeaderField would give it, found in one pass.
    enum { MessageId, From, ContentType, Subject, Received, Date, FieldCount };
    static const std::string names[FieldCount] = {"MESSAGE-ID:", "FROM:",     "CONTENT-TYPE:",
                                                  "SUBJECT:",    "RECEIVED:", "DATE:"};
    std::size_t at[FieldCount];
    FindFieldValues(m_strHeader, names, at);
    auto field = [&](int k) { return FieldValue(m_strHeader, at[k]); };

    m_strMessageId = field(MessageId);
    if (m_strMessageId.empty()) return false;
    m_strSenderName = field(From);
    if (m_strSenderName.empty()) return false;

    int charset = CharsetKoi8r;
    std::string contentType = ToUpper1251(field(ContentType));
    std::size_t from = contentType.find("CHARSET=");
    if (from != std::string::npos) {
        from += 8;
        std::size_t end = contentType.find(';', from);
        std::string name = contentType.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        int code = FindCharset(name);
        if (code >= 0) charset = code;
    }

    m_strSubject = DecodeHeaderText(field(Subject), charset);

    std::size_t open = m_strSenderName.find('<');
    if (open == std::string::npos) {
        m_strSenderAddress = m_strSenderName;
    } else {
        std::size_t close = m_strSenderName.find('>', open);
        if (close == std::string::npos) return false;
        m_strSenderAddress = m_strSenderName.substr(open + 1, close - open - 1);
        m_strSenderName = TrimSpaces(m_strSenderName.substr(0, open));
        if (m_strSenderName.empty()) m_strSenderName = m_strSenderAddress;
    }
    if (!m_strSenderName.empty()) {
        if (m_strSenderName.size() >= 2 && m_strSenderName.front() == '"' &&
            m_strSenderName.back() == '"')
            m_strSenderName = m_strSenderName.substr(1, m_strSenderName.size() - 2);
        m_strSenderName = DecodeHeaderText(m_strSenderName, charset);
    }

    m_timeReceived = ParseDate(TrimSpaces(SubString(field(Received), 1, ';')));
    m_timeSent = ParseDate(field(Date));
    return true;
}

// A date that cannot be read as day, month, year, hour and minute (seconds
// may be missing), or whose month is in neither list, counts as no date:
// the current time. A date before 1970 or past 2038 gives kTimeInvalid.
TimeValue CMessage::ParseDate(const std::string& input) const {
    std::string text = input.find(',') != std::string::npos ? TrimSpaces(SubString(input, 1, ','))
                                                            : TrimSpaces(input);
    if (text.empty()) return CurrentTime();

    bool cyrillic = false;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) cyrillic = true;

    // "%d %s %d %d:%d:%d" with a ten-character month buffer.
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char month[10];
    DateScanner scan(text);
    int read = 0;
    auto got = [&read](bool ok) { return ok && ++read; };
    got(scan.Int(day)) && got(scan.Word(month, sizeof month)) && got(scan.Int(year)) &&
        got(scan.Int(hour)) && scan.Literal(':') && got(scan.Int(minute)) && scan.Literal(':') &&
        got(scan.Int(second));
    if (read < 5) return CurrentTime();

    int index = scan.Truncated() ? -1
                                 : ResFindSubString(cyrillic ? kRussianMonths : kEnglishMonths,
                                                    ToUpper1251(month), ';');
    if (index < 0) return CurrentTime();

    std::tm broken{};
    broken.tm_year = year - 1900;
    broken.tm_mon = index;
    broken.tm_mday = day;
    broken.tm_hour = hour;
    broken.tm_min = minute;
    broken.tm_sec = second;
    broken.tm_isdst = -1;  // daylight saving as the C library finds it
    TimeValue time = MakeLocalTime(broken);
    return time < 0 ? kTimeInvalid : time;
}
