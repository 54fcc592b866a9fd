#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "support_lib/Fakes.h"
#include "support_lib/ScriptedLink.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

namespace {

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

TEST(TokenSources, NeedLineDropsTheRestOfTheCurrentLine) {
    TextStream ts("D 1 2 3\r\nK 4\r\n");
    EXPECT_EQ(ts->GetToken(), KW_D);
    ts->SetNeedLine(true);
    EXPECT_EQ(ts->GetToken(), KW_K);
    EXPECT_EQ(ts->GetCurrentLine(), "K 4\r\n");
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

TEST(TokenStrings, RestOfLineTakesTheRawTextUpToTheLineEnd) {
    TextStream ts("FILE NAME: \"a b\" x\r\nnext\r\n");
    EXPECT_EQ(ts->GetToken(), PH_FILE_NAME);
    ts->SkipBlanks();
    EXPECT_EQ(ts->RestOfLine(), "\"a b\" x");
    EXPECT_EQ(ts->GetTokenCode(), TOKEN_STRING);
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
