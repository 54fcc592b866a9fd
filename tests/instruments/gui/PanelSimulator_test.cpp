// End to end against the simulated instruments of the built-in demo: the demo's
// configuration file is read back, an instrument is connected from the instruments dialog
// over loopback TCP, its display reaches the front panel, a key changes it, and closing the
// panel disconnects. Pictures of the panels are kept under the build folder.

#include "PanelTestSupport.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "app/gui/InstrumentsDialog.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "sim/SimServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using paneltest::Pump;
using paneltest::PumpUntil;

CInstrumentConnection* FindInstrument(CVANTIQApp& app, const std::string& name) {
    StateGuard guard(AppStateLock());
    return dynamic_cast<CInstrumentConnection*>(app.Instruments().FindByName(name));
}

CSiteConnection* SiteOf(CInstrumentConnection& inst) {
    return dynamic_cast<CSiteConnection*>(inst.FindSite());
}

bool StartsWith(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
}

class PanelSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        paneltest::EnsureQt();
        CNetworkConfiguration::Install(*app);
        CFrontPanelDialog::Install(*app);
        std::string error;
        ASSERT_TRUE(demo.Start(error)) << error;
        ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
        EXPECT_TRUE(app->Instruments().IsEmpty()) << "written, then left to start-up to load";
        ASSERT_TRUE(CNetworkConfiguration::LoadSave(*app, demo.ConfigurationPath(), false, true));
    }
    void TearDown() override {
        // Whatever is still open asks for its disconnect; the sites then wind down.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* panel = qobject_cast<CFrontPanelDialog*>(w))
                panel->ClosePanel();
        Pump();
        for (CNamedObject* obj : app->Sites())
            if (auto* site = dynamic_cast<CSiteConnection*>(obj))
                site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
        CInstrumentConnection::SetFrontPanelFactory(nullptr);
    }

    TestApp app;
    Demo demo;
};

TEST_F(PanelSimulatorTest, ConnectShowsTheDisplayAKeyChangesItAndClosingDisconnects) {
    CInstrumentConnection* monitor = FindInstrument(*app, Demo::kMonitorName);
    CInstrumentConnection* calibrator = FindInstrument(*app, Demo::kCalibratorName);
    ASSERT_TRUE(monitor && calibrator && SiteOf(*monitor) && SiteOf(*calibrator));
    EXPECT_NE(SiteOf(*monitor), SiteOf(*calibrator)) << "one link each";
    EXPECT_TRUE(demo.SettingsPath().startsWith(QString::fromStdString(demo.Folder())))
        << "the demo's profile lives in its own folder";
    const char* argv[] = {"gasquill", "--demo", "other.cfg"};
    EXPECT_TRUE(Demo::Requested(3, argv));
    EXPECT_FALSE(Demo::Requested(1, argv));
    EXPECT_EQ(demo.Arguments(3, argv),
              (std::vector<std::string>{"gasquill", demo.ConfigurationPath()}));

    // File > Connect...: the instruments dialog, kept open to watch the entry's state.
    CInstrumentsDialog instruments(*app, CInstrumentsDialog::MODE_CONNECT, nullptr);
    app->SetInstrumentsWindow(&instruments);
    instruments.show();
    instruments.SelectRow(static_cast<int>(
        instruments.EntryTexts().indexOf(QString::fromLatin1(Demo::kMonitorName))));
    instruments.CloseOnConnectBox().setChecked(false);
    QTest::mouseClick(&instruments.ConnectButton(), Qt::LeftButton);
    QPointer<CFrontPanelDialog> panel = dynamic_cast<CFrontPanelDialog*>(monitor->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    EXPECT_EQ(panel->windowTitle(), "Demo Monitor at Demo Monitor Site");
    const CDisplayWindow& display = panel->Display();
    ASSERT_TRUE(PumpUntil([&] { return StartsWith(display.RowText(0), "SAMPLE"); }))
        << display.RowText(0);
    ASSERT_TRUE(PumpUntil([&] { return panel->GetCommandMode() != 0; }));
    EXPECT_EQ(panel->GetCommandMode(), 1) << "the monitor keeps DAS records";
    EXPECT_TRUE(StartsWith(display.RowText(1), "<TST TST> CAL "));
    EXPECT_TRUE(
        PumpUntil([&] { return instruments.EntryTexts().contains("Demo Monitor (Connected)"); }));
    SaveShot(*panel, "front-panel");

    // Key 3 is the simulator's CAL key on its sample screen.
    const uint64_t copies = display.GlyphCopies();
    QTest::mouseClick(panel->Key(3), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return StartsWith(display.RowText(0), "M-P CAL"); }))
        << display.RowText(0);
    EXPECT_TRUE(StartsWith(display.RowText(1), "<TST TST> "));
    EXPECT_GT(display.GlyphCopies(), copies);
    EXPECT_NE(demo.Monitor()->Received().find("k 2\r\n"), std::string::npos);

    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull() && !SiteOf(*monitor)->IsConnected(); }));
    EXPECT_FALSE(monitor->IsConnected());
    EXPECT_EQ(monitor->GetSiteInUse(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return instruments.EntryTexts().contains(Demo::kMonitorName); }));
    app->SetInstrumentsWindow(nullptr);

    // The calibrator offers its sequences.
    ASSERT_TRUE(calibrator->RequestConnect());
    panel = dynamic_cast<CFrontPanelDialog*>(calibrator->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    ASSERT_TRUE(PumpUntil([&] { return panel->GetCommandMode() != 0; }));
    EXPECT_EQ(panel->GetCommandMode(), 2);
    EXPECT_EQ(panel->CommandButton()->text(), "&Configure sequences...");
    SaveShot(*panel, "front-panel-calibrator");
}

} // namespace
