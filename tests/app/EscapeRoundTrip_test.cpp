#include "base/EscapeText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

// Whatever bytes a select code or a logged line holds, the escaped text reads back to them.
TEST(EscapeRoundTrip, ArbitraryBytesReadBackUnchanged) {
    std::mt19937 rng(20261207);
    // Weighted towards the awkward bytes: controls, backslashes and hex digits after them.
    static const char awkwardBytes[] = "\\x0123456789abcdefABCDEF\x1B\r\n\t\x7F\xFF";
    // The array's own terminating NUL is one of the awkward bytes too.
    const std::string awkward(awkwardBytes, sizeof awkwardBytes);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const int length = static_cast<int>(rng() % 24);
        for (int i = 0; i < length; ++i)
            bytes += (rng() % 2) ? awkward[rng() % awkward.size()] : static_cast<char>(rng() % 256);
        const std::string escaped = EscapeText(bytes);
        for (char c : escaped)
            ASSERT_TRUE(c >= 0x20 && c <= 0x7E) << "unprintable byte in " << escaped;
        ASSERT_EQ(UnescapeText(escaped), bytes) << "escaped as " << escaped;
    }
}

TEST(EscapeRoundTrip, HexDigitAfterAnEscapeIsEscapedInEitherCase) {
    EXPECT_EQ(EscapeText(std::string("\x1B"
                                     "a")),
              "\\x1B\\x61");
    EXPECT_EQ(EscapeText(std::string("\x1B"
                                     "F1g")),
              "\\x1B\\x46\\x31g");
    EXPECT_EQ(EscapeText("a\\b"), "a\\\\b");
}
