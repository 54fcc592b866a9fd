#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

namespace {

struct ConfigText {
    explicit ConfigText(const std::string& text) : file(text), stream(file.get()) {
        InitSupportLibrary();
    }
    TempTextFile file;
    ConfigFileTokenStream stream;
};

TEST(ConfigTokens, AssignmentsInAnyCase) {
    ConfigText c("\r\nSITE_NAME = \"Plant\"\r\n  site_comm_port = 0\r\n  Site_Conn_Type = "
                 "tcpip\r\n");
    c.stream.SetSpanLines(true);
    const std::vector<std::pair<int, std::string>> expected = {
        {CFG_SITE_NAME, "SITE_NAME"},           {CFG_EQUALS, "="}, {TOKEN_STRING, "Plant"},
        {CFG_SITE_COMM_PORT, "site_comm_port"}, {CFG_EQUALS, "="}, {TOKEN_INTEGER, "0"},
        {CFG_SITE_CONN_TYPE, "Site_Conn_Type"}, {CFG_EQUALS, "="}, {CFG_TCPIP, "tcpip"}};
    EXPECT_EQ(AllTokens(c.stream), expected);
    EXPECT_EQ(c.stream.GetLineCount(), 4u);
}

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
