#include "support/ByteStream.h"
#include "support/SupportString.h"

#include <gtest/gtest.h>

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
    s.Append(SupportString("c\0d", 3)).Append('e');
    EXPECT_EQ(s.Reverse().str(), std::string("ed\0cba", 6));
}

// The activity log's escapes (their table is the log's test): a string and its escaped form.
TEST(SupportString, EscapedAndUnescapedAreEachOthersInverse) {
    EXPECT_EQ(SupportString("c:\\dir\x1B").Escaped().str(), "c:\\\\dir\\x1B");
    EXPECT_EQ(SupportString("c:\\\\dir\\x1B").Unescaped().str(), "c:\\dir\x1B");
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
        // A short read takes what there is and leaves the string alone.
        ByteStream shortIn(std::vector<uint8_t>(out.Data().begin(), out.Data().end() - 1), 0);
        SupportString kept("kept");
        EXPECT_EQ(kept.ReadFrom(shortIn), written - 1);
        EXPECT_EQ(kept.str(), "kept");
    }
    // Longer strings are cut to what the 16-bit length can say.
    ByteStream out;
    SupportString(std::string(70000, 'x')).WriteTo(out);
    EXPECT_EQ(out.Data().size(), 3u + 65535u);
}

} // namespace
