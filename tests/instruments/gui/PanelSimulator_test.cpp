// End to end against the simulated monitor of the built-in demo over loopback TCP: the demo's
// configuration file is read back, the display reaches the front panel, a key changes it and
// closing the panel disconnects. A picture of the panel is kept under the build folder.

#include "PanelTestSupport.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "sim/SimServer.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using paneltest::PumpUntil;

bool StartsWith(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
}

TEST(PanelSimulator, ConnectShowsTheDisplayAKeyChangesItAndClosingDisconnects) {
    paneltest::EnsureQt();
    TestApp app;
    Demo demo;
    // Whatever is still open at the end asks for its disconnect; the sites then wind down.
    const auto windDown = qScopeGuard([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* open = qobject_cast<CFrontPanelDialog*>(w))
                open->ClosePanel();
        paneltest::Pump();
        for (CNamedObject* obj : app->Sites())
            if (auto* site = dynamic_cast<CSiteConnection*>(obj))
                site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
        CInstrumentConnection::SetFrontPanelFactory(nullptr);
    });
    CNetworkConfiguration::Install(*app);
    CFrontPanelDialog::Install(*app);
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*app, demo.ConfigurationPath(), false, true));
    const char* argv[] = {"gasquill", "--demo", "other.cfg"};
    EXPECT_TRUE(Demo::Requested(3, argv));
    EXPECT_FALSE(Demo::Requested(1, argv));
    EXPECT_EQ(demo.Arguments(3, argv),
              (std::vector<std::string>{"gasquill", demo.ConfigurationPath()}));
    auto* monitor =
        dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kMonitorName));
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(monitor->RequestConnect());
    QPointer<CFrontPanelDialog> panel = dynamic_cast<CFrontPanelDialog*>(monitor->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    const CDisplayWindow& display = panel->Display();
    ASSERT_TRUE(PumpUntil([&] { return StartsWith(display.RowText(0), "SAMPLE"); }))
        << display.RowText(0);
    EXPECT_TRUE(StartsWith(display.RowText(1), "<TST TST> CAL "));
    SaveShot(*panel, "front-panel");
    // Key 3 is the simulator's CAL key on its sample screen.
    QTest::mouseClick(panel->Key(3), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return StartsWith(display.RowText(0), "M-P CAL"); }))
        << display.RowText(0);
    EXPECT_NE(demo.Monitor()->Received().find("k 2\r\n"), std::string::npos);
    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    auto* site = dynamic_cast<CSiteConnection*>(monitor->FindSite());
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull() && !site->IsConnected(); }));
    EXPECT_FALSE(monitor->IsConnected());
    EXPECT_EQ(monitor->GetSiteInUse(), nullptr);
}

} // namespace
