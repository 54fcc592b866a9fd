#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "model/InstrumentTokenStream.h"
#include "support/GasUnitRegistry.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Every keyword and phrase is found by its table's search, so this also shows the tables
// sorted as the search expects; a phrase is matched whole, before words and numbers.
TEST(TokenKeywords, EveryKeywordAndPhraseIsFoundInAnyCase) {
    const std::pair<const TokenTableEntry*, uint32_t> tables[] = {
        {InstrumentKeywordTable(), kInstrumentKeywordCount},
        {InstrumentPhraseTable(), kInstrumentPhraseCount}};
    for (const auto& [table, count] : tables) {
        for (uint32_t i = 0; i < count; ++i) {
            for (const std::string& text : {std::string(table[i].text), Lower(table[i].text)}) {
                TextStream ts(text + " 1\r\n");
                EXPECT_EQ(ts->GetToken(), table[i].code) << text;
                EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER) << text;
            }
        }
    }
}

TEST(TokenKeywords, TokenNames) {
    const std::pair<int, const char*> rows[] = {{KW_DASBEGIN, "DASBEGIN"},
                                                {PH_LOG_ON_FAILED, "LOG ON FAILED"},
                                                {TOKEN_MINUS, "-"},
                                                {TOKEN_INTEGER, "Unknown"}};
    for (const auto& [code, name] : rows)
        EXPECT_STREQ(InstrumentTokenStream::TokenName(code), name) << code;
    // The configuration stream's own codes overlap these; past its tables it falls back.
    EXPECT_STREQ(ConfigFileTokenStream::TokenName(PH_LOG_ON_SUCCESSFUL), "LOG ON SUCCESSFUL");
    EXPECT_STREQ(ConfigFileTokenStream::TokenName(TOKEN_MINUS), "-");
}

// ---- the configuration file's words ----------------------------------------------------

struct ConfigText {
    explicit ConfigText(const std::string& text) : file(text), stream(file.get()) {
        InitSupportLibrary();
    }
    TempTextFile file;
    ConfigFileTokenStream stream;
};

TEST(ConfigTokens, EveryKeywordHasItsCode) {
    const TokenTableEntry* table = ConfigKeywordTable();
    for (uint32_t i = 0; i < kConfigKeywordCount; ++i) {
        ConfigText c(table[i].text);
        EXPECT_EQ(c.stream.GetToken(), table[i].code) << table[i].text;
        EXPECT_STREQ(ConfigFileTokenStream::TokenName(table[i].code), table[i].text);
    }
}

TEST(ConfigTokens, WordsAreNeverUnitsOrGasesAndInstrumentPunctuationIsBad) {
    // Unit and gas codes 100 and 101 are "=" and MODEM_NAME here.
    ConfigText c("ppb NO : - 5");
    EXPECT_EQ(c.stream.GetToken(), TOKEN_STRING);
    EXPECT_EQ(c.stream.GetToken(), TOKEN_STRING);
    EXPECT_EQ(c.stream.GetObject(), nullptr);
    EXPECT_EQ(c.stream.GetToken(), TOKEN_BAD);
    EXPECT_EQ(c.stream.GetToken(), TOKEN_MINUS); // no digit follows, so no sign
    EXPECT_EQ(c.stream.GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(c.stream.GetIntValue(), 5);
}

TEST(Tokens, Table) {
    const struct {
        std::string text;
        int hint;
        std::string tokens;
    } rows[] = {
        {"x=12", HINT_NONE, "Sx P= I12"},
        // A number that runs into a letter is bad, the whole word with it; no exponents.
        {"12.5 12AB 12. 1.2.3 1.5e3 -0.25", HINT_NONE, "R12.5 B12AB R12 R1.2 R0.3 B1.5e3 R-0.25"},
        // Hexadecimal needs digits and no letter after; a decimal integer clears the flag,
        // other tokens keep it.
        {"0x1F 0XaB 0x 7 0x1FG", HINT_NONE, "I31x I171x B0x I7 B0x1FG"},
        {"0x10 word 2.5", HINT_NONE, "I16x Sword R2.5x"},
        {".5", HINT_DOT_IS_PUNCTUATION, "P. I5"},
        {".5", HINT_NONE, "R0.5"},
        {"-3 +4", HINT_SIGN_IS_PUNCTUATION, "P- I3 P+ I4"},
        {"-3 +4", HINT_SIGN_IS_PUNCTUATION_2, "P- I3 P+ I4"},
        {"-3 + -", HINT_NONE, "I-3 P+ P-"}, // a sign without digits is punctuation
        {"7 0x10 word", HINT_AS_REAL, "R7 R16x Sword"},
        // A listing prints 05-JAN-2023: without the sign hint the year reads as -2023.
        {"05-JAN-2023", HINT_NONE, "I5 P- KJAN I-2023"},
        {"startdate 2/29/2004 sampleperiod 001:02:03", HINT_NONE,
         "Kstartdate I2 P/ I29 P/ I2004 Ksampleperiod I1 P: I2 P: I3"},
        // Overlong numbers wrap instead of overflowing.
        {"4294967297 -2147483648 0x1FFFFFFFF", HINT_NONE, "I1 I-2147483648 I-1x"},
        // Quoted text has no escapes: a backslash is an ordinary character.
        {"\"abc def\" \"\" \"a\\\" tail", HINT_NONE, "Sabc def S Sa\\ Stail"},
        {"name \"half\r\nnext", HINT_NONE, "Kname B\"half"}, // unterminated: bad to the line end
        {"\"to the end", HINT_NONE, "B\"to the end"},
        // Bad bytes are consumed one at a time, so reading ends.
        {std::string("#\x01\xE9 a\0b ~~", 10), HINT_NONE,
         std::string("B# B\x01 B\xE9 Sa B\0 Sb B~ B~", 23)},
        {":=,/()[]# ?", HINT_NONE, "P: P= P, P/ P( P) P[ P] B# B?"}, // the longest match
        {"LOG ON\r\n", HINT_NONE, "SLOG KON"}, // a phrase cut short by the line end
        // Reply phrases are single tokens, kept as stored; without its colon NAME is a keyword.
        {"log on successful", HINT_NONE, "KLOG ON SUCCESSFUL"},
        {"SOFTWARE REVISION 1.2", HINT_NONE, "KSoftware Revision R1.2"},
        {"NAME: \"Chan\" name x", HINT_NONE, "KNAME: SChan Kname Sx"},
        // Words name registered units (one with a "%") and gases in any case.
        {"ppb So2 WT% ppmw NOTAGAS", HINT_NONE, "UPPB GSO2 UWT% UPPMW SNOTAGAS"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Dump(r.text, r.hint), r.tokens) << r.text << " hint " << r.hint;
}

TEST(TokenNumbers, RealsBeyondTheDoubleRangeSaturateInsteadOfReadingAsZero) {
    const std::string huge = std::string(400, '9') + ".5";
    const std::string tiny = "0." + std::string(400, '0') + "1";
    TextStream ts(huge + " -" + huge + " " + tiny);
    for (double want : {HUGE_VAL, -HUGE_VAL, 0.0}) {
        EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
        EXPECT_EQ(ts->GetRealValue(), want);
    }
}

} // namespace
