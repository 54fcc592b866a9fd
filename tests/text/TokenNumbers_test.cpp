#include "model/InstrumentKeywords.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Tokens = std::vector<std::pair<int, std::string>>;

TEST(TokenNumbers, AssignmentSplitsIntoWordEqualsAndInteger) {
    TextStream ts("x=12");
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetTokenText(), "x");
    EXPECT_EQ(ts->GetToken(), TOK_EQUALS);
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), 12);
    EXPECT_EQ(ts->GetTokenText(), "12");
}

TEST(TokenNumbers, DecimalRealAndMalformedNumbers) {
    TextStream ts("12.5 12AB 12. 1.2.3 1.5e3 -0.25");
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), 12.5);
    // A number that runs into a letter is bad; the whole word goes with it.
    EXPECT_EQ(ts->GetToken(), TOKEN_BAD);
    EXPECT_EQ(ts->GetTokenText(), "12AB");
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), 12.0);
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), 1.2);
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), 0.3);
    EXPECT_EQ(ts->GetToken(), TOKEN_BAD); // no exponents
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), -0.25);
    EXPECT_EQ(ts->GetTokenText(), "-0.25");
}

TEST(TokenNumbers, HexadecimalNeedsDigitsAndNoLetterAfter) {
    TextStream ts("0x1F 0XaB 0x 7 0x1FG");
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), 31);
    EXPECT_TRUE(ts->IsHexadecimal());
    EXPECT_EQ(ts->GetTokenText(), "0x1F");
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), 0xAB);
    // "0x" and a blank: bad, at the zero.
    EXPECT_EQ(ts->GetToken(), TOKEN_BAD);
    EXPECT_EQ(ts->GetTokenText(), "0x");
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_FALSE(ts->IsHexadecimal()); // a decimal integer clears the flag
    EXPECT_EQ(ts->GetToken(), TOKEN_BAD);
    EXPECT_EQ(ts->GetTokenText(), "0x1FG");
}

TEST(TokenNumbers, HexadecimalFlagSurvivesOtherTokens) {
    TextStream ts("0x10 word 2.5");
    ts->GetToken();
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_TRUE(ts->IsHexadecimal());
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_TRUE(ts->IsHexadecimal());
}

TEST(TokenNumbers, DotHintMakesTheDotPunctuation) {
    TextStream dot(".5");
    EXPECT_EQ(dot->GetToken(HINT_DOT_IS_PUNCTUATION), TOKEN_DOT);
    EXPECT_EQ(dot->GetToken(HINT_DOT_IS_PUNCTUATION), TOKEN_INTEGER);
    EXPECT_EQ(dot->GetIntValue(), 5);

    TextStream plain(".5");
    EXPECT_EQ(plain->GetToken(HINT_NONE), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(plain->GetRealValue(), 0.5);
}

TEST(TokenNumbers, SignHintsMakePlusAndMinusPunctuation) {
    for (int hint : {HINT_SIGN_IS_PUNCTUATION, HINT_SIGN_IS_PUNCTUATION_2}) {
        TextStream ts("-3 +4");
        EXPECT_EQ(ts->GetToken(hint), TOKEN_MINUS);
        EXPECT_EQ(ts->GetToken(hint), TOKEN_INTEGER);
        EXPECT_EQ(ts->GetIntValue(), 3);
        EXPECT_EQ(ts->GetToken(hint), TOKEN_PLUS);
        EXPECT_EQ(ts->GetToken(hint), TOKEN_INTEGER);
        EXPECT_EQ(ts->GetIntValue(), 4);
    }
    TextStream ts("-3 + -");
    EXPECT_EQ(ts->GetToken(HINT_NONE), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), -3);
    // A sign without digits is still punctuation.
    EXPECT_EQ(ts->GetToken(HINT_NONE), TOKEN_PLUS);
    EXPECT_EQ(ts->GetToken(HINT_NONE), TOKEN_MINUS);
}

TEST(TokenNumbers, RealHintTurnsIntegersIntoReals) {
    TextStream ts("7 0x10 word");
    EXPECT_EQ(ts->GetToken(HINT_AS_REAL), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), 7.0);
    EXPECT_EQ(ts->GetToken(HINT_AS_REAL), TOKEN_REAL);
    EXPECT_DOUBLE_EQ(ts->GetRealValue(), 16.0);
    EXPECT_EQ(ts->GetToken(HINT_AS_REAL), TOKEN_STRING);
}

TEST(TokenNumbers, ListingDateNeedsTheSignHintBeforeTheYear) {
    // A listing prints 05-JAN-2023; the reader asks for "-" as punctuation where it expects
    // one, or the year would read as -2023.
    TextStream ts("STARTING DATE: 05-JAN-2023\r\n");
    EXPECT_EQ(ts->GetToken(), PH_STARTING_DATE);
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), 5);
    EXPECT_EQ(ts->GetToken(HINT_SIGN_IS_PUNCTUATION), TOKEN_MINUS);
    EXPECT_EQ(ts->GetToken(), KW_JAN);
    EXPECT_EQ(ts->GetToken(HINT_SIGN_IS_PUNCTUATION), TOKEN_MINUS);
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), 2023);
    EXPECT_EQ(ts->GetToken(), TOKEN_END);

    TextStream unhinted("05-JAN-2023");
    unhinted->GetToken();
    EXPECT_EQ(unhinted->GetToken(), TOKEN_MINUS); // "-J" is no number
    unhinted->GetToken();
    EXPECT_EQ(unhinted->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(unhinted->GetIntValue(), -2023);
}

TEST(TokenNumbers, TimesAndDatesOfScripts) {
    TextStream ts("startdate 2/29/2004 sampleperiod 001:02:03");
    const Tokens expected = {{KW_STARTDATE, "startdate"},
                             {TOKEN_INTEGER, "2"},
                             {TOK_SLASH, "/"},
                             {TOKEN_INTEGER, "29"},
                             {TOK_SLASH, "/"},
                             {TOKEN_INTEGER, "2004"},
                             {KW_SAMPLEPERIOD, "sampleperiod"},
                             {TOKEN_INTEGER, "001"},
                             {TOK_COLON, ":"},
                             {TOKEN_INTEGER, "02"},
                             {TOK_COLON, ":"},
                             {TOKEN_INTEGER, "03"},
                             {TOKEN_END, ""}};
    EXPECT_EQ(AllTokens(ts.stream), expected);
}

TEST(TokenNumbers, OverlongNumbersWrapInsteadOfOverflowing) {
    TextStream ts("4294967297 -2147483648 0x1FFFFFFFF");
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), 1);
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), INT32_MIN);
    EXPECT_EQ(ts->GetToken(), TOKEN_INTEGER);
    EXPECT_EQ(ts->GetIntValue(), -1);
}

TEST(TokenNumbers, RealsBeyondTheDoubleRangeSaturateInsteadOfReadingAsZero) {
    const std::string huge = std::string(400, '9') + ".5";
    const std::string tiny = "0." + std::string(400, '0') + "1";
    TextStream ts(huge + " -" + huge + " " + tiny);
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_EQ(ts->GetRealValue(), HUGE_VAL);
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_EQ(ts->GetRealValue(), -HUGE_VAL);
    EXPECT_EQ(ts->GetToken(), TOKEN_REAL);
    EXPECT_EQ(ts->GetRealValue(), 0.0);
}

} // namespace
