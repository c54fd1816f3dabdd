#include <gtest/gtest.h>

#include "postling/model/TextFormat.h"

// A translated format may not fit its arguments: nothing is read beyond them
// and nothing is taken as another type.
TEST(FormatText, PrintfSubsetThatStaysSafe) {
    EXPECT_EQ(FormatText("%03d|%03d|%d:%02d 100%%", {7, -1, 9, 5}), "007|-01|9:05 100%");
    EXPECT_EQ(FormatText("%s and %d, %d %s %n%", {5, std::string("x")}), "5 and x,   %n%");
    EXPECT_EQ(FormatText("%999999999d", {1}).size(), 64u);
}
