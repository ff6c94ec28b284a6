#include "util/LineBreaks.h"

#include <gtest/gtest.h>

TEST(LineBreaksTest, EveryKindOfBreakBothWays) {
    EXPECT_EQ(CrLfLineBreaks("a\r\nb\rc\nd\r"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(CrLfLineBreaks("\n\r\r\n\n"), "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(CrLfLineBreaks("Grüße"), "Grüße");
    EXPECT_EQ(CrLfLineBreaks(""), "");
    EXPECT_EQ(LfLineBreaks("a\r\nb\rc\nd\r"), "a\nb\nc\nd\n");
    EXPECT_EQ(LfLineBreaks("\r\r\n\n"), "\n\n\n");
    // A long text with every break kind comes back the same through both.
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += std::string(static_cast<size_t>(i % 7), 'x') + (i % 3 == 0 ? "\n" : "ä");
    EXPECT_EQ(LfLineBreaks(CrLfLineBreaks(text)), text);
}
