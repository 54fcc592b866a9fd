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
    void Open(CSitesDialog& dlg) {
        dlg.show();
        QApplication::processEvents();
    }
    int RowOf(CSitesDialog& dlg, const QString& text) {
        return static_cast<int>(dlg.RowTexts().indexOf(text));
    }
};

TEST_F(SitesDialogTest, RowsShowDisplayNamesSortedIgnoringCase) {
    AddSite("bravo");
    AddSite("Alpha");
    AddConnectedSite("charlie");
    CSitesDialog dlg;
    Open(dlg);
    EXPECT_EQ(dlg.windowTitle(), "Sites");
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha", "bravo", "charlie (Connected)"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
    dialogtest::Shot(dlg, "sites");
}

TEST_F(SitesDialogTest, NewSiteIsAddedSortedAndSelectedOnlyWhenItsPropertiesAreConfirmed) {
    AddSite("Alpha");
    AddSite("Zulu");
    bool confirm = false;
    CSiteConnection::SetPropertiesEditor([&confirm](CSiteConnection& site) {
        EXPECT_EQ(site.GetName(), "Local Site"); // a default site is what gets edited
        site.SetName("Mike");
        return confirm;
    });
    CSitesDialog dlg;
    Open(dlg);

    dlg.OnNew();
    EXPECT_EQ(Sites().GetCount(), 2u);
    EXPECT_FALSE(app->IsModified());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha", "Zulu"}));

    confirm = true;
    dlg.OnNew();
    ASSERT_EQ(Sites().GetCount(), 3u);
    EXPECT_TRUE(app->IsModified());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha", "Mike", "Zulu"}));
    EXPECT_EQ(dlg.SelectedRow(), 1);
    EXPECT_EQ(dlg.SelectedObject(), Sites().At(2)); // appended to the application's list
}

TEST_F(SitesDialogTest, DuplicateIsACopyOfTheNameWithItsOwnIdAndTransportKind) {
    CSiteConnection* source = AddSite("Harbour");
    source->SetConnectionType(CSiteConnection::TYPE_TCPIP);
    AddSite("Airport");
    CSitesDialog dlg;
    Open(dlg);
    dlg.SelectRow(RowOf(dlg, "Harbour"));
    dlg.OnDuplicate();

    ASSERT_EQ(Sites().GetCount(), 3u);
    auto* copy = dynamic_cast<CSiteConnection*>(Sites().At(2));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetName(), "Copy of Harbour");
    EXPECT_NE(copy->GetId(), source->GetId());
    EXPECT_EQ(copy->GetConnectionTypeIndex(), CSiteConnection::TYPE_TCPIP);
    EXPECT_NE(copy->GetConnection(), source->GetConnection());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Airport", "Copy of Harbour", "Harbour"}));
    EXPECT_EQ(dlg.SelectedRow(), 1);
    EXPECT_TRUE(app->IsModified());
}

TEST_F(SitesDialogTest, AConnectedSiteCanBeDuplicatedButNeitherEditedNorDeleted) {
    CSiteConnection* busy = AddConnectedSite("Depot");
    int edits = 0;
    CSiteConnection::SetPropertiesEditor([&edits](CSiteConnection&) {
        ++edits;
        return true;
    });
    CSitesDialog dlg;
    Open(dlg);
    dlg.SelectRow(0);
    EXPECT_FALSE(dlg.EditButton().isEnabled());
    EXPECT_FALSE(dlg.DeleteButton().isEnabled());
    EXPECT_TRUE(dlg.DuplicateButton().isEnabled());

    app.prompt.Answer(PromptResult::Yes);
    dlg.OnEdit();
    dlg.OnDelete();
    emit dlg.List().itemDoubleClicked(dlg.List().item(0));
    EXPECT_EQ(edits, 0);
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_TRUE(Sites().Contains(busy));

    dlg.OnDuplicate();
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Copy of Depot", "Depot (Connected)"}));
    // The copy starts disconnected, so it is free to edit.
    EXPECT_TRUE(dlg.EditButton().isEnabled());
    busy->ReleaseLink(true);
}

TEST_F(SitesDialogTest, EditReplacesTheRowWithTheNewNameInSortedPlace) {
    AddSite("Alpha");
    CSiteConnection* site = AddSite("Bravo");
    AddSite("Charlie");
    CSiteConnection::SetPropertiesEditor([](CSiteConnection& s) {
        s.SetName("Delta");
        return true;
    });
    CSitesDialog dlg;
    Open(dlg);
    dlg.SelectRow(RowOf(dlg, "Bravo"));
    emit dlg.List().itemDoubleClicked(dlg.List().item(1)); // a double-click edits too
    EXPECT_EQ(site->GetName(), "Delta");
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha", "Charlie", "Delta"}));
    EXPECT_EQ(dlg.SelectedRow(), 2);
}

TEST_F(SitesDialogTest, EditCancelledLeavesTheRowsAlone) {
    AddSite("Alpha");
    CSiteConnection::SetPropertiesEditor([](CSiteConnection& s) {
        s.SetName("Changed anyway"); // a dialog that lied: the row keeps what was shown
        return false;
    });
    CSitesDialog dlg;
    Open(dlg);
    dlg.SelectRow(0);
    dlg.OnEdit();
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha"}));
}

TEST_F(SitesDialogTest, DeleteAsksWithTheNameAndGoesOnOnlyOnYes) {
    AddSite("Alpha");
    AddSite("Bravo");
    AddSite("Charlie");
    CSitesDialog dlg;
    Open(dlg);
    dlg.SelectRow(1);

    app.prompt.Answer(PromptResult::No);
    dlg.OnDelete();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    EXPECT_EQ(app.prompt.asked[0].text, "Delete \"Bravo\"?");
    EXPECT_EQ(app.prompt.asked[0].caption, "Confirm");
    EXPECT_EQ(app.prompt.asked[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Question);
    EXPECT_EQ(app.prompt.asked[0].defaultButton, PromptResult::No);
    EXPECT_EQ(Sites().GetCount(), 3u);
    EXPECT_FALSE(app->IsModified());

    app.prompt.Answer(PromptResult::Yes);
    dlg.OnDelete();
    EXPECT_EQ(Sites().GetCount(), 2u);
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha", "Charlie"}));
    EXPECT_EQ(dlg.SelectedRow(), 1); // the same row
    EXPECT_TRUE(app->IsModified());
}

TEST_F(SitesDialogTest, DeletingTheLastRowSelectsTheNewLastAndTheOptionSkipsTheQuestion) {
    AddSite("Alpha");
    AddSite("Bravo");
    app->SetConfirmDeletes(false);
    CSitesDialog dlg;
    Open(dlg);
    dlg.SelectRow(1);
    dlg.OnDelete();
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Alpha"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
    dlg.OnDelete();
    EXPECT_TRUE(dlg.RowTexts().isEmpty());
    EXPECT_EQ(dlg.SelectedRow(), -1);
    EXPECT_FALSE(dlg.EditButton().isEnabled());
    EXPECT_FALSE(dlg.DuplicateButton().isEnabled());
    EXPECT_TRUE(Sites().IsEmpty());
}

TEST_F(SitesDialogTest, GrowingMovesTheButtonsAndStretchesTheList) {
    AddSite("Alpha");
    CSitesDialog dlg;
    Open(dlg);
    const QRect list = dlg.List().geometry();
    const QRect close = dlg.CloseButton().geometry();
    dlg.resize(dlg.width() + 100, dlg.height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(dlg.List().width(), list.width() + 100);
    EXPECT_EQ(dlg.List().height(), list.height() + 50);
    EXPECT_EQ(dlg.CloseButton().x(), close.x() + 100);
    EXPECT_EQ(dlg.CloseButton().y(), close.y());
}

} // namespace
