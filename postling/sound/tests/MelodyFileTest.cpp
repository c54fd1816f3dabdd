// The melody file: sections, bodies, comments, names, and reading it whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "postling/sound/MelodyFile.h"

namespace {

using Names = std::vector<std::string>;

TEST(MelodyFile, SectionsAndNames) {
    const std::string file =
        "; melodies\r\n[Fanfare]\r\nT180 O5 ; comment [x] ;;\r\n   C8 E8   \r\n\r\n  \r\n;C1\r\nO6 C2.\r\n"
        "[fanfare] other letters\r\nA\r\n[Empty]\r\n; only a comment\r\n[Two words]\r\nB\r\nC ]\r\n"
        "[unclosed\r\nD\r\n[]\r\nE\r\n[Fanfare]\r\nF\r\n[Last]\nG  H";
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"Fanfare", "T180 O5C8 E8O6 C2."},  // the first of two so named
        {"fanfare", "A"}, {"Empty", ""}, {"", "E"}, {"Last", "G  H"},
        {"Two words", "BC ]"},              // a line starting with "[" ends the body
        {"unclosed", ""}, {"FANFARE", ""}, {"Fanfare ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MelodyText(file, c.name), c.text) << c.name;
    EXPECT_EQ(MelodyNames(file), (Names{"Fanfare", "fanfare", "Empty", "Two words", "", "Fanfare", "Last"}));
}

TEST(MelodyFile, HeaderNeedsALineFeedBeforeIt) {
    const struct {
        std::string file;
        Names names;
        std::string text;  // of section "A"
    } cases[] = {
        {"[A]\r\nC D\r\n", {}, ""},  // not on the first line
        {"\r\n[A]\r\nC D\r\n", {"A"}, "C D"},
        {"x [A]\r\nC\r\n [A]\r\nD\r\n", {}, ""},
        {"\r\n[A]", {"A"}, ""},
        {"\r\n[A\r\n]\r\nC", {}, ""},  // the name ends on its line
        {std::string("\n[A]\nC\0D\n[B\0]\nE", 15), {"A", std::string("B\0", 2)}, std::string("C\0D", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MelodyNames(c.file), c.names) << c.file;
        EXPECT_EQ(MelodyText(c.file, "A"), c.text) << c.file;
    }
}

TEST(MelodyFile, ReadsAnyBytesUpToTheBound) {
    const std::string path = ::testing::TempDir() + "melody_file_test.mus";
    auto write = [&](const std::string& bytes) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        EXPECT_TRUE(out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size());
        if (out) std::fclose(out);
        return path;
    };
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    EXPECT_EQ(ReadMelodyFile(write(bytes)), bytes);
    EXPECT_EQ(ReadMelodyFile(write("")), std::string());
    const std::string full(kMaxMelodyFileSize, 'A');
    EXPECT_EQ(ReadMelodyFile(write(full)), full);
    EXPECT_EQ(ReadMelodyFile(write(full + "\n")), std::nullopt);
    std::remove(path.c_str());
    EXPECT_EQ(ReadMelodyFile(path), std::nullopt);
    EXPECT_EQ(ReadMelodyFile(::testing::TempDir()), std::nullopt);  // a folder
}

}  // namespace
