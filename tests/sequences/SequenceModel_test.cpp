// The sequence and step model: display and script texts, closure texts, gas values, owners,
// copies and limits.

#include "SeqFixtures.h"

#include <iterator>
#include <memory>

namespace seq_test {
namespace {

TEST_F(SeqTest, StepDisplayTextsOfNewAndEditedSteps) {
    // clang-format off
    const struct { int keyword; const char* text; bool editable; } fresh[] = {
        {KW_GENERATE, "GENERATE ZERO", true},
        {KW_GPT, "GPT 0 PPB NO 0 PPB O3", true},
        {KW_GPTPS, "GPT PRESET 0 PPB NO 0 PPB O3", true},
        {KW_MANUAL, "MANUAL ZERO 0.000 0.000 OFF", true},
        {KW_PURGE, "PURGE", false},
        {KW_STANDBY, "STANDBY", false},
        {KW_DELAY, "DURATION 0.0 MIN", true},
        {KW_DURATION, "DURATION 0.0 MIN", true},
        {KW_EXECSEQ, "EXECUTE SEQUENCE ", true},
        {KW_SELOUTPUT, "SELECT OUTPUT A", true},
        {KW_SETCCOUTPUT, "SET CC OUTPUT 000000000000", true},
        {KW_LEVEL, "LEVEL 10", true},
        {KW_SETSTATUSBLOCK, "SET STATUS BLOCK 00000000 00000000", true}};
    // clang-format on
    for (const auto& row : fresh) {
        SCOPED_TRACE(row.text);
        std::unique_ptr<CStep> step(CStep::Create(row.keyword));
        ASSERT_NE(step, nullptr);
        EXPECT_EQ(step->GetText(0), row.text);
        EXPECT_EQ(step->IsEditable(), row.editable);
    }
    EXPECT_EQ(CStep::Create(KW_SEQEND), nullptr);

    FillEveryKind(*inst);
    const char* const edited[] = {"GENERATE ZERO",
                                  "GENERATE 400 PPB SO2",
                                  "GPT 450 PPB NO 0.4 PPM O3",
                                  "GPT PRESET 45 PPB NO 0 PPB O3",
                                  "MANUAL CO 1.500 5.000 REF 250.0",
                                  "PURGE",
                                  "STANDBY",
                                  "DURATION 4.5 MIN",
                                  "EXECUTE SEQUENCE CAL2",
                                  "SELECT OUTPUT B",
                                  "SET CC OUTPUT 100000000001",
                                  "LEVEL 42",
                                  "SET STATUS BLOCK 00000001 DISABLED"};
    auto* seq = static_cast<CSequence*>(inst->Sequences().At(0));
    ASSERT_EQ(seq->Steps().GetCount(), std::size(edited));
    for (size_t i = 0; i < std::size(edited); ++i) {
        auto* step = static_cast<CStep*>(seq->Steps().At(i));
        EXPECT_EQ(step->GetText(0), edited[i]);
        std::unique_ptr<CStep> copy(step->Clone());
        EXPECT_EQ(copy->GetText(TEXT_SCRIPT), step->GetText(TEXT_SCRIPT)) << edited[i];
    }
}

TEST_F(SeqTest, SequenceDisplayTexts) {
    // clang-format off
    const struct { int steps; int32_t repeat; const char* text; } rows[] = {
        {0, 1, "NONE, 0 STEPS"},
        {1, 1, "NONE, 1 STEP"},
        {2, 0, "NONE, 2 STEPS, RUN UNTIL HALTED"},
        {3, 5, "NONE, 3 STEPS, RUN 5 TIMES"}};
    // clang-format on
    for (const auto& row : rows) {
        CSequence seq(inst);
        for (int i = 0; i < row.steps; ++i)
            seq.AddStep(new CStepPurge);
        seq.SetRepeatCount(row.repeat);
        EXPECT_EQ(seq.GetText(0), row.text);
    }
}

TEST_F(SeqTest, ClosureTextsBothWays) {
    // clang-format off
    const struct {
        uint32_t bits;
        bool enabled, highestFirst;
        int width;
        bool quote;
        const char* text;
    } rows[] = {
        {5, true, false, 12, false, "101000000000"},
        {5, true, true, 8, true, "\"00000101\""},
        {5, false, false, 12, true, "DISABLED"},
        {0x8000, true, false, 12, false, "0000000000000001"}, // wider than the width
        {0, true, false, 0, false, "0"}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(
            CContactClosures(row.bits, row.enabled, row.highestFirst).Text(row.width, row.quote),
            row.text);
    }
    // clang-format off
    const struct { const char* text; bool highestFirst, accepted; uint32_t bits; } reads[] = {
        {"101", false, true, 5}, {"0001", true, true, 1}, {"0001", false, true, 8},
        {"", false, true, 0}, {"  11", false, true, 3}, {"102", false, false, 77},
        {"1 1", false, false, 77}};
    // clang-format on
    for (const auto& row : reads) {
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

TEST_F(SeqTest, CopiesBelongToTheirOwners) {
    CSequence* seq = AddSequence("CAL1");
    seq->AddStep(new CStepLevel);
    seq->AddStep(new CStepPurge);
    std::unique_ptr<CSequence> copy(seq->Clone());
    EXPECT_EQ(copy->GetOwner(), inst);
    ASSERT_EQ(copy->Steps().GetCount(), 2u);
    for (CNamedObject* obj : copy->Steps())
        EXPECT_EQ(static_cast<CStep*>(obj)->GetOwner(), copy.get());
    EXPECT_NE(copy->Steps().At(0), seq->Steps().At(0));
    // A copied instrument's sequences belong to the copy.
    CInstrumentConnection twin(*inst);
    ASSERT_EQ(twin.Sequences().GetCount(), 1u);
    EXPECT_EQ(static_cast<CSequence*>(twin.Sequences().At(0))->GetOwner(), &twin);
}

} // namespace
} // namespace seq_test
