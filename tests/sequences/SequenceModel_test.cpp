// The sequence and step model: display texts, closure texts, gas values and copies.

#include "SeqFixtures.h"

#include <iterator>
#include <memory>

namespace seq_test {
namespace {

TEST_F(SeqTest, DisplayTextsOfEveryStepKindSurviveACopy) {
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
    FillEveryKind(*inst);
    auto* seq = static_cast<CSequence*>(inst->Sequences().At(0));
    // The copy's steps are its own, and a copied instrument's sequences belong to the copy.
    std::unique_ptr<CSequence> copy(seq->Clone());
    EXPECT_EQ(copy->GetOwner(), inst);
    ASSERT_EQ(copy->Steps().GetCount(), std::size(edited));
    for (size_t i = 0; i < std::size(edited); ++i) {
        SCOPED_TRACE(edited[i]);
        auto* step = static_cast<CStep*>(copy->Steps().At(i));
        EXPECT_EQ(step->GetText(0), edited[i]);
        EXPECT_EQ(step->GetOwner(), copy.get());
        EXPECT_NE(step, seq->Steps().At(i));
    }
    EXPECT_EQ(CStep::Create(KW_SEQEND), nullptr);
    CInstrumentConnection twin(*inst);
    EXPECT_EQ(static_cast<CSequence*>(twin.Sequences().At(1))->GetOwner(), &twin);
    EXPECT_EQ(BuildSequenceScript(twin, kSequenceFileFlags), kEveryKindScript);
}

TEST_F(SeqTest, SequenceDisplayTexts) {
    // clang-format off
    const struct { int steps; int32_t repeat; const char* text; } rows[] = {
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
    const struct { uint32_t bits; bool enabled, highestFirst; int width; bool quote; const char* text; } rows[] = {
        {5, true, false, 12, false, "101000000000"},
        {5, true, true, 8, true, "\"00000101\""},
        {5, false, false, 12, true, "DISABLED"},
        {0x8000, true, false, 12, false, "0000000000000001"}}; // wider than the width
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(
            CContactClosures(row.bits, row.enabled, row.highestFirst).Text(row.width, row.quote),
            row.text);
    }
    // clang-format off
    const struct { const char* text; bool highestFirst, accepted; uint32_t bits; } reads[] = {
        {"0001", true, true, 1}, {"0001", false, true, 8}, {"  11", false, true, 3},
        {"102", false, false, 77}, {"1 1", false, false, 77}};
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
        {EGasValue(400, UNIT_PPB, GAS_SO2), 56, "400 PPB"},
        {EGasValue(400, UNIT_PPB, GAS_SO2), 0x10 | 3, "400.000"},
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
    v.SetGasByName("no");
    EXPECT_LT(v.Value(UNIT_UGM), so2);
    EXPECT_FALSE(v.SetUnitByName("FURLONG"));
    // An unregistered gas keeps the raw value and converts to nothing.
    EGasValue raw(3, UNIT_PPB, 999);
    EXPECT_FLOAT_EQ(raw.GetFraction(), 3.0f);
    EXPECT_EQ(raw.Value(UNIT_PPB), 0.0);
}

} // namespace
} // namespace seq_test
