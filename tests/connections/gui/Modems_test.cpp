#include "connections/ModemSettings.h"
#include "connections/gui/ConnectionDialogs.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/ModemPropertiesDialog.h"
#include "connections/gui/ModemsDialog.h"

#include <QLineEdit>

namespace {

using dialogtest::DialogTest;
using Field = CModemPropertiesDialog::Field;

struct ModemsTest : DialogTest {
    CModemSettings* AddModem(const std::string& name) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        Modems().AddTail(modem);
        return modem;
    }
    void Open(CModemsDialog& dlg) {
        dlg.show();
        QApplication::processEvents();
    }
};

// ---- Modem Properties

TEST_F(ModemsTest, PropertiesShowTheEightStringsInFieldsOfFortyCharacters) {
    CModemSettings modem;
    modem.SetHangup("ATH");
    CModemPropertiesDialog dlg(modem);
    EXPECT_EQ(dlg.windowTitle(), "Modem Properties");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_NAME).text(), "Standard");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_INIT).text(), "AT &F E0 M0 Q0 V1");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_HANGUP).text(), "ATH");
    for (int f = 0; f < CModemPropertiesDialog::FIELD_COUNT; ++f)
        EXPECT_EQ(dlg.Edit(Field(f)).maxLength(), 40) << f;
    // Typing past the limit stops at 40 characters.
    QLineEdit& dial = dlg.Edit(CModemPropertiesDialog::FIELD_DIAL);
    dial.clear();
    dial.insert(QString(45, QLatin1Char('9')));
    EXPECT_EQ(dial.text().size(), 40);
    dialogtest::Shot(dlg, "modem-properties");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
}

TEST_F(ModemsTest, AnyClearedFieldKeepsTheDialogOpenWithTheMessage) {
    CModemSettings modem;
    for (int f = 0; f < CModemPropertiesDialog::FIELD_COUNT; ++f) {
        app.prompt.asked.clear();
        CModemPropertiesDialog dlg(modem);
        dlg.show();
        dlg.Edit(Field(f)).clear();
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << "field " << f;
        EXPECT_NE(dlg.result(), QDialog::Accepted) << "field " << f;
        ASSERT_EQ(app.prompt.asked.size(), 1u) << "field " << f;
        EXPECT_EQ(app.prompt.asked[0].text,
                  "Please supply a string for every command and response.");
        EXPECT_EQ(app.prompt.asked[0].caption, "Error");
        EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Exclamation);
    }
    EXPECT_EQ(modem.GetName(), "Standard");
    EXPECT_FALSE(app->IsModified());
}

TEST_F(ModemsTest, OkStoresAllEightStringsAndMarksTheConfigurationModified) {
    CModemSettings modem;
    CModemPropertiesDialog dlg(modem);
    const char* values[] = {"Fast", "READY", "CARRIER", "~~~", "ATZ0", "AT&F", "ATDP", "ATH1"};
    for (int f = 0; f < CModemPropertiesDialog::FIELD_COUNT; ++f)
        dlg.Edit(Field(f)).setText(values[f]);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(modem.GetName(), "Fast");
    EXPECT_EQ(modem.GetOkResponse(), "READY");
    EXPECT_EQ(modem.GetConnectResponse(), "CARRIER");
    EXPECT_EQ(modem.GetEscape(), "~~~");
    EXPECT_EQ(modem.GetReset(), "ATZ0");
    EXPECT_EQ(modem.GetInitialization(), "AT&F");
    EXPECT_EQ(modem.GetToneDial(), "ATDP");
    EXPECT_EQ(modem.GetHangup(), "ATH1");
    EXPECT_TRUE(app->IsModified());
}

TEST_F(ModemsTest, DefaultsPutBackStandardAndCancelKeepsTheDefinition) {
    CModemSettings modem;
    modem.SetName("Mine");
    modem.SetReset("AT&Z");
    CModemPropertiesDialog dlg(modem);
    for (int f = 0; f < CModemPropertiesDialog::FIELD_COUNT; ++f)
        dlg.Edit(Field(f)).setText("x");
    dlg.OnDefaults();
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_NAME).text(), "Standard");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_OK).text(), "OK");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_CONNECT).text(), "CONNECT");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_ESCAPE).text(), "+++");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_RESET).text(), "ATZ");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_INIT).text(), "AT &F E0 M0 Q0 V1");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_DIAL).text(), "ATDT");
    EXPECT_EQ(dlg.Edit(CModemPropertiesDialog::FIELD_HANGUP).text(), "ATH0");
    dlg.reject();
    EXPECT_EQ(modem.GetName(), "Mine");
    EXPECT_EQ(modem.GetReset(), "AT&Z");
    EXPECT_FALSE(app->IsModified());
}

// ---- Modems list

TEST_F(ModemsTest, TwoNewDefinitionsAreBothStandardWithDifferentIds) {
    InstallConnectionDialogs();
    CModemsDialog dlg;
    Open(dlg);
    for (int n = 0; n < 2; ++n) {
        dialogtest::WhenModal<CModemPropertiesDialog> driver(
            [](CModemPropertiesDialog& props) { props.accept(); });
        dlg.OnNew();
        EXPECT_TRUE(driver.Seen());
    }
    ASSERT_EQ(Modems().GetCount(), 2u);
    EXPECT_EQ(Modems().At(0)->GetName(), "Standard");
    EXPECT_EQ(Modems().At(1)->GetName(), "Standard");
    EXPECT_NE(Modems().At(0)->GetId(), Modems().At(1)->GetId());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Standard", "Standard"}));
    EXPECT_TRUE(app->IsModified());
    dialogtest::Shot(dlg, "modems");
    EXPECT_FALSE(dialogtest::KeepsItsSize(dlg)) << "the list is resizable";
}

TEST_F(ModemsTest, ANewDefinitionCancelledIsDiscarded) {
    CModemSettings::SetPropertiesEditor([](CModemSettings&) { return false; });
    CModemsDialog dlg;
    Open(dlg);
    dlg.OnNew();
    EXPECT_TRUE(Modems().IsEmpty());
    EXPECT_TRUE(dlg.RowTexts().isEmpty());
    EXPECT_FALSE(app->IsModified());
}

TEST_F(ModemsTest, ADefinitionInUseShowsItAndCanOnlyBeDuplicated) {
    CModemSettings* held = AddModem("Dialer");
    held->IncrementInUse();
    int edits = 0;
    CModemSettings::SetPropertiesEditor([&edits](CModemSettings&) {
        ++edits;
        return true;
    });
    CModemsDialog dlg;
    Open(dlg);
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Dialer (In use)"}));
    dlg.SelectRow(0);
    EXPECT_FALSE(dlg.EditButton().isEnabled());
    EXPECT_FALSE(dlg.DeleteButton().isEnabled());
    app.prompt.Answer(PromptResult::Yes);
    dlg.OnEdit();
    dlg.OnDelete();
    EXPECT_EQ(edits, 0);
    EXPECT_TRUE(app.prompt.asked.empty());
    ASSERT_TRUE(Modems().Contains(held));

    dlg.OnDuplicate();
    ASSERT_EQ(Modems().GetCount(), 2u);
    auto* copy = dynamic_cast<CModemSettings*>(Modems().At(1));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetName(), "Copy of Dialer");
    EXPECT_FALSE(copy->IsInUse());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Copy of Dialer", "Dialer (In use)"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
    EXPECT_TRUE(dlg.DeleteButton().isEnabled());

    // Once the link lets go, the definition can be deleted again.
    held->DecrementInUse();
    dlg.Refill();
    dlg.SelectRow(1);
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Copy of Dialer", "Dialer"}));
    app.prompt.Answer(PromptResult::Yes);
    dlg.OnDelete();
    EXPECT_EQ(Modems().GetCount(), 1u);
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Copy of Dialer"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
}

TEST_F(ModemsTest, EditThroughTheRealDialogRenamesTheRow) {
    InstallConnectionDialogs();
    AddModem("Alpha");
    CModemSettings* modem = AddModem("Bravo");
    CModemsDialog dlg;
    Open(dlg);
    dlg.SelectRow(1);
    dialogtest::WhenModal<CModemPropertiesDialog> driver([](CModemPropertiesDialog& props) {
        props.Edit(CModemPropertiesDialog::FIELD_NAME).setText("aardvark");
        props.accept();
    });
    dlg.OnEdit();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(modem->GetName(), "aardvark");
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"aardvark", "Alpha"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
}

} // namespace
