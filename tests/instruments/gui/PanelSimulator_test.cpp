// End to end against the simulated instruments of the built-in demo: the demo's
// configuration file is read back, an instrument is connected from the instruments dialog
// over loopback TCP, its display reaches the front panel, a key changes it, and closing the
// panel disconnects. Pictures of the panel and the information window are kept under the build
// folder.

#include "PanelTestSupport.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "app/gui/InstrumentsDialog.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/InstInfoDialog.h"
#include "sim/SimDasRecords.h"
#include "sim/SimServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using paneltest::EnsureQt;
using paneltest::Pump;
using paneltest::PumpUntil;

CInstrumentConnection* FindInstrument(CVANTIQApp& app, const std::string& name) {
    StateGuard guard(AppStateLock());
    return dynamic_cast<CInstrumentConnection*>(app.Instruments().FindByName(name));
}

CSiteConnection* SiteOf(CInstrumentConnection& inst) {
    return dynamic_cast<CSiteConnection*>(inst.FindSite());
}

class PanelSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQt();
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
        // Guarded: a panel takes its menu, another top-level widget, with it.
        QList<QPointer<CFrontPanelDialog>> panels;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* panel = qobject_cast<CFrontPanelDialog*>(w))
                panels << panel;
        for (const QPointer<CFrontPanelDialog>& panel : panels)
            delete panel.data();
        Pump();
        for (CNamedObject* obj : app->Sites())
            if (auto* site = dynamic_cast<CSiteConnection*>(obj))
                site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
    }

    TestApp app;
    Demo demo;
};

TEST_F(PanelSimulatorTest, DemoMonitorHoldsAYearOfDasRecords) {
    ASSERT_NE(demo.Monitor(), nullptr);
    demo.Monitor()->WithInstrument([](SimInstrument& sim) {
        const SimState& state = sim.State();
        const std::vector<SimDasChannel>& channels = state.das.channels;
        ASSERT_GE(channels.size(), 2u);
        bool timer = false, event = false;
        for (const SimDasChannel& c : channels) {
            SCOPED_TRACE(c.name);
            const bool isTimer = state.das.IsTimerChannel(c);
            (isTimer ? timer : event) = true;
            const SimDasRecords records(c, isTimer, state.ClockSeconds());
            ASSERT_GT(records.Count(), 0u);
            // From a year back up to the present.
            EXPECT_GE(records.Time(records.Count() - 1) - records.Time(0) + c.IntervalSeconds(),
                      365 * 86400);
            EXPECT_LE(state.ClockSeconds() - records.Time(records.Count() - 1), 86400);
        }
        EXPECT_TRUE(timer);
        EXPECT_TRUE(event);
    });
}

TEST_F(PanelSimulatorTest, DemoConfigurationReachesBothSimulatedInstruments) {
    CInstrumentConnection* monitor = FindInstrument(*app, Demo::kMonitorName);
    CInstrumentConnection* calibrator = FindInstrument(*app, Demo::kCalibratorName);
    ASSERT_TRUE(monitor && calibrator && SiteOf(*monitor) && SiteOf(*calibrator));
    EXPECT_NE(SiteOf(*monitor), SiteOf(*calibrator)) << "one link each";
    EXPECT_NE(demo.MonitorPort(), demo.CalibratorPort());
    EXPECT_TRUE(demo.SettingsPath().startsWith(QString::fromStdString(demo.Folder())))
        << "the demo's profile lives in its own folder";
    const char* argv[] = {"gasquill", "--demo", "other.cfg"};
    EXPECT_TRUE(Demo::Requested(3, argv));
    EXPECT_FALSE(Demo::Requested(1, argv));
    EXPECT_EQ(demo.Arguments(3, argv),
              (std::vector<std::string>{"gasquill", demo.ConfigurationPath()}));
}

TEST_F(PanelSimulatorTest, ConnectShowsTheDisplayAKeyChangesItAndClosingDisconnects) {
    CInstrumentConnection* inst = FindInstrument(*app, Demo::kMonitorName);
    ASSERT_NE(inst, nullptr);

    // File > Connect...: the instruments dialog, kept open to watch the entry's state.
    CInstrumentsDialog instruments(*app, CInstrumentsDialog::MODE_CONNECT, nullptr);
    app->SetInstrumentsWindow(&instruments);
    instruments.show();
    const int row =
        static_cast<int>(instruments.EntryTexts().indexOf(QString::fromLatin1(Demo::kMonitorName)));
    ASSERT_GE(row, 0) << instruments.EntryTexts().join(',').toStdString();
    instruments.SelectRow(row);
    instruments.CloseOnConnectBox().setChecked(false);
    QTest::mouseClick(&instruments.ConnectButton(), Qt::LeftButton);
    QPointer<CFrontPanelDialog> panel = dynamic_cast<CFrontPanelDialog*>(inst->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    EXPECT_EQ(panel->windowTitle(), "Demo Monitor at Demo Monitor Site");

    ASSERT_TRUE(PumpUntil([&] { return panel->Display().RowText(0).rfind("SAMPLE", 0) == 0; }))
        << panel->Display().RowText(0);
    ASSERT_TRUE(PumpUntil([&] { return panel->GetCommandMode() != 0; }));
    EXPECT_EQ(panel->GetCommandMode(), 1) << "the monitor keeps DAS records";
    EXPECT_TRUE(panel->CommandButton()->isEnabled());
    EXPECT_TRUE(inst->IsConnected());
    EXPECT_EQ(panel->Display().RowText(1).substr(0, 14), "<TST TST> CAL ");
    EXPECT_TRUE(PumpUntil([&] {
        return instruments.EntryTexts().contains(QStringLiteral("Demo Monitor (Connected)"));
    })) << instruments.EntryTexts().join(',').toStdString();
    SaveShot(*panel, "front-panel");

    // The information window shows what the identification learnt.
    QString type, serial, das;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CInstInfoDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        type = dialog->Value(1227);
        serial = dialog->Value(1242);
        das = dialog->Value(1231);
        SaveShot(*dialog, "instrument-information");
        dialog->reject();
    });
    panel->RunSystemCommand(CFrontPanelDialog::ID_INSTRUMENT_INFO);
    EXPECT_EQ(type, "Monitor");
    EXPECT_EQ(serial, "M400-1187");
    EXPECT_EQ(das, "Yes");

    // Key 3 is the simulator's CAL key on its sample screen.
    const uint64_t copies = panel->Display().GlyphCopies();
    QTest::mouseClick(panel->Key(3), Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return panel->Display().RowText(0).rfind("M-P CAL", 0) == 0; }))
        << panel->Display().RowText(0);
    EXPECT_EQ(panel->Display().RowText(1).substr(0, 10), "<TST TST> ");
    EXPECT_GT(panel->Display().GlyphCopies(), copies);
    EXPECT_NE(demo.Monitor()->Received().find("k 2\r\n"), std::string::npos);
    SaveShot(*panel, "front-panel-after-key-3");

    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    EXPECT_EQ(app.prompt.asked[0].text, "Are you sure you want to disconnect?");
    ASSERT_TRUE(PumpUntil([&] { return panel.isNull(); }));
    ASSERT_TRUE(PumpUntil([&] { return !inst->IsConnected(); }));
    CSiteConnection* site = SiteOf(*inst);
    ASSERT_NE(site, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !site->IsConnected(); }));
    EXPECT_EQ(inst->GetFrontPanel(), nullptr);
    EXPECT_EQ(inst->GetSiteInUse(), nullptr);
    EXPECT_TRUE(PumpUntil([&] {
        return instruments.EntryTexts().contains(QString::fromLatin1(Demo::kMonitorName));
    })) << instruments.EntryTexts().join(',').toStdString();
    app->SetInstrumentsWindow(nullptr);
}

TEST_F(PanelSimulatorTest, TheCalibratorOffersItsSequences) {
    CInstrumentConnection* inst = FindInstrument(*app, Demo::kCalibratorName);
    ASSERT_NE(inst, nullptr);
    ASSERT_TRUE(inst->RequestConnect());
    QPointer<CFrontPanelDialog> panel = dynamic_cast<CFrontPanelDialog*>(inst->GetFrontPanel());
    ASSERT_FALSE(panel.isNull());
    ASSERT_TRUE(PumpUntil([&] { return panel->GetCommandMode() != 0; }));
    EXPECT_EQ(panel->GetCommandMode(), 2);
    EXPECT_EQ(panel->CommandButton()->text(), "&Configure sequences...");
    EXPECT_TRUE(inst->HasCapability(CAP_CALIBRATOR | CAP_CAL_SCRIPT));
    SaveShot(*panel, "front-panel-calibrator");
}

} // namespace
