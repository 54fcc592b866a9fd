// Fetching and sending sequences through the transfer frame, against a scripted transport:
// the bytes on the wire, the messages to the window and what the model keeps.

#include "SeqFixtures.h"
#include "connections/SiteConnection.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentRequestHandler.h"
#include "model/CommInstrumentTokenStream.h"
#include "sequences/SequenceTransfer.h"
#include "support_lib/ScriptedLink.h"

namespace seq_test {
namespace {

using config_test::ReadAll;

const char* const kPrintScript = "\x03"
                                 "c print script\r\n";

const std::string kTwoSequences = "SEQLISTBEGIN\r\n"
                                  "  SEQBEGIN\r\n    NAME \"ZERO\"\r\n"
                                  "    STEPBEGIN\r\n      GENERATE ZERO\r\n      DELAY 10.0\r\n"
                                  "    STEPEND\r\n  SEQEND\r\n"
                                  "\r\n" // a blank line inside the listing does not end it
                                  "  SEQBEGIN\r\n    NAME \"SPAN\"\r\n    REPEATCOUNT 3\r\n"
                                  "  SEQEND\r\n"
                                  "SEQLISTEND\r\n";

class SeqTransferTest : public SeqTest {
protected:
    SeqTransferTest() {
        site = new CSiteConnection;
        site->SetName("North");
        site->SetConnection(&link);
        app->Sites().AddTail(site);
        inst->SetSiteId(site->GetId());
        inst->SetSiteInUse(site);
        site->OpenLink(inst);
        inst->SetConnected(true);
        inst->SetStream(std::make_unique<CommInstrumentTokenStream>(link, 2000));
    }
    // Runs one request as the site worker would; the window's messages come back.
    std::unique_ptr<RecordingTarget> Run(unsigned message) {
        auto window = std::make_unique<RecordingTarget>();
        InstrumentRequest request;
        request.window = window.get();
        CInstrumentRequestHandler::Handle(message, *inst, 0, &request);
        return window;
    }
    static size_t RangeOf(const RecordingTarget& window) {
        for (const auto& m : window.Messages())
            if (m.message == MSG_SEQ_PROGRESS_RANGE)
                return m.wParam;
        return 0;
    }

    ScriptedLink& link = *new ScriptedLink; // the site owns it
    CSiteConnection* site = nullptr;
};

TEST_F(SeqTransferTest, FetchReadsTheListingAndJudgesItsEnd) {
    const struct {
        const char* name;
        std::string reply;
        bool ok;
        size_t kept;
    } rows[] = {
        {"two sequences", kTwoSequences, true, 2},
        {"repeat count out of range",
         "SEQLISTBEGIN SEQBEGIN NAME \"A\" REPEATCOUNT 101 SEQEND SEQLISTEND\r\n", true, 1},
        {"stops halfway", kTwoSequences.substr(0, kTwoSequences.find("  SEQBEGIN\r\n    NAME \"S")),
         false, 1},
        {"text after the end", kTwoSequences + "MORE\r\n", false, 2},
        {"a bad step", "SEQLISTBEGIN SEQBEGIN STEPBEGIN LEVEL 5 STEPEND SEQEND SEQLISTEND\r\n",
         false, 0},
        {"no reply", "", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        link.ClearWrites();
        link.On(kPrintScript, row.reply, 1);
        AddSequence("OLD");
        inst->SetSequencesModified(true);
        const auto window = Run(MSG_GET_SEQUENCES);
        EXPECT_EQ(window->Count(row.ok ? MSG_SEQ_FETCH_DONE : MSG_SEQ_FETCH_FAILED), 1u);
        EXPECT_EQ(RangeOf(*window), 100u);
        EXPECT_EQ(link.Writes(), std::vector<std::string>{kPrintScript});
        EXPECT_EQ(inst->Sequences().GetCount(), row.kept);
        EXPECT_EQ(window->Count(MSG_SEQ_PROGRESS_STEP), row.kept);
        EXPECT_EQ(inst->GetSequencesModified(), !row.ok);
        EXPECT_FALSE(inst->GetStream()->GetSpanLines());
        EXPECT_FALSE(site->IsBusy());
    }
    ASSERT_EQ(inst->Sequences().GetCount(), 0u);

    inst->SetConnected(false);
    EXPECT_EQ(Run(MSG_GET_SEQUENCES)->Count(MSG_SEQ_FETCH_FAILED), 1u);
}

TEST_F(SeqTransferTest, SendWritesTheScriptLineByLineAndWaitsForTheConfirmation) {
    CSequence* seq = AddSequence("ZERO");
    auto* delay = new CStepDelay;
    delay->SetMinutes(10);
    seq->AddStep(delay);
    // The script, whose bytes the script tests pin, goes out one line per write.
    std::vector<std::string> lines;
    const std::string script = BuildSequenceScript(*inst, TEXT_SCRIPT);
    for (size_t at = 0, end; at < script.size(); at = end + 2)
        lines.push_back(script.substr(at, (end = script.find("\r\n", at)) + 2 - at));
    ASSERT_EQ(lines[10], "      DELAY 10.0\r\n");

    const auto unconfirmed = Run(MSG_SEND_SEQUENCES);
    EXPECT_EQ(unconfirmed->Count(MSG_SEQ_SEND_FAILED), 1u);
    EXPECT_EQ(link.Writes(), lines);
    EXPECT_EQ(RangeOf(*unconfirmed), lines.size());
    EXPECT_EQ(unconfirmed->Count(MSG_SEQ_PROGRESS_STEP), lines.size());

    // An instrument that knows the duration step by its name gets that name.
    std::vector<std::string> named = lines;
    named[10] = "      DURATION 10.0\r\n";
    inst->SetCapabilities(CAP_CALIBRATOR | CAP_CAL_SCRIPT | CAP_CAL_DURATION);
    inst->SetSequencesModified(true);
    link.ClearWrites();
    link.On("SEQLISTEND\r\n", "New sequence configuration stored.\r\n");
    EXPECT_EQ(Run(MSG_SEND_SEQUENCES)->Count(MSG_SEQ_SEND_DONE), 1u);
    EXPECT_EQ(link.Writes(), named);
    EXPECT_FALSE(inst->GetSequencesModified());
    EXPECT_EQ(inst->GetStream()->GetReceiveTimeout(), 2000u);

    // A name the script cannot hold is refused before anything is sent; the log says why.
    TempFolder folder;
    app->SetLogPath(folder.File("Log.txt"));
    app->SetLogFilters(false, false, true);
    app->OpenLog();
    seq->SetName("A\"B");
    link.ClearWrites();
    EXPECT_EQ(Run(MSG_SEND_SEQUENCES)->Count(MSG_SEQ_SEND_FAILED), 1u);
    EXPECT_TRUE(link.Writes().empty());
    app->CloseLog();
    EXPECT_NE(ReadAll(folder.File("Log.txt")).find("Sequence 'A\"B' has a double quote"),
              std::string::npos);
}

} // namespace
} // namespace seq_test
