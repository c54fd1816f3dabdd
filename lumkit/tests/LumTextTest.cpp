// Text and number helpers. Built natively and for Windows (through LUMKIT's
// import library), so both sides run the same checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "lumkit/LumText.h"

namespace {

std::int64_t Parse(const std::string& text, int decimals) {
    std::int64_t value = -12345;
    EXPECT_TRUE(ParseFixed64(text, &value, decimals)) << text;
    return value;
}

bool Fails(const std::string& text, int decimals) {
    std::int64_t value = 777;
    bool ok = ParseFixed64(text, &value, decimals);
    EXPECT_EQ(value, 777) << "output touched on failure: " << text;
    return !ok;
}

}  // namespace

TEST(TrimSpaces, RemovesBlanksOnlyAndKeepsTabs) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\tx \t"), "\tx \t");
    EXPECT_EQ(TrimSpaces(" \tx\t "), "\tx\t");
    EXPECT_EQ(TrimSpaces("    "), "");
    EXPECT_EQ(TrimSpaces(""), "");
}

TEST(ParseFixed64, ReadsScaledValuesAndTruncates) {
    EXPECT_EQ(Parse("1.5", 2), 150);
    EXPECT_EQ(Parse("-0.05", 2), -5);
    EXPECT_EQ(Parse("1.239", 2), 123);
    EXPECT_EQ(Parse("12.", 2), 1200);
    EXPECT_EQ(Parse(".", 2), 0);
    EXPECT_EQ(Parse("+7", 0), 7);
    EXPECT_EQ(Parse("-0", 3), 0);
    EXPECT_EQ(Parse("0012", 1), 120);
    EXPECT_EQ(Parse("9223372036854775807", 0), std::numeric_limits<std::int64_t>::max());
}

TEST(ParseFixed64, RejectsMalformedText) {
    EXPECT_TRUE(Fails("1.5", 0));
    EXPECT_TRUE(Fails("", 2));
    EXPECT_TRUE(Fails("-", 2));
    EXPECT_TRUE(Fails("+", 2));
    EXPECT_TRUE(Fails("1.2.3", 2));
    EXPECT_TRUE(Fails("1e5", 2));
    EXPECT_TRUE(Fails(" 1", 2));
    EXPECT_TRUE(Fails("1 ", 2));
    EXPECT_TRUE(Fails("--1", 2));
    EXPECT_TRUE(Fails("1.-5", 2));
}

TEST(ParseFixed32, StoresLowThirtyTwoBits) {
    int value = 0;
    ASSERT_TRUE(ParseFixed32("-12.5", &value, 1));
    EXPECT_EQ(value, -125);
    ASSERT_TRUE(ParseFixed32("4294967297", &value, 0));  // 2^32 + 1
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(ParseFixed32("x", &value, 0));
    EXPECT_EQ(value, 1);
}

TEST(FormatFixed, Examples) {
    EXPECT_EQ(FormatFixed(1500, 3, 0), "1.5");
    EXPECT_EQ(FormatFixed(1000, 3, 0), "1");
    EXPECT_EQ(FormatFixed(1000, 3, 3), "1.000");
    EXPECT_EQ(FormatFixed(5, 2, 0), "0.05");
    EXPECT_EQ(FormatFixed(-5, 2, 2), "-0.05");
    EXPECT_EQ(FormatFixed(0, 2, 0), "0");
    EXPECT_EQ(FormatFixed(1230, 3, 1), "1.23");
    EXPECT_EQ(FormatFixed(1200, 3, 1), "1.2");
    EXPECT_EQ(FormatFixed(-42, 0, 0), "-42");
    EXPECT_EQ(FormatFixed(std::numeric_limits<std::int64_t>::min(), 0, 0), "-9223372036854775808");
    EXPECT_EQ(FormatFixed(std::numeric_limits<std::int64_t>::min(), 10, 10), "-922337203.6854775808");
}

TEST(FormatFixed, RoundTripsWithParseFixed64) {
    std::mt19937_64 random(20261207);
    const std::int64_t edges[] = {0, 1, -1, 9, 10, 99, 100, -100, 123456789,
                                  std::numeric_limits<std::int64_t>::max(),
                                  std::numeric_limits<std::int64_t>::min() + 1};
    for (int decimals = 0; decimals <= 10; ++decimals) {
        for (int i = 0; i < 2000; ++i) {
            std::int64_t value = i < 11 ? edges[i] : static_cast<std::int64_t>(random());
            if (i >= 11 && i % 3 == 0) value %= 100000;  // small magnitudes too
            std::string text = FormatFixed(value, decimals, decimals);
            std::int64_t back = 0;
            ASSERT_TRUE(ParseFixed64(text, &back, decimals)) << text;
            ASSERT_EQ(back, value) << text << " with " << decimals << " decimals";
        }
    }
}

TEST(FormatFixedGrouped, Examples) {
    EXPECT_EQ(FormatFixedGrouped(1234567, 0, 0, ' '), "1 234 567");
    EXPECT_EQ(FormatFixedGrouped(123456, 2, 2, ','), "1,234.56");
    EXPECT_EQ(FormatFixedGrouped(123, 0, 0, ' '), "123");
    EXPECT_EQ(FormatFixedGrouped(1000, 0, 0, ' '), "1 000");
    EXPECT_EQ(FormatFixedGrouped(123456, 0, 0, ' '), "123 456");
    EXPECT_EQ(FormatFixedGrouped(12345, 2, 2, ' '), "123.45");
    EXPECT_EQ(FormatFixedGrouped(-1234567, 0, 0, ' '), "-1 234 567");
    EXPECT_EQ(FormatFixedGrouped(-123456, 0, 0, ' '), "-123 456");
}

TEST(FormatCountWithNoun, RussianPluralFormsFrom0To130) {
    for (int count = 0; count <= 130; ++count) {
        int r = count % 100, t = r % 10;
        const char* expected = (r >= 5 && r <= 20) ? "many" : t == 1 ? "one"
                               : (t >= 2 && t <= 4) ? "few" : "many";
        EXPECT_EQ(FormatCountWithNoun(count, "one", "few", "many"),
                  std::to_string(count) + " " + expected);
    }
    for (int count : {11, 12, 13, 14, 111, 112, 113, 114})
        EXPECT_EQ(FormatCountWithNoun(count, "o", "f", "m"), std::to_string(count) + " m");
    for (int count : {1, 21, 101, 121})
        EXPECT_EQ(FormatCountWithNoun(count, "o", "f", "m"), std::to_string(count) + " o");
    EXPECT_EQ(FormatCountWithNoun(-1, "o", "f", "m"), "-1 m");
    EXPECT_EQ(FormatCountWithNoun(-22, "o", "f", "m"), "-22 m");
    EXPECT_EQ(FormatCountWithNoun(5000000000LL, "o", "f", "m"), "5000000000 m");
}

TEST(Fields, CutLikeTheFrameworkExtractor) {
    EXPECT_EQ(SubString("a\nb\nc", 0, '\n'), "a");
    EXPECT_EQ(SubString("a\nb\nc", 2, '\n'), "c");
    EXPECT_EQ(SubString("a\nb\nc", 3, '\n'), "");
    EXPECT_EQ(SubString("a\nb\nc", -1, '\n'), "");
    EXPECT_EQ(SubString("a;;c;", 1, ';'), "");
    EXPECT_EQ(SubString("a;;c;", 2, ';'), "c");
    EXPECT_EQ(SubString("a;;c;", 3, ';'), "");
    EXPECT_EQ(SubString("", 0, ';'), "");
    EXPECT_EQ(SubStringToInt("10,-20,x,99999999999", 1, ','), -20);
    EXPECT_EQ(SubStringToInt("10,-20,x,99999999999", 2, ','), 0);
    EXPECT_EQ(SubStringToInt("10,-20,x,99999999999", 3, ','), 2147483647);
    EXPECT_EQ(SubStringToInt(" 42abc", 0, ','), 42);
    EXPECT_EQ(SubStringToInt("1,2", 5, ','), 0);
}

TEST(Fields, FindStopsAtTheFirstEmptyField) {
    EXPECT_EQ(FindSubString("a\nb\nc", "c", '\n'), 2);
    EXPECT_EQ(FindSubString("a\nb\nc", "a", '\n'), 0);
    EXPECT_EQ(FindSubString("a\n\nc", "c", '\n'), -1);
    EXPECT_EQ(FindSubString("a\nb\nc", "C", '\n'), -1);
    EXPECT_EQ(FindSubString("a\nb\nc", "", '\n'), -1);
    EXPECT_EQ(FindSubString("ab\nb", "b", '\n'), 1);
    EXPECT_EQ(FindSubString("KOI8-R;CSKOI8R", "CSKOI8R", ';'), 1);
}

TEST(Padding, CentreRightAndLeft) {
    EXPECT_EQ(PadCenter("ab", 5, '.'), ".ab..");
    EXPECT_EQ(PadCenter("ab", 6, '.'), "..ab..");
    EXPECT_EQ(PadCenter("abc", 4, '.'), "abc.");
    EXPECT_EQ(PadCenter("abc", 3, '.'), "abc");
    EXPECT_EQ(PadCenter("abcdef", 3, '.'), "abc");
    EXPECT_EQ(PadCenter("", 3, '-'), "---");
    EXPECT_EQ(PadRight("abcdef", 3, ' '), "abc");
    EXPECT_EQ(PadRight("ab", 4, '*'), "ab**");
    EXPECT_EQ(PadLeft("abcdef", 3, ' '), "abc");
    EXPECT_EQ(PadLeft("ab", 4, '0'), "00ab");
    EXPECT_EQ(PadLeft("ab", -1, '0'), "");
}

// The string table: the day names in code page 1251 bytes.
TEST(ResourceStrings, DayNamesComeAsCodePage1251) {
    EXPECT_EQ(ResSubString(10014, 0, ','),
              "\xEF\xEE\xED\xE5\xE4\xE5\xEB\xFC\xED\xE8\xEA\xE0");  // понедельника
    EXPECT_EQ(ResSubString(10014, 6, ','),
              "\xE2\xEE\xF1\xEA\xF0\xE5\xF1\xE5\xED\xFC\xFF");  // воскресенья
    EXPECT_EQ(ResSubString(10014, 7, ','), "");
    EXPECT_EQ(ResFindSubString(10014, "\xF1\xF0\xE5\xE4\xFB", ','), 2);  // среды
    EXPECT_EQ(ResFindSubString(10014, "monday", ','), -1);
    EXPECT_EQ(ResSubString(1, 0, ','), "");  // no such string
    EXPECT_EQ(ResFindSubString(1, "", ','), -1);
    EXPECT_EQ(ResSubStringToInt(10014, 0, ','), 0);
}
