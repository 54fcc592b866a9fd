// The Sites and Modems windows share one list behaviour; each case runs on both.

#include "connections/ConnTestSupport.h"
#include "connections/ModemSettings.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/ModemsDialog.h"
#include "connections/gui/SitesDialog.h"

#include <QListWidget>

namespace {

using Editor = std::function<bool(CNamedObject&)>;

// What differs between the two windows.
struct Kind {
    const char* name;         // the window's title
    const char* defaultName;  // of a new object
    const char* lockedSuffix; // a connected site, a definition in use
    CNamedObjectList& (*list)(TestApp&);
    CNamedObject* (*make)(const std::string& port);
    void (*lock)(CNamedObject&, bool);
    void (*setEditor)(Editor);
    std::unique_ptr<CNamedListDialog> (*open)();
};

// clang-format off
const Kind kKinds[] = {
    {"Sites", "Local Site", " (Connected)",
     [](TestApp& app) -> CNamedObjectList& { return app->Sites(); },
     [](const std::string& port) -> CNamedObject* {
         auto* site = new CSiteConnection;
         dynamic_cast<CCommPortConnection&>(*site->GetConnection()).SetPortName(port);
         return site;
     },
     [](CNamedObject& o, bool on) {
         auto& site = dynamic_cast<CSiteConnection&>(o);
         if (on)
             site.OpenLink(nullptr);
         else
             site.ReleaseLink(true);
     },
     [](Editor e) { CSiteConnection::SetPropertiesEditor([e](CSiteConnection& s) { return e(s); }); },
     []() -> std::unique_ptr<CNamedListDialog> { return std::make_unique<CSitesDialog>(); }},
    {"Modems", "Standard", " (In use)",
     [](TestApp& app) -> CNamedObjectList& { return app->Modems(); },
     [](const std::string&) -> CNamedObject* { return new CModemSettings; },
     [](CNamedObject& o, bool on) {
         auto& modem = dynamic_cast<CModemSettings&>(o);
         if (on)
             modem.IncrementInUse();
         else
             modem.DecrementInUse();
     },
     [](Editor e) { CModemSettings::SetPropertiesEditor([e](CModemSettings& m) { return e(m); }); },
     []() -> std::unique_ptr<CNamedListDialog> { return std::make_unique<CModemsDialog>(); }},
};
// clang-format on

struct ListDialogTest : dialogtest::DialogTest, ::testing::WithParamInterface<Kind> {
    const Kind& k = GetParam();
    CNamedObjectList& List() { return k.list(app); }
    // Adds objects by name; a name ending in '*' is added locked.
    void Add(std::initializer_list<std::string> names) {
        for (std::string name : names) {
            const bool locked = name.back() == '*';
            if (locked)
                name.pop_back();
            CNamedObject* object = k.make(pty.Path());
            object->SetName(name);
            List().AddTail(object);
            if (locked)
                k.lock(*(held = object), true);
        }
    }
    void Open() {
        dlg = k.open();
        dlg->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        if (held)
            k.lock(*held, false);
        DialogTest::TearDown();
    }
    conntest::Pty pty; // the port a connected site holds
    CNamedObject* held = nullptr;
    std::unique_ptr<CNamedListDialog> dlg;
};

INSTANTIATE_TEST_SUITE_P(Both, ListDialogTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ListDialogTest, NewAndEditKeepTheRowsSortedAndCountOnlyWhenConfirmed) {
    Add({"bravo", "Alpha", "charlie*"});
    bool confirm = false;
    std::string edited;
    k.setEditor([&](CNamedObject& o) {
        edited = o.GetName();
        // Renamed also when cancelled: the row keeps what was shown.
        o.SetName(edited == k.defaultName ? "Mike" : "aardvark");
        return confirm;
    });
    Open();
    const QString locked = QString("charlie") + k.lockedSuffix;
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    EXPECT_EQ(dlg->windowTitle(), k.name);
    dialogtest::Shot(*dlg, k.name);
    dlg->OnNew();
    EXPECT_EQ(edited, k.defaultName); // a default object is what gets edited
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

TEST_P(ListDialogTest, ALockedObjectCanBeDuplicatedButNeitherEditedNorDeleted) {
    Add({"Depot*"});
    int edits = 0;
    k.setEditor([&edits](CNamedObject&) { return ++edits > 0; });
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
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Copy of Depot", QString("Depot") + k.lockedSuffix}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    EXPECT_TRUE(app->IsModified());
    EXPECT_TRUE(dlg->EditButton().isEnabled()); // the copy is not locked
}

TEST_P(ListDialogTest, DeleteAsksWithTheNameAndGoesOnOnlyOnYes) {
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
