// The floors below the application reach it only through AppServices; with none installed
// every call is a no-op.

#include "config/ConfigFixtures.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"

#include <gtest/gtest.h>

namespace {

using namespace config_test;

TEST(AppServices, LowerFloorsReachTheInstalledApplicationAndNothingWithoutOne) {
    ConfigApp t;
    AppServices* const installed = AppServices::Install(nullptr);
    ASSERT_EQ(installed, t.app.get());
    EXPECT_EQ(AppNewObjectId(), 0u);
    AppLogMessage(LOG_ERROR, "dropped"); // nothing to reach, no crash
    AppSetModified();
    EXPECT_EQ(AppServices::Install(installed), nullptr);
    EXPECT_FALSE(t->IsModified());

    auto* site = new CSiteConnection; // draws its ID from the installed application
    site->SetName("Hilltop");
    EXPECT_NE(site->GetId(), 0u);
    t->Sites().AddTail(site);
    CInstrumentConnection instrument;
    instrument.SetSiteId(site->GetId());
    EXPECT_EQ(instrument.GetSiteName(), "Hilltop");
    instrument.SetSiteId(site->GetId() + 1); // a site the application does not have
    EXPECT_NE(instrument.GetSiteName(), "Hilltop");
    AppSetModified();
    EXPECT_TRUE(t->IsModified());
}

} // namespace
