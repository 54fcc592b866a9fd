// End to end against the demo's simulated Calibrator over loopback TCP: connect, open the
// sequence window from the front panel's command, get the configuration, edit, add, move and
// delete steps, send it back, and compare the script the instrument received.

#include "../SeqFixtures.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/SiteConnection.h"
#include "connections/gui/DialogTestSupport.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "sequences/gui/SequenceConfigDialog.h"
#include "sequences/gui/SequenceWindowHooks.h"
#include "sequences/gui/StepDurationDialog.h"
#include "sequences/gui/StepGenerateDialog.h"
#include "sequences/gui/StepTypeDialog.h"
#include "sim/SimSequences.h"
#include "sim/SimServer.h"
#include "support_lib/GuiTestApp.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeWidget>

namespace {

using W = CSequenceConfigDialog;
using dialogtest::WhenModal;

// Runs the event loop until done() holds; false once the bound has passed.
bool PumpUntil(const std::function<bool()>& done, int boundMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class SequenceSimulatorTest : public seq_test::SeqTest {
protected:
    void Drive(W& w);
};

// Inside the window's own event loop: each dialog a command opens is answered by a watcher
// that gives up on its own.
void SequenceSimulatorTest::Drive(W& w) {
    w.OnCommand(W::IDC_GET_CONFIG);
    ASSERT_TRUE(PumpUntil([&] { return !w.IsExchangeRunning(); }));
    QTreeWidget& tree = w.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    // Edit MULTIPOINT's first duration.
    w.SelectItem(tree.topLevelItem(1)->child(2));
    WhenModal<CStepDurationDialog> edit([](CStepDurationDialog& d) {
        d.Minutes().setText(QStringLiteral("25"));
        d.accept();
    });
    w.OnCommand(W::IDC_EDIT);
    // Add to PURGE, with its middle step selected: a generate step chosen by kind,
    // then a duration from the menu; both go to the end.
    QTreeWidgetItem* purge = tree.topLevelItem(2);
    w.SelectItem(purge->child(1));
    WhenModal<CStepTypeDialog> kind([](CStepTypeDialog& d) {
        d.List().setCurrentIndex(0);
        d.accept();
    });
    WhenModal<CStepGenerateDialog> gen([](CStepGenerateDialog& d) {
        d.Concentration().setText(QStringLiteral("200"));
        d.Units().setEditText(QStringLiteral("PPB"));
        d.Gas().setEditText(QStringLiteral("NO"));
        d.accept();
    });
    w.OnCommand(W::IDC_NEW_STEP);
    WhenModal<CStepDurationDialog> added([](CStepDurationDialog& d) {
        d.Minutes().setText(QStringLiteral("2.5"));
        d.accept();
    });
    w.OnCommand(W::ID_NEW_DURATION);
    EXPECT_TRUE(edit.Seen() && kind.Seen() && gen.Seen() && added.Seen());
    ASSERT_EQ(purge->childCount(), 5);
    // The generate step goes above STANDBY, which is then deleted.
    w.SelectItem(purge->child(3));
    w.OnCommand(W::IDC_MOVE_UP);
    w.SelectItem(purge->child(3));
    w.OnCommand(W::IDC_DELETE);
    app.prompt.Answer(PromptResult::Yes);
    w.OnCommand(W::IDC_SEND);
    // Closing is ignored while the exchange runs, without a question.
    const size_t asked = app.prompt.asked.size();
    w.OnCommand(W::IDC_CLOSE);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(app.prompt.asked.size(), asked);
    ASSERT_TRUE(PumpUntil([&] { return !w.IsExchangeRunning(); }));
    EXPECT_EQ(app.prompt.asked.back().text, LoadString(61280));
    // Sent, so nothing is left unsent: the window closes without asking.
    w.OnCommand(W::IDC_CLOSE);
}

TEST_F(SequenceSimulatorTest, FromThePanelToTheInstrumentsScript) {
    EnsureGuiTestApp();
    Demo demo;
    CNetworkConfiguration::Install(*app);
    CFrontPanelDialog::Install(*app);
    InstallSequenceWindow();
    app->SetConfirmDeletes(false);
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*app, demo.ConfigurationPath(), false, true));
    CInstrumentConnection* cal;
    {
        StateGuard guard(AppStateLock());
        cal = dynamic_cast<CInstrumentConnection*>(
            app->Instruments().FindByName(Demo::kCalibratorName));
    }
    ASSERT_NE(cal, nullptr);
    ASSERT_TRUE(cal->RequestConnect());
    auto* panel = dynamic_cast<CFrontPanelDialog*>(cal->GetFrontPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(
        PumpUntil([&] { return panel->GetCommandMode() == CFrontPanelDialog::MODE_SEQUENCES; }));

    // The window runs modally; a window left open by a failed step is closed here, so that
    // the test ends either way.
    bool closed = false;
    WhenModal<W> drive([&](W& w) {
        Drive(w);
        closed = !w.isVisible();
        if (!closed)
            w.done(QDialog::Rejected);
    });
    panel->RunSystemCommand(CFrontPanelDialog::ID_SEQUENCE_COMMAND);
    EXPECT_TRUE(drive.Seen());
    EXPECT_TRUE(closed);

    // A calibrator of this revision is sent its durations under their older name.
    std::string expected = SimSequences::DefaultScript();
    for (size_t at; (at = expected.find("DURATION")) != std::string::npos;)
        expected.replace(at, 8, "DELAY");
    expected = Replaced(expected, "DELAY 20.0", "DELAY 25.0");
    expected = Replaced(expected, "PURGE\r\n      DELAY 10.0\r\n      STANDBY\r\n",
                        "PURGE\r\n      DELAY 10.0\r\n      GENERATE 200 PPB NO\r\n"
                        "      DELAY 2.5\r\n");
    const std::string wire = demo.Calibrator()->Received();
    const size_t begin = wire.rfind("SEQLISTBEGIN");
    ASSERT_NE(begin, std::string::npos);
    EXPECT_EQ(wire.substr(begin, wire.find("SEQLISTEND\r\n", begin) + 12 - begin), expected);

    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    EXPECT_TRUE(PumpUntil([&] { return !cal->IsConnected(); }));
    for (CNamedObject* obj : app->Sites())
        if (auto* site = dynamic_cast<CSiteConnection*>(obj))
            site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
}

} // namespace
