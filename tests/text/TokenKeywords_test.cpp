#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "model/InstrumentTokenStream.h"
#include "support/GasUnitRegistry.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void ExpectSorted(const TokenTableEntry* table, uint32_t count) {
    for (uint32_t i = 1; i < count; ++i)
        EXPECT_LT(TokenStream::CompareFolded(table[i - 1].text, std::strlen(table[i - 1].text),
                                             table[i].text, std::strlen(table[i].text)),
                  0)
            << table[i - 1].text << " / " << table[i].text;
}

TEST(TokenKeywords, TablesAreSortedUnderTheFoldedComparison) {
    ExpectSorted(InstrumentPunctuationTable(), kInstrumentPunctuationCount);
    ExpectSorted(InstrumentKeywordTable(), kInstrumentKeywordCount);
    ExpectSorted(InstrumentPhraseTable(), kInstrumentPhraseCount);
    ExpectSorted(ConfigPunctuationTable(), kConfigPunctuationCount);
    ExpectSorted(ConfigKeywordTable(), kConfigKeywordCount);
    EXPECT_TRUE(TokenTablesSorted());
}

TEST(TokenKeywords, EveryKeywordIsFoundInAnyCase) {
    const TokenTableEntry* table = InstrumentKeywordTable();
    std::set<int> codes;
    for (uint32_t i = 0; i < kInstrumentKeywordCount; ++i) {
        codes.insert(table[i].code);
        for (const std::string& text : {std::string(table[i].text), Lower(table[i].text)}) {
            TextStream ts(text);
            EXPECT_EQ(ts->GetToken(), table[i].code) << text;
            EXPECT_EQ(ts->GetTokenText(), text);
        }
    }
    EXPECT_EQ(codes.size(), kInstrumentKeywordCount);
    EXPECT_EQ(*codes.begin(), KW_PARAMETER);
    EXPECT_EQ(*codes.rbegin(), KW_SETSTATUSBLOCK);
}

TEST(TokenKeywords, EveryPhraseIsMatchedBeforeWordsAndNumbers) {
    const TokenTableEntry* table = InstrumentPhraseTable();
    for (uint32_t i = 0; i < kInstrumentPhraseCount; ++i) {
        for (const std::string& text : {std::string(table[i].text), Lower(table[i].text)}) {
            TextStream ts(text + " 1\r\n");
            EXPECT_EQ(ts->GetToken(), table[i].code) << text;
            // The text is the phrase as stored, whatever the case it came in.
            EXPECT_EQ(ts->GetTokenText(), table[i].text);
            EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER) << text;
        }
    }
}

TEST(TokenKeywords, ReplyPhrasesAreSingleTokens) {
    TextStream ts("LOG ON SUCCESSFUL\r\nSoftware Revision 1.2\r\nNAME: \"Chan\"\r\nname x\r\n");
    ts->SetSpanLines(true);
    EXPECT_EQ(ts->GetToken(), PH_LOG_ON_SUCCESSFUL);
    EXPECT_EQ(ts->GetToken(), PH_REVISION);
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_EQ(ts->GetToken(), PH_NAME);
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    // Without its colon NAME is the keyword.
    EXPECT_EQ(ts->GetToken(), KW_NAME);
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetToken(), TOKEN_END);
    EXPECT_TRUE(ts->AtEndOfInput());
}

TEST(TokenKeywords, WordsResolveToRegisteredUnitsAndGases) {
    TextStream ts("ppb So2 WT% ppmw NOTAGAS");
    EXPECT_EQ(ts->GetToken(), TOKEN_UNIT);
    ASSERT_NE(ts->GetUnit(), nullptr);
    EXPECT_EQ(ts->GetUnit()->GetId(), UNIT_PPB);
    EXPECT_EQ(ts->GetToken(), TOKEN_GAS);
    ASSERT_NE(ts->GetGas(), nullptr);
    EXPECT_EQ(ts->GetGas()->GetId(), GAS_SO2);
    EXPECT_EQ(ts->GetUnit(), nullptr);
    // The unit named with a "%" is one token too.
    EXPECT_EQ(ts->GetToken(), TOKEN_UNIT);
    EXPECT_EQ(ts->GetTokenText(), "WT%");
    EXPECT_EQ(ts->GetUnit()->GetId(), UNIT_WTPCT);
    EXPECT_EQ(ts->GetToken(), TOKEN_UNIT);
    EXPECT_EQ(ts->GetUnit()->GetId(), UNIT_PPMW);
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetObject(), nullptr);
}

TEST(TokenKeywords, TokenNameSearchesKeywordsPhrasesThenPunctuation) {
    EXPECT_STREQ(InstrumentTokenStream::TokenName(KW_DASBEGIN), "DASBEGIN");
    EXPECT_STREQ(InstrumentTokenStream::TokenName(PH_LOG_ON_FAILED), "LOG ON FAILED");
    EXPECT_STREQ(InstrumentTokenStream::TokenName(TOK_EQUALS), "=");
    EXPECT_STREQ(InstrumentTokenStream::TokenName(TOKEN_MINUS), "-");
    EXPECT_STREQ(InstrumentTokenStream::TokenName(TOKEN_INTEGER), "Unknown");
    EXPECT_STREQ(InstrumentTokenStream::TokenName(999), "Unknown");
}

} // namespace
