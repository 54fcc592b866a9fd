// The escapes of logged lines and of typed select codes.

#include "base/EscapeText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(EscapeText, ByteTable) {
    const struct {
        std::string bytes, escaped;
    } rows[] = {
        {"plain text ~", "plain text ~"},
        {"\x1B"s + "A", "\\x1B\\x41"}, // a hex digit after an escape is escaped too
        {"\x1B"s + "G", "\\x1BG"},
        {"\x01"s + "12", "\\x01\\x31\\x32"},
        {"\x00\x7F\xFF"s, "\\x00\\x7F\\xFF"},
        {"a\\b", "a\\\\b"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(EscapeText(r.bytes), r.escaped) << r.escaped;
}

TEST(UnescapeText, EscapeTable) {
    const struct {
        std::string typed, bytes;
    } rows[] = {
        {"\\x1BA", "\xBA"}, // every hex digit belongs to the escape, the low 8 bits kept
        {"\\xg", "xg"},
        {"\\101\\0\\7777", "A\0\xFF"s + "7"}, // up to three octal digits
        {"\\a\\b\\f\\n\\r\\t\\v", "\a\b\f\n\r\t\v"},
        {"\\\"\\'\\?\\\\\\q", "\"'?\\q"},
        {"end\\", "end\\"},
        {"plain", "plain"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(UnescapeText(r.typed), r.bytes) << r.typed;
}

} // namespace
