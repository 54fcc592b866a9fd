#pragma once
// Sequence test helpers: an application with the registries, the token tables and the
// archive classes ready, an instrument in its list, and a token stream over a string.

#include "../config/ConfigFixtures.h"
#include "instruments/InstrumentConnection.h"
#include "model/InstrumentKeywords.h"
#include "model/InstrumentTokenStream.h"
#include "sequences/EGasValue.h"
#include "sequences/Sequence.h"
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
// without steps whose name has blanks.
inline void FillEveryKind(CInstrumentConnection& inst) {
    auto* seq = new CSequence(&inst, "CAL1");
    seq->SetRepeatCount(5);
    seq->SetCCInputs(CContactClosures(5, true, false));
    seq->SetTimerEnabled(true);
    seq->SetTimerStart(DateTime(2004, 1, 15, 8, 30, 0));
    seq->SetTimerPeriod(TimeSpan(2, 3, 4, 0));
    auto* gen = new CStepGenerate;
    gen->SetConcentration(EGasValue(400, UNIT_PPB, GAS_SO2));
    auto* gpt = new CStepGPT;
    gpt->SetNO(EGasValue(450, UNIT_PPB, GAS_NO));
    gpt->SetO3(EGasValue(0.4, UNIT_PPM, GAS_O3));
    auto* gptps = new CStepGPTPreset;
    gptps->SetNO(EGasValue(45, UNIT_PPB, GAS_NO));
    auto* manual = new CStepManual;
    manual->SetGasId(GAS_CO);
    manual->SetCalFlow(1.5f);
    manual->SetDiluentFlow(5);
    manual->SetMode(CStepManual::MODE_REF);
    manual->SetSetpoint(250);
    auto* delay = new CStepDelay;
    delay->SetMinutes(4.5f);
    auto* exec = new CStepExecSeq;
    exec->SetSequenceName("CAL2");
    auto* sel = new CStepSelOutput;
    sel->SetOutput(1);
    auto* cc = new CStepCCOutput;
    cc->SetOutputs(CContactClosures(0x801, true, false));
    auto* level = new CStepLevel;
    level->SetLevel(42);
    auto* status = new CStepStatusBlock;
    status->SetBlock1(CContactClosures(1, true, true));
    status->SetBlock2(CContactClosures(0, false, true));
    for (CStep* s :
         std::initializer_list<CStep*>{new CStepGenerate, gen, gpt, gptps, manual, new CStepPurge,
                                       new CStepStandby, delay, exec, sel, cc, level, status})
        seq->AddStep(s);
    inst.Sequences().AddTail(seq);
    auto* copy = new CSequence(&inst, "Copy of CAL1");
    copy->SetRepeatCount(0);
    copy->SetCCOutputs(CContactClosures(0, true, false));
    inst.Sequences().AddTail(copy);
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
