// The Instruments window greys what cannot act; a new instrument's site box starts empty.

#include "app/VANTIQApp.h"
#include "app/gui/InstrumentsDialog.h"
#include "base/StateLock.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/InstPropertyPages.h"
#include "instruments/gui/InstPropertySheet.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiTestApp.h"

#include <QComboBox>
#include <gtest/gtest.h>

namespace {

struct InstrumentsButtonsTest : ::testing::Test {
    TestApp app;
    void SetUp() override { EnsureGuiTestApp(); }
    void TearDown() override {
        StateGuard guard(AppStateLock());
        app->Instruments().DeleteAll();
        app->Sites().DeleteAll();
    }
    CInstrumentConnection* Add(const char* name, bool connected) {
        auto* inst = new CInstrumentConnection;
        inst->SetName(name);
        inst->SetConnected(connected);
        StateGuard guard(AppStateLock());
        app->Instruments().AddTail(inst);
        return inst;
    }
};

TEST_F(InstrumentsButtonsTest, ButtonsThatCannotActAreGreyed) {
    Add("Free", false);
    Add("Linked", true);
    const struct {
        const char* what;
        CInstrumentsDialog::Mode mode;
        int row; // -1: the list emptied
        bool connect, duplicate, edit, remove;
    } rows[] = {
        {"free, connect mode", CInstrumentsDialog::MODE_CONNECT, 0, true, true, true, true},
        {"connected, connect mode", CInstrumentsDialog::MODE_CONNECT, 1, false, true, false, false},
        {"free, edit mode", CInstrumentsDialog::MODE_EDIT, 0, false, true, true, true},
        {"connected, edit mode", CInstrumentsDialog::MODE_EDIT, 1, false, true, false, false},
        {"empty, connect mode", CInstrumentsDialog::MODE_CONNECT, -1, false, false, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.row < 0) {
            StateGuard guard(AppStateLock());
            app->Instruments().DeleteAll();
        }
        CInstrumentsDialog d(*app, r.mode);
        if (r.row >= 0)
            d.SelectRow(r.row);
        EXPECT_EQ(d.ConnectButton().isEnabled(), r.connect);
        EXPECT_EQ(d.DuplicateButton().isEnabled(), r.duplicate);
        EXPECT_EQ(d.EditButton().isEnabled(), r.edit);
        EXPECT_EQ(d.DeleteButton().isEnabled(), r.remove);
        EXPECT_TRUE(d.NewButton().isEnabled());
        EXPECT_TRUE(d.CloseButton().isEnabled());
    }
}

TEST_F(InstrumentsButtonsTest, AConnectionNoticeGreysAndFreesTheEntry) {
    CInstrumentConnection* one = Add("One", false);
    CInstrumentsDialog d(*app, CInstrumentsDialog::MODE_EDIT);
    EXPECT_TRUE(d.EditButton().isEnabled());
    one->SetConnected(true);
    d.OnConnectionChanged(one->GetId());
    EXPECT_FALSE(d.EditButton().isEnabled());
    EXPECT_FALSE(d.DeleteButton().isEnabled());
    one->SetConnected(false);
    d.OnConnectionChanged(one->GetId());
    EXPECT_TRUE(d.EditButton().isEnabled());
}

TEST_F(InstrumentsButtonsTest, ANewInstrumentsSiteBoxIsEmptyUntilASiteIsChosen) {
    auto* site = new CSiteConnection;
    site->SetName("Harbour");
    {
        StateGuard guard(AppStateLock());
        app->Sites().AddTail(site);
    }
    CInstrumentConnection inst;
    CInstPropertySheet sheet(inst);
    QComboBox& box = sheet.Basic().Site();
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.currentText(), "");
    EXPECT_EQ(box.placeholderText(), "");
    box.setCurrentIndex(0);
    sheet.Basic().OnDefaults(); // back to no site: empty again
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.placeholderText(), "");
}

} // namespace
