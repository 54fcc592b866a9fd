#include "connections/ModemSettings.h"
#include "connections/gui/ConnectionDialogs.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/ModemPropertiesDialog.h"
#include "connections/gui/ModemsDialog.h"

#include <QLineEdit>

namespace {

using dialogtest::DialogTest;
using Props = CModemPropertiesDialog;

struct ModemsTest : DialogTest {
    CModemSettings* AddModem(const std::string& name) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        Modems().AddTail(modem);
        return modem;
    }
    static QStringList Fields(Props& dlg) {
        QStringList texts;
        for (int f = 0; f < Props::FIELD_COUNT; ++f)
            texts.push_back(dlg.Edit(Props::Field(f)).text());
        return texts;
    }
};

// In field order: name, OK, connect, escape, reset, initialisation, dial,
// hang-up.
const QStringList kStandard = {"Standard",          "OK",   "CONNECT", "+++", "ATZ",
                               "AT &F E0 M0 Q0 V1", "ATDT", "ATH0"};

TEST_F(ModemsTest, PropertiesShowTheStringsInFieldsOfFortyAndDefaultsPutBackStandard) {
    CModemSettings modem;
    modem.SetName("Mine");
    modem.SetHangup("ATH");
    Props dlg(modem);
    EXPECT_EQ(dlg.windowTitle(), "Modem Properties");
    QStringList want = kStandard;
    want[0] = "Mine";
    want[7] = "ATH";
    EXPECT_EQ(Fields(dlg), want);
    for (int f = 0; f < Props::FIELD_COUNT; ++f) {
        QLineEdit& edit = dlg.Edit(Props::Field(f));
        edit.clear();
        edit.insert(QString(45, QLatin1Char('9'))); // typing stops at 40 characters
        EXPECT_EQ(edit.text().size(), 40) << f;
    }
    dialogtest::Shot(dlg, "modem-properties");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
    dlg.OnDefaults();
    EXPECT_EQ(Fields(dlg), kStandard);
    dlg.reject();
    EXPECT_EQ(modem.GetName(), "Mine");
    EXPECT_EQ(modem.GetHangup(), "ATH");
    EXPECT_FALSE(app->IsModified());
}

TEST_F(ModemsTest, AnyClearedFieldIsRefusedAndOkStoresAllEight) {
    CModemSettings modem;
    for (int f = 0; f < Props::FIELD_COUNT; ++f) {
        app.prompt.asked.clear();
        Props dlg(modem);
        dlg.show();
        dlg.Edit(Props::Field(f)).clear();
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << "field " << f;
        ASSERT_EQ(app.prompt.asked.size(), 1u) << "field " << f;
        EXPECT_EQ(app.prompt.asked[0].text,
                  "Please supply a string for every command and response.");
        EXPECT_EQ(app.prompt.asked[0].caption, "Error");
        EXPECT_EQ(app.prompt.asked[0].icon, PromptIcon::Exclamation);
    }
    EXPECT_FALSE(app->IsModified());
    Props dlg(modem);
    const char* values[] = {"Fast", "READY", "CARRIER", "~~~", "ATZ0", "AT&F", "ATDP", "ATH1"};
    for (int f = 0; f < Props::FIELD_COUNT; ++f)
        dlg.Edit(Props::Field(f)).setText(values[f]);
    dlg.accept();
    EXPECT_EQ((std::vector<std::string>{modem.GetName(), modem.GetOkResponse(),
                                        modem.GetConnectResponse(), modem.GetEscape(),
                                        modem.GetReset(), modem.GetInitialization(),
                                        modem.GetToneDial(), modem.GetHangup()}),
              std::vector<std::string>(std::begin(values), std::end(values)));
    EXPECT_TRUE(app->IsModified());
}

TEST_F(ModemsTest, NewDefinitionsAreStandardWithTheirOwnIdsAndACancelledOneIsDiscarded) {
    InstallConnectionDialogs();
    CModemsDialog dlg;
    dlg.show();
    for (int n = 0; n < 2; ++n) {
        dialogtest::WhenModal<Props> driver([](Props& props) { props.accept(); });
        dlg.OnNew();
        EXPECT_TRUE(driver.Seen());
    }
    ASSERT_EQ(Modems().GetCount(), 2u);
    EXPECT_NE(Modems().At(0)->GetId(), Modems().At(1)->GetId());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Standard", "Standard"}));
    EXPECT_TRUE(app->IsModified());
    dialogtest::Shot(dlg, "modems");
    EXPECT_FALSE(dialogtest::KeepsItsSize(dlg)) << "the list is resizable";
    CModemSettings::SetPropertiesEditor([](CModemSettings&) { return false; });
    dlg.OnNew();
    EXPECT_EQ(Modems().GetCount(), 2u);
}

TEST_F(ModemsTest, ADefinitionInUseCanOnlyBeDuplicatedUntilTheLinkLetsGo) {
    CModemSettings* held = AddModem("Dialer");
    held->IncrementInUse();
    int edits = 0;
    CModemSettings::SetPropertiesEditor([&edits](CModemSettings&) { return ++edits > 0; });
    CModemsDialog dlg;
    dlg.show();
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Dialer (In use)"}));
    dlg.SelectRow(0);
    EXPECT_FALSE(dlg.EditButton().isEnabled() || dlg.DeleteButton().isEnabled());
    app.prompt.Answer(PromptResult::Yes);
    dlg.OnEdit();
    dlg.OnDelete();
    EXPECT_EQ(edits, 0);
    EXPECT_TRUE(app.prompt.asked.empty());
    dlg.OnDuplicate();
    ASSERT_EQ(Modems().GetCount(), 2u);
    EXPECT_FALSE(dynamic_cast<CModemSettings&>(*Modems().At(1)).IsInUse());
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Copy of Dialer", "Dialer (In use)"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
    held->DecrementInUse();
    dlg.Refill();
    dlg.SelectRow(1);
    app.prompt.Answer(PromptResult::Yes);
    dlg.OnDelete();
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"Copy of Dialer"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
}

TEST_F(ModemsTest, EditThroughTheRealDialogRenamesTheRowInSortedPlace) {
    InstallConnectionDialogs();
    AddModem("Alpha");
    CModemSettings* modem = AddModem("Bravo");
    CModemsDialog dlg;
    dlg.show();
    dlg.SelectRow(1);
    dialogtest::WhenModal<Props> driver([](Props& props) {
        props.Edit(Props::FIELD_NAME).setText("aardvark");
        props.accept();
    });
    dlg.OnEdit();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(modem->GetName(), "aardvark");
    EXPECT_EQ(dlg.RowTexts(), (QStringList{"aardvark", "Alpha"}));
    EXPECT_EQ(dlg.SelectedRow(), 0);
}

} // namespace
