// The header parser on single fields, on dates, and on whole responses of
// the corpus; expected texts are cp1251 bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

#include "postling/message/Message.h"

namespace {

constexpr TimeValue kNow = 1000000000;
const char kPrivet[] = "\xCF\xF0\xE8\xE2\xE5\xF2";     // "Привет"
const char kKoi8Privet[] = "\xF0\xD2\xC9\xD7\xC5\xD4";  // the same in KOI8-R

// Natively the zone is pinned; under Wine it is the host's, and expected
// times go through the same conversion of local time.
void SetZone(const char* zone) {
#ifndef _WIN32
    setenv("TZ", zone, 1);
    tzset();
#else
    (void)zone;
#endif
}

TimeValue Local(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second, t.tm_isdst = -1;
    return MakeLocalTime(t);
}

class Header : public ::testing::Test {
protected:
    void SetUp() override {
        SetZone("MSK-3");
        SetClockForTesting([] { return kNow; });
    }
    void TearDown() override { SetClockForTesting(nullptr); }

    static std::string Field(const std::string& header, const std::string& name) {
        CMessage m;
        m.m_strHeader = header;
        return m.GetHeaderField(name);
    }
    // A response to TOP around header lines; `ok` gets ParseHeader's result.
    static CMessage Parsed(const std::string& lines, bool* ok = nullptr) {
        CMessage m;
        m.m_strHeader = "+OK\r\n" + lines + "\r\n\r\n.\r\n";
        bool result = m.ParseHeader();
        if (ok) *ok = result;
        return m;
    }
    static TimeValue Date(const std::string& text) { return CMessage().ParseDate(text); }
};

}  // namespace

TEST_F(Header, FieldNamesMatchInAnyCaseOnlyAtALineStartFirstOneWins) {
    const std::string h = "+OK\r\nResent-From: robot@x\r\nX-Note: see From: x\r\nfrom: Ivan <a@b>\r\n"
                          "FROM: second@b\r\n\xF2\xE5\xEC\xE0:\t\xEF\xF0\xE8  \r\n\r\n.\r\n";
    EXPECT_EQ(Field(h, "FROM:"), "Ivan <a@b>");
    EXPECT_EQ(Field(h, "\xD2\xC5\xCC\xC0:"), "\t\xEF\xF0\xE8");  // Cyrillic name; tabs stay
    EXPECT_EQ(Field(h, "TO:"), "");
    EXPECT_EQ(Field("From: a@b\r\nX: y\r\n", "FROM:"), "a@b");  // at the very start too
    EXPECT_EQ(Field("+OK\nFrom: a@b\n.\n", "FROM:"), "a@b");    // bare line feeds lose nothing
}

TEST_F(Header, FoldingAndTruncation) {
    const struct {
        const char* header;
        const char* value;
    } cases[] = {
        {"+OK\r\nSubject: part one\r\n part two\r\n\tthree \r\n.\r\n", "part one part two three"},
        {"+OK\r\nSubject: =?koi8-r?B?8NLJ?=\r\n\t=?koi8-r?B?18XU?=\r\n.\r\n",
         "=?koi8-r?B?8NLJ?==?koi8-r?B?18XU?="},
        {"+OK\r\nSubject: a\r\n\t\tb\r\n.\r\n", "a \tb"},  // one blank skipped, then trimmed
        {"+OK\r\nSubject: cut here", ""},
        {"+OK\r\nSubject: whole line\r\n", ""},
        {"+OK\r\nSubject: one\r\n two", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Field(c.header, "SUBJECT:"), c.value) << c.header;
}

TEST_F(Header, SenderForms) {
    const struct {
        const char* from;
        const char* name;
    } cases[] = {
        {"Ivan <ivan@x.ru>", "Ivan"},
        {"<ivan@x.ru>", "ivan@x.ru"},
        {"ivan@x.ru", "ivan@x.ru"},
        {"\"Ivan Petrov\" <ivan@x.ru>", "Ivan Petrov"},
        {"=?koi8-r?B?8NLJ18XU?= <ivan@x.ru>", kPrivet},
    };
    for (const auto& c : cases) {
        bool ok = false;
        CMessage m = Parsed(std::string("Message-ID: <1@x>\r\nFrom: ") + c.from, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(m.m_strSenderName, c.name) << c.from;
        EXPECT_EQ(m.m_strSenderAddress, "ivan@x.ru") << c.from;
    }
}

TEST_F(Header, ParseStopsWithoutIdentifierSenderOrClosingBracket) {
    bool ok = true;
    CMessage noId = Parsed("From: a@b\r\nSubject: s\r\nDate: 13 Nov 2000 10:05:07", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(noId.m_strSenderName + noId.m_strSubject, "");
    EXPECT_EQ(noId.m_timeSent, kNow);
    CMessage noFrom = Parsed("Message-ID:  <1@x>  \r\nSubject: s", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(noFrom.m_strMessageId, "<1@x>");
    EXPECT_EQ(noFrom.m_strSubject, "");
}

TEST_F(Header, ContentTypeCharsetDecidesHowUnencodedTextReads) {
    const struct {
        const char* contentType;
        const char* subject;
    } cases[] = {
        {"text/plain; charset=\"windows-1251\"", kKoi8Privet},
        {"text/plain;\r\n\tcharset=X-CP1251; format=flowed", kKoi8Privet},
        {"text/plain; charset=utf-8", kKoi8Privet},
        {"text/plain; charset=koi8-r", kPrivet},
        {"text/plain; charset=iso-8859-5", kPrivet},
        {"text/plain; charset=\"windows-1251\" ; format=flowed", kPrivet},  // the blank stays
        {"text/plain; charset=\"", kPrivet},
    };
    for (const auto& c : cases) {
        CMessage m = Parsed(std::string("Message-ID: <1@x>\r\nFrom: a@b\r\nContent-Type: ") +
                            c.contentType + "\r\nSubject: " + kKoi8Privet);
        EXPECT_EQ(m.m_strSubject, c.subject) << c.contentType;
    }
}

TEST_F(Header, DatesReadAsLocalTime) {
    const TimeValue t = Local(2000, 11, 13, 10, 5, 7);
    EXPECT_EQ(Date("Mon, 13 Nov 2000 10:05:07 +0300"), t);
    EXPECT_EQ(Date(" 13 nov 2000 10:05:07 -0800 (PST)"), t);
    EXPECT_EQ(Date("13 Nov 2000 10:05 +0300"), t - 7);  // seconds may be missing
    EXPECT_EQ(Date("\xcf\xed, 13 \xed\xee\xff 2000 10:05:07"), t);  // Russian month
    EXPECT_EQ(Date("13 Nov 2000 10:05:07 (\xcc\xee\xf1\xea\xe2\xe0)"), kNow);  // Cyrillic: no "Nov"
    EXPECT_EQ(Date("13 Nov 00 10:05:07"), kTimeInvalid);  // two-digit year, before 1970
    EXPECT_EQ(Date("1 Jan 2040 00:00:00"), kTimeInvalid);
    EXPECT_EQ(Date("99999999999 Nov 99999999999 -99999999:99999:99999"), kTimeInvalid);
#ifndef _WIN32
    EXPECT_EQ(t, 974099107);  // 07:05:07 UTC
    SetZone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(Date("15 Jul 2001 12:00:00"), 995191200);  // daylight saving from the C library
    EXPECT_EQ(Date("15 Jan 2001 12:00:00"), 979556400);
#endif
}

TEST_F(Header, UnreadableDatesAreTheCurrentTime) {
    for (const std::string text : {"", "Mon,", "13 Nov 2000", "13 Nov 2000 10", "32 Foo 2004 25:61:00",
                                   "13 November 2000 10:05:07", "13 NovNovNovNov 2000 10:05:07"})
        EXPECT_EQ(Date(text), kNow) << text;
    EXPECT_EQ(Date("13 " + std::string(100000, 'N') + " 2000 10:05:07"), kNow);
}

TEST(MessageCopy, CopiesTheMessageButNotItsPlaceInTheList) {
    CMessage source;
    source.m_strSubject = "s", source.m_bSeen = 1;
    source.m_nReaction = 5, source.m_strAccount = "acc", source.m_bDeleteMark = 1;
    CMessage copy(source);
    EXPECT_EQ(copy.m_strSubject + std::to_string(copy.m_bSeen), "s1");
    EXPECT_EQ(std::to_string(copy.m_nReaction) + copy.m_strAccount + std::to_string(copy.m_bDeleteMark), "10");
    CMessage target;
    target.m_strAccount = "mine";
    target = source;
    EXPECT_EQ(target.m_strSubject + target.m_strAccount + std::to_string(target.m_nReaction), "smine1");
}

namespace {

struct CorpusCase {
    const char* file;
    bool result;
    const char *id, *name, *address, *subject;
    TimeValue sent, received;
};

std::string ReadCorpus(const std::string& name) {
    std::ifstream in(std::string(POSTLING_MESSAGE_CORPUS) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(Header, CorpusOfRussianMail) {
    const CorpusCase cases[] = {
        {"thebat-koi8r-b.txt", true, "<1843.001113@mail.ru>", "\xC8\xE2\xE0\xED \xC8\xE2\xE0\xED\xEE\xE2",
         "ivanov@mail.ru", "\xCE\xF2\xF7\xB8\xF2 \xE7\xE0 \xED\xEE\xFF\xE1\xF0\xFC",
         Local(2000, 11, 13, 10, 5, 7), Local(2000, 11, 13, 10, 5, 9)},
        {"outlook-1251-q.txt", true, "<000801c12a4b$5e2f3c40$0a00000a@sidorov>",
         "\xD1\xE8\xE4\xEE\xF0\xEE\xE2\xE0 \xCE\xEB\xFC\xE3\xE0", "sidorova@corp.ru",
         "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0", Local(2001, 8, 21, 16, 40, 5),
         Local(2001, 8, 21, 16, 40, 12)},
        {"mailru-utf8.txt", true, "<E1JWt9a-000Kc3-00.anna-mail-ru@f12.mail.ru>",
         "\xC0\xED\xED\xE0 \xA8\xEB\xEA\xE8\xED\xE0", "anna@mail.ru",
         "\xC2\xF1\xF2\xF0\xE5\xF7\xE0 \xE2 \xEF\xFF\xF2\xED\xE8\xF6\xF3 \x97 \x88" "5",
         Local(2008, 3, 5, 14, 29, 58), Local(2008, 3, 5, 14, 30, 0)},
        {"utf7.txt", true, "<3C1F2A.7@pochta.example>", "\xCA\xE0\xF2\xFF", "kate@pochta.example",
         "\xD1\xF7\xB8\xF2 \xB9" "7 + \xF1\xEA\xE8\xE4\xEA\xE0", Local(2001, 12, 14, 9, 15, 0), kNow},
        {"raw-koi8r.txt", true, "<199902010800.AA00001@relcom.ru>", "\xCF\xB8\xF2\xF0", "petr@relcom.ru",
         "\xCF\xF0\xE8\xE2\xE5\xF2 \xE8\xE7 \xCC\xEE\xF1\xEA\xE2\xFB", Local(1999, 2, 1, 8, 0, 0), kNow},
        {"raw-1251.txt", true, "<20030305120000.1@example.ru>",
         "\xC1\xF3\xF5\xE3\xE0\xEB\xF2\xE5\xF0\xE8\xFF", "buh@example.ru", "\xD1\xF7\xB8\xF2 a=b",
         Local(2003, 3, 5, 12, 0, 0), kNow},
        // The subject comes before the sender's split, which stops the parse.
        {"broken-words.txt", false, "<broken.1@example.ru>", "=?koi8-r?B?8sHT09nMy8E=?= <spam@example.ru",
         "", "\xD6\xE5\xED\xE0  tail \xE4\xEE \xEA\xEE\xED\xF6\xE0", kNow, kNow},
        {"truncated.txt", true, "<1843.001113@mail.ru>", "\xC8\xE2\xE0\xED \xC8\xE2\xE0\xED\xEE\xE2",
         "ivanov@mail.ru", "", Local(2000, 11, 13, 10, 5, 7), Local(2000, 11, 13, 10, 5, 9)},
    };
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.file);
        CMessage m;
        m.m_strHeader = ReadCorpus(c.file);
        ASSERT_FALSE(m.m_strHeader.empty()) << "corpus file missing";
        EXPECT_EQ(m.ParseHeader(), c.result);
        EXPECT_EQ(m.m_strMessageId, c.id);
        EXPECT_EQ(m.m_strSenderName, c.name);
        EXPECT_EQ(m.m_strSenderAddress, c.address);
        EXPECT_EQ(m.m_strSubject, c.subject);
        EXPECT_EQ(m.m_timeSent, c.sent);
        EXPECT_EQ(m.m_timeReceived, c.received);
    }
}
