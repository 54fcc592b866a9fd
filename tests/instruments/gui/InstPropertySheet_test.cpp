#include "connections/SiteConnection.h"
#include "connections/gui/DialogTestSupport.h"
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

namespace {

using dialogtest::DialogTest;

// What the five pages show in one line: a box as [x] or [ ], the chosen port as 1, 2 or C,
// an edit's text, in brackets while it is disabled, and the site, "-" when none is chosen.
std::string Shown(CInstPropertySheet& s) {
    CInstBasicPropertyPage& b = s.Basic();
    const auto box = [](QAbstractButton& c) { return c.isChecked() ? "[x]" : "[ ]"; };
    const auto edit = [](QLineEdit& e) {
        return e.isEnabled() ? e.text().toStdString() : "(" + e.text().toStdString() + ")";
    };
    const char* port = b.Port1().isChecked() ? "1" : b.Port2().isChecked() ? "2" : "C";
    return edit(b.Name()) + "|" + box(b.UseId()) + edit(b.Id()) + "|" + port +
           edit(b.ModeVarName()) + "|" +
           (b.Site().currentIndex() < 0 ? "-" : b.Site().currentText().toStdString()) + "|" +
           box(s.AutoDisconnect().Enabled()) + edit(s.AutoDisconnect().Minutes()) + "|" +
           box(s.CodeSwitch().UseSelect()) + edit(s.CodeSwitch().SelectCode()) + "|" +
           box(s.CodeSwitch().UseDeselect()) + edit(s.CodeSwitch().DeselectCode()) + "|" +
           edit(s.Handshake().ReceiveTimeout()) + "|" + edit(s.Handshake().TransmitDelay()) + "|" +
           box(s.Security().UsePassword()) + edit(s.Security().Password());
}

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
    // An instrument with every setting away from its default.
    void Configure() {
        inst.SetName("Monitor 7");
        inst.SetSiteId(AddSite("Harbour")->GetId());
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
    }
    // What a sheet opened afresh on the instrument shows, each page once looked at.
    std::string Reopened() {
        CInstPropertySheet sheet(inst);
        sheet.show();
        for (int i = 0; i < sheet.PageCount(); ++i)
            sheet.SetActivePage(i);
        return Shown(sheet);
    }
    // OK on a shown sheet; true when it closed.
    static bool PressOk(CInstPropertySheet& sheet) {
        sheet.accept();
        return sheet.result() == QDialog::Accepted && !sheet.isVisible();
    }
    CInstrumentConnection inst;
};

TEST_F(InstSheetTest, FivePagesShowTheInstrumentAndOkStoresWhatTheyHold) {
    Configure();
    AddSite("bay");
    CInstPropertySheet sheet(inst);
    EXPECT_EQ(sheet.windowTitle(), "Instrument Properties");
    QStringList tabs;
    for (int i = 0; i < sheet.Tabs()->count(); ++i)
        tabs << sheet.Tabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"Basic", "Automatic Disconnect", "Code-Activated Switch",
                                 "Handshaking", "Security"}));
    EXPECT_EQ(Items(sheet.Basic().Site()), (QStringList{"bay", "Harbour"})) << "sorted, case aside";
    EXPECT_EQ(Shown(sheet), "Monitor 7|[x]42|CCOM2_MODE|Harbour|[x]15|[x]\\x1B\\x41|[ ]()|3000|20|"
                            "[x]123456");

    sheet.show();
    CInstBasicPropertyPage& basic = sheet.Basic();
    basic.Name().setText("Calibrator 2");
    basic.Id().setText("9999");
    basic.Port2().click();
    basic.Site().setCurrentText("bay");
    sheet.AutoDisconnect().Minutes().setText("60");
    sheet.CodeSwitch().UseDeselect().setChecked(true);
    // Every hexadecimal digit after \x belongs to the escape: 0x1BA, low 8 bits kept.
    sheet.CodeSwitch().DeselectCode().setText("\\r\\n\\x1BA");
    sheet.Handshake().ReceiveTimeout().setText("10000");
    sheet.Handshake().TransmitDelay().setText("500");
    sheet.Security().Password().setText("999999");
    ASSERT_TRUE(PressOk(sheet));
    EXPECT_EQ(Reopened(), "Calibrator 2|[x]9999|2(RS232_MODE2)|bay|[x]60|[x]\\x1B\\x41|"
                          "[x]\\x0D\\x0A\\xBA|10000|500|[x]999999");

    // An instrument whose site was deleted shows Local Site, and no other site is chosen.
    Sites().Delete(Sites().At(1));
    CInstPropertySheet again(inst);
    again.show();
    EXPECT_EQ(again.Basic().Site().currentIndex(), -1);
    EXPECT_EQ(again.Basic().Site().placeholderText(), "Local Site");
    dialogtest::Shot(again, "instrument-basic-deleted-site");
}

TEST_F(InstSheetTest, DefaultsBoxesAndPortsChangeOnlyThePagesUntilOk) {
    Configure();
    CInstPropertySheet sheet(inst);
    sheet.show();
    CInstBasicPropertyPage& basic = sheet.Basic();
    basic.DefaultsButton().click();
    EXPECT_EQ(Shown(sheet),
              "Local Instrument|[ ](0)|1(RS232_MODE)|-|[ ](0)|[ ]()|[ ]()|2000|0|[ ](0)");
    // Each box enables its field.
    QAbstractButton* const boxes[] = {
        &basic.UseId(), &sheet.AutoDisconnect().Enabled(), &sheet.CodeSwitch().UseSelect(),
        &sheet.CodeSwitch().UseDeselect(), &sheet.Security().UsePassword()};
    for (QAbstractButton* b : boxes)
        b->click();
    EXPECT_EQ(Shown(sheet), "Local Instrument|[x]0|1(RS232_MODE)|-|[x]0|[x]|[x]|2000|0|[x]0");
    for (QAbstractButton* b : boxes)
        b->click();

    // Custom keeps the current name, a port puts its own.
    const struct {
        QRadioButton* port;
        const char *typed, *name;
        bool editable;
    } steps[] = {{&basic.Custom(), "AUX_MODE", "AUX_MODE", true},
                 {&basic.Port2(), nullptr, "RS232_MODE2", false},
                 {&basic.Custom(), nullptr, "RS232_MODE2", true},
                 {&basic.Custom(), "MY_MODE", "MY_MODE", true}};
    for (const auto& step : steps) {
        step.port->click();
        if (step.typed)
            basic.ModeVarName().setText(step.typed);
        EXPECT_EQ(basic.ModeVarName().text(), step.name);
        EXPECT_EQ(basic.ModeVarName().isEnabled(), step.editable) << step.name;
    }
    EXPECT_EQ(inst.GetName(), "Monitor 7");
    ASSERT_TRUE(PressOk(sheet));
    EXPECT_EQ(Reopened(), "Local Instrument|[ ](0)|CMY_MODE|-|[ ](0)|[ ]()|[ ]()|2000|0|[ ](0)");
}

TEST_F(InstSheetTest, ValuesOutOfRangeAreRefusedWithTheMessageAndThePageShown) {
    enum { ID, MINUTES, RECEIVE, TRANSMIT, PASSWORD };
    const int pages[] = {CInstPropertySheet::PAGE_BASIC, CInstPropertySheet::PAGE_AUTO_DISCONNECT,
                         CInstPropertySheet::PAGE_HANDSHAKE, CInstPropertySheet::PAGE_HANDSHAKE,
                         CInstPropertySheet::PAGE_SECURITY};
    const struct {
        int field;
        const char* text;
        const char* message; // none: accepted
    } rows[] = {
        // clang-format off
        {RECEIVE, "400", "Please enter an integer between 500 and 10000."},
        {TRANSMIT, "501", "Please enter an integer between 0 and 500."},
        {PASSWORD, "1000000", "Please enter an integer between 0 and 999999."},
        {ID, "10000", "Please enter an integer between 0 and 9999."},
        {MINUTES, "61", "Please enter an integer between 0 and 60."},
        {RECEIVE, "500", nullptr}, {TRANSMIT, "0", nullptr}, {MINUTES, "0", nullptr},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.field) + "=" + r.text);
        app.prompt.asked.clear();
        app->SetModified(false);
        inst.SetName("Before");
        CInstPropertySheet sheet(inst);
        sheet.show();
        sheet.Basic().Name().setText("After");
        QLineEdit* const fields[] = {&sheet.Basic().Id(), &sheet.AutoDisconnect().Minutes(),
                                     &sheet.Handshake().ReceiveTimeout(),
                                     &sheet.Handshake().TransmitDelay(),
                                     &sheet.Security().Password()};
        fields[r.field]->setText(r.text);
        EXPECT_EQ(PressOk(sheet), r.message == nullptr);
        EXPECT_EQ(LastMessage(), r.message ? r.message : "");
        EXPECT_EQ(inst.GetName(), r.message ? "Before" : "After"); // nothing copied back
        EXPECT_EQ(app->IsModified(), r.message == nullptr);
        if (r.message) {
            EXPECT_EQ(app.prompt.asked.back().caption, "Error");
            EXPECT_EQ(sheet.Tabs()->currentIndex(), pages[r.field]);
        }
    }
}

TEST_F(InstSheetTest, ConfigurationButtonFollowsTheCapabilities) {
    std::vector<bool> opened;
    CInstBasicPropertyPage::SetConfigurationOpener(
        [&opened](QWidget*, CInstrumentConnection&, bool das) { opened.push_back(das); });
    const char *das = "&DAS Configuration...", *sequences = "Se&quence Configuration...";
    const struct {
        uint32_t caps;
        bool enabled;
        const char* text;
    } cases[] = {{CAP_CALIBRATOR, false, ""},
                 {CAP_DAS, true, das},
                 {CAP_CAL_SCRIPT, true, sequences},
                 {CAP_DAS | CAP_CAL_SCRIPT, true, das}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caps);
        inst.SetCapabilities(c.caps);
        CInstPropertySheet sheet(inst);
        sheet.show();
        QPushButton& button = sheet.Basic().ConfigurationButton();
        EXPECT_EQ(button.isEnabled(), c.enabled);
        if (c.enabled) {
            EXPECT_EQ(button.text(), c.text);
        }
        button.click();
    }
    EXPECT_EQ(opened, (std::vector<bool>{true, false, true}));
}

TEST_F(InstSheetTest, EditPropertiesRunsTheSheetOnceInstalledAndAnUnchangedOkKeepsEveryByte) {
    Configure();
    // Backslashes, quotes and bytes outside the printable range.
    const std::string code("\\\"A\0\x7F", 5);
    inst.SetSelectCode(code);
    const std::string before = Reopened();
    EXPECT_FALSE(inst.EditProperties()); // nothing installed yet in this program
    InstallInstrumentPropertySheet();
    dialogtest::WhenModal<CInstPropertySheet> driver(
        [](CInstPropertySheet& sheet) { sheet.accept(); });
    EXPECT_TRUE(inst.EditProperties());
    CInstrumentConnection::SetPropertiesEditor(nullptr);
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(inst.GetSelectCode(), code);
    EXPECT_EQ(Reopened(), before);
    EXPECT_TRUE(app->IsModified()) << "even without changes";
}

} // namespace
