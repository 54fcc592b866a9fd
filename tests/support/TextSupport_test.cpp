#include "app/TextSupportHooks.h"
#include "model/InstrumentKeywords.h"
#include "support/GasUnitRegistry.h"
#include "support/TextSupport.h"
#include "support/TypeRegistry.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

namespace {

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
