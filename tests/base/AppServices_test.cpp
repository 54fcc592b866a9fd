// The floors below the application reach it only through AppServices, so a test can stand in
// for the whole application with a few lines.

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace {

struct SmallApp : AppServices {
    uint32_t nextId = 700;
    bool modified = false;
    std::map<uint32_t, CNamedObject*> sites;
    std::vector<std::pair<int, std::string>> lines;

    uint32_t NewObjectId() override { return nextId++; }
    void SetModified(bool m) override { modified = m; }
    CNamedObject* FindObject(ObjectKind kind, uint32_t id) override {
        auto it = sites.find(id);
        return kind == ObjectKind::Site && it != sites.end() ? it->second : nullptr;
    }
    void LogMessage(int category, const std::string& text) override {
        lines.emplace_back(category, text);
    }
    UserPrompt* GetPrompt() const override { return nullptr; }
    Rect GetWindowLayout(int) const override { return Rect{kUnset, kUnset, kUnset, kUnset}; }
    void SetWindowLayout(int, const Rect&) override {}
    void NotifyConnectionChanged(uint32_t) override {}
    void RecomputeAnyInstrumentConnected() override {}
};

} // namespace

TEST(AppServices, LowerFloorsReachTheInstalledApplicationAndNothingWithoutOne) {
    EXPECT_EQ(AppServices::Install(nullptr), nullptr);
    EXPECT_EQ(AppNewObjectId(), 0u);
    AppLogMessage(LOG_ERROR, "dropped"); // no application: nothing to reach, no crash

    SmallApp app;
    AppServices::Install(&app);
    CSiteConnection site; // draws its ID from the installed application
    site.SetName("Hilltop");
    EXPECT_EQ(site.GetId(), 700u);
    app.sites[site.GetId()] = &site;

    CInstrumentConnection instrument;
    instrument.SetSiteId(site.GetId());
    EXPECT_EQ(instrument.GetSiteName(), "Hilltop");
    instrument.SetSiteId(9999); // a site the application does not have
    EXPECT_NE(instrument.GetSiteName(), "Hilltop");

    AppLogMessage(LOG_ERROR, "line lost");
    ASSERT_EQ(app.lines.size(), 1u);
    EXPECT_EQ(app.lines[0], std::make_pair(int(LOG_ERROR), std::string("line lost")));
    EXPECT_EQ(AppServices::Install(nullptr), &app);
}
