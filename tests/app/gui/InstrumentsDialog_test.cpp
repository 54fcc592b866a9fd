#include "app/gui/GuiAppShell.h"
#include "app/gui/InstrumentsDialog.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentPanel.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A site that only counts the connect requests it is given.
struct CountingSite : CSiteConnection {
    bool PostConnectRequest(CInstrumentConnection* inst) override {
        connectRequests.push_back(inst->GetId());
        return true;
    }
    std::vector<uint32_t> connectRequests;
};

class NullPanel : public InstrumentPanel {
public:
    void Post(unsigned, uintptr_t, intptr_t) override {}
    void ClosePanel() override {}
};

struct InstrumentsDialogTest : ::testing::Test {
    TestApp app;
    CountingSite* site = nullptr;
    std::vector<std::unique_ptr<NullPanel>> panels;
    int editorCalls = 0;
    std::function<bool(CInstrumentConnection&)> editor;

    void SetUp() override {
        EnsureGuiTestApp();
        site = new CountingSite;
        site->SetName("Plant");
        site->SetId(777);
        app->Sites().AddTail(site);
        CInstrumentConnection::SetFrontPanelFactory([this](CInstrumentConnection&) {
            panels.push_back(std::make_unique<NullPanel>());
            return panels.back().get();
        });
        CInstrumentConnection::SetPropertiesEditor([this](CInstrumentConnection& inst) {
            ++editorCalls;
            return editor ? editor(inst) : false;
        });
    }
    void TearDown() override {
        CInstrumentConnection::SetFrontPanelFactory(nullptr);
        CInstrumentConnection::SetPropertiesEditor(nullptr);
        // The instruments go before the panels they point at.
        StateGuard guard(AppStateLock());
        app->Instruments().DeleteAll();
        app->Sites().DeleteAll();
    }

    CInstrumentConnection* Add(const std::string& name, uint32_t siteId = 777) {
        auto* inst = new CInstrumentConnection;
        inst->SetName(name);
        inst->SetSiteId(siteId);
        app->Instruments().AddTail(inst);
        return inst;
    }
};

TEST_F(InstrumentsDialogTest, ConnectAndTheCloseOnConnectBox) {
    CInstrumentConnection* zulu = Add("Zulu");
    CInstrumentConnection* mike = Add("mike"); // sorted first, case aside
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Instruments");
    EXPECT_EQ(d.SelectedRow(), 0);
    SaveShot(d, "instruments-connect");
    d.SelectRow(1);
    d.CloseOnConnectBox().setChecked(false);
    d.OnConnect();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(site->connectRequests, std::vector<uint32_t>{zulu->GetId()});
    EXPECT_EQ(panels.size(), 1u);
    // The worker reports the connection; the entry is replaced, the selection index kept.
    // Notices for unknown instruments change nothing.
    d.SelectRow(0);
    zulu->SetConnected(true);
    d.OnConnectionChanged(zulu->GetId());
    d.OnConnectionChanged(0xDEADBEEF);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"mike", "Zulu (Connected)"}));
    EXPECT_EQ(d.SelectedRow(), 0);
    // A connected or still connecting entry sends nothing.
    d.SelectRow(1);
    d.OnConnect();
    mike->SetFrontPanel(panels.back().get());
    d.SelectRow(0);
    d.OnConnect();
    d.OnDoubleClick();
    mike->SetFrontPanel(nullptr);
    EXPECT_EQ(site->connectRequests.size(), 1u);
    // Unchecking is remembered even when the dialog is then closed with Close.
    app->SetCloseOnConnect(true);
    d.CloseButton().click();
    EXPECT_FALSE(app->GetCloseOnConnect());
    CInstrumentsDialog edit(*app, CInstrumentsDialog::MODE_EDIT);
    edit.OnConnect(); // not reachable in edit mode, not even by calling it
    EXPECT_EQ(site->connectRequests.size(), 1u);

    // Checked, a connect (a double-click too) closes the dialog.
    CInstrumentsDialog again(*app, CInstrumentsDialog::MODE_CONNECT);
    again.show();
    EXPECT_FALSE(again.CloseOnConnectBox().isChecked()) << "as it was left";
    again.CloseOnConnectBox().setChecked(true);
    again.OnDoubleClick();
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(site->connectRequests, (std::vector<uint32_t>{zulu->GetId(), mike->GetId()}));
    EXPECT_TRUE(app->GetCloseOnConnect());
}

TEST_F(InstrumentsDialogTest, ConnectToAnInvalidSiteSaysSoAndOpensNothing) {
    Add("Lost", 12345);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.CloseOnConnectBox().setChecked(false);
    d.OnConnect();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(std::tie(q.text, q.caption, q.icon),
              std::tuple("Unable to connect to Lost because the site is invalid.", "Error",
                         PromptIcon::Exclamation));
    EXPECT_TRUE(panels.empty());
    EXPECT_TRUE(site->connectRequests.empty());
}

TEST_F(InstrumentsDialogTest, DeleteAsksWhenConfirmingAndSelectsTheEntryNowInPlace) {
    Add("A");
    Add("B \"north\"");
    Add("C");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    app->SetConfirmDeletes(true);
    d.SelectRow(1);
    app.prompt.Answer(PromptResult::No);
    d.OnDelete();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(
        std::tie(q.text, q.caption, q.buttons, q.defaultButton),
        std::tuple("Delete \"B \"north\"\"?", "Confirm", PromptButtons::YesNo, PromptResult::No));
    EXPECT_EQ(app->Instruments().GetCount(), 3u);
    app.prompt.Answer(PromptResult::Yes);
    d.OnDelete();
    EXPECT_EQ(d.EntryTexts(), (QStringList{"A", "C"}));
    EXPECT_EQ(d.SelectedRow(), 1);
    EXPECT_TRUE(app->IsModified());
    app->SetConfirmDeletes(false);
    d.DeleteButton().click(); // the last entry: the new last one is selected
    EXPECT_EQ(app.prompt.asked.size(), 2u);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"A"}));
    EXPECT_EQ(d.SelectedRow(), 0);
    d.OnDelete();
    d.OnDelete(); // nothing selected any more: Delete and Edit do nothing
    d.OnEdit();
    EXPECT_TRUE(d.EntryTexts().isEmpty());
    EXPECT_EQ(editorCalls, 0);
}

TEST_F(InstrumentsDialogTest, NewDuplicateAndEdit) {
    CInstrumentConnection* bee = Add("Bee");
    bee->SetInstrumentId(42);
    CInstrumentConnection* connected = Add("Zed");
    connected->SetConnected(true);
    app->SetConfirmDeletes(false);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    d.SelectRow(1); // a connected instrument is not edited
    d.OnDoubleClick();
    EXPECT_EQ(editorCalls, 0);
    EXPECT_FALSE(app->IsModified());

    editor = [](CInstrumentConnection&) { return false; }; // Cancel destroys the new one
    d.NewButton().click();
    EXPECT_EQ(app->Instruments().GetCount(), 2u);
    EXPECT_FALSE(app->IsModified());
    editor = [](CInstrumentConnection& inst) {
        EXPECT_EQ(inst.GetName(), "Local Instrument");
        inst.SetName("Aardvark");
        return true;
    };
    d.NewButton().click();
    EXPECT_EQ(d.EntryTexts(), (QStringList{"Aardvark", "Bee", "Zed (Connected)"}));
    EXPECT_EQ(d.SelectedRow(), 0);
    EXPECT_TRUE(app->IsModified());
    const uint32_t aardvark = d.EntryId(0);

    // Duplicate makes a named copy without the sheet.
    d.SelectRow(1);
    d.DuplicateButton().click();
    EXPECT_EQ(editorCalls, 2);
    auto* copy = dynamic_cast<CInstrumentConnection*>(app->Instruments().At(3));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::tuple(copy->GetName(), copy->GetInstrumentId(), d.EntryId(d.SelectedRow())),
              std::tuple(std::string("Copy of Bee"), 42, copy->GetId()));

    // Edit (by double-click) moves the renamed entry to its place and selects it.
    editor = [](CInstrumentConnection& inst) {
        inst.SetName("Dog");
        return true;
    };
    d.SelectRow(0);
    d.OnDoubleClick();
    EXPECT_EQ(d.EntryTexts(), (QStringList{"Bee", "Copy of Bee", "Dog", "Zed (Connected)"}));
    EXPECT_EQ(d.SelectedRow(), 2);
    EXPECT_EQ(d.EntryId(2), aardvark);
}

TEST_F(InstrumentsDialogTest, NoticesTravelThroughTheShellOnlyWhileTheDialogRuns) {
    GuiAppShell shell(*app); // the main-thread target
    CInstrumentConnection* one = Add("One");
    bool registered = false;
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<CInstrumentsDialog*>(QApplication::activeModalWidget());
        if (!d) {
            ADD_FAILURE() << "the instruments dialog is not the modal window";
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dlg = qobject_cast<QDialog*>(w))
                    dlg->reject();
            return;
        }
        registered = app->GetInstrumentsWindow() == d;
        one->SetConnected(true);
        app->NotifyConnectionChanged(one->GetId());
        // Two hops through the event queue: the shell, then the dialog.
        QTimer::singleShot(0, [&, d] {
            QTimer::singleShot(0, [&, d] {
                seen = d->EntryTexts();
                d->reject();
            });
        });
    });
    CInstrumentsDialog::Run(*app, CInstrumentsDialog::MODE_CONNECT, nullptr);
    EXPECT_TRUE(registered);
    EXPECT_EQ(seen, (QStringList{"One (Connected)"}));
    EXPECT_EQ(app->GetInstrumentsWindow(), nullptr);
    app->NotifyConnectionChanged(one->GetId()); // the dialog is gone: dropped
    QApplication::processEvents();
    EXPECT_FALSE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_INSTRUMENTS)));
}

TEST_F(InstrumentsDialogTest, ButtonsThatCannotActAreGreyed) {
    Add("Free");
    Add("Linked")->SetConnected(true);
    using D = CInstrumentsDialog;
    const struct {
        const char* what;
        D::Mode mode;
        int row; // -1: the list emptied
        bool connect, duplicate, edit, remove;
    } rows[] = {
        {"free, connect mode", D::MODE_CONNECT, 0, true, true, true, true},
        {"connected, connect mode", D::MODE_CONNECT, 1, false, true, false, false},
        {"free, edit mode", D::MODE_EDIT, 0, false, true, true, true},
        {"empty, connect mode", D::MODE_CONNECT, -1, false, false, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.row < 0) {
            StateGuard guard(AppStateLock());
            app->Instruments().DeleteAll();
        }
        D d(*app, r.mode);
        if (r.row >= 0)
            d.SelectRow(r.row);
        EXPECT_EQ(std::tuple(d.ConnectButton().isEnabled(), d.DuplicateButton().isEnabled(),
                             d.EditButton().isEnabled(), d.DeleteButton().isEnabled()),
                  std::tuple(r.connect, r.duplicate, r.edit, r.remove));
        EXPECT_TRUE(d.NewButton().isEnabled() && d.CloseButton().isEnabled());
        // Only connecting has the Connect button, as the default, and the box.
        const bool connecting = r.mode == D::MODE_CONNECT;
        EXPECT_EQ(std::tuple(d.ConnectButton().isHidden(), d.ConnectButton().isDefault(),
                             d.CloseButton().isDefault(), d.CloseOnConnectBox().isEnabled()),
                  std::tuple(!connecting, connecting, !connecting, connecting));
    }
}

} // namespace
