#include "model/InstrumentKeywords.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

namespace {

TEST(TokenStrings, QuotedTextHasNoEscapes) {
    TextStream ts("\"abc def\" \"\" \"a\\\" tail");
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetTokenText(), "abc def");
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetTokenText(), "");
    // The backslash is an ordinary character, so the next quote closes the string.
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetTokenText(), "a\\");
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetTokenText(), "tail");
}

TEST(TokenStrings, UnterminatedStringIsBadAtTheLineEnd) {
    TextStream ts("name \"half\r\nnext\r\n");
    EXPECT_EQ(ts->GetToken(), KW_NAME);
    EXPECT_EQ(ts->GetToken(), TOKEN_BAD);
    EXPECT_EQ(ts->GetTokenText(), "\"half");
    EXPECT_EQ(ts->GetToken(), TOKEN_END); // the rest of the line was used up
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    EXPECT_EQ(ts->GetTokenText(), "next");

    TextStream last("\"to the end");
    EXPECT_EQ(last->GetToken(), TOKEN_BAD);
}

TEST(TokenStrings, BadBytesAreConsumedSoReadingEnds) {
    std::string text = "#\x01\xE9 a";
    text += '\0';
    text += "b ~~";
    TextStream ts(text);
    const std::vector<std::pair<int, std::string>> expected = {{TOKEN_BAD, "#"},
                                                               {TOKEN_BAD, "\x01"},
                                                               {TOKEN_BAD, "\xE9"},
                                                               {TOKEN_STRING, "a"},
                                                               {TOKEN_BAD, std::string(1, '\0')},
                                                               {TOKEN_STRING, "b"},
                                                               {TOKEN_BAD, "~"},
                                                               {TOKEN_BAD, "~"},
                                                               {TOKEN_END, ""}};
    EXPECT_EQ(AllTokens(ts.stream), expected);
}

TEST(TokenStrings, RestOfLineTakesTheRawTextUpToTheLineEnd) {
    TextStream ts("FILE NAME: \"a b\" x\r\nnext\r\n");
    EXPECT_EQ(ts->GetToken(), PH_FILE_NAME);
    ts->SkipBlanks();
    EXPECT_EQ(ts->RestOfLine(), "\"a b\" x");
    EXPECT_EQ(ts->GetTokenCode(), TOKEN_STRING);
    EXPECT_EQ(ts->GetIntValue(), 0);
    EXPECT_EQ(ts->GetToken(), TOKEN_END);
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    // At the end of a line the rest is empty.
    ts->GetToken();
    EXPECT_EQ(ts->RestOfLine(), "");
}

TEST(TokenStrings, NoteErrorRecordsTheTokenAndItsLine) {
    TextStream ts("dasbegin\r\n  channelbegin\r\n  bogus 3\r\n");
    ts->SetSpanLines(true);
    ts->GetToken();
    ts->GetToken();
    EXPECT_EQ(ts->GetErrorCount(), 0u);
    EXPECT_EQ(ts->GetToken(), TOKEN_STRING);
    ts->NoteError();
    ts->GetToken();
    EXPECT_EQ(ts->GetErrorLine(), 3u);
    EXPECT_EQ(ts->GetErrorText(), "bogus");
    EXPECT_EQ(ts->GetErrorCount(), 1u);
    ts->NoteError();
    EXPECT_EQ(ts->GetErrorCount(), 2u);
    EXPECT_EQ(ts->GetErrorText(), "3");
}

} // namespace
