#include "base/Strings.h"
#include "das/DASExchange.h"
#include "das/DASTestUtil.h"
#include "das/gui/DASConfigDialog.h"
#include "instruments/SiteLink.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableProgressCtrl.h"
#include "ui/ResizableTreeCtrl.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

namespace {

using namespace dastest;
using D = CDASConfigDialog;

// A site that takes every request and keeps it; the test answers for the worker.
struct HoldingSite : SiteLink {
    std::string GetSiteName() const override { return "Harbour"; }
    void OpenLink(CInstrumentConnection*) override {}
    bool ReleaseLink(bool) override { return true; }
    bool IsConnected() const override { return true; }
    bool IsBusy() const override { return false; }
    void SetBusy(bool) override {}
    bool Send(const std::string&, bool) override { return true; }
    CConnection* GetConnection() override { return nullptr; }
    void CancelRead() override {}
    bool PostConnectRequest(CInstrumentConnection*) override { return true; }
    bool PostRequest(unsigned message, uint32_t, uintptr_t,
                     std::unique_ptr<InstrumentRequest> request) override {
        posted.push_back({message, request ? request->channels : std::vector<uint32_t>{}});
        return true;
    }
    std::vector<std::pair<unsigned, std::vector<uint32_t>>> posted;
};

struct DASConfigTest : ::testing::Test {
    void SetUp() override {
        EnsureGuiTestApp();
        FillInstrument(inst);
        inst.SetName("Monitor 1");
        inst.SetCapabilities(CAP_DAS | CAP_NEW_DAS | CAP_DAS_EVENT_PARAM);
        inst.SetConnected(true);
        D::SetSettings({[this] { return useCheckboxes; }, {}, {}});
    }
    void TearDown() override {
        D::SetSettings({});
        CDASChannel::SetEditor(nullptr);
        inst.SetConnected(false);
    }
    // A shown window with its first sync handled.
    std::unique_ptr<D> Open() {
        auto dlg = std::make_unique<D>(inst);
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
    bool useCheckboxes = true;
};

TEST_F(DASConfigTest, OpensAtItsPlaceWithTheCaptionAndTheTree) {
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), "Monitor 1 at Local Site");
    EXPECT_EQ(dlg->pos(), QPoint(20, 348));
    EXPECT_EQ(dlg->size(), QSize(488, 450));
    ASSERT_EQ(dlg->Tree().topLevelItemCount(), 2);
    EXPECT_EQ(dlg->Tree().topLevelItem(0)->childCount(), 2);
    EXPECT_TRUE(dlg->IsIdle());
    std::filesystem::create_directories(GASQUILL_BIN_DIR "/screenshots");
    dlg->Tree().expandAll();
    QApplication::processEvents();
    EXPECT_TRUE(dlg->grab().save(GASQUILL_BIN_DIR "/screenshots/das-window.png"));
}

TEST_F(DASConfigTest, EnablesFollowConnectionListsAndSelection) {
    const struct {
        const char* name;
        bool connected, lists, selected;
        bool getConfig, send, newChannel, getData, autoBox;
    } rows[] = {
        {"connected, lists, selected", true, true, true, true, true, true, true, true},
        {"not connected", false, true, true, false, false, true, false, false},
        {"no lists", true, false, true, true, false, false, true, true},
        {"nothing selected", true, true, false, true, true, true, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        inst.SetConnected(row.connected);
        if (!row.lists)
            inst.DasPoints().DeleteAll();
        else if (inst.DasPoints().IsEmpty())
            inst.DasPoints().AddTail(new CDASPoint("NOX", 7, "NOx", KW_LOW));
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
    const struct {
        QTreeWidgetItem* item;
        const char* menu;
        std::vector<std::pair<const char*, bool>> enabled;
        bool ticked;
    } rows[] = {
        {dlg->Tree().topLevelItem(0),
         "Channel",
         {{"New &Channel", true}, {"D&uplicate Channel", true}, {"New &Parameter", false}},
         false},
        {dlg->Tree().topLevelItem(1),
         "Channel",
         {{"New &Channel", true}, {"New &Parameter", true}},
         true},
        {dlg->Tree().topLevelItem(0)->child(0),
         "Parameter",
         {{"New &Parameter", false}, {"D&uplicate Parameter", false}},
         false},
        {dlg->Tree().topLevelItem(1)->child(0),
         "Parameter",
         {{"New &Parameter", true}, {"D&uplicate Parameter", true}},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item->text(0).toStdString());
        dlg->Tree().setCurrentItem(row.item);
        QMenu* menu = dlg->PrepareContextMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), row.menu);
        for (const auto& [text, on] : row.enabled)
            for (QAction* a : menu->actions()) {
                if (a->text() == text) {
                    EXPECT_EQ(a->isEnabled(), on) << text;
                }
            }
        for (QAction* a : menu->actions()) {
            if (a->text().startsWith("&Select")) {
                EXPECT_EQ(a->isChecked(), row.ticked);
            }
        }
    }
}

TEST_F(DASConfigTest, DeleteWithoutConfirmMovesToTheNextSibling) {
    app->SetConfirmDeletes(false);
    auto dlg = Open();
    dlg->Tree().setCurrentItem(dlg->Tree().topLevelItem(0));
    dlg->OnDelete();
    EXPECT_TRUE(app.prompt.asked.empty());
    ASSERT_EQ(inst.DasChannels().GetCount(), 1u);
    EXPECT_EQ(Channel(0)->GetName(), "CAL");
    EXPECT_EQ(dlg->Tree().currentItem(), dlg->Tree().topLevelItem(0));
    EXPECT_TRUE(inst.GetDasModified());
}

TEST_F(DASConfigTest, DuplicateGivesTheEditorACopyWithoutAName) {
    std::string nameSeen = "unset";
    CDASChannel::SetEditor([&](CDASChannel& c) {
        nameSeen = c.GetName();
        c.SetName("CONC2");
        return true;
    });
    auto dlg = Open();
    dlg->Tree().setCurrentItem(dlg->Tree().topLevelItem(0));
    dlg->OnDuplicate();
    EXPECT_EQ(nameSeen, "");
    ASSERT_EQ(inst.DasChannels().GetCount(), 3u);
    EXPECT_EQ(Channel(2)->Parameters().GetCount(), 2u);
    EXPECT_EQ(dlg->Tree().currentItem(), dlg->Tree().topLevelItem(2));
    EXPECT_EQ(dlg->Tree().topLevelItem(2)->childCount(), 2);
}

TEST_F(DASConfigTest, ProgressMessagesDriveStatusAndBar) {
    auto dlg = Open();
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
    EXPECT_TRUE(dlg->AutoTimer().isActive());
    EXPECT_EQ(dlg->AutoTimer().interval(), 60000);
    EXPECT_FALSE(dlg->IsIdle());
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
    EXPECT_FALSE(dlg->IsIdle());
    dlg->OnMessage(DASM_DOWNLOAD_FAILED, 0, 0);
    EXPECT_TRUE(dlg->IsIdle());
    dlg->reject();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(app.prompt.asked.empty());
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

} // namespace
