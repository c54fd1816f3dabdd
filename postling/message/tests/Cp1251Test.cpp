#include <gtest/gtest.h>

#include <clocale>

#include "postling/message/Cp1251.h"

TEST(UpperCase1251, LatinAndCyrillicLettersIncludingYo) {
    for (int c = 'a'; c <= 'z'; ++c) EXPECT_EQ(UpperCase1251(c), c - 0x20);
    for (int c = 0xE0; c <= 0xFF; ++c) EXPECT_EQ(UpperCase1251(c), c - 0x20);  // а..я
    EXPECT_EQ(UpperCase1251(0xB8), 0xA8);                                       // ё
    EXPECT_EQ(ToUpper1251("\xEF\xF0\xE8\xE2\xE5\xF2, world"), "\xCF\xD0\xC8\xC2\xC5\xD2, WORLD");
}

TEST(UpperCase1251, EverythingElseStaysAndResultIsStable) {
    for (int c = 0; c < 256; ++c) {
        unsigned char upper = UpperCase1251(static_cast<unsigned char>(c));
        EXPECT_EQ(UpperCase1251(upper), upper) << c;
        bool lower = (c >= 'a' && c <= 'z') || c >= 0xE0;
        if (!lower && upper != c) {
            EXPECT_GE(c, 0x80) << c;  // only cp1251 lower-case letters move
        }
        if (c < 0x80 && !(c >= 'a' && c <= 'z')) {
            EXPECT_EQ(upper, c) << c;
        }
    }
    EXPECT_EQ(UpperCase1251(0xD7), 0xD7);  // Ч stays
    EXPECT_EQ(UpperCase1251(0xA8), 0xA8);  // Ё stays
}

TEST(UpperCase1251, DoesNotDependOnTheProcessLocale) {
    std::string before = ToUpper1251("\xB8\xFF\xE0z");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(ToUpper1251("\xB8\xFF\xE0z"), before);
    EXPECT_EQ(before, "\xA8\xDF\xC0Z");
}
