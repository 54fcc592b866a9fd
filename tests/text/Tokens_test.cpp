#include "model/CommInstrumentTokenStream.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "support/GasUnitRegistry.h"
#include "support/NamedObject.h"
#include "support_lib/Fakes.h"
#include "support_lib/ScriptedLink.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The codes and texts of every token up to the end of the input.
std::vector<std::pair<int, std::string>> AllTokens(TokenStream& ts, int hint = 6) {
    std::vector<std::pair<int, std::string>> out;
    for (int guard = 0; guard < 10000; ++guard) {
        const int code = ts.GetToken(hint);
        if (code == TOKEN_END && ts.AtEndOfInput())
            break;
        out.emplace_back(code, ts.GetTokenText());
    }
    return out;
}

// Each token of the text read with one hint: I and R with the value (x for hexadecimal),
// S and B with the text, P with the punctuation, U and G with the registered unit's or gas's
// name, K with a keyword's or phrase's text.
std::string Dump(const std::string& text, int hint) {
    TextStream ts(text);
    std::ostringstream out;
    for (int guard = 0; guard < 100; ++guard) {
        const int code = ts->GetToken(hint);
        if (code == TOKEN_END)
            break;
        out << (out.tellp() ? " " : "");
        if (code == TOKEN_INTEGER)
            out << 'I' << ts->GetIntValue() << (ts->IsHexadecimal() ? "x" : "");
        else if (code == TOKEN_REAL)
            out << 'R' << ts->GetRealValue() << (ts->IsHexadecimal() ? "x" : "");
        else if (code == TOKEN_UNIT || code == TOKEN_GAS)
            out << (code == TOKEN_UNIT ? 'U' : 'G') << ts->GetObject()->GetName().str();
        else if (code == TOKEN_STRING || code == TOKEN_BAD)
            out << (code == TOKEN_STRING ? 'S' : 'B') << ts->GetTokenText();
        else if (code == TOKEN_MINUS || code == TOKEN_PLUS || code == TOKEN_DOT ||
                 (code >= TOK_COLON && code <= TOK_RBRACKET))
            out << 'P' << ts->GetTokenText();
        else
            out << 'K' << ts->GetTokenText();
    }
    return out.str();
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Every keyword and phrase, of the instrument and of the configuration file, is found by its
// table's search in any case and named by its text, so the tables are sorted as the search
// expects; a phrase is matched whole, before words and numbers.
TEST(TokenKeywords, EveryKeywordAndPhraseIsFoundInAnyCaseAndNamed) {
    const struct {
        const TokenTableEntry* table;
        uint32_t count;
        bool config;
    } tables[] = {{InstrumentKeywordTable(), kInstrumentKeywordCount, false},
                  {InstrumentPhraseTable(), kInstrumentPhraseCount, false},
                  {ConfigKeywordTable(), kConfigKeywordCount, true}};
    for (const auto& [table, count, config] : tables) {
        for (uint32_t i = 0; i < count; ++i) {
            const TokenTableEntry& entry = table[i];
            for (const std::string& text : {std::string(entry.text), Lower(entry.text)}) {
                TempFile file = TempTextFile(text + " 1\r\n");
                std::unique_ptr<FileInstrumentTokenStream> ts;
                if (config)
                    ts = std::make_unique<ConfigFileTokenStream>(file.get());
                else
                    ts = std::make_unique<FileInstrumentTokenStream>(file.get(), 10000);
                EXPECT_EQ(ts->GetToken(), entry.code) << text;
                EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER) << text;
            }
            // A code two texts share is named by the first.
            const auto named = [&entry](const TokenTableEntry& e) { return e.code == entry.code; };
            EXPECT_STREQ(config ? ConfigFileTokenStream::TokenName(entry.code)
                                : InstrumentTokenStream::TokenName(entry.code),
                         std::find_if(table, table + count, named)->text);
        }
    }
    EXPECT_STREQ(InstrumentTokenStream::TokenName(TOKEN_MINUS), "-");
    EXPECT_STREQ(InstrumentTokenStream::TokenName(TOKEN_INTEGER), "Unknown");
    // The configuration stream's own codes overlap these; past its tables it falls back.
    EXPECT_STREQ(ConfigFileTokenStream::TokenName(PH_LOG_ON_SUCCESSFUL), "LOG ON SUCCESSFUL");
    EXPECT_STREQ(ConfigFileTokenStream::TokenName(TOKEN_MINUS), "-");
}

TEST(ConfigTokens, WordsAreNeverUnitsOrGasesAndInstrumentPunctuationIsBad) {
    // Unit and gas codes 100 and 101 are "=" and MODEM_NAME here.
    TempFile file = TempTextFile("ppb NO : - 5");
    ConfigFileTokenStream c(file.get());
    EXPECT_EQ(c.GetToken(), TOKEN_STRING);
    EXPECT_EQ(c.GetToken(), TOKEN_STRING);
    EXPECT_EQ(c.GetObject(), nullptr);
    EXPECT_EQ(c.GetToken(), TOKEN_BAD);
    EXPECT_EQ(c.GetToken(), TOKEN_MINUS); // no digit follows, so no sign
    EXPECT_EQ(c.GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(c.GetIntValue(), 5);
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

// ---- where lines and input end -------------------------------------------------------

using Tokens = std::vector<std::pair<int, std::string>>;

// A blank line ends the line but not the input; spanning lines reads on to the input's end.
TEST(TokenSources, LineAndInputEnds) {
    const std::string text = "seqlistbegin\r\n\r\n  seqbegin\r\n";
    const struct {
        bool span;
        Tokens expected;
    } rows[] = {
        {false,
         {{KW_SEQLISTBEGIN, "seqlistbegin"},
          {TOKEN_END, ""},
          {TOKEN_END, ""},
          {KW_SEQBEGIN, "seqbegin"},
          {TOKEN_END, ""}}},
        {true, {{KW_SEQLISTBEGIN, "seqlistbegin"}, {KW_SEQBEGIN, "seqbegin"}}},
    };
    for (const auto& r : rows) {
        TextStream ts(text);
        ts->SetSpanLines(r.span);
        EXPECT_EQ(AllTokens(ts.stream), r.expected) << r.span;
        EXPECT_EQ(ts->GetTokenText(), "<end of file>");
        EXPECT_EQ(ts->GetLineCount(), 3u);
        // The end stays the end.
        EXPECT_EQ(ts->GetToken(), TOKEN_END);
        EXPECT_TRUE(ts->AtEndOfInput());
        EXPECT_FALSE(ts->IsTimedOut());
    }
}

TEST(TokenSources, SmallBuffersGiveTheSameTokens) {
    const std::string text = "channelbegin\r\n name \"Long channel name\" 0x1F 12.5\r\nend";
    TextStream reference(text);
    const Tokens expected = AllTokens(reference.stream);
    for (size_t size : {0, 1, 2, 7, 13}) {
        TextStream ts(text, size);
        EXPECT_EQ(AllTokens(ts.stream), expected) << "buffer " << size;
    }
}

// Each read from a live link is one line; an empty read is a time-out whose flag stays set.
TEST(LiveLinkTokens, LinesTimeOutsAndAPartialLine) {
    InitSupportLibrary();
    TestApp t;
    ScriptedLink link;
    link.open = true;
    link.Feed("LOG ON SUCCESSFUL\r\nK 1\r\npartial");
    CommInstrumentTokenStream ts(link, 500);
    EXPECT_EQ(ts.GetToken(), PH_LOG_ON_SUCCESSFUL);
    EXPECT_EQ(ts.GetCurrentLine(), "LOG ON SUCCESSFUL\r\n");
    EXPECT_EQ(ts.GetToken(), TOKEN_END);
    ts.SetReceiveTimeout(10000);
    ts.SetSpanLines(true);
    EXPECT_EQ(ts.GetToken(), KW_K);
    EXPECT_EQ(ts.GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(link.timeouts, (std::vector<unsigned>{500, 10000}));
    // A last line without its line feed is still a line.
    EXPECT_EQ(ts.GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts.GetTokenText(), "partial");
    EXPECT_FALSE(ts.IsTimedOut());
    EXPECT_EQ(ts.GetToken(), TOKEN_END);
    EXPECT_TRUE(ts.AtEndOfInput());
    EXPECT_TRUE(ts.IsTimedOut());
    // A later line does not clear the flag.
    link.Feed("K 2\r\n");
    EXPECT_EQ(ts.GetToken(), KW_K);
    EXPECT_TRUE(ts.IsTimedOut());
}

} // namespace
