#pragma once
// Sequence test helpers: an application with the registries, the token tables and the
// archive classes ready, an instrument in its list, and a script read from a string.

#include "../config/ConfigFixtures.h"
#include "../text/TextStreams.h"
#include "model/TextFlags.h"
#include "sequences/EGasValue.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceScript.h"
#include "sequences/SequenceSupport.h"
#include "sequences/StepDelay.h"
#include "sequences/StepExecSeq.h"
#include "sequences/StepLevel.h"
#include "sequences/StepPurge.h"
#include "sequences/StepStandby.h"
#include "sequences/StepStatusBlock.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"

namespace seq_test {

// A script read into an instrument as from a file; the stream keeps the first error.
struct ScriptReader : TextStream {
    ScriptReader(const std::string& text, CInstrumentConnection& inst) : TextStream(text) {
        stream.SetSpanLines(true);
        ok = ReadSequenceList(stream, inst);
    }
    bool ok = false;
};

// One sequence holding every step kind with values other than the defaults, and a second one
// without steps whose name has blanks, as the script file holds them.
const char* const kEveryKindScript = "SEQLISTBEGIN\r\n"
                                     "  SEQBEGIN\r\n"
                                     "    NAME \"CAL1\"\r\n"
                                     "    REPEATCOUNT 5\r\n"
                                     "    CCINPUT \"101000000000\"\r\n"
                                     "    CCOUTPUT DISABLED\r\n"
                                     "    TIMER ENABLED\r\n"
                                     "    TIMERSTART 01/15/2004 08:30\r\n"
                                     "    TIMERDELTA 002:03:04\r\n"
                                     "    STEPBEGIN\r\n"
                                     "      GENERATE ZERO\r\n"
                                     "      GENERATE 400 PPB SO2\r\n"
                                     "      GPT 450 PPB 0.4 PPM\r\n"
                                     "      GPTPS 45 PPB 0 PPB\r\n"
                                     "      MANUAL CO 1.500 5.000 REF 250.0\r\n"
                                     "      PURGE\r\n"
                                     "      STANDBY\r\n"
                                     "      DURATION 4.5\r\n"
                                     "      EXECSEQ \"CAL2\"\r\n"
                                     "      SELOUTPUT \"B\"\r\n"
                                     "      SETCCOUTPUT \"100000000001\"\r\n"
                                     "      LEVEL 42\r\n"
                                     "      SETSTATUSBLOCK \"00000001\" DISABLED\r\n"
                                     "    STEPEND\r\n"
                                     "  SEQEND\r\n"
                                     "  SEQBEGIN\r\n"
                                     "    NAME \"Copy of CAL1\"\r\n"
                                     "    REPEATCOUNT 0\r\n"
                                     "    CCINPUT DISABLED\r\n"
                                     "    CCOUTPUT \"000000000000\"\r\n"
                                     "    TIMER DISABLED\r\n"
                                     "    TIMERSTART 01/01/2024 00:00\r\n"
                                     "    TIMERDELTA 001:00:00\r\n"
                                     "  SEQEND\r\n"
                                     "SEQLISTEND\r\n";

inline void FillEveryKind(CInstrumentConnection& inst) {
    ScriptReader read(kEveryKindScript, inst);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read->GetErrorCount(), 0u) << read->GetErrorText();
}

class SeqTest : public ::testing::Test {
protected:
    SeqTest() {
        InitSupportLibrary();
        SortTokenTables();
        CNetworkConfiguration::RegisterClasses();
        CSequenceSupport::Install();
        inst = new CInstrumentConnection;
        inst->SetName("Cal");
        app->Instruments().AddTail(inst);
    }

    CSequence* AddSequence(const std::string& name) {
        auto* seq = new CSequence(inst, name);
        inst->Sequences().AddTail(seq);
        return seq;
    }

    TestApp app;
    CInstrumentConnection* inst = nullptr;
    // The texts of the error boxes shown so far.
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& q : app.prompt.asked)
            texts.push_back(q.text);
        return texts;
    }
};

} // namespace seq_test
