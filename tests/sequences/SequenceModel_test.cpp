// The sequence and step model: display and script texts, closure texts, gas values, owners,
// copies and limits.

#include "SeqFixtures.h"
#include "model/TextFlags.h"
#include "sequences/EGasValue.h"
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

#include <functional>
#include <memory>

namespace seq_test {
namespace {

struct StepRow {
    std::function<CStep*()> make;
    const char* display;
    const char* script;      // TEXT_SCRIPT
    const char* scriptNames; // TEXT_SCRIPT | TEXT_STEP_NAMES
    bool editable;
};

template <class T> std::function<CStep*()> Default() {
    return [] { return new T; };
}

TEST_F(SeqTest, StepTextsInEveryForm) {
    const StepRow rows[] = {
        {Default<CStepGenerate>(), "GENERATE ZERO", "GENERATE ZERO", "GENERATE ZERO", true},
        {[] {
             auto* s = new CStepGenerate;
             s->SetConcentration(EGasValue(400, UNIT_PPB, GAS_SO2));
             return s;
         },
         "GENERATE 400 PPB SO2", "GENERATE 400 PPB SO2", "GENERATE 400 PPB SO2", true},
        {[] {
             auto* s = new CStepGenerate;
             s->SetConcentration(EGasValue(12.34, UNIT_PPM, GAS_CO));
             return s;
         },
         "GENERATE 12.3 PPM CO", "GENERATE 12.3 PPM CO", "GENERATE 12.3 PPM CO", true},
        {Default<CStepGPT>(), "GPT 0 PPB NO 0 PPB O3", "GPT 0 PPB 0 PPB", "GPT 0 PPB 0 PPB", true},
        {[] {
             auto* s = new CStepGPTPreset;
             s->SetNO(EGasValue(450, UNIT_PPB, GAS_NO));
             s->SetO3(EGasValue(400, UNIT_PPB, GAS_O3));
             return s;
         },
         "GPT PRESET 450 PPB NO 400 PPB O3", "GPTPS 450 PPB 400 PPB", "GPTPS 450 PPB 400 PPB",
         true},
        {Default<CStepManual>(), "MANUAL ZERO 0.000 0.000 OFF", "MANUAL ZERO 0.000 0.000 OFF",
         "MANUAL ZERO 0.000 0.000 OFF", true},
        {[] {
             auto* s = new CStepManual;
             s->SetCalFlow(1);
             s->SetDiluentFlow(5);
             s->SetMode(CStepManual::MODE_CONST);
             s->SetSetpoint(250);
             return s;
         },
         "MANUAL ZERO 1.000 5.000 CONST 250.0", "MANUAL ZERO 1.000 5.000 CONST 250.0",
         "MANUAL ZERO 1.000 5.000 CONST 250.0", true},
        {[] {
             auto* s = new CStepManual;
             s->SetGasId(GAS_NO2);
             s->SetMode(CStepManual::MODE_BENCH);
             s->SetSetpoint(80.25f);
             return s;
         },
         "MANUAL NO2 0.000 0.000 BENCH 80.2", "MANUAL NO2 0.000 0.000 BENCH 80.2",
         "MANUAL NO2 0.000 0.000 BENCH 80.2", true},
        {Default<CStepPurge>(), "PURGE", "PURGE", "PURGE", false},
        {Default<CStepStandby>(), "STANDBY", "STANDBY", "STANDBY", false},
        {[] {
             auto* s = new CStepDelay;
             s->SetMinutes(4.5f);
             return s;
         },
         "DURATION 4.5 MIN", "DELAY 4.5", "DURATION 4.5", true},
        {[] {
             auto* s = new CStepExecSeq;
             s->SetSequenceName("CAL2");
             return s;
         },
         "EXECUTE SEQUENCE CAL2", "EXECSEQ \"CAL2\"", "EXECSEQ \"CAL2\"", true},
        {Default<CStepSelOutput>(), "SELECT OUTPUT A", "SELOUTPUT \"A\"", "SELOUTPUT \"A\"", true},
        {[] {
             auto* s = new CStepSelOutput;
             s->SetOutput(1);
             return s;
         },
         "SELECT OUTPUT B", "SELOUTPUT \"B\"", "SELOUTPUT \"B\"", true},
        {[] {
             auto* s = new CStepCCOutput;
             s->SetOutputs(CContactClosures(1, true, false));
             return s;
         },
         "SET CC OUTPUT 100000000000", "SETCCOUTPUT \"100000000000\"",
         "SETCCOUTPUT \"100000000000\"", true},
        {Default<CStepLevel>(), "LEVEL 10", "LEVEL 10", "LEVEL 10", true},
        {[] {
             auto* s = new CStepStatusBlock;
             s->SetBlock1(CContactClosures(1, true, true));
             return s;
         },
         "SET STATUS BLOCK 00000001 00000000", "SETSTATUSBLOCK \"00000001\" \"00000000\"",
         "SETSTATUSBLOCK \"00000001\" \"00000000\"", true},
    };
    for (const StepRow& row : rows) {
        std::unique_ptr<CStep> step(row.make());
        SCOPED_TRACE(row.display);
        EXPECT_EQ(step->GetText(0), row.display);
        EXPECT_EQ(step->GetText(TEXT_SCRIPT), row.script);
        EXPECT_EQ(step->GetText(TEXT_SCRIPT | TEXT_STEP_NAMES), row.scriptNames);
        EXPECT_EQ(step->IsEditable(), row.editable);
        std::unique_ptr<CStep> copy(step->Clone());
        EXPECT_EQ(copy->GetText(TEXT_SCRIPT), row.script);
        EXPECT_STREQ(copy->GetClassName(), step->GetClassName());
    }
}

TEST_F(SeqTest, SequenceDisplayTexts) {
    const struct {
        int steps;
        int32_t repeat;
        const char* text;
    } rows[] = {
        {0, 1, "NONE, 0 STEPS"},
        {1, 1, "NONE, 1 STEP"},
        {2, 0, "NONE, 2 STEPS, RUN UNTIL HALTED"},
        {3, 5, "NONE, 3 STEPS, RUN 5 TIMES"},
    };
    for (const auto& row : rows) {
        CSequence seq(inst);
        for (int i = 0; i < row.steps; ++i)
            seq.AddStep(new CStepPurge);
        seq.SetRepeatCount(row.repeat);
        EXPECT_EQ(seq.GetText(0), row.text);
    }
}

TEST_F(SeqTest, ClosureTexts) {
    const struct {
        uint32_t bits;
        bool enabled, highestFirst;
        int width;
        bool quote;
        const char* text;
    } rows[] = {
        {5, true, false, 12, false, "101000000000"},
        {5, true, true, 8, false, "00000101"},
        {5, true, true, 8, true, "\"00000101\""},
        {5, false, false, 12, true, "DISABLED"},
        {0x8000, true, false, 12, false, "0000000000000001"}, // wider than the width
        {0, true, false, 0, false, "0"},
        {0, true, false, 12, true, "\"000000000000\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(
            CContactClosures(row.bits, row.enabled, row.highestFirst).Text(row.width, row.quote),
            row.text);
    }
}

TEST_F(SeqTest, ClosuresFromText) {
    const struct {
        const char* text;
        bool highestFirst;
        bool accepted;
        uint32_t bits;
    } rows[] = {
        {"101", false, true, 5},   {"101", true, true, 5},    {"0001", true, true, 1},
        {"0001", false, true, 8},  {"", false, true, 0},      {"  11", false, true, 3},
        {"102", false, false, 77}, {"1 1", false, false, 77}, {"x", true, false, 77},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        CContactClosures set(77, false, row.highestFirst);
        EXPECT_EQ(set.FromText(row.text), row.accepted);
        EXPECT_EQ(set.GetBits(), row.bits);
    }
}

TEST_F(SeqTest, GasValueTextsAndConversions) {
    const struct {
        EGasValue value;
        unsigned flags;
        const char* text;
    } rows[] = {
        {EGasValue(400, UNIT_PPB, GAS_SO2), 120, "400 PPB SO2"},
        {EGasValue(400, UNIT_PPB, GAS_SO2), 56, "400 PPB"},
        {EGasValue(400, UNIT_PPB, GAS_SO2), 0x10 | 3, "400.000"},
        {EGasValue(0, UNIT_PPB, GAS_ZERO), 120, "ZERO"},
        {EGasValue(5, UNIT_PPB, GAS_ZERO), 56, ""},
        {EGasValue(), 120, "UNKNOWN"},
        {EGasValue(7, 999, GAS_SO2), 120, "7 INVALID SO2"}, // converts as FRAC, no decimals
        {EGasValue(7, UNIT_PPB, 999), 0x60, "PPB INVALID"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.value.Text(row.flags), row.text);
    }
    // Mass units depend on the gas: the same fraction is more UGM of a heavier gas.
    EGasValue v(100, UNIT_PPB, GAS_SO2);
    EXPECT_NEAR(v.Value(UNIT_PPM), 0.1, 1e-6);
    const double so2 = v.Value(UNIT_UGM);
    v.SetGasId(GAS_NO);
    EXPECT_LT(v.Value(UNIT_UGM), so2);
    // Changing the gas recomputes the stored fraction from the value in its unit.
    EGasValue mass(100, UNIT_UGM, GAS_SO2);
    const float before = mass.GetFraction();
    mass.SetGasByName("no");
    mass.SetValue(100, UNIT_UGM);
    EXPECT_GT(mass.GetFraction(), before);
    EXPECT_FALSE(mass.SetUnitByName("FURLONG"));
    EXPECT_EQ(mass.GetUnitId(), UNIT_UGM);
    // An unregistered gas keeps the raw value and converts to nothing.
    EGasValue raw(3, UNIT_PPB, 999);
    EXPECT_FLOAT_EQ(raw.GetFraction(), 3.0f);
    EXPECT_EQ(raw.Value(UNIT_PPB), 0.0);
}

TEST_F(SeqTest, OwnersCopiesAndLimits) {
    CSequence* seq = AddSequence("CAL1");
    for (size_t i = 0; i < CSequence::MAX_STEPS - 1; ++i)
        seq->AddStep(new CStepLevel);
    EXPECT_TRUE(seq->CanAddStep());
    seq->AddStep(new CStepPurge);
    EXPECT_FALSE(seq->CanAddStep());
    for (CNamedObject* obj : seq->Steps())
        ASSERT_EQ(static_cast<CStep*>(obj)->GetOwner(), seq);

    std::unique_ptr<CSequence> copy(seq->Clone());
    EXPECT_EQ(copy->GetOwner(), inst);
    EXPECT_EQ(copy->Steps().GetCount(), CSequence::MAX_STEPS);
    for (CNamedObject* obj : copy->Steps())
        ASSERT_EQ(static_cast<CStep*>(obj)->GetOwner(), copy.get());
    EXPECT_NE(copy->Steps().At(0), seq->Steps().At(0));

    // A copied instrument's sequences belong to the copy.
    CInstrumentConnection twin(*inst);
    ASSERT_EQ(twin.Sequences().GetCount(), 1u);
    EXPECT_EQ(static_cast<CSequence*>(twin.Sequences().At(0))->GetOwner(), &twin);

    for (size_t i = 1; i < CSequence::MAX_SEQUENCES - 1; ++i)
        AddSequence("S" + std::to_string(i));
    EXPECT_TRUE(inst->CanAddSequence());
    AddSequence("LAST");
    EXPECT_FALSE(inst->CanAddSequence());
}

} // namespace
} // namespace seq_test
