// The built-in demo: its two simulated instruments start on loopback TCP, its configuration
// file is read back with a site for each, and its command line takes the demo's file. The
// run from the front panel to downloaded data against it is the DAS windows' own test.

#include "PanelTestSupport.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "instruments/InstrumentConnection.h"

#include <gtest/gtest.h>

namespace {

TEST(Demo, ConfigurationReachesBothSimulatedInstruments) {
    paneltest::EnsureQt();
    TestApp app;
    Demo demo;
    CNetworkConfiguration::Install(*app);
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
    EXPECT_TRUE(app->Instruments().IsEmpty()) << "written, then left to start-up to load";
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*app, demo.ConfigurationPath(), false, true));
    const auto* monitor =
        dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kMonitorName));
    const auto* calibrator =
        dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kCalibratorName));
    ASSERT_TRUE(monitor && calibrator && monitor->FindSite());
    EXPECT_NE(monitor->FindSite(), calibrator->FindSite()) << "one link each";
    EXPECT_NE(demo.MonitorPort(), demo.CalibratorPort());
    EXPECT_TRUE(demo.SettingsPath().startsWith(QString::fromStdString(demo.Folder())))
        << "the demo's profile lives in its own folder";
    const char* argv[] = {"gasquill", "--demo", "other.cfg"};
    EXPECT_TRUE(Demo::Requested(3, argv));
    EXPECT_FALSE(Demo::Requested(1, argv));
    EXPECT_EQ(demo.Arguments(3, argv),
              (std::vector<std::string>{"gasquill", demo.ConfigurationPath()}));
}

} // namespace
