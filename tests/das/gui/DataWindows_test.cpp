#include "das/DASTestUtil.h"
#include "das/DataRecordSet.h"
#include "das/gui/ChartAdapter.h"
#include "das/gui/DASConfigDialog.h"
#include "das/gui/DASDataViewDialog.h"
#include "das/gui/GraphWindow.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"
#include "ui/AppFileDialog.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace dastest;

const std::string kShots = GASQUILL_BIN_DIR "/screenshots";

struct DataWindowsTest : ::testing::Test {
    void SetUp() override {
        EnsureGuiTestApp();
        std::filesystem::create_directories(kShots);
        FillInstrument(inst);
        inst.SetName("Monitor 1");
        inst.SetSerialNumber("0042");
        CDASChannel& ch = Channel();
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
    }
    CDASChannel& Channel() { return *static_cast<CDASChannel*>(inst.DasChannels().At(0)); }
    TestApp app;
    CInstrumentConnection inst;
    CDataRecordSet set;
};

TEST_F(DataWindowsTest, ViewShowsTheShortestParameterRowsAndSamplesOnlyWithTheBox) {
    for (bool samples : {false, true}) {
        SCOPED_TRACE(samples ? "Samples ticked" : "Samples unticked");
        inst.SetShowSampleCounts(samples);
        CDASConfigDialog das(inst);
        das.show();
        QApplication::processEvents();
        CDASDataViewDialog view(set, &das);
        view.show();
        QApplication::processEvents();
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
            EXPECT_TRUE(view.grab().save(QString::fromStdString(kShots + "/data-view.png")));
        }
    }
}

TEST_F(DataWindowsTest, SavingTwiceWithAppendWritesOneHeader) {
    const std::string path = (TempDir() / "append.txt").string();
    std::filesystem::remove(path);
    inst.SetShowSampleCounts(false);
    CDASConfigDialog das(inst);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        bool seen = false;
        int asked = 0;
        std::string where;
        QTimer::singleShot(50, [&] {
            auto* chooser = qobject_cast<CAppFileDialog*>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            seen = true;
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
        EXPECT_TRUE(seen);
        EXPECT_EQ(where, path);
        EXPECT_EQ(asked, round) << "replace or append, only when the file exists";
    }
    const std::string text = ReadAll(path);
    size_t headers = 0;
    for (size_t at = text.find("Date,Time"); at != std::string::npos;
         at = text.find("Date,Time", at + 1))
        ++headers;
    EXPECT_EQ(headers, 1u);
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 11u) << text;
    EXPECT_NE(text.find(", 0.000"), std::string::npos) << "appended rows use \", \"";
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
    EXPECT_EQ(graph->geometry(),
              QRect(QGuiApplication::primaryScreen()->geometry().right() + 1 - 400, 20, 400, 280));
    const double before = chart.VisibleTo() - chart.VisibleFrom();
    chart.Zoom(0.5);
    EXPECT_NEAR(chart.VisibleTo() - chart.VisibleFrom(), before / 2, 1e-9);
    chart.FitAll();
    EXPECT_NEAR(chart.VisibleTo() - chart.VisibleFrom(), before, 1e-9);
    EXPECT_TRUE(graph->grab().save(QString::fromStdString(kShots + "/graph-gap.png")));
    const std::string pdf = (TempDir() / "graph.pdf").string();
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
    // The place of the window closed is remembered for the next.
    const Rect slot = app->GetWindowLayout(CGraphWindow::kLayoutSlot);
    EXPECT_EQ(slot.Width(), 400);
}

TEST_F(DataWindowsTest, AnEmptySetOpensNothing) {
    CDataRecordSet empty;
    EXPECT_EQ(CGraphWindow::ShowGraph(empty), nullptr);
    EXPECT_TRUE(CDASDataViewDialog::SaveRecordSetAs(empty, nullptr));
}

} // namespace
