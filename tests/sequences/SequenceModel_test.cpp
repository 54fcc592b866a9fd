// The sequence and step model: display texts, copies, closure texts and gas values.

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
    EXPECT_EQ(seq->GetText(0), "CAL1, 13 STEPS, RUN 5 TIMES");
    EXPECT_EQ(static_cast<CSequence*>(inst->Sequences().At(1))->GetText(0),
              "Copy of CAL1, 0 STEPS, RUN UNTIL HALTED");
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
}

TEST_F(SeqTest, ClosureTextsWiderThanTheirWidthAndLooselyTyped) {
    EXPECT_EQ(CContactClosures(0x8000, true, false).Text(12, false), "0000000000000001");
    CContactClosures set(77, false, false);
    EXPECT_TRUE(set.FromText("  11"));
    EXPECT_EQ(set.GetBits(), 3u);
    EXPECT_FALSE(set.FromText("1 1"));
    EXPECT_EQ(set.GetBits(), 3u);
}

TEST_F(SeqTest, GasValueTextsAndConversions) {
    const struct {
        EGasValue value;
        unsigned flags;
        const char* text;
    } rows[] = {
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
}

} // namespace
} // namespace seq_test
