// The list behaviour the Sites and Modems windows share, on the Sites window; the
// Modems window is opened from the modem link's properties.

#include "connections/ConnTestSupport.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/SitesDialog.h"

#include <QListWidget>

namespace {

// The Sites window, its sites on a pseudo-terminal that a connected site holds.
struct ListDialogTest : dialogtest::DialogTest {
    CNamedObjectList& List() { return app->Sites(); }
    // Adds sites by name; a name ending in '*' is added connected.
    void Add(std::initializer_list<std::string> names) {
        for (std::string name : names) {
            const bool connected = name.back() == '*';
            if (connected)
                name.pop_back();
            auto* site = new CSiteConnection;
            dynamic_cast<CCommPortConnection&>(*site->GetConnection()).SetPortName(pty.Path());
            site->SetName(name);
            List().AddTail(site);
            if (connected)
                (held = site)->OpenLink(nullptr);
        }
    }
    void SetEditor(std::function<bool(CNamedObject&)> e) {
        CSiteConnection::SetPropertiesEditor([e](CSiteConnection& s) { return e(s); });
    }
    void Open() {
        dlg = std::make_unique<CSitesDialog>();
        dlg->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        if (held)
            held->ReleaseLink(true);
        DialogTest::TearDown();
    }
    conntest::Pty pty;
    CSiteConnection* held = nullptr;
    std::unique_ptr<CNamedListDialog> dlg;
    const std::string defaultName = "Local Site";
    const QString lockedSuffix = " (Connected)";
};

TEST_F(ListDialogTest, NewAndEditKeepTheRowsSortedAndCountOnlyWhenConfirmed) {
    Add({"bravo", "Alpha", "charlie*"});
    bool confirm = false;
    std::string edited;
    SetEditor([&](CNamedObject& o) {
        edited = o.GetName();
        // Renamed also when cancelled: the row keeps what was shown.
        o.SetName(edited == defaultName ? "Mike" : "aardvark");
        return confirm;
    });
    Open();
    const QString locked = QString("charlie") + lockedSuffix;
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    EXPECT_EQ(dlg->windowTitle(), "Sites");
    dialogtest::Shot(*dlg, "Sites");
    dlg->OnNew();
    EXPECT_EQ(edited, defaultName); // a default object is what gets edited
    EXPECT_EQ(List().GetCount(), 3u);
    dlg->SelectRow(1);
    dlg->OnEdit();
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked}));
    EXPECT_FALSE(app->IsModified());
    confirm = true;
    dlg->OnNew();
    ASSERT_EQ(List().GetCount(), 4u);
    EXPECT_TRUE(app->IsModified());
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked, "Mike"}));
    EXPECT_EQ(dlg->SelectedRow(), 3);
    EXPECT_EQ(dlg->SelectedObject(), List().At(3)); // appended to the application's list
    dlg->SelectRow(1);
    emit dlg->List().itemDoubleClicked(dlg->List().item(1)); // a double-click edits
    EXPECT_EQ(edited, "aardvark");
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"aardvark", "Alpha", locked, "Mike"}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
}

TEST_F(ListDialogTest, ALockedObjectCanBeDuplicatedButNeitherEditedNorDeleted) {
    Add({"Depot*"});
    int edits = 0;
    SetEditor([&edits](CNamedObject&) { return ++edits > 0; });
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
    ASSERT_EQ(List().GetCount(), 2u);
    EXPECT_NE(List().At(1)->GetId(), held->GetId());
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Copy of Depot", QString("Depot") + lockedSuffix}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    EXPECT_TRUE(app->IsModified());
    EXPECT_TRUE(dlg->EditButton().isEnabled()); // the copy is not locked
}

TEST_F(ListDialogTest, DeleteAsksWithTheNameAndGoesOnOnlyOnYes) {
    Add({"Alpha", "Bravo", "Charlie"});
    Open();
    dlg->SelectRow(1);
    app.prompt.Answer(PromptResult::No);
    dlg->OnDelete();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(std::tuple(q.text, q.caption, q.buttons, q.icon, q.defaultButton),
              std::tuple(std::string("Delete \"Bravo\"?"), std::string("Confirm"),
                         PromptButtons::YesNo, PromptIcon::Question, PromptResult::No));
    EXPECT_EQ(List().GetCount(), 3u);
    EXPECT_FALSE(app->IsModified());
    app.prompt.Answer(PromptResult::Yes);
    dlg->OnDelete();
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "Charlie"}));
    EXPECT_EQ(dlg->SelectedRow(), 1); // the same row
    EXPECT_TRUE(app->IsModified());
    // Without confirmation, deleting the last row selects the new last, down to none.
    app->SetConfirmDeletes(false);
    dlg->OnDelete();
    EXPECT_EQ(dlg->SelectedRow(), 0);
    dlg->OnDelete();
    EXPECT_EQ(app.prompt.asked.size(), 2u);
    EXPECT_EQ(dlg->SelectedRow(), -1);
    EXPECT_FALSE(dlg->EditButton().isEnabled() || dlg->DuplicateButton().isEnabled());
    EXPECT_TRUE(List().IsEmpty());
}

} // namespace
