#include "support/ByteStream.h"
#include "support/GasUnitRegistry.h"
#include "support/NamedObjectList.h"
#include "support/TextSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class GasUnit : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InitSupportLibrary()); }
    static EGasDesc& Gas(const char* name) {
        EGasDesc* g = FindGasByName(name);
        EXPECT_NE(g, nullptr) << name;
        return *g;
    }
};

const uint32_t kAllUnits[] = {UNIT_FRAC, UNIT_PCT, UNIT_WTPCT, UNIT_PPT, UNIT_PPM, UNIT_PPMW,
                              UNIT_PPHM, UNIT_PPB, UNIT_GM3,   UNIT_MGM, UNIT_UGM, UNIT_NGM};

TEST_F(GasUnit, BuiltInTablesInRegistrationOrder) {
    const NamedObjectList* gases = GasList();
    const NamedObjectList* units = UnitList();
    ASSERT_NE(gases, nullptr);
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(gases->GetCount(), 18u);
    EXPECT_EQ(units->GetCount(), 12u);
    EXPECT_EQ(static_cast<EGasDesc*>(gases->Head()->object)->GetName().str(), "UNKNOWN");
    EXPECT_EQ(static_cast<EGasDesc*>(gases->Tail()->object)->GetName().str(), "USER4");
    EXPECT_EQ(static_cast<EUnitDesc*>(units->Head()->object)->GetName().str(), "FRAC");
    EXPECT_EQ(static_cast<EUnitDesc*>(units->Tail()->object)->GetName().str(), "NGM");
    EXPECT_TRUE(gases->IsIndexCurrent(NamedObjectList::INDEX_BY_NAME));
    EXPECT_TRUE(units->IsIndexCurrent(NamedObjectList::INDEX_BY_ID));
    EXPECT_FLOAT_EQ(FindGas(GAS_H2S)->GetMolecularWeight(), 34.07588f);
    EXPECT_TRUE(FindGas(GAS_USER3)->IsEnabled());
    EXPECT_EQ(FindUnit(UNIT_PCT)->GetDecimals(), 3);
    EXPECT_EQ(FindUnit(UNIT_FRAC)->GetDecimals(), 4);
    // Running start-up again adds nothing.
    InitSupportLibrary();
    EXPECT_EQ(GasList()->GetCount(), 18u);
}

TEST_F(GasUnit, LookupsIgnoreCase) {
    EXPECT_EQ(FindUnitByName("ppb"), FindUnit(UNIT_PPB));
    EXPECT_EQ(FindUnitByName("wt%"), FindUnit(UNIT_WTPCT));
    EXPECT_EQ(FindGasByName("nOx"), FindGas(GAS_NOX));
    EXPECT_EQ(FindGasByName("PPB"), nullptr);
    EXPECT_EQ(FindUnit(12345), nullptr);
}

TEST_F(GasUnit, SulfurDioxideFromPpbToUgm) {
    EGasDesc& so2 = Gas("SO2");
    EXPECT_NEAR(so2.GetDensity(), 2.858, 1e-3);
    const double f = so2.ToFraction(400, UNIT_PPB);
    EXPECT_DOUBLE_EQ(f, 4e-7);
    EXPECT_NEAR(so2.FromFraction(f, UNIT_UGM), 1143.2, 0.1);
    EXPECT_NEAR(so2.FromFraction(f, UNIT_MGM), 1.1432, 1e-4);
    EXPECT_NEAR(so2.FromFraction(f, UNIT_GM3), 0.0011432, 1e-7);
    EXPECT_NEAR(so2.ToFraction(1143.2, UNIT_UGM), 4e-7, 1e-10);
}

TEST_F(GasUnit, NgmIsPpbWithoutDensity) {
    for (const char* name : {"SO2", "NH3", "CO2"}) {
        EGasDesc& g = Gas(name);
        EXPECT_DOUBLE_EQ(g.FromFraction(3.5e-8, UNIT_NGM), g.FromFraction(3.5e-8, UNIT_PPB));
        EXPECT_DOUBLE_EQ(g.ToFraction(35, UNIT_NGM), g.ToFraction(35, UNIT_PPB));
    }
}

TEST_F(GasUnit, ScaleUnits) {
    EGasDesc& no = Gas("NO");
    const double f = 0.0125;
    EXPECT_DOUBLE_EQ(no.FromFraction(f, UNIT_FRAC), f);
    EXPECT_DOUBLE_EQ(no.FromFraction(f, UNIT_PCT), 1.25);
    EXPECT_DOUBLE_EQ(no.FromFraction(f, UNIT_PPT), 12.5);
    EXPECT_DOUBLE_EQ(no.FromFraction(f, UNIT_PPM), 12500);
    EXPECT_DOUBLE_EQ(no.FromFraction(f, UNIT_PPHM), 1.25e6);
    EXPECT_DOUBLE_EQ(no.FromFraction(f, UNIT_PPB), 1.25e7);
}

TEST_F(GasUnit, CarrierWeightGasHasPpmwEqualToPpm) {
    EGasDesc& zero = Gas("ZERO");
    const double f = 2.5e-5;
    EXPECT_NEAR(zero.FromFraction(f, UNIT_PPMW), zero.FromFraction(f, UNIT_PPM), 1e-9);
    EXPECT_NEAR(zero.FromFraction(f, UNIT_WTPCT), zero.FromFraction(f, UNIT_PCT), 1e-12);
    // The iteration settles in its first round: the answer is exact.
    EXPECT_DOUBLE_EQ(zero.ToFraction(25, UNIT_PPMW), 25 * 1e-6);
}

TEST_F(GasUnit, MassFractionsConvertBothWays) {
    EGasDesc& co2 = Gas("CO2");
    const double f = 0.05;
    const double w = co2.FromFraction(f, UNIT_WTPCT) / 100.0;
    EXPECT_NEAR(w, 44.0098 * f / ((1 - f) * 28.890188 + 44.0098 * f), 1e-6);
    EXPECT_NEAR(co2.ToFraction(w * 100.0, UNIT_WTPCT), f, 1e-5);
    EXPECT_NEAR(co2.ToFraction(co2.FromFraction(4e-4, UNIT_PPMW), UNIT_PPMW), 4e-4, 1e-9);
}

TEST_F(GasUnit, EveryUnitRoundTripsForEveryGas) {
    const NamedObjectList* gases = GasList();
    for (ListNode* n = gases->Head(); n; n = n->next) {
        const auto* gas = static_cast<EGasDesc*>(n->object);
        for (uint32_t unit : kAllUnits) {
            const double f = 1.5e-4;
            const double v = gas->FromFraction(f, unit);
            EXPECT_NEAR(gas->ToFraction(v, unit) / f, 1.0, 1e-4)
                << gas->GetName().str() << " unit " << unit;
        }
    }
}

TEST_F(GasUnit, UnregisteredUnitConvertsAsFraction) {
    EGasDesc& o3 = Gas("O3");
    EXPECT_DOUBLE_EQ(o3.FromFraction(0.3, 777), 0.3);
    EXPECT_DOUBLE_EQ(o3.ToFraction(0.3, 777), 0.3);
}

TEST_F(GasUnit, DensityFollowsTemperatureAndPressure) {
    EGasDesc gas(GAS_USER1, "USER1", 28.890188f);
    const float atZero = gas.GetDensity();
    gas.SetTemperature(25.0f);
    EXPECT_NEAR(gas.GetDensity(), atZero * 273.15 / 298.15, 1e-5);
    gas.SetPressure(2.0f);
    EXPECT_NEAR(gas.GetDensity(), 2 * atZero * 273.15 / 298.15, 1e-5);
    gas.SetMolecularWeight(0.0f);
    EXPECT_EQ(gas.GetDensity(), 0.0f);
    EXPECT_EQ(gas.ToFraction(5, UNIT_UGM), 0.0); // no density, no division by it
}

TEST_F(GasUnit, DefinitionLines) {
    EGasDesc so2(GAS_SO2, "SO2", 64.0588f);
    EXPECT_EQ(so2.GetDescription(DESC_DEFINITION).str(), "GASNAME \"SO2\" 102 64.06 1.00");
    so2.SetAltName("Sulfur dioxide");
    so2.SetEnabled(false);
    EXPECT_EQ(so2.GetDescription(DESC_DEFINITION).str(),
              "GASNAME \"SO2\" \"Sulfur dioxide\" 102 64.06 1.00 DISABLE");
    EXPECT_EQ(so2.GetDescription(0).str(), "SO2");
    EUnitDesc ppm(UNIT_PPM, "PPM", 1);
    EXPECT_EQ(ppm.GetDescription(DESC_DEFINITION).str(), "GASUNIT \"PPM\" 201 1");
    std::string line;
    ppm.WriteDefinition([&](const SupportString& s) { line = s.str(); }, 0);
    EXPECT_EQ(line, "GASUNIT \"PPM\" 201 1");
    EXPECT_EQ(ppm.GetObjectCode(), 100);
}

TEST_F(GasUnit, AssignFromCopiesTheGasAndRecomputesDensity) {
    EGasDesc source(GAS_NO2, "NO2", 46.0055f);
    source.SetTemperature(20.0f);
    source.SetCoefficient(0.95f);
    EGasDesc copy;
    ASSERT_TRUE(copy.AssignFrom(source, 0));
    EXPECT_EQ(copy.GetName().str(), "NO2");
    EXPECT_EQ(copy.GetId(), GAS_NO2);
    EXPECT_FLOAT_EQ(copy.GetCoefficient(), 0.95f);
    EXPECT_TRUE(copy.IsEnabled());
    EXPECT_FLOAT_EQ(copy.GetDensity(), source.GetDensity());
    EUnitDesc unit;
    ASSERT_TRUE(unit.AssignFrom(*FindUnit(UNIT_MGM), 0));
    EXPECT_EQ(unit.GetName().str(), "MGM");
    EXPECT_EQ(unit.GetDecimals(), 1);
}

TEST_F(GasUnit, SerializedGasReadsBackAndAShortReadChangesNothing) {
    EGasDesc so2(GAS_SO2, "SO2", 64.0588f);
    so2.SetCoefficient(1.25f);
    ByteStream out;
    const size_t n = so2.SerializeTo(out);
    // Type, id, two names, then weight, coefficient and enabled: ten bytes.
    EXPECT_EQ(n, 2u + 2u + 4u + 1u + 10u);
    EGasDesc back;
    ByteStream in(out.Data(), 0);
    EXPECT_EQ(back.SerializeTo(in), n);
    EXPECT_EQ(back.GetName().str(), "SO2");
    EXPECT_FLOAT_EQ(back.GetMolecularWeight(), 64.0588f);
    EXPECT_FLOAT_EQ(back.GetCoefficient(), 1.25f);
    EXPECT_TRUE(back.IsEnabled());
    EXPECT_NEAR(back.GetDensity(), 2.858, 1e-3);

    std::vector<uint8_t> cut(out.Data().begin(), out.Data().end() - 3);
    EGasDesc untouched;
    ByteStream shortIn(cut, 0);
    EXPECT_EQ(untouched.SerializeTo(shortIn), n - 3);
    EXPECT_EQ(untouched.GetName().str(), "");
    EXPECT_FLOAT_EQ(untouched.GetMolecularWeight(), 1.0f);
    EXPECT_FALSE(untouched.IsEnabled());
}

} // namespace
