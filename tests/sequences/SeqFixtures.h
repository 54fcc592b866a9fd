#pragma once
// Sequence test helpers: an application with the registries, the token tables and the
// archive classes ready, an instrument in its list, and a token stream over a string.

#include "../config/ConfigFixtures.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "model/InstrumentTokenStream.h"
#include "model/TextFlags.h"
#include "sequences/EGasValue.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceScript.h"
#include "sequences/SequenceSupport.h"
#include "sequences/StepCCOutput.h"
#include "sequences/StepDelay.h"
#include "sequences/StepExecSeq.h"
#include "sequences/StepGPT.h"
#include "sequences/StepGPTPreset.h"
#include "sequences/StepGenerate.h"
#include "sequences/StepLevel.h"
#include "sequences/StepManual.h"
#include "sequences/StepPurge.h"
#include "sequences/StepSelOutput.h"
#include "sequences/StepStandby.h"
#include "sequences/StepStatusBlock.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"
#include "support/TextSupport.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace seq_test {

// Lines from a string, each with its line end; empty at the end.
class StringTokenStream : public InstrumentTokenStream {
public:
    explicit StringTokenStream(std::string text) : m_text(std::move(text)) {}
    std::string ReadLine() override {
        if (m_pos >= m_text.size())
            return {};
        size_t end = m_text.find('\n', m_pos);
        end = end == std::string::npos ? m_text.size() : end + 1;
        std::string line = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        return line;
    }

private:
    std::string m_text;
    size_t m_pos = 0;
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
    StringTokenStream ts(kEveryKindScript);
    ts.SetSpanLines(true);
    EXPECT_TRUE(ReadSequenceList(ts, inst));
    EXPECT_EQ(ts.GetErrorCount(), 0u) << ts.GetErrorText();
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

using config_test::TempFolder;

} // namespace seq_test
