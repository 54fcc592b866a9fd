#include "support/ByteStream.h"
#include "support/SupportString.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(SupportString, ComparisonFoldsCaseUnlessBothAskForExactCase) {
    SupportString a("Ozone");
    SupportString b("OZONE");
    EXPECT_EQ(a, b);
    a.SetCaseFlag(true);
    EXPECT_EQ(a, b); // one flag is not enough
    b.SetCaseFlag(true);
    EXPECT_NE(a, b);
    EXPECT_LT(b, a); // 'Z' < 'z'
    // Folding is to upper case: '_' sorts after the letters.
    EXPECT_LT(SupportString("a"), SupportString("_"));
    EXPECT_LT(SupportString("ab"), SupportString("abc"));
    EXPECT_EQ(SupportString("x").CompareIgnoringCase(SupportString("X")), 0);
}

TEST(SupportString, FormatTakesSupportStringsForPercentCapitalS) {
    const SupportString name("SO2");
    EXPECT_EQ(SupportString::Format("GASNAME \"%S\" %d %0.2f", name, 102, 64.0588).str(),
              "GASNAME \"SO2\" 102 64.06");
    EXPECT_EQ(SupportString::Format("[%-5S|%s|%%S]", name, "c").str(), "[SO2  |c|%S]");
    EXPECT_EQ(SupportString::Format("plain").str(), "plain");
}

TEST(SupportString, AppendAndReverse) {
    SupportString s("ab");
    s.Append(SupportString("cd")).Append('e');
    EXPECT_EQ(s.str(), "abcde");
    EXPECT_EQ(s.Reverse().str(), "edcba");
    SupportString withNul("a\0b", 3);
    EXPECT_EQ(withNul.Length(), 3u);
}

TEST(SupportString, UnescapeDecodesTheCEscapes) {
    EXPECT_EQ(SupportString("\\\"\\'\\?\\\\").Unescaped().str(), "\"'?\\");
    EXPECT_EQ(SupportString("\\a\\b\\f\\n\\r\\t\\v").Unescaped().str(), "\a\b\f\n\r\t\v");
    EXPECT_EQ(SupportString("\\x1B\\x41").Unescaped().str(), "\x1B\x41");
    // Every hex digit belongs to the escape; the low 8 bits are kept.
    EXPECT_EQ(SupportString("\\x1BA").Unescaped().str(), "\xBA");
    EXPECT_EQ(SupportString("\\xg").Unescaped().str(), "xg");
    EXPECT_EQ(SupportString("\\101\\0619").Unescaped().str(), "A19");
    EXPECT_EQ(SupportString("\\q end\\").Unescaped().str(), "q end\\");
}

TEST(SupportString, EscapeShowsNonPrintingBytesAndReadsBack) {
    EXPECT_EQ(SupportString("a\x1B"
                            "g\x7F")
                  .Escaped()
                  .str(),
              "a\\x1Bg\\x7F");
    // A hex digit right after an escape is escaped too, or it would join the escape.
    EXPECT_EQ(SupportString("\x1B"
                            "A1z")
                  .Escaped()
                  .str(),
              "\\x1B\\x41\\x31z");
    EXPECT_EQ(SupportString("c:\\dir").Escaped().str(), "c:\\\\dir");

    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(random() % 24, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 256);
        const SupportString original(bytes);
        EXPECT_EQ(original.Escaped().Unescaped().str(), bytes);
    }
}

TEST(SupportString, ByteStreamFormUsesALongLengthFrom255) {
    for (size_t length : {0u, 1u, 254u, 255u, 300u, 65535u}) {
        ByteStream out;
        const SupportString s(std::string(length, 'q'));
        const size_t written = s.WriteTo(out);
        EXPECT_EQ(written, length + (length < 255 ? 1 : 3));
        EXPECT_EQ(out.Data()[0], length < 255 ? length : 255u);
        ByteStream in(out.Data(), 0);
        SupportString back("old");
        EXPECT_EQ(back.ReadFrom(in), written);
        EXPECT_EQ(back.str(), s.str());
    }
    // Longer strings are cut to what the 16-bit length can say.
    ByteStream out;
    SupportString(std::string(70000, 'x')).WriteTo(out);
    EXPECT_EQ(out.Data().size(), 3u + 65535u);
}

TEST(SupportString, ShortReadLeavesTheStringAlone) {
    ByteStream out;
    SupportString("hello").WriteTo(out);
    std::vector<uint8_t> cut(out.Data().begin(), out.Data().end() - 2);
    ByteStream in(cut, 0);
    SupportString s("kept");
    EXPECT_EQ(s.ReadFrom(in), 4u);
    EXPECT_EQ(s.str(), "kept");
    EXPECT_TRUE(in.IsExhausted());
}

} // namespace
