#include "connections/SiteConnection.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/SitesDialog.h"

#include <QListWidget>

namespace {

using dialogtest::DialogTest;

struct SitesDialogTest : DialogTest {
    CSiteConnection* AddSite(const std::string& name) {
        auto* site = new CSiteConnection;
        site->SetName(name);
        Sites().AddTail(site);
        return site;
    }
    // A site whose link is in use, without any thread or port behind it.
    CSiteConnection* AddConnectedSite(const std::string& name) {
        CSiteConnection* site = AddSite(name);
        site->SetConnection(new dialogtest::OpenAtOnceTransport);
        site->OpenLink(nullptr);
        return site;
    }
    void Open() {
        dlg = std::make_unique<CSitesDialog>();
        dlg->show();
        QApplication::processEvents();
    }
    std::unique_ptr<CSitesDialog> dlg;
};

TEST_F(SitesDialogTest, NewSiteIsAddedSortedOnlyWhenItsPropertiesAreConfirmed) {
    AddSite("bravo");
    AddSite("Alpha");
    AddConnectedSite("charlie");
    bool confirm = false;
    CSiteConnection::SetPropertiesEditor([&confirm](CSiteConnection& site) {
        EXPECT_EQ(site.GetName(),
                  "Local Site"); // a default site is what gets edited
        site.SetName("Mike");
        return confirm;
    });
    Open();
    EXPECT_EQ(dlg->windowTitle(), "Sites");
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", "charlie (Connected)"}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    dialogtest::Shot(*dlg, "sites");
    dlg->OnNew();
    EXPECT_EQ(Sites().GetCount(), 3u);
    EXPECT_FALSE(app->IsModified());
    confirm = true;
    dlg->OnNew();
    ASSERT_EQ(Sites().GetCount(), 4u);
    EXPECT_TRUE(app->IsModified());
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", "charlie (Connected)", "Mike"}));
    EXPECT_EQ(dlg->SelectedRow(), 3);
    EXPECT_EQ(dlg->SelectedObject(),
              Sites().At(3)); // appended to the application's list
    static_cast<CSiteConnection*>(Sites().At(2))->ReleaseLink(true);
}

TEST_F(SitesDialogTest, AConnectedSiteCanBeDuplicatedButNeitherEditedNorDeleted) {
    CSiteConnection* busy = AddConnectedSite("Depot");
    busy->SetConnectionType(CSiteConnection::TYPE_TCPIP);
    int edits = 0;
    CSiteConnection::SetPropertiesEditor([&edits](CSiteConnection&) { return ++edits > 0; });
    Open();
    dlg->SelectRow(0);
    EXPECT_FALSE(dlg->EditButton().isEnabled() || dlg->DeleteButton().isEnabled());
    EXPECT_TRUE(dlg->DuplicateButton().isEnabled());
    app.prompt.Answer(PromptResult::Yes);
    dlg->OnEdit();
    dlg->OnDelete();
    emit dlg->List().itemDoubleClicked(dlg->List().item(0));
    EXPECT_EQ(edits, 0);
    EXPECT_TRUE(app.prompt.asked.empty());

    dlg->OnDuplicate();
    auto* copy = dynamic_cast<CSiteConnection*>(Sites().At(1));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetId(), busy->GetId());
    EXPECT_EQ(copy->GetConnectionTypeIndex(), CSiteConnection::TYPE_TCPIP);
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Copy of Depot", "Depot (Connected)"}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    EXPECT_TRUE(app->IsModified());
    EXPECT_TRUE(dlg->EditButton().isEnabled()); // the copy starts disconnected
    busy->ReleaseLink(true);
}

TEST_F(SitesDialogTest, EditReplacesTheRowInSortedPlaceAndACancelLeavesIt) {
    AddSite("Alpha");
    CSiteConnection* site = AddSite("Bravo");
    AddSite("Charlie");
    bool confirm = false;
    CSiteConnection::SetPropertiesEditor([&confirm](CSiteConnection& s) {
        s.SetName("Delta"); // also when cancelled: the row keeps what was shown
        return confirm;
    });
    Open();
    dlg->SelectRow(1);
    dlg->OnEdit();
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "Bravo", "Charlie"}));
    confirm = true;
    emit dlg->List().itemDoubleClicked(dlg->List().item(1)); // a double-click edits too
    EXPECT_EQ(site->GetName(), "Delta");
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "Charlie", "Delta"}));
    EXPECT_EQ(dlg->SelectedRow(), 2);
}

TEST_F(SitesDialogTest, DeleteAsksWithTheNameAndGoesOnOnlyOnYes) {
    AddSite("Alpha");
    AddSite("Bravo");
    AddSite("Charlie");
    Open();
    dlg->SelectRow(1);
    app.prompt.Answer(PromptResult::No);
    dlg->OnDelete();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(q.text, "Delete \"Bravo\"?");
    EXPECT_EQ(q.caption, "Confirm");
    EXPECT_EQ(std::tuple(q.buttons, q.icon, q.defaultButton),
              std::tuple(PromptButtons::YesNo, PromptIcon::Question, PromptResult::No));
    EXPECT_EQ(Sites().GetCount(), 3u);
    EXPECT_FALSE(app->IsModified());
    app.prompt.Answer(PromptResult::Yes);
    dlg->OnDelete();
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "Charlie"}));
    EXPECT_EQ(dlg->SelectedRow(), 1); // the same row
    EXPECT_TRUE(app->IsModified());
    // Without confirmation, deleting the last row selects the new last, down to
    // none.
    app->SetConfirmDeletes(false);
    dlg->OnDelete();
    EXPECT_EQ(dlg->SelectedRow(), 0);
    dlg->OnDelete();
    EXPECT_EQ(app.prompt.asked.size(), 2u);
    EXPECT_EQ(dlg->SelectedRow(), -1);
    EXPECT_FALSE(dlg->EditButton().isEnabled() || dlg->DuplicateButton().isEnabled());
    EXPECT_TRUE(Sites().IsEmpty());
}

TEST_F(SitesDialogTest, GrowingMovesTheButtonsAndStretchesTheList) {
    AddSite("Alpha");
    Open();
    const QRect list = dlg->List().geometry();
    const QRect close = dlg->CloseButton().geometry();
    dlg->resize(dlg->width() + 100, dlg->height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(dlg->List().size(), list.size() + QSize(100, 50));
    EXPECT_EQ(dlg->CloseButton().pos(), close.topLeft() + QPoint(100, 0));
}

} // namespace
