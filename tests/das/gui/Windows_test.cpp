// The DAS window, its editors and data windows, on a connected instrument with events and data
// points of three levels; last, end to end against the demo's simulated Monitor over loopback
// TCP, the site worker posting its results to the window.

#include "app/NetworkConfiguration.h"
#include "app/gui/Demo.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "das/DASExchange.h"
#include "das/DASTestUtil.h"
#include "das/DataRecordSet.h"
#include "das/gui/ChartAdapter.h"
#include "das/gui/DASChanPropertySheet.h"
#include "das/gui/DASConfigDialog.h"
#include "das/gui/DASDataViewDialog.h"
#include "das/gui/DASParameterPropertiesDialog.h"
#include "das/gui/GraphWindow.h"
#include "das/gui/SelectRecordsDialog.h"
#include "instruments/gui/FrontPanelDialog.h"
#include "instruments/gui/PanelTestSupport.h"
#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"
#include "ui/AppFileDialog.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableProgressCtrl.h"
#include "ui/ResizableTreeCtrl.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace dastest;
using D = CDASConfigDialog;
using paneltest::PumpUntil;

// A site that keeps the requests posted to its worker; the test answers for the worker.
struct HoldingSite : CSiteConnection {
    bool PostRequest(unsigned message, uint32_t, uintptr_t,
                     std::unique_ptr<InstrumentRequest> request) override {
        posted.push_back({message, request->channels});
        return true;
    }
    std::vector<std::pair<unsigned, std::vector<uint32_t>>> posted;
};

struct DASWindowTest : ::testing::Test {
    void SetUp() override {
        EnsureGuiTestApp();
        FillInstrument(inst);
        inst.SetName("Monitor 1");
        inst.SetSerialNumber("0042");
        inst.SetCapabilities(CAP_DAS | CAP_NEW_DAS | CAP_DAS_EVENT_PARAM);
        inst.SetConnected(true);
        inst.DasEvents().AddTail(new CDASEvent("HIGHEV", 3, false, KW_HIGH));
        inst.DasPoints().AddTail(new CDASPoint("O3", 8, "Ozone", KW_MED));
        inst.DasPoints().AddTail(new CDASPoint("SECRET", 9, "Factory", KW_HIGH));
        CDASConfigDialog::SetSettings({[this] { return useCheckboxes; }, {}, {}});
    }
    void TearDown() override {
        CDASConfigDialog::SetSettings({});
        CDASChannel::SetEditor(nullptr);
        inst.SetConnected(false);
    }
    // A shown DAS window with its first sync handled.
    std::unique_ptr<CDASConfigDialog> Open() {
        auto dlg = std::make_unique<CDASConfigDialog>(inst);
        dlg->show();
        QApplication::processEvents();
        return dlg;
    }
    CDASChannel* Channel(size_t i) { return static_cast<CDASChannel*>(inst.DasChannels().At(i)); }
    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& q : app.prompt.asked)
            texts.push_back(q.text);
        return texts;
    }
    TestApp app;
    CInstrumentConnection inst;
    CSelectionSet sel;
    bool useCheckboxes = true;
};

using EditorsTest = DASWindowTest;
using DASConfigTest = DASWindowTest;

std::string YearRefused(const std::string& which, int year) {
    return which + " year of " + std::to_string(year) +
           " is not supported by the instrument. Please make sure the year is between 1970 "
           "and 2105.";
}

TEST_F(EditorsTest, EachTypeEnablesAndChecksOnlyItsOwnFields) {
    // The counts belong to types 2 (records) to 6 (months), the pickers to 7 (between).
    const struct {
        int type;
        const char* count;
        bool accepted;
    } rows[] = {{0, nullptr, true}, {2, "10001", false}, {3, "25", false}, {4, "0", false},
                {5, "53", false},   {5, "52", true},     {6, "x", false},  {7, nullptr, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.type) + " " + (row.count ? row.count : ""));
        sel = CSelectionSet();
        app.prompt.asked.clear();
        CSelectRecordsDialog dlg(&inst, sel);
        dlg.TypeButton(row.type).click();
        QLineEdit* counts[] = {&dlg.Records(), &dlg.Hours(), &dlg.Days(), &dlg.Weeks(),
                               &dlg.Months()};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(counts[i]->isEnabled(), row.type == i + 2) << "count " << i;
        for (const QWidget* picker : std::initializer_list<const QWidget*>{
                 &dlg.StartDate(), &dlg.StartTime(), &dlg.EndDate(), &dlg.EndTime()})
            EXPECT_EQ(picker->isEnabled(), row.type == 7);
        EXPECT_FALSE(dlg.UseInstrumentDates().isEnabled()) << "no from/to capability";
        dlg.StartDate().setDate(QDate(2200, 1, 1)); // out of range: only type 7 minds
        if (row.count)
            counts[row.type - 2]->setText(row.count);
        dlg.accept();
        EXPECT_EQ(dlg.result() == QDialog::Accepted, row.accepted);
        EXPECT_EQ(app.prompt.asked.size(), row.accepted ? 0u : 1u);
        EXPECT_EQ(sel.GetType(), row.accepted ? row.type : 0);
        EXPECT_EQ(sel.GetWeeks(), row.accepted && row.count ? 52 : 1);
    }
}

TEST_F(EditorsTest, BetweenChecksBothYearsThenAsksAboutAReversedRange) {
    const std::string reversed = LoadString(61293);
    inst.SetCapabilities(CAP_DAS_FROM_TO);
    // clang-format off
    const struct {
        const char *start, *end;
        PromptResult answer;
        std::vector<std::string> asked;
        bool accepted;
    } rows[] = {
        {"1969-05-01T00:00:00Z", "2200-01-02T00:00:00Z", PromptResult::Ok,
         {YearRefused("Starting", 1969), YearRefused("Ending", 2200)}, false},
        {"2020-05-01T10:00:05Z", "2020-05-01T10:00:05Z", PromptResult::Ok, {}, true},
        {"2020-05-02T00:00:00Z", "2020-05-01T23:59:59Z", PromptResult::No, {reversed}, false},
        {"2020-05-02T00:00:00Z", "2020-05-01T23:59:59Z", PromptResult::Yes, {reversed}, true},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.start) + " .. " + row.end);
        const QDateTime start = QDateTime::fromString(row.start, Qt::ISODate);
        const QDateTime end = QDateTime::fromString(row.end, Qt::ISODate);
        app.prompt.asked.clear();
        if (row.answer != PromptResult::Ok)
            app.prompt.Answer(row.answer);
        sel = CSelectionSet();
        sel.SetStart(1000);
        sel.SetEnd(2000);
        CSelectRecordsDialog dlg(&inst, sel);
        EXPECT_TRUE(dlg.UseInstrumentDates().isEnabled());
        dlg.TypeButton(7).click();
        dlg.StartDate().setDate(start.date());
        dlg.StartTime().setTime(start.time());
        dlg.EndDate().setDate(end.date());
        dlg.EndTime().setTime(end.time());
        dlg.accept();
        EXPECT_EQ(Asked(), row.asked);
        EXPECT_EQ(dlg.result() == QDialog::Accepted, row.accepted);
        EXPECT_EQ(sel.GetStart(), row.accepted ? start.toSecsSinceEpoch() : 1000);
        EXPECT_EQ(sel.GetEnd(), row.accepted ? end.toSecsSinceEpoch() : 2000);
        EXPECT_EQ(sel.GetType(), row.accepted ? 7 : 0);
    }
}

TEST_F(EditorsTest, PagesCheckNameEventPeriodsAndTheDownloadFile) {
    CDASChanPropertySheet sheet(*Channel(0));
    // Events of the low and medium levels only; a timer event enables the start, another not.
    QComboBox& events = sheet.Basic().Event();
    EXPECT_EQ(events.count(), 2);
    EXPECT_EQ(events.findText("HIGHEV"), -1);
    events.setCurrentIndex(1);
    EXPECT_FALSE(sheet.Basic().StartDate().isEnabled());
    events.setCurrentIndex(0);
    EXPECT_TRUE(sheet.Basic().StartDate().isEnabled());
    // A name must be valid and unlike the other channels'.
    const struct {
        const char* name;
        bool accepted;
    } names[] = {{"", false}, {"NEW CHAN", false}, {"cal", false}, {"NEW_1", true}};
    for (const auto& row : names) {
        SCOPED_TRACE(row.name);
        app.prompt.asked.clear();
        sheet.Basic().Name().setText(row.name);
        EXPECT_EQ(sheet.Basic().Validate(), row.accepted);
        EXPECT_EQ(Asked(), std::vector<std::string>(row.accepted ? 0 : 1, LoadString(61265)));
    }
    // Both periods must be above zero.
    sheet.Basic().Sample().days->setText("0");
    sheet.Basic().Sample().hours->setText("0");
    sheet.Basic().Sample().minutes->setText("0");
    EXPECT_FALSE(sheet.Basic().Validate());
    EXPECT_EQ(Asked(), std::vector<std::string>{LoadString(61264)});

    const struct {
        bool selected;
        const char* file;
        const char* period; // days
        PromptResult answer;
        std::vector<unsigned> asked;
        bool accepted;
    } rows[] = {
        {true, "", "1", PromptResult::Yes, {61312}, false},
        {true, "", "0", PromptResult::No, {61312, 61311}, false},
        {false, "", "0", PromptResult::No, {61311}, false},
        {true, "out.txt", "2", PromptResult::No, {}, true},
    };
    CDASChanAdvPropertyPage& adv = sheet.Advanced();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " days " + row.period);
        app.prompt.asked.clear();
        app.prompt.Answer(row.answer);
        adv.Selected().setChecked(row.selected);
        adv.File().setText(row.file);
        adv.Period().days->setText(row.period);
        adv.Period().hours->setText("0");
        adv.Period().minutes->setText("0");
        EXPECT_EQ(adv.Validate(), row.accepted);
        std::vector<std::string> want;
        for (unsigned id : row.asked)
            want.push_back(LoadString(id));
        EXPECT_EQ(Asked(), want);
    }
    EXPECT_EQ(adv.LastDownload().text(), "Unknown");
    std::string proposed;
    CDASChanAdvPropertyPage::SetFileChooser([&](const std::string& name) {
        proposed = name;
        return std::optional<std::string>("/data/chosen.txt");
    });
    adv.File().setText(""); // with no file yet, the chooser proposes one
    adv.OnSelectFile();
    CDASChanAdvPropertyPage::SetFileChooser(nullptr);
    EXPECT_EQ(proposed, "Monitor 1-0042-CONC1-Auto.txt");
    EXPECT_EQ(adv.File().text(), "/data/chosen.txt");
}

TEST_F(EditorsTest, ParameterDialogOffersLowAndMediumPointsChecksPrecisionThenStores) {
    CDASParameter& p = *Channel(0)->GetParameter(0);
    CDASParameterPropertiesDialog dlg(p);
    EXPECT_EQ(dlg.Point().count(), 2);
    EXPECT_EQ(dlg.Point().findText("SECRET"), -1);
    EXPECT_TRUE(dlg.StoreSamples().isEnabled());
    dlg.Point().setCurrentText("O3");
    dlg.Mode().setCurrentText("MAX");
    dlg.Precision().setText("5");
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(p.GetName(), "NOX");
    dlg.Precision().setText("4");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(p.GetName(), "O3");
    EXPECT_EQ(p.GetMode(), "MAX");
    EXPECT_EQ(p.GetPrecision(), 4);
    EXPECT_EQ(p.GetDescription(), "Ozone");
    inst.SetCapabilities(0);
    EXPECT_FALSE(CDASParameterPropertiesDialog(p).StoreSamples().isEnabled()) << "old DAS";
}

TEST_F(DASConfigTest, EnablesFollowConnectionListsAndSelection) {
    const struct {
        const char* name;
        bool connected, lists, selected;
        bool getConfig, send, newChannel, getData, autoBox;
    } rows[] = {
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
    Channel(0)->GetParameter(0)->SetSetNumber(4);
    Channel(0)->GetParameter(0)->AddRecord(CDataRecord(2, 1, 0, true));
    auto dlg = Open();
    QTreeWidgetItem* conc1 = dlg->Tree().topLevelItem(0);
    EXPECT_EQ(conc1->text(0), "CONC1, ATIMER, 800 Records Maximum");
    EXPECT_EQ(conc1->child(0)->text(0), "NOX, AVG, Set 4, 1 Records");
    dlg->Tree().setCurrentItem(conc1);
    dlg->OnDuplicate();
    EXPECT_EQ(nameSeen, "");
    ASSERT_EQ(inst.DasChannels().GetCount(), 3u);
    EXPECT_EQ(dlg->Tree().topLevelItem(2)->childCount(), 2);
    // The copy has its own selection and parameters.
    CDASChannel* copy = Channel(2);
    EXPECT_EQ(copy->GetActiveSelection(), &copy->GetSelection());
    EXPECT_EQ(copy->GetParameter(0)->GetChannel(), copy);
    // Deleting CONC1 unasked moves to its next sibling.
    dlg->Tree().setCurrentItem(dlg->Tree().topLevelItem(0));
    dlg->OnDelete();
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(Channel(0)->GetName(), "CAL");
    EXPECT_EQ(Channel(1)->GetName(), "CONC2");
    EXPECT_EQ(dlg->Tree().currentItem(), dlg->Tree().topLevelItem(0));
    EXPECT_TRUE(inst.GetDasModified());
}

TEST_F(DASConfigTest, AutomaticDownloadShowsProgressAndHoldsTheWindowOpenUntilItReportsBack) {
    HoldingSite site;
    Channel(1)->SetSelected(true); // never downloaded, so due
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), "Monitor 1 at Local Site");
    dlg->Tree().expandAll();
    SaveShot(*dlg, "das-window");
    // No site worker yet: the window must not wait for answers that cannot come.
    dlg->OnGetConfig();
    EXPECT_TRUE(dlg->IsIdle());
    dlg->AutoBox().setChecked(true);
    dlg->OnAutoTimer();
    EXPECT_FALSE(dlg->IsBusy());
    inst.SetSiteInUse(&site);
    EXPECT_EQ(dlg->AutoTimer().interval(), 60000);
    dlg->reject();
    EXPECT_TRUE(dlg->isVisible()) << "refused in automatic mode";
    dlg->OnAutoTimer();
    ASSERT_EQ(site.posted.size(), 1u);
    EXPECT_EQ(site.posted[0].first, unsigned(MSG_DOWNLOAD_DAS_RECORDS));
    EXPECT_EQ(site.posted[0].second, std::vector<uint32_t>{Channel(1)->GetHandle()});
    EXPECT_TRUE(dlg->IsBusy());
    // What the worker reports drives the status and the bar.
    dlg->OnMessage(DASM_DOWNLOAD_START, 40, reinterpret_cast<intptr_t>(Channel(1)));
    EXPECT_EQ(dlg->StatusText().text(), "Downloading data for CAL...");
    EXPECT_EQ(dlg->Progress().maximum(), 40);
    dlg->OnMessage(DASM_STEP, 0, 0);
    dlg->OnMessage(DASM_STEP, 0, 0);
    EXPECT_EQ(dlg->Progress().value(), 2);
    // The operator clears the box while the download runs: still refused until it reports.
    dlg->AutoBox().setChecked(false);
    EXPECT_FALSE(dlg->AutoTimer().isActive());
    dlg->reject();
    EXPECT_TRUE(dlg->isVisible());
    dlg->OnMessage(DASM_DOWNLOAD_FAILED, 0, 0);
    EXPECT_EQ(dlg->StatusText().text(), "");
    EXPECT_EQ(dlg->Progress().value(), 0);
    // Unsent changes: asked about while connected, where No keeps the window; not otherwise.
    inst.SetDasModified(true);
    dlg->SamplesBox().setChecked(false);
    app.prompt.Answer(PromptResult::No);
    dlg->reject();
    EXPECT_TRUE(dlg->isVisible());
    inst.SetConnected(false);
    dlg->reject();
    EXPECT_EQ(Asked(), std::vector<std::string>{LoadString(61302)});
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(inst.GetShowSampleCounts()) << "the box is kept at closing";
    inst.SetSiteInUse(nullptr);
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
        if (samples)
            SaveShot(view, "data-view");
        QAbstractItemModel* model = view.Table().model();
        EXPECT_EQ(view.windowTitle(), "Monitor 1 at Local Site");
        EXPECT_EQ(model->rowCount(), 5);
        QStringList headers;
        for (int c = 0; c < model->columnCount(); ++c)
            headers << model->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(headers, samples ? QStringList({"Time", "NOX", "Samples", "O3"})
                                   : QStringList({"Time", "NOX", "O3"}));
        EXPECT_EQ(model->index(0, 0).data().toString(), "11/14/2023 22:13:20");
        EXPECT_EQ(model->index(4, 1).data().toString(), "14.0");
        EXPECT_EQ(model->index(4, 2).data().toString(), samples ? "60" : "2.000");
    }
}

TEST_F(DataWindowsTest, SaveDataAsksForAFileAndAppendsWithoutAHeaderHoldingOffTimerActions) {
    const std::string path = (Dir() / "append.txt").string();
    inst.SetShowSampleCounts(false);
    Channel(0)->SetSelected(true);
    auto das = Open();
    ASSERT_TRUE(CDASDataViewDialog::SaveRecordSet(set, path, false, das.get()));
    CDASDataViewDialog::Install();
    const int32_t idle = inst.GetIdleCount();
    int asked = -1;
    QTimer::singleShot(50, [&] {
        auto* chooser = qobject_cast<CAppFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        asked = 0;
        EXPECT_EQ(inst.GetIdleCount(), idle - 1) << "timer actions wait";
        EXPECT_TRUE(chooser->selectedFiles().value(0).contains("Monitor 1-0042-CONC1-NOX-"));
        chooser->SetPrompter([&](const QString&) {
            ++asked;
            return 1236; // append
        });
        // As the operator types it into the chooser's name field.
        if (auto* name = chooser->findChild<QLineEdit*>("fileNameEdit"))
            name->setText(QString::fromStdString(path));
        chooser->accept();
    });
    das->OnSaveData();
    D::SetDataWindows({});
    EXPECT_EQ(asked, 1) << "replace or append";
    EXPECT_EQ(inst.GetIdleCount(), idle);
    EXPECT_TRUE(das->IsIdle());
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("Date,Time"), 0u) << "one header";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11) << text;
}

TEST_F(DataWindowsTest, GraphHasAGapPerInvalidRecordAndAtMostThreeAreOpen) {
    CGraphWindow* graph = CGraphWindow::ShowGraph(set);
    ASSERT_NE(graph, nullptr);
    CChartAdapter& chart = graph->Chart();
    EXPECT_EQ(graph->windowTitle(), "Local Site - Monitor 1 - CONC1");
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.PointCount(0), 5) << "the shortest parameter's rows";
    EXPECT_TRUE(std::isnan(chart.Value(0, 3)));
    EXPECT_EQ(chart.Value(0, 4), 14.0);
    EXPECT_EQ(chart.IndexLabel(0), "14-NOV,22:13");
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
    // Two more may open, a fourth only once one is closed.
    EXPECT_NE(CGraphWindow::ShowGraph(set), nullptr);
    CGraphWindow* third = CGraphWindow::ShowGraph(set);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(CGraphWindow::ShowGraph(set), nullptr);
    third->close();
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

TEST(DASSimulatorTest, ConfigurationAndDataThroughTheSiteWorker) {
    EnsureGuiTestApp();
    TestApp app;
    Demo demo;
    InstallDAS();
    ASSERT_TRUE(paneltest::LoadDemo(demo, *app));
    // No worker runs before the connect: the lists are read without the lock.
    auto* inst =
        dynamic_cast<CInstrumentConnection*>(app->Instruments().FindByName(Demo::kMonitorName));
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
