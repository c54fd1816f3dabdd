// Charset conversion and header text decoding; expected texts are cp1251 bytes.
#include <gtest/gtest.h>

#include "postling/message/Charset.h"
#include "postling/message/HeaderDecode.h"

namespace {

const char kPrivet[] = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет"

struct Case {
    std::string in, out;
};

}  // namespace

TEST(Koi8r, LettersMapLetterForLetterSymbolsBecomeUnderscores) {
    EXPECT_EQ(Koi8rToWin1251("\xC1\xC2\xD7\xC7\xC4\xC5\xA3\xD6\xDA\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0"
                             "\xD2\xD3\xD4\xD5\xC6\xC8\xC3\xDE\xDB\xDD\xDF\xD9\xD8\xDC\xC0\xD1"),
              "\xE0\xE1\xE2\xE3\xE4\xE5\xB8\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
              "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF");
    for (int c = 0; c < 256; ++c) {
        unsigned char out = Koi8rCharToWin1251(static_cast<unsigned char>(c));
        if (c < 0x80) {
            EXPECT_EQ(out, c);
        } else if (c >= 0xE0) {  // capitals: 0x20 above the small letters, 0x20 below in 1251
            EXPECT_EQ(out, Koi8rCharToWin1251(static_cast<unsigned char>(c - 0x20)) - 0x20) << c;
        } else if (c < 0xC0 && c != 0xA3 && c != 0xB3) {
            EXPECT_EQ(out, '_') << c;
        }
    }
    EXPECT_EQ(Koi8rCharToWin1251(0xB3), 0xA8);  // Ё
    EXPECT_EQ(Koi8rCharToWin1251(0xFF), 0xDA);  // Ъ
}

TEST(Utf8, ConvertsAndReplacesWhatIsMissingOrMalformed) {
    const Case cases[] = {
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD1\x91", std::string(kPrivet) + ", \xB8"},
        {"\xE2\x82\xAC\xE2\x80\x94\xE2\x84\x96\xC2\xAB\xC2\xA0\xD2\x91", "\x88\x97\xB9\xAB\xA0\xB4"},
        {"\xC3\xA9|\xE4\xB8\xAD|\xF0\x9F\x98\x80|\xEF\xBB\xBF", "?|?|?|?"},  // not in 1251, no best fit
        {"a\x80z", "a?z"},                 // stray continuation byte
        {"a\xC0\x80z", "a??z"},            // overlong
        {"a\xED\xA0\x80z", "a???z"},       // encoded surrogate
        {"a\xF4\x90\x80\x80z", "a????z"},  // above U+10FFFF
        {"a\xE2\x82z", "a?z"},             // cut short
        {"a\xE2\x82", "a?"},
        {"\xD0\xD0\x9F", "?\xCF"},         // a broken lead keeps the next letter
        {std::string("ab\0\xD0\x9F", 5), "ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(ConvertToWin1251(c.in, CharsetUtf8), c.out) << c.in;
}

TEST(Utf7, ShiftedSequencesAndBadInput) {
    const Case cases[] = {
        {"Hi +BB8EQAQ4BDIENQRC- there", std::string("Hi ") + kPrivet + " there"},
        {"+BB8EQA.", "\xCF\xF0."},  // ended by another character, which stays
        {"+BB8EQA", "\xCF\xF0"},
        {"1 +- 1", "1 + 1"},
        {"+AKM-", "?"},             // pound sign
        {"+2D3eAA-", "?"},          // surrogate pair: one character
        {"+2D0-x", "?x"},           // lone surrogate
        {"a\xCF" "b", "a?b"},       // 8-bit bytes
        {"+", ""},
        {"+AAA-after", ""},         // an encoded U+0000 ends the text
        {std::string("ab\0+BB8-", 8), "ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(ConvertToWin1251(c.in, CharsetUtf7), c.out) << c.in;
}

TEST(Charsets, AliasListsAreSearchedExactly) {
    EXPECT_EQ(FindCharset("X-CP1251"), CharsetWin1251);
    EXPECT_EQ(FindCharset("CSKOI8R"), CharsetKoi8r);
    EXPECT_EQ(FindCharset("UNICODE-2-0-UTF-8"), CharsetUtf8);
    EXPECT_EQ(FindCharset("UTF-7"), CharsetUtf7);
    EXPECT_EQ(FindCharset("utf-8"), -1);
    EXPECT_EQ(FindCharset(""), -1);
}

TEST(DecodeBase64, StopsAtPaddingAndAnyOtherCharacter) {
    const Case cases[] = {{"TWFu", "Man"}, {"TWE=TWFu", "Ma"}, {"TWE", "Ma"}, {"T", ""},
                          {"//79", "\xFF\xFE\xFD"}, {"TWFu\r\nTWFu", "Man"}, {"TW\xC0" "Fu", "M"}};
    for (const Case& c : cases) EXPECT_EQ(DecodeBase64(c.in), c.out) << c.in;
}

TEST(DecodeQuotedPrintable, BrokenEscapesLoseTheirEquals) {
    const Case cases[] = {{"a=3Db", "a=b"}, {"=cf=F0", "\xCF\xF0"}, {"price =2 each", "price  each"},
                          {"a=4zb", "azb"}, {"==41", "=41"}, {"soft=\r\n", "soft\r\n"},
                          {"end=4", "end"}, {"=", ""}, {"a_b", "a_b"}};
    for (const Case& c : cases) EXPECT_EQ(DecodeQuotedPrintable(c.in), c.out) << c.in;
    EXPECT_EQ(DecodeQuotedPrintable("a_b=5Fc", true), "a b_c");
}

TEST(DecodeHeaderText, EncodedWords) {
    const std::string privet(kPrivet);
    const struct {
        std::string in;
        int charset;
        std::string out;
    } cases[] = {
        {"=?koi8-r?B?8NLJ18XU?=", CharsetKoi8r, privet},
        {"=?KOI8-R?b?8NLJ18XU?=", CharsetWin1251, privet},
        {"=?windows-1251?Q?=CF=F0=E8=E2=E5=F2_=EC=E8=F0?=", CharsetKoi8r, privet + " \xEC\xE8\xF0"},
        {"=?utf-8?B?0J/RgNC40LLQtdGC?=", CharsetKoi8r, privet},
        {"=?utf-7?q?+BB8EQAQ4BDIENQRC-?=", CharsetKoi8r, privet},
        // blanks between words stay; words that touch join
        {"Re: =?koi8-r?B?8NLJ18XU?= =?koi8-r?B?8NLJ18XU?==?koi8-r?Q?x?=", CharsetWin1251,
         "Re: " + privet + " " + privet + "x"},
        // plain text: quoted-printable, then KOI8-R or (for any other charset) as it is
        {"\xF0\xD2\xC9\xD7\xC5\xD4 a=3Db", CharsetKoi8r, privet + " a=b"},
        {"\xF0\xD2\xC9\xD7\xC5\xD4", CharsetWin1251, "\xF0\xD2\xC9\xD7\xC5\xD4"},
        {privet, CharsetUtf8, privet},
        // unknown charsets take the fallback
        {"=?iso-8859-5?B?8NLJ18XU?=", CharsetKoi8r, privet},
        {"=?iso-8859-5?B?8NLJ18XU?=", CharsetUtf7, "\xF0\xD2\xC9\xD7\xC5\xD4"},
        // unknown letter: the word goes; no "?=": to the end; line break ends base64
        {"a =?koi8-r?X?abc?= b", CharsetKoi8r, "a  b"},
        {"a =?koi8-r?Q?=F0=D2_x", CharsetWin1251, "a \xCF\xF0 x"},
        {"=?koi8-r?B?8NLJ\r\n18XU?=x", CharsetKoi8r, "\xCF\xF0\xE8x"},
        // not encoded words: plain text, so "=?" shows as "?"
        {"a =? b", CharsetWin1251, "a ? b"},
        {"=?koi8-r?", CharsetWin1251, "?koi8-r?"},
        {"=?koi8-r?B", CharsetWin1251, "?koi8-r?B"},
        {"=?koi8-r?BB?x?=", CharsetWin1251, "?koi8-r?BB?x?"},
        {"=?=?koi8-r?B?8NLJ18XU?=", CharsetWin1251, "?" + privet},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeHeaderText(c.in, c.charset), c.out) << c.in;
}

TEST(Win1251ToUtf8, EveryByteRoundTripsThroughUnicode) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::string utf8 = Win1251ToUtf8(all);
    EXPECT_EQ(Win1251ToUtf8("\xC0\xFF\xA8\xB8\xB9"), "\xD0\x90\xD1\x8F\xD0\x81\xD1\x91\xE2\x84\x96");  // АяЁё№
    // Back through our own decoder: every assigned byte comes back as itself.
    std::string back = UnicodeToWin1251(Utf8ToUnicode(utf8));
    ASSERT_EQ(back.size(), all.size());
    for (int b = 1; b < 256; ++b)
        EXPECT_EQ(static_cast<unsigned char>(back[b - 1]), b == 0x98 ? '?' : b) << b;
}
