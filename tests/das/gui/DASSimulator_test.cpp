// End to end against the demo's simulated Monitor over loopback TCP: connect, open the DAS
// window from the front panel's command, get the configuration, get data, save and append,
// close; the panel is inactive while the window is open.

#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/SiteConnection.h"
#include "das/DASExchange.h"
#include "das/DASTestUtil.h"
#include "das/DataRecordSet.h"
#include "das/gui/DASConfigDialog.h"
#include "das/gui/DASDataViewDialog.h"
#include "das/gui/SelectRecordsDialog.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"
#include "ui/ResizableTreeCtrl.h"

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

bool PumpUntil(const std::function<bool()>& done, int boundMs = 30000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(DASSimulatorTest, FromThePanelToSavedData) {
    EnsureGuiTestApp();
    TestApp app;
    Demo demo;
    CNetworkConfiguration::Install(*app);
    CFrontPanelDialog::Install(*app);
    InstallDAS();
    std::string error;
    ASSERT_TRUE(demo.Start(error)) << error;
    ASSERT_TRUE(demo.WriteConfiguration(*app, error)) << error;
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*app, demo.ConfigurationPath(), false, true));
    CInstrumentConnection* inst;
    {
        StateGuard guard(AppStateLock());
        inst =
            dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kMonitorName));
    }
    ASSERT_NE(inst, nullptr);
    ASSERT_TRUE(inst->RequestConnect());
    auto* panel = dynamic_cast<CFrontPanelDialog*>(inst->GetFrontPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return panel->GetCommandMode() == CFrontPanelDialog::MODE_DAS; }));

    const std::string path = (dastest::Dir() / "e2e.txt").string();
    int rows = 0;
    bool panelActiveInside = true, ran = false;
    CFrontPanelDialog::SetCommandWindow(
        CFrontPanelDialog::MODE_DAS, [&](CInstrumentConnection& i, QWidget* owner) {
            ran = true;
            panelActiveInside = i.GetFrontPanelActive();
            CDASConfigDialog dlg(i, owner);
            dlg.show();
            dlg.OnGetConfig();
            ASSERT_TRUE(PumpUntil([&] { return !dlg.IsBusy(); }));
            ASSERT_GT(dlg.Tree().topLevelItemCount(), 0);
            dlg.OnSetAll(true);
            dlg.Selection().SetType(CSelectionSet::SEL_RECORDS);
            dlg.Selection().SetRecords(24);
            QTimer::singleShot(50, [] {
                if (auto* select =
                        qobject_cast<CSelectRecordsDialog*>(QApplication::activeModalWidget()))
                    select->accept();
            });
            dlg.OnGetData();
            EXPECT_TRUE(dlg.IsBusy());
            ASSERT_TRUE(PumpUntil([&] { return !dlg.IsBusy() && dlg.IsIdle(); }));
            CDataRecordSet set;
            {
                StateGuard guard(AppStateLock());
                static_cast<CDASChannel*>(i.DasChannels().At(0))->FillRecordSet(set);
            }
            rows = set.GetRows();
            EXPECT_TRUE(CDASDataViewDialog::SaveRecordSet(set, path, true, &dlg));
            EXPECT_TRUE(CDASDataViewDialog::SaveRecordSet(set, path, true, &dlg));
            dlg.reject();
            EXPECT_FALSE(dlg.isVisible());
        });
    panel->RunSystemCommand(CFrontPanelDialog::ID_DAS_COMMAND);
    CFrontPanelDialog::SetCommandWindow(CFrontPanelDialog::MODE_DAS, nullptr);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(panelActiveInside) << "the panel waits while the DAS window is open";
    EXPECT_TRUE(inst->GetFrontPanelActive());
    EXPECT_EQ(rows, 24);
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.find("Date,Time"), 0u);
    EXPECT_EQ(text.find("Date,Time", 1), std::string::npos) << "one header";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 49);

    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    EXPECT_TRUE(PumpUntil([&] { return !inst->IsConnected(); }));
    for (CNamedObject* obj : app->Sites())
        if (auto* site = dynamic_cast<CSiteConnection*>(obj))
            site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
}

} // namespace
