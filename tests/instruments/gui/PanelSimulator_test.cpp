// The built-in demo: its two simulated instruments start on loopback TCP in a folder of their
// own, and its command line takes the demo's file. Loading its configuration and the run from
// the front panel to each instrument are the DAS and sequence windows' own tests.

#include "PanelTestSupport.h"
#include "app/gui/Demo.h"

#include <gtest/gtest.h>

namespace {

TEST(Demo, StartsInItsOwnFolderAndTheCommandLineTakesItsFile) {
    paneltest::EnsureQt();
    TestApp app;
    Demo demo;
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
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
