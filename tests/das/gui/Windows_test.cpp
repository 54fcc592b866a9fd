// The DAS window and the data windows it opens: enables, the tree, the menus, progress,
// closing, and the view, graph and save of a record set; last, end to end against the demo's
// simulated Monitor over loopback TCP, the site worker posting its results to the window.

#include "DASWindowTest.h"
#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "das/DASExchange.h"
#include "das/DataRecordSet.h"
#include "das/gui/ChartAdapter.h"
#include "das/gui/DASDataViewDialog.h"
#include "das/gui/GraphWindow.h"
#include "das/gui/SelectRecordsDialog.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "ui/AppFileDialog.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableProgressCtrl.h"
#include "ui/ResizableTreeCtrl.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTimer>
#include <QTreeWidgetItem>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

namespace {

using namespace dastest;
using D = CDASConfigDialog;

// A site that keeps the requests posted to its worker; the test answers for the worker.
struct HoldingSite : CSiteConnection {
    bool PostRequest(unsigned message, uint32_t, uintptr_t,
                     std::unique_ptr<InstrumentRequest> request) override {
        posted.push_back({message, request->channels});
        return true;
    }
    std::vector<std::pair<unsigned, std::vector<uint32_t>>> posted;
};

using DASConfigTest = DASWindowTest;

TEST_F(DASConfigTest, EnablesFollowConnectionListsAndSelection) {
    const struct {
        const char* name;
        bool connected, lists, selected;
        bool getConfig, send, newChannel, getData, autoBox;
    } rows[] = {
        {"connected, lists, selected", true, true, true, true, true, true, true, true},
        {"not connected", false, true, true, false, false, true, false, false},
        {"nothing selected", true, true, false, true, true, true, false, true},
        {"no lists", true, false, true, true, false, false, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        inst.SetConnected(row.connected);
        if (!row.lists)
            inst.DasPoints().DeleteAll();
        for (CNamedObject* c : inst.DasChannels())
            static_cast<CDASChannel*>(c)->SetSelected(row.selected);
        auto dlg = Open();
        EXPECT_EQ(dlg->Button(D::GET_CONFIG).isEnabled(), row.getConfig);
        EXPECT_EQ(dlg->Button(D::SEND_CONFIG).isEnabled(), row.send);
        EXPECT_EQ(dlg->Button(D::NEW_CHANNEL).isEnabled(), row.newChannel);
        EXPECT_EQ(dlg->Button(D::GET_DATA).isEnabled(), row.getData);
        EXPECT_EQ(dlg->Button(D::VIEW_DATA).isEnabled(), row.getData);
        EXPECT_EQ(dlg->AutoBox().isEnabled(), row.autoBox);
        dlg->Tree().setCurrentItem(nullptr);
        EXPECT_FALSE(dlg->Button(D::EDIT).isEnabled()) << "no current item";
    }
}

TEST_F(DASConfigTest, TreeClicksChangeSelectedFlagsOnlyWithCheckBoxesOn) {
    for (bool on : {false, true}) {
        SCOPED_TRACE(on ? "UseCheckboxes on" : "UseCheckboxes off");
        useCheckboxes = on;
        Channel(0)->SetSelected(false);
        auto dlg = Open();
        QTreeWidgetItem* channel = dlg->Tree().topLevelItem(0);
        channel->setCheckState(0, Qt::Checked);
        QApplication::processEvents();
        EXPECT_EQ(Channel(0)->IsSelected(), on);
        EXPECT_EQ(Channel(0)->GetParameter(1)->IsSelected(), on);
        EXPECT_EQ(channel->checkState(0) == Qt::Checked, on) << "the tree shows the model";
        // A parameter unticked under a ticked channel clears the channel's own flag.
        channel->child(0)->setCheckState(0, Qt::Unchecked);
        QApplication::processEvents();
        EXPECT_FALSE(Channel(0)->GetParameter(0)->IsSelected());
        EXPECT_FALSE(Channel(0)->IsSelected());
        EXPECT_EQ(Channel(0)->GetParameter(1)->IsSelected(), on);
    }
}

TEST_F(DASConfigTest, ContextMenuGreysByRoomAndTicksTheSelection) {
    while (Channel(0)->CanAddParameter())
        AddParameter(*Channel(0), "NOX", 0);
    Channel(1)->SetSelected(true);
    auto dlg = Open();
    const auto action = [](QMenu* menu, const QString& text) -> QAction* {
        for (QAction* a : menu->actions())
            if (a->text().startsWith(text))
                return a;
        return nullptr;
    };
    QTreeWidgetItem* conc1 = dlg->Tree().topLevelItem(0); // full, not selected
    QTreeWidgetItem* cal = dlg->Tree().topLevelItem(1);   // room left, selected
    // clang-format off
    const struct {
        QTreeWidgetItem* item;
        const char* menu;
        std::vector<std::pair<const char*, bool>> enabled;
        bool ticked;
    } rows[] = {
        {conc1, "Channel", {{"New &Channel", true}, {"D&uplicate Channel", true}, {"New &Parameter", false}}, false},
        {cal, "Channel", {{"New &Channel", true}, {"New &Parameter", true}}, true},
        {conc1->child(0), "Parameter", {{"New &Parameter", false}, {"D&uplicate Parameter", false}}, false},
        {cal->child(0), "Parameter", {{"New &Parameter", true}, {"D&uplicate Parameter", true}}, true},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item->text(0).toStdString());
        dlg->Tree().setCurrentItem(row.item);
        QMenu* menu = dlg->PrepareContextMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), row.menu);
        for (const auto& [text, on] : row.enabled) {
            ASSERT_NE(action(menu, text), nullptr) << text;
            EXPECT_EQ(action(menu, text)->isEnabled(), on) << text;
        }
        ASSERT_NE(action(menu, "&Select"), nullptr);
        EXPECT_EQ(action(menu, "&Select")->isChecked(), row.ticked);
    }
}

TEST_F(DASConfigTest, DuplicateGivesTheEditorACopyWithoutANameAndDeleteTakesItBack) {
    std::string nameSeen = "unset";
    CDASChannel::SetEditor([&](CDASChannel& c) {
        nameSeen = c.GetName();
        c.SetName("CONC2");
        return true;
    });
    app->SetConfirmDeletes(false);
    auto dlg = Open();
    dlg->Tree().setCurrentItem(dlg->Tree().topLevelItem(0));
    dlg->OnDuplicate();
    EXPECT_EQ(nameSeen, "");
    ASSERT_EQ(inst.DasChannels().GetCount(), 3u);
    EXPECT_EQ(dlg->Tree().topLevelItem(2)->childCount(), 2);
    // Deleting CONC1 unasked moves to its next sibling.
    dlg->Tree().setCurrentItem(dlg->Tree().topLevelItem(0));
    dlg->OnDelete();
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(Channel(0)->GetName(), "CAL");
    EXPECT_EQ(Channel(1)->GetName(), "CONC2");
    EXPECT_EQ(dlg->Tree().currentItem(), dlg->Tree().topLevelItem(0));
    EXPECT_TRUE(inst.GetDasModified());
}

TEST_F(DASConfigTest, ProgressMessagesDriveStatusAndBar) {
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), "Monitor 1 at Local Site");
    dlg->Tree().expandAll();
    SaveShot(*dlg, "das-window");
    dlg->OnMessage(DASM_DOWNLOAD_START, 40, reinterpret_cast<intptr_t>(Channel(1)));
    EXPECT_EQ(dlg->StatusText().text(), "Downloading data for CAL...");
    EXPECT_EQ(dlg->Progress().maximum(), 40);
    dlg->OnMessage(DASM_STEP, 0, 0);
    dlg->OnMessage(DASM_STEP, 0, 0);
    EXPECT_EQ(dlg->Progress().value(), 2);
    dlg->OnMessage(DASM_DOWNLOAD_FAILED, 0, 0);
    EXPECT_EQ(dlg->StatusText().text(), "");
    EXPECT_EQ(dlg->Progress().value(), 0);
    EXPECT_TRUE(dlg->IsIdle());
}

TEST_F(DASConfigTest, CloseRefusedDuringAutomaticDownloadsUntilItReportsBack) {
    HoldingSite site;
    inst.SetSiteInUse(&site);
    Channel(1)->SetSelected(true); // never downloaded, so due
    auto dlg = Open();
    dlg->AutoBox().setChecked(true);
    EXPECT_EQ(dlg->AutoTimer().interval(), 60000);
    dlg->reject();
    EXPECT_TRUE(dlg->isVisible()) << "refused in automatic mode";
    dlg->OnAutoTimer();
    ASSERT_EQ(site.posted.size(), 1u);
    EXPECT_EQ(site.posted[0].first, unsigned(MSG_DOWNLOAD_DAS_RECORDS));
    EXPECT_EQ(site.posted[0].second, std::vector<uint32_t>{Channel(1)->GetHandle()});
    EXPECT_TRUE(dlg->IsBusy());
    // The operator clears the box while the download runs: still refused until it reports.
    dlg->AutoBox().setChecked(false);
    EXPECT_FALSE(dlg->AutoTimer().isActive());
    dlg->reject();
    EXPECT_TRUE(dlg->isVisible());
    dlg->OnMessage(DASM_DOWNLOAD_FAILED, 0, 0);
    dlg->reject();
    EXPECT_FALSE(dlg->isVisible());
    inst.SetSiteInUse(nullptr);
}

TEST_F(DASConfigTest, CloseAsksAboutUnsentChangesOnlyWhenConnected) {
    const struct {
        bool connected;
        PromptResult answer;
        size_t asked;
        bool closed;
    } rows[] = {{true, PromptResult::No, 1, false},
                {true, PromptResult::Yes, 1, true},
                {false, PromptResult::No, 0, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.connected) + " " + std::to_string(int(row.answer)));
        inst.SetConnected(row.connected);
        inst.SetDasModified(true);
        app.prompt.asked.clear();
        app.prompt.Answer(row.answer);
        auto dlg = Open();
        dlg->SamplesBox().setChecked(false);
        dlg->reject();
        EXPECT_EQ(app.prompt.asked.size(), row.asked);
        if (row.asked) {
            EXPECT_EQ(app.prompt.asked[0].text, LoadString(61302));
        }
        EXPECT_EQ(!dlg->isVisible(), row.closed);
        if (row.closed) {
            EXPECT_FALSE(inst.GetShowSampleCounts());
        }
    }
}

TEST_F(DASConfigTest, SaveDataHoldsOffTimerActionsAndStopsAtTheFirstRefusal) {
    for (size_t c = 0; c < 2; ++c) {
        Channel(c)->SetSelected(true);
        Channel(c)->GetParameter(0)->Records().emplace_back(1.0, 0, 1700000000u, true);
    }
    std::vector<int32_t> idleCounts;
    D::SetDataWindows({{},
                       {},
                       [&](CDataRecordSet&, D&) {
                           idleCounts.push_back(inst.GetIdleCount());
                           return false;
                       },
                       {}});
    const int32_t before = inst.GetIdleCount();
    auto dlg = Open();
    dlg->OnSaveData();
    D::SetDataWindows({});
    EXPECT_EQ(idleCounts, std::vector<int32_t>{before - 1}) << "one call, timer actions held off";
    EXPECT_EQ(inst.GetIdleCount(), before);
    EXPECT_TRUE(dlg->IsIdle());
}

TEST_F(DASConfigTest, ARequestThatCannotBePostedLeavesTheWindowIdle) {
    // No site worker: the window must not wait for an answer that cannot come.
    auto dlg = Open();
    Channel(0)->SetSelected(true);
    dlg->AutoBox().setChecked(true);
    dlg->OnAutoTimer();
    EXPECT_FALSE(dlg->IsBusy());
    dlg->AutoBox().setChecked(false);
    dlg->OnGetConfig();
    EXPECT_FALSE(dlg->IsBusy());
    EXPECT_TRUE(dlg->IsIdle());
    EXPECT_EQ(dlg->Tree().topLevelItemCount(), 2);
}

// CONC1's records in a set of their own.
struct DataWindowsTest : DASConfigTest {
    void SetUp() override {
        DASConfigTest::SetUp();
        CDASChannel& ch = *Channel(0);
        // NOX has 8 records (the fourth invalid), O3 only 5.
        for (int r = 0; r < 8; ++r)
            ch.GetParameter(0)->Records().emplace_back(10.0 + r, 60, 1700000000u + 3600u * r,
                                                       r != 3);
        for (int r = 0; r < 5; ++r)
            ch.GetParameter(1)->Records().emplace_back(0.5 * r, 0, 1700000000u + 3600u * r, true);
        set.Add(ch.GetParameter(0));
        set.Add(ch.GetParameter(1));
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CGraphWindow*>(w))
                delete w;
        DASConfigTest::TearDown();
    }
    CDataRecordSet set;
};

TEST_F(DataWindowsTest, ViewShowsTheShortestParameterRowsAndSamplesOnlyWithTheBox) {
    for (bool samples : {false, true}) {
        SCOPED_TRACE(samples ? "Samples ticked" : "Samples unticked");
        inst.SetShowSampleCounts(samples);
        auto das = Open();
        CDASDataViewDialog view(set, das.get());
        view.show();
        SaveShot(view, samples ? "data-view" : "data-view-without-samples");
        QAbstractItemModel* model = view.Table().model();
        EXPECT_EQ(view.windowTitle(), "Monitor 1 at Local Site");
        EXPECT_EQ(model->rowCount(), 5);
        QStringList headers;
        for (int c = 0; c < model->columnCount(); ++c)
            headers << model->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(headers, samples ? QStringList({"Time", "NOX", "Samples", "O3"})
                                   : QStringList({"Time", "NOX", "O3"}));
        EXPECT_EQ(model->index(4, 1).data().toString(), "14.0");
        if (samples) {
            EXPECT_EQ(model->index(4, 2).data().toString(), "60");
        }
    }
}

TEST_F(DataWindowsTest, SavingTwiceWithAppendWritesOneHeader) {
    const std::string path = (Dir() / "append.txt").string();
    std::filesystem::remove(path);
    inst.SetShowSampleCounts(false);
    CDASConfigDialog das(inst);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        int asked = -1;
        std::string where;
        QTimer::singleShot(50, [&] {
            auto* chooser = qobject_cast<CAppFileDialog*>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            asked = 0;
            EXPECT_TRUE(chooser->selectedFiles().value(0).contains("Monitor 1-0042-CONC1-NOX-"));
            chooser->SetPrompter([&](const QString&) {
                ++asked;
                return 1236; // append
            });
            // As the operator types it into the chooser's name field.
            if (auto* name = chooser->findChild<QLineEdit*>("fileNameEdit"))
                name->setText(QString::fromStdString(path));
            where = chooser->GetPathName().toStdString();
            chooser->accept();
        });
        EXPECT_TRUE(CDASDataViewDialog::SaveRecordSetAs(set, &das));
        EXPECT_EQ(where, path);
        EXPECT_EQ(asked, round) << "replace or append, only when the file exists";
    }
    // One header, the rows of both rounds.
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("Date,Time"), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11) << text;
}

TEST_F(DataWindowsTest, GraphHasAGapPerInvalidRecordAndFiveShortestPoints) {
    CGraphWindow* graph = CGraphWindow::ShowGraph(set);
    ASSERT_NE(graph, nullptr);
    CChartAdapter& chart = graph->Chart();
    EXPECT_EQ(graph->windowTitle(), "Local Site - Monitor 1 - CONC1");
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.PointCount(0), 5);
    EXPECT_EQ(chart.PointCount(1), 5);
    EXPECT_TRUE(std::isnan(chart.Value(0, 3)));
    EXPECT_EQ(chart.Value(0, 4), 14.0);
    EXPECT_EQ(chart.IndexLabel(0),
              QString::fromStdString(set.GetRecord(0, 0)->GetText(REC_LABEL, 0)));
    EXPECT_EQ(chart.IndexLabel(0.5), "") << "no label between rows";
    const double before = chart.VisibleTo() - chart.VisibleFrom();
    chart.Zoom(0.5);
    EXPECT_NEAR(chart.VisibleTo() - chart.VisibleFrom(), before / 2, 1e-9);
    chart.FitAll();
    EXPECT_NEAR(chart.VisibleTo() - chart.VisibleFrom(), before, 1e-9);
    SaveShot(*graph, "graph-gap");
    const std::string pdf = (Dir() / "graph.pdf").string();
    EXPECT_TRUE(chart.Export(QString::fromStdString(pdf)));
    EXPECT_GT(std::filesystem::file_size(pdf), 0u);
}

TEST_F(DataWindowsTest, AtMostThreeGraphsAtOnce) {
    std::vector<CGraphWindow*> open;
    for (int i = 0; i < 3; ++i)
        open.push_back(CGraphWindow::ShowGraph(set));
    for (CGraphWindow* g : open)
        ASSERT_NE(g, nullptr);
    EXPECT_EQ(CGraphWindow::ShowGraph(set), nullptr);
    open[1]->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CGraphWindow::OpenCount(), 2);
    EXPECT_NE(CGraphWindow::ShowGraph(set), nullptr);
}

TEST_F(DataWindowsTest, AnEmptySetOpensNothing) {
    CDataRecordSet empty;
    EXPECT_EQ(CGraphWindow::ShowGraph(empty), nullptr);
    EXPECT_TRUE(CDASDataViewDialog::SaveRecordSetAs(empty, nullptr));
    EXPECT_FALSE(CDASDataViewDialog::SaveRecordSet(empty, Dir() / "empty.txt", false, nullptr));
}

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

TEST(DASSimulatorTest, ConfigurationAndDataThroughTheSiteWorker) {
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

    {
        CDASConfigDialog dlg(*inst, panel);
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
            static_cast<CDASChannel*>(inst->DasChannels().At(0))->FillRecordSet(set);
        }
        EXPECT_EQ(set.GetRows(), 24);
    }
    app.prompt.Answer(PromptResult::Yes);
    panel->close();
    EXPECT_TRUE(PumpUntil([&] { return !inst->IsConnected(); }));
    for (CNamedObject* obj : app->Sites())
        if (auto* site = dynamic_cast<CSiteConnection*>(obj))
            site->WaitForWorkers(CSiteConnection::kJoinLimitMs);
}

} // namespace
