#include "base/EscapeText.h"
#include "connections/SiteConnection.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/SitesDialog.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/InstPropertyPages.h"
#include "instruments/gui/InstPropertySheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <ostream>
#include <sstream>

namespace {

using dialogtest::DialogTest;

struct InstSheetTest : DialogTest {
    void TearDown() override {
        CInstBasicPropertyPage::SetConfigurationOpener(nullptr);
        DialogTest::TearDown();
    }
    CSiteConnection* AddSite(const std::string& name) {
        auto* site = new CSiteConnection;
        site->SetName(name);
        Sites().AddTail(site);
        return site;
    }
    std::string LastMessage() const {
        return app.prompt.asked.empty() ? std::string() : app.prompt.asked.back().text;
    }
    // OK on a shown sheet; true when it closed.
    bool PressOk(CInstPropertySheet& sheet) {
        sheet.accept();
        return sheet.result() == QDialog::Accepted && !sheet.isVisible();
    }
    CInstrumentConnection inst;
};

// The instrument's settings in one line.
std::string Fields(const CInstrumentConnection& i) {
    std::ostringstream out;
    out << i.GetName() << '|' << i.GetUseInstrumentId() << i.GetInstrumentId() << '|' << i.GetPort()
        << i.GetModeVarName() << '|' << i.GetSiteId() << '|' << i.GetAutoDisconnect()
        << i.GetAutoDisconnectMinutes() << '|' << i.GetUseSelect() << EscapeText(i.GetSelectCode())
        << '|' << i.GetUseDeselect() << EscapeText(i.GetDeselectCode()) << '|'
        << i.GetReceiveTimeout() << '|' << i.GetTransmitDelay() << '|' << i.GetUsePassword()
        << i.GetPassword();
    return out.str();
}

TEST_F(InstSheetTest, FivePagesShowTheInstrumentAndOkStoresWhatTheyHold) {
    CSiteConnection* harbour = AddSite("Harbour");
    CSiteConnection* bay = AddSite("Bay");
    inst.SetName("Monitor 7");
    inst.SetSiteId(harbour->GetId());
    inst.SetInstrumentId(42);
    inst.SetUseInstrumentId(true);
    inst.SetPort(CInstrumentConnection::PORT_CUSTOM);
    inst.SetModeVarName("COM2_MODE");
    inst.SetAutoDisconnect(true);
    inst.SetAutoDisconnectMinutes(15);
    inst.SetUseSelect(true);
    inst.SetSelectCode("\x1B"
                       "A");
    inst.SetReceiveTimeout(3000);
    inst.SetTransmitDelay(20);
    inst.SetUsePassword(true);
    inst.SetPassword(123456);
    CInstPropertySheet sheet(inst);
    EXPECT_EQ(sheet.windowTitle(), "Instrument Properties");
    QStringList shown;
    for (int i = 0; i < sheet.Tabs()->count(); ++i)
        shown << sheet.Tabs()->tabText(i);
    CInstBasicPropertyPage& basic = sheet.Basic();
    for (QLineEdit* e :
         {&basic.Name(), &basic.Id(), &basic.ModeVarName(), &sheet.AutoDisconnect().Minutes(),
          &sheet.CodeSwitch().SelectCode(), &sheet.Handshake().ReceiveTimeout(),
          &sheet.Handshake().TransmitDelay(), &sheet.Security().Password()})
        shown << e->text();
    shown << basic.Site().currentText();
    EXPECT_EQ(shown, (QStringList{"Basic", "Automatic Disconnect", "Code-Activated Switch",
                                  "Handshaking", "Security", "Monitor 7", "42", "COM2_MODE", "15",
                                  "\\x1B\\x41", "3000", "20", "123456", "Harbour"}));
    EXPECT_TRUE(basic.UseId().isChecked() && basic.Custom().isChecked());
    EXPECT_TRUE(sheet.AutoDisconnect().Enabled().isChecked());
    EXPECT_TRUE(sheet.CodeSwitch().UseSelect().isChecked());
    EXPECT_FALSE(sheet.CodeSwitch().UseDeselect().isChecked());
    EXPECT_TRUE(sheet.Security().UsePassword().isChecked());

    sheet.show();
    basic.Name().setText("Calibrator 2");
    basic.Id().setText("9999");
    basic.Port2().click();
    basic.Site().setCurrentText("Bay");
    sheet.AutoDisconnect().Minutes().setText("60");
    sheet.CodeSwitch().UseDeselect().setChecked(true);
    sheet.CodeSwitch().DeselectCode().setText("\\r\\n");
    sheet.Handshake().ReceiveTimeout().setText("10000");
    sheet.Handshake().TransmitDelay().setText("500");
    sheet.Security().Password().setText("999999");
    ASSERT_TRUE(PressOk(sheet));
    EXPECT_EQ(Fields(inst), "Calibrator 2|19999|1RS232_MODE2|" + std::to_string(bay->GetId()) +
                                "|160|1\\x1B\\x41|1\\x0D\\x0A|10000|500|1999999");
}

TEST_F(InstSheetTest, CancelChangesNothingAndOkMarksModifiedEvenWithoutChanges) {
    inst.SetName("Kept");
    {
        CInstPropertySheet sheet(inst);
        sheet.show();
        sheet.Basic().Name().setText("Lost");
        sheet.Handshake().ReceiveTimeout().setText("700");
        sheet.reject();
    }
    EXPECT_EQ(inst.GetName(), "Kept");
    EXPECT_EQ(inst.GetReceiveTimeout(), 2000);
    EXPECT_FALSE(app->IsModified());
    // Backslashes, quotes and bytes outside the printable range survive an unchanged OK.
    const std::string code = std::string("\\\"A\0\x7F", 5);
    inst.SetSelectCode(code);
    CInstPropertySheet sheet(inst);
    sheet.show();
    ASSERT_TRUE(PressOk(sheet));
    EXPECT_EQ(inst.GetName(), "Kept");
    EXPECT_EQ(inst.GetSelectCode(), code);
    EXPECT_TRUE(app->IsModified());
}

// ---- port and mode variable

TEST_F(InstSheetTest, CustomKeepsTheCurrentNameAndAPortPutsItsOwn) {
    CInstPropertySheet sheet(inst);
    sheet.show();
    CInstBasicPropertyPage& basic = sheet.Basic();
    EXPECT_FALSE(basic.ModeVarName().isEnabled());
    EXPECT_EQ(basic.ModeVarName().maxLength(), 20);
    const struct {
        QRadioButton* port;
        const char *typed, *name;
        bool editable;
    } steps[] = {{&basic.Custom(), "AUX_MODE", "AUX_MODE", true},
                 {&basic.Port2(), nullptr, "RS232_MODE2", false},
                 {&basic.Custom(), nullptr, "RS232_MODE2", true},
                 {&basic.Port1(), nullptr, "RS232_MODE", false},
                 {&basic.Custom(), "MY_MODE", "MY_MODE", true}};
    for (const auto& step : steps) {
        step.port->click();
        if (step.typed)
            basic.ModeVarName().setText(step.typed);
        EXPECT_EQ(basic.ModeVarName().text(), step.name);
        EXPECT_EQ(basic.ModeVarName().isEnabled(), step.editable) << step.name;
    }
    ASSERT_TRUE(PressOk(sheet));
    EXPECT_EQ(inst.GetPort(), CInstrumentConnection::PORT_CUSTOM);
    EXPECT_EQ(inst.GetModeVarName(), "MY_MODE");
}

// ---- the enabling boxes

TEST_F(InstSheetTest, EachBoxEnablesItsField) {
    CInstPropertySheet sheet(inst);
    sheet.show();
    struct Pair {
        QCheckBox& box;
        QLineEdit& edit;
        int page;
    } pairs[] = {
        {sheet.Basic().UseId(), sheet.Basic().Id(), CInstPropertySheet::PAGE_BASIC},
        {sheet.AutoDisconnect().Enabled(), sheet.AutoDisconnect().Minutes(),
         CInstPropertySheet::PAGE_AUTO_DISCONNECT},
        {sheet.CodeSwitch().UseSelect(), sheet.CodeSwitch().SelectCode(),
         CInstPropertySheet::PAGE_CAS},
        {sheet.CodeSwitch().UseDeselect(), sheet.CodeSwitch().DeselectCode(),
         CInstPropertySheet::PAGE_CAS},
        {sheet.Security().UsePassword(), sheet.Security().Password(),
         CInstPropertySheet::PAGE_SECURITY},
    };
    for (Pair& p : pairs) {
        ASSERT_TRUE(sheet.SetActivePage(p.page));
        EXPECT_FALSE(p.edit.isEnabled()) << p.box.text().toStdString();
        p.box.click();
        EXPECT_TRUE(p.edit.isEnabled()) << p.box.text().toStdString();
        p.box.click();
        EXPECT_FALSE(p.edit.isEnabled()) << p.box.text().toStdString();
    }
}

// ---- select codes

TEST_F(InstSheetTest, SelectCodesAreStoredAsTheBytesTheEscapesStandFor) {
    {
        CInstPropertySheet sheet(inst);
        sheet.show();
        sheet.CodeSwitch().UseSelect().setChecked(true);
        sheet.CodeSwitch().SelectCode().setText("\\x1B\\x41");
        sheet.CodeSwitch().DeselectCode().setText("\\x1BA");
        ASSERT_TRUE(PressOk(sheet));
    }
    EXPECT_EQ(inst.GetSelectCode(), std::string("\x1B\x41", 2));
    // Every hexadecimal digit after \x belongs to the escape: 0x1BA, low 8 bits kept.
    EXPECT_EQ(inst.GetDeselectCode(), std::string("\xBA", 1));
    EXPECT_FALSE(inst.GetUseDeselect());

    CInstPropertySheet again(inst);
    EXPECT_EQ(again.CodeSwitch().SelectCode().text(), "\\x1B\\x41");
    EXPECT_EQ(again.CodeSwitch().DeselectCode().text(), "\\xBA");
}

// ---- range checks

struct Refusal {
    int page;
    const char* field;
    const char* text;
    const char* message;
};

// Printed by its fields: the default byte dump would read the padding after the page.
void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.field << "=" << r.text;
}

class InstSheetRangeTest : public InstSheetTest, public ::testing::WithParamInterface<Refusal> {
protected:
    QLineEdit& Field(CInstPropertySheet& sheet, const std::string& name) {
        if (name == "id")
            return sheet.Basic().Id();
        if (name == "minutes")
            return sheet.AutoDisconnect().Minutes();
        if (name == "receive")
            return sheet.Handshake().ReceiveTimeout();
        if (name == "transmit")
            return sheet.Handshake().TransmitDelay();
        return sheet.Security().Password();
    }
};

TEST_P(InstSheetRangeTest, IsRefusedWithTheMessageAndThePageShown) {
    const Refusal& r = GetParam();
    inst.SetName("Before");
    CInstPropertySheet sheet(inst);
    sheet.show();
    sheet.Basic().Name().setText("After");
    Field(sheet, r.field).setText(r.text);
    EXPECT_FALSE(PressOk(sheet));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(LastMessage(), r.message);
    EXPECT_EQ(app.prompt.asked.back().caption, "Error");
    EXPECT_EQ(sheet.Tabs()->currentIndex(), r.page);
    EXPECT_EQ(inst.GetName(), "Before"); // nothing was copied back
    EXPECT_FALSE(app->IsModified());
}

INSTANTIATE_TEST_SUITE_P(
    Limits, InstSheetRangeTest,
    ::testing::Values(Refusal{CInstPropertySheet::PAGE_HANDSHAKE, "receive", "400",
                              "Please enter an integer between 500 and 10000."},
                      Refusal{CInstPropertySheet::PAGE_HANDSHAKE, "receive", "10001",
                              "Please enter an integer between 500 and 10000."},
                      Refusal{CInstPropertySheet::PAGE_HANDSHAKE, "transmit", "501",
                              "Please enter an integer between 0 and 500."},
                      Refusal{CInstPropertySheet::PAGE_SECURITY, "password", "1000000",
                              "Please enter an integer between 0 and 999999."},
                      Refusal{CInstPropertySheet::PAGE_SECURITY, "password", "-1",
                              "Please enter an integer between 0 and 999999."},
                      Refusal{CInstPropertySheet::PAGE_BASIC, "id", "10000",
                              "Please enter an integer between 0 and 9999."},
                      Refusal{CInstPropertySheet::PAGE_AUTO_DISCONNECT, "minutes", "61",
                              "Please enter an integer between 0 and 60."},
                      Refusal{CInstPropertySheet::PAGE_AUTO_DISCONNECT, "minutes", "ten",
                              "Please enter an integer."}));

TEST_F(InstSheetTest, TheLimitsThemselvesAreAccepted) {
    CInstPropertySheet sheet(inst);
    sheet.show();
    sheet.Handshake().ReceiveTimeout().setText("500");
    sheet.Handshake().TransmitDelay().setText("0");
    sheet.Security().Password().setText("0");
    sheet.Basic().Id().setText("0");
    sheet.AutoDisconnect().Minutes().setText("0");
    EXPECT_TRUE(PressOk(sheet));
    EXPECT_TRUE(app.prompt.asked.empty());
    EXPECT_EQ(inst.GetReceiveTimeout(), 500);
}

// ---- defaults

TEST_F(InstSheetTest, DefaultsResetAllFivePages) {
    CSiteConnection* site = AddSite("Harbour");
    inst.SetName("Monitor");
    inst.SetSiteId(site->GetId());
    inst.SetUseInstrumentId(true);
    inst.SetPort(CInstrumentConnection::PORT_2);
    inst.SetAutoDisconnect(true);
    inst.SetUseSelect(true);
    inst.SetSelectCode("S");
    inst.SetReceiveTimeout(9000);
    inst.SetUsePassword(true);
    inst.SetPassword(77);
    CInstPropertySheet sheet(inst);
    sheet.show();
    sheet.Basic().DefaultsButton().click();
    const QString edits =
        sheet.Basic().Name().text() + "|" + sheet.Basic().Id().text() + "|" +
        sheet.Basic().ModeVarName().text() + "|" + sheet.AutoDisconnect().Minutes().text() + "|" +
        sheet.CodeSwitch().SelectCode().text() + "|" + sheet.Handshake().ReceiveTimeout().text() +
        "|" + sheet.Handshake().TransmitDelay().text() + "|" + sheet.Security().Password().text();
    EXPECT_EQ(edits, "Local Instrument|0|RS232_MODE|0||2000|0|0");
    for (QCheckBox* box : {&sheet.Basic().UseId(), &sheet.AutoDisconnect().Enabled(),
                           &sheet.CodeSwitch().UseSelect(), &sheet.Security().UsePassword()})
        EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
    EXPECT_FALSE(sheet.Basic().Id().isEnabled());
    EXPECT_TRUE(sheet.Basic().Port1().isChecked());
    EXPECT_EQ(sheet.Basic().Site().currentIndex(), -1);
    EXPECT_EQ(inst.GetName(), "Monitor"); // only the pages changed until OK
    ASSERT_TRUE(PressOk(sheet));
    EXPECT_EQ(inst.GetSiteId(), 0u);
    EXPECT_EQ(inst.GetPassword(), 0u);
    EXPECT_FALSE(inst.GetUseSelect());
}

// ---- sites

TEST_F(InstSheetTest, SiteListNamesEverySiteSortedWithTheInstrumentsSiteSelected) {
    AddSite("zeta");
    CSiteConnection* chosen = AddSite("Alpha");
    AddSite("Mid");
    inst.SetSiteId(chosen->GetId());
    CInstPropertySheet sheet(inst);
    QComboBox& combo = sheet.Basic().Site();
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items.push_back(combo.itemText(i));
    EXPECT_EQ(items, (QStringList{"Alpha", "Mid", "zeta"}));
    EXPECT_EQ(combo.currentText(), "Alpha");
    // An instrument whose site was deleted shows Local Site, and no other site is chosen.
    Sites().Delete(chosen);
    CInstPropertySheet again(inst);
    again.show();
    EXPECT_EQ(again.Basic().Site().currentIndex(), -1);
    EXPECT_EQ(again.Basic().Site().placeholderText(), "Local Site");
    dialogtest::Shot(again, "instrument-basic-deleted-site");
}

// ---- configuration button

TEST_F(InstSheetTest, ConfigurationButtonFollowsTheCapabilities) {
    std::vector<bool> opened;
    CInstBasicPropertyPage::SetConfigurationOpener(
        [&opened](QWidget*, CInstrumentConnection&, bool das) { opened.push_back(das); });
    struct Case {
        uint32_t caps;
        bool enabled;
        const char* text;
    } cases[] = {
        {0, false, "&DAS Configuration..."},
        {CAP_CALIBRATOR, false, "Se&quence Configuration..."},
        {CAP_DAS, true, "&DAS Configuration..."},
        {CAP_CAL_SCRIPT, true, "Se&quence Configuration..."},
        {CAP_DAS | CAP_CAL_SCRIPT, true, "&DAS Configuration..."},
    };
    for (const Case& c : cases) {
        inst.SetCapabilities(c.caps);
        CInstPropertySheet sheet(inst);
        sheet.show();
        QPushButton& button = sheet.Basic().ConfigurationButton();
        EXPECT_EQ(button.isEnabled(), c.enabled) << c.caps;
        if (c.enabled) {
            EXPECT_EQ(button.text(), c.text) << c.caps;
        }
        button.click();
    }
    EXPECT_EQ(opened, (std::vector<bool>{true, false, true}));

    // Until those windows are installed the button offers nothing.
    CInstBasicPropertyPage::SetConfigurationOpener(nullptr);
    inst.SetCapabilities(CAP_DAS);
    CInstPropertySheet sheet(inst);
    sheet.show();
    EXPECT_FALSE(sheet.Basic().ConfigurationButton().isEnabled());
}

// ---- the editor and the pictures

TEST_F(InstSheetTest, EditPropertiesRunsTheSheetOnceInstalled) {
    EXPECT_FALSE(inst.EditProperties()); // nothing installed yet in this program
    InstallInstrumentPropertySheet();
    dialogtest::WhenModal<CInstPropertySheet> driver([](CInstPropertySheet& sheet) {
        sheet.Basic().Name().setText("Edited");
        sheet.accept();
    });
    EXPECT_TRUE(inst.EditProperties());
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(inst.GetName(), "Edited");
    CInstrumentConnection::SetPropertiesEditor(nullptr);
}

TEST_F(InstSheetTest, EveryPageShowsWhole) {
    AddSite("Harbour");
    inst.SetCapabilities(CAP_DAS);
    CInstBasicPropertyPage::SetConfigurationOpener([](QWidget*, CInstrumentConnection&, bool) {});
    CInstPropertySheet sheet(inst);
    const char* names[] = {"instrument-basic", "instrument-auto-disconnect",
                           "instrument-code-switch", "instrument-handshaking",
                           "instrument-security"};
    for (int i = 0; i < sheet.PageCount(); ++i) {
        ASSERT_TRUE(sheet.SetActivePage(i));
        dialogtest::Shot(sheet, names[i]);
    }
}

TEST_F(InstSheetTest, TheSitesButtonOpensTheListAndRefillsKeepingTheChoice) {
    CSiteConnection* site = AddSite("Harbour");
    inst.SetSiteId(site->GetId());
    CInstPropertySheet sheet(inst);
    sheet.show();
    dialogtest::WhenModal<CSitesDialog> driver([](CSitesDialog& sites) {
        sites.SelectRow(0);
        sites.OnDuplicate();
        sites.accept();
    });
    sheet.Basic().SitesButton().click();
    EXPECT_TRUE(driver.Seen());
    QComboBox& combo = sheet.Basic().Site();
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(0), "Copy of Harbour");
    EXPECT_EQ(combo.currentText(), "Harbour");
}

} // namespace
