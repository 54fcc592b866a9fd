#include "model/InstrumentKeywords.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

namespace {

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
