#include "app/TextSupportHooks.h"
#include "model/InstrumentKeywords.h"
#include "support/GasUnitRegistry.h"
#include "support/NamedObjectList.h"
#include "support/TextSupport.h"
#include "support/TypeRegistry.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

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

TEST_F(GasUnit, BuiltInTablesAreRegisteredOnceAndFoundInAnyCase) {
    InitSupportLibrary(); // again: adds nothing
    EXPECT_EQ(GasList()->GetCount(), 18u);
    EXPECT_EQ(UnitList()->GetCount(), 12u);
    EXPECT_EQ(FindUnitByName("ppb"), FindUnit(UNIT_PPB));
    EXPECT_EQ(FindUnitByName("wt%"), FindUnit(UNIT_WTPCT));
    EXPECT_EQ(FindGasByName("nOx"), FindGas(GAS_NOX));
    EXPECT_EQ(FindGasByName("PPB"), nullptr);
    EXPECT_EQ(FindUnit(12345), nullptr);
}

TEST_F(GasUnit, ConversionTable) {
    const struct {
        const char* gas;
        double fraction;
        uint32_t unit;
        double value, tolerance;
    } rows[] = {
        {"SO2", 4e-7, UNIT_PPB, 400, 1e-9},
        {"SO2", 4e-7, UNIT_UGM, 1143.2, 0.1},
        {"SO2", 4e-7, UNIT_MGM, 1.1432, 1e-4},
        {"SO2", 4e-7, UNIT_GM3, 0.0011432, 1e-7},
        {"NO", 0.0125, UNIT_FRAC, 0.0125, 1e-12},
        {"NO", 0.0125, UNIT_PCT, 1.25, 1e-12},
        {"NO", 0.0125, UNIT_PPT, 12.5, 1e-9},
        {"NO", 0.0125, UNIT_PPM, 12500, 1e-6},
        {"NO", 0.0125, UNIT_PPHM, 1.25e6, 1e-4},
        {"NO", 0.0125, UNIT_PPB, 1.25e7, 1e-3},
        {"O3", 0.3, 777, 0.3, 1e-12}, // an unregistered unit converts as a fraction
        // A mass fraction against air's weight.
        {"CO2", 0.05, UNIT_WTPCT, 100 * 44.0098 * 0.05 / (0.95 * 28.890188 + 44.0098 * 0.05), 1e-4},
    };
    for (const auto& r : rows) {
        EGasDesc& g = Gas(r.gas);
        EXPECT_NEAR(g.FromFraction(r.fraction, r.unit), r.value, r.tolerance)
            << r.gas << " unit " << r.unit;
        EXPECT_NEAR(g.ToFraction(r.value, r.unit) / r.fraction, 1.0, 1e-4)
            << r.gas << " unit " << r.unit;
    }
    EXPECT_NEAR(Gas("SO2").GetDensity(), 2.858, 1e-3);
    // NGM is PPB without the density; the carrier-weight gas has PPMW equal to PPM.
    for (const char* name : {"SO2", "NH3", "CO2"})
        EXPECT_DOUBLE_EQ(Gas(name).FromFraction(3.5e-8, UNIT_NGM),
                         Gas(name).FromFraction(3.5e-8, UNIT_PPB));
    EGasDesc& zero = Gas("ZERO");
    EXPECT_NEAR(zero.FromFraction(2.5e-5, UNIT_PPMW), zero.FromFraction(2.5e-5, UNIT_PPM), 1e-9);
    EXPECT_DOUBLE_EQ(zero.ToFraction(25, UNIT_PPMW), 25 * 1e-6); // settles in its first round
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
}

TEST(TextSupport, StartUpRegistersGasesAndUnitsAndSortsTablesAndShutDownFreesThem) {
    FreeSupportLibrary();
    ASSERT_EQ(FindUnitByName("PPB"), nullptr);
    {
        TestApp t;
        InstallTextSupport(*t);
        const char* argv[] = {"gasquill"};
        ASSERT_TRUE(t->InitInstance(1, argv));
        EXPECT_TRUE(TokenTablesSorted());
        ASSERT_NE(FindUnitByName("ppb"), nullptr);
        EXPECT_EQ(FindUnitByName("ppb")->GetId(), UNIT_PPB);
        EXPECT_EQ(FindGasByName("so2")->GetId(), GAS_SO2);
        EXPECT_EQ(DefaultNameFlags(), static_cast<unsigned>(NAME_PLAIN));
        EXPECT_NE(TypeRegistry::Global().Find(TYPE_GAS_DESC), nullptr);
        t->ExitInstance();
        EXPECT_EQ(FindUnitByName("ppb"), nullptr);
        EXPECT_EQ(FindGas(GAS_SO2), nullptr);
        EXPECT_EQ(TypeRegistry::Global().Count(), 0u);
    }
    // Later tests in this program expect the library in place.
    EXPECT_TRUE(InitSupportLibrary());
}

} // namespace
