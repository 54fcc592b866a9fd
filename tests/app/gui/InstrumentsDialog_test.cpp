#include "app/VANTIQApp.h"
#include "app/gui/GuiAppShell.h"
#include "app/gui/InstrumentsDialog.h"
#include "base/MemorySettingsStore.h"
#include "base/StateLock.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentPanel.h"
#include "instruments/SiteLink.h"
#include "support_lib/Fakes.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void EnsureQt() {
    EnsureGuiTestApp();
}

// A site that only counts the connect requests it is given.
class CountingSite : public CNamedObject, public SiteLink {
public:
    CountingSite(std::string name, uint32_t id) : CNamedObject(std::move(name), id) {}
    std::string GetSiteName() const override { return GetName(); }
    void OpenLink(CInstrumentConnection*) override {}
    bool ReleaseLink(bool) override { return true; }
    bool IsConnected() const override { return false; }
    bool IsBusy() const override { return false; }
    void SetBusy(bool) override {}
    bool Send(const std::string&, bool) override { return true; }
    CConnection* GetConnection() override { return nullptr; }
    void CancelRead() override {}
    bool PostConnectRequest(CInstrumentConnection* inst) override {
        connectRequests.push_back(inst->GetId());
        return true;
    }
    bool PostRequest(unsigned, uint32_t, uintptr_t, std::unique_ptr<InstrumentRequest>) override {
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
        EnsureQt();
        site = new CountingSite("Plant", 777);
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
    }

    CInstrumentConnection* Add(const std::string& name, uint32_t siteId = 777) {
        auto* inst = new CInstrumentConnection;
        inst->SetName(name);
        inst->SetSiteId(siteId);
        app->Instruments().AddTail(inst);
        return inst;
    }
};

TEST_F(InstrumentsDialogTest, ConnectModeListsSortedIgnoringCaseAndSelectsTheFirst) {
    Add("charlie");
    Add("Alpha");
    Add("bravo");
    app->SetCloseOnConnect(false);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"Alpha", "bravo", "charlie"}));
    EXPECT_EQ(d.SelectedRow(), 0);
    EXPECT_FALSE(d.CloseOnConnectBox().isChecked());
    d.show();
    EXPECT_EQ(d.windowTitle(), "Instruments");
    EXPECT_TRUE(d.ConnectButton().isVisible());
    EXPECT_TRUE(d.ConnectButton().isEnabled());
    EXPECT_TRUE(d.ConnectButton().isDefault());
    EXPECT_TRUE(d.CloseOnConnectBox().isEnabled());
    EXPECT_EQ(d.LayoutSlot(), CVANTIQApp::SLOT_INSTRUMENTS);
    QDir().mkpath("/tmp/shots");
    d.grab().save("/tmp/shots/instruments-connect.png");
}

TEST_F(InstrumentsDialogTest, EditModeHidesConnectAndDisablesTheBox) {
    Add("One");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    d.show();
    EXPECT_FALSE(d.ConnectButton().isVisible());
    EXPECT_FALSE(d.ConnectButton().isEnabled());
    EXPECT_FALSE(d.CloseOnConnectBox().isEnabled());
    EXPECT_TRUE(d.CloseOnConnectBox().isChecked());
    EXPECT_TRUE(d.CloseButton().isDefault());
    d.grab().save("/tmp/shots/instruments-edit.png");
    // Connect cannot be reached in edit mode, not even by calling it.
    d.OnConnect();
    EXPECT_TRUE(site->connectRequests.empty());
}

TEST_F(InstrumentsDialogTest, ConnectWithTheBoxUncheckedStaysOpenAndTheNoticeMarksTheEntry) {
    CInstrumentConnection* zulu = Add("Zulu");
    Add("Mike");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.show();
    d.SelectRow(1);
    d.CloseOnConnectBox().setChecked(false);
    d.OnConnect();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(site->connectRequests, std::vector<uint32_t>{zulu->GetId()});
    EXPECT_EQ(panels.size(), 1u);
    EXPECT_FALSE(app->GetCloseOnConnect());

    // The worker reports the connection; the entry is replaced, the selection index kept.
    d.SelectRow(0);
    zulu->SetConnected(true);
    d.OnConnectionChanged(zulu->GetId());
    EXPECT_EQ(d.EntryTexts(), (QStringList{"Mike", "Zulu (Connected)"}));
    EXPECT_EQ(d.SelectedRow(), 0);

    // Unchecking is remembered even when the dialog is then closed with Close.
    app->SetCloseOnConnect(true);
    d.CloseButton().click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(app->GetCloseOnConnect());
}

TEST_F(InstrumentsDialogTest, ConnectWithTheBoxCheckedClosesTheDialog) {
    CInstrumentConnection* one = Add("One");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.show();
    d.CloseOnConnectBox().setChecked(true);
    d.ConnectButton().click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(site->connectRequests, std::vector<uint32_t>{one->GetId()});
    EXPECT_TRUE(app->GetCloseOnConnect());
}

TEST_F(InstrumentsDialogTest, ConnectOnAConnectedOrConnectingEntrySendsNothing) {
    CInstrumentConnection* one = Add("One");
    one->SetConnected(true);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.CloseOnConnectBox().setChecked(false);
    d.OnConnect();
    EXPECT_TRUE(site->connectRequests.empty());
    EXPECT_TRUE(panels.empty());
    // Still connecting: its panel is open but the worker has not reported yet.
    one->SetConnected(false);
    NullPanel panel;
    one->SetFrontPanel(&panel);
    d.OnConnect();
    d.OnDoubleClick();
    EXPECT_TRUE(site->connectRequests.empty());
    one->SetFrontPanel(nullptr);
}

TEST_F(InstrumentsDialogTest, ConnectToAnInvalidSiteSaysSoAndOpensNothing) {
    Add("Lost", 12345);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.CloseOnConnectBox().setChecked(false);
    d.OnConnect();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    EXPECT_EQ(app.prompt.asked[0].text, "Unable to connect to Lost because the site is invalid.");
    EXPECT_EQ(app.prompt.asked[0].caption, "Error");
    EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Exclamation);
    EXPECT_TRUE(panels.empty());
    EXPECT_TRUE(site->connectRequests.empty());
}

TEST_F(InstrumentsDialogTest, DeleteWithoutConfirmationRemovesAndSelectsTheNewLastEntry) {
    Add("A");
    Add("B");
    CInstrumentConnection* c = Add("C");
    const uint32_t cId = c->GetId();
    app->SetConfirmDeletes(false);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    d.SelectRow(2);
    d.DeleteButton().click();
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(d.EntryTexts(), (QStringList{"A", "B"}));
    EXPECT_EQ(d.SelectedRow(), 1);
    EXPECT_EQ(app->Instruments().GetCount(), 2u);
    EXPECT_EQ(app->Instruments().FindById(cId), nullptr);
    EXPECT_TRUE(app->IsModified());
    // A middle entry: the one now at the same position is selected.
    d.SelectRow(0);
    d.OnDelete();
    EXPECT_EQ(d.EntryTexts(), (QStringList{"B"}));
    EXPECT_EQ(d.SelectedRow(), 0);
}

TEST_F(InstrumentsDialogTest, DeleteAsksFirstAndOnlyYesGoesOn) {
    Add("Ozone \"north\"");
    app->SetConfirmDeletes(true);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    app.prompt.Answer(PromptResult::No);
    d.OnDelete();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    EXPECT_EQ(app.prompt.asked[0].text, "Delete \"Ozone \"north\"\"?");
    EXPECT_EQ(app.prompt.asked[0].caption, "Confirm");
    EXPECT_EQ(app.prompt.asked[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Question);
    EXPECT_EQ(app.prompt.asked[0].defaultButton, PromptResult::No);
    EXPECT_EQ(app->Instruments().GetCount(), 1u);
    app.prompt.Answer(PromptResult::Yes);
    d.OnDelete();
    EXPECT_EQ(app->Instruments().GetCount(), 0u);
    EXPECT_TRUE(d.EntryTexts().isEmpty());
    // Nothing selected any more: Delete and Edit do nothing.
    d.OnDelete();
    d.OnEdit();
    EXPECT_EQ(app.prompt.asked.size(), 2u);
}

TEST_F(InstrumentsDialogTest, EditAndDeleteDoNothingForAConnectedInstrument) {
    CInstrumentConnection* one = Add("One");
    one->SetConnected(true);
    app->SetConfirmDeletes(false);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    d.EditButton().click();
    d.DeleteButton().click();
    d.OnDoubleClick();
    EXPECT_EQ(editorCalls, 0);
    EXPECT_EQ(app->Instruments().GetCount(), 1u);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"One (Connected)"}));
    EXPECT_FALSE(app->IsModified());
}

TEST_F(InstrumentsDialogTest, NewAppendsOnOkAndDestroysOnCancel) {
    Add("M");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    editor = [](CInstrumentConnection&) { return false; };
    d.NewButton().click();
    EXPECT_EQ(editorCalls, 1);
    EXPECT_EQ(app->Instruments().GetCount(), 1u);
    EXPECT_FALSE(app->IsModified());
    editor = [](CInstrumentConnection& inst) {
        // A new instrument starts with the defaults.
        EXPECT_EQ(inst.GetName(), "Local Instrument");
        inst.SetName("a new one");
        return true;
    };
    d.NewButton().click();
    EXPECT_EQ(app->Instruments().GetCount(), 2u);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"a new one", "M"}));
    EXPECT_EQ(d.SelectedRow(), 0);
    EXPECT_TRUE(app->IsModified());
    EXPECT_NE(d.EntryId(0), 0u);
}

TEST_F(InstrumentsDialogTest, DuplicateMakesANamedCopyWithoutTheSheet) {
    CInstrumentConnection* src = Add("Zed");
    src->SetInstrumentId(42);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    d.DuplicateButton().click();
    EXPECT_EQ(editorCalls, 0);
    ASSERT_EQ(app->Instruments().GetCount(), 2u);
    auto* copy = dynamic_cast<CInstrumentConnection*>(app->Instruments().At(1));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetName(), "Copy of Zed");
    EXPECT_EQ(copy->GetInstrumentId(), 42);
    EXPECT_NE(copy->GetId(), src->GetId());
    EXPECT_EQ(d.EntryTexts(), (QStringList{"Copy of Zed", "Zed"}));
    EXPECT_EQ(d.SelectedRow(), 0);
    EXPECT_EQ(d.EntryId(0), copy->GetId());
    EXPECT_TRUE(app->IsModified());
}

TEST_F(InstrumentsDialogTest, EditMovesTheRenamedEntryToItsPlaceAndSelectsIt) {
    Add("Bee");
    CInstrumentConnection* aa = Add("Aardvark");
    Add("Cat");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    ASSERT_EQ(d.EntryId(0), aa->GetId());
    editor = [](CInstrumentConnection& inst) {
        inst.SetName("Dog");
        return true;
    };
    d.OnDoubleClick(); // edit mode: double-click edits
    EXPECT_EQ(editorCalls, 1);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"Bee", "Cat", "Dog"}));
    EXPECT_EQ(d.SelectedRow(), 2);
    EXPECT_EQ(d.EntryId(2), aa->GetId());
}

TEST_F(InstrumentsDialogTest, DoubleClickInConnectModeConnects) {
    CInstrumentConnection* one = Add("One");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.CloseOnConnectBox().setChecked(false);
    d.OnDoubleClick();
    EXPECT_EQ(site->connectRequests, std::vector<uint32_t>{one->GetId()});
    EXPECT_EQ(editorCalls, 0);
}

TEST_F(InstrumentsDialogTest, NoticesForUnknownInstrumentsChangeNothing) {
    Add("One");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.OnConnectionChanged(0xDEADBEEF);
    d.OnConnectionChanged(0);
    EXPECT_EQ(d.EntryTexts(), (QStringList{"One"}));
    EXPECT_EQ(d.SelectedRow(), 0);
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
    // After the dialog is gone the notice is dropped.
    app->NotifyConnectionChanged(one->GetId());
    QApplication::processEvents();
    // The placement was stored on close.
    EXPECT_FALSE(CVANTIQApp::IsUnset(app->GetWindowLayout(CVANTIQApp::SLOT_INSTRUMENTS)));
}

TEST_F(InstrumentsDialogTest, TheListGrowsWithTheDialogAndTheButtonsFollowTheRightEdge) {
    Add("One");
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_CONNECT);
    d.show();
    const QRect list = d.List().geometry();
    const QRect close = d.CloseButton().geometry();
    const QRect box = d.CloseOnConnectBox().geometry();
    d.resize(d.width() + 100, d.height() + 60);
    EXPECT_EQ(d.List().geometry(), list.adjusted(0, 0, 100, 60));
    EXPECT_EQ(d.CloseButton().geometry(), close.translated(100, 0));
    EXPECT_EQ(d.CloseOnConnectBox().geometry(), box.translated(0, 60));
    d.resize(d.MinimumTrackSize());
    EXPECT_EQ(d.List().geometry(), list);
}

} // namespace
