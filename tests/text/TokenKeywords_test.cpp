#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "model/InstrumentTokenStream.h"
#include "support/GasUnitRegistry.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

#include <cctype>

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

} // namespace
