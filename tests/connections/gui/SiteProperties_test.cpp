#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TCPConnection.h"
#include "connections/gui/ConnectionDialogs.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/SitePropertiesDialog.h"
#include "connections/gui/TCPConnectionPropertiesDialog.h"
#include "platform/TelephonyStream.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

using dialogtest::DialogTest;

struct SitePropertiesTest : DialogTest {
    CSiteConnection site;
    // Picks a list item the way the user does, so that the change is seen.
    void Choose(CSitePropertiesDialog& dlg, const QString& item) {
        const int index = dlg.ConnectionType().findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        dlg.ConnectionType().setCurrentIndex(index);
    }
    int WorkingKind(CSitePropertiesDialog& dlg) { return dlg.Working()->GetConnectionType(); }
};

TEST_F(SitePropertiesTest, ListsTheFourKindsInTheirOrderAndShowsTheSitesKind) {
    site.SetName("Harbour");
    site.SetConnection(new CModemConnection);
    CSitePropertiesDialog dlg(site);
    EXPECT_EQ(dlg.windowTitle(), "Site Properties");
    QStringList items;
    for (int i = 0; i < dlg.ConnectionType().count(); ++i)
        items.push_back(dlg.ConnectionType().itemText(i));
    EXPECT_EQ(items, (QStringList{"Direct Cable", "Windows Modem", "Other Modem", "TCP/IP"}));
    EXPECT_EQ(dlg.ConnectionType().currentText(), "Other Modem");
    EXPECT_EQ(dlg.Name().text(), "Harbour");
    dialogtest::Shot(dlg, "site-properties");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
}

TEST_F(SitePropertiesTest, EachItemGivesANewDefaultTransportOfItsKind) {
    auto* cable = new CCommPortConnection;
    cable->SetPortName("COM3");
    cable->SetBaudRate(9600);
    site.SetConnection(cable);
    CSitePropertiesDialog dlg(site);
    // The working copy is a clone: same settings, another object.
    auto* working = dynamic_cast<CCommPortConnection*>(dlg.Working());
    ASSERT_NE(working, nullptr);
    EXPECT_NE(working, cable);
    EXPECT_EQ(working->GetPortName(), "COM3");

    Choose(dlg, "Windows Modem");
    EXPECT_EQ(WorkingKind(dlg), CONN_WINDOWSMODEM);
    Choose(dlg, "Other Modem");
    EXPECT_EQ(WorkingKind(dlg), CONN_BUILTINMODEM);
    Choose(dlg, "TCP/IP");
    EXPECT_EQ(WorkingKind(dlg), CONN_TCPIP);
    Choose(dlg, "Direct Cable");
    auto* fresh = dynamic_cast<CCommPortConnection*>(dlg.Working());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetPortName(), "COM1"); // a new default one: the old settings are gone
    EXPECT_EQ(fresh->GetBaudRate(), 19200u);
    // Nothing of this reached the site.
    EXPECT_EQ(site.GetConnection(), cable);
    EXPECT_EQ(cable->GetPortName(), "COM3");
}

TEST_F(SitePropertiesTest, CancelLeavesNameAndTransportAsTheyWere) {
    site.SetName("Harbour");
    CConnection* before = site.GetConnection();
    {
        CSitePropertiesDialog dlg(site);
        dlg.Name().setText("Renamed");
        Choose(dlg, "TCP/IP");
        dlg.reject();
    }
    EXPECT_EQ(site.GetName(), "Harbour");
    EXPECT_EQ(site.GetConnection(), before);
    EXPECT_FALSE(app->IsModified());
}

TEST_F(SitePropertiesTest, OkStoresTheNameAndTheWorkingTransportEvenWithAnEmptyName) {
    site.SetName("Harbour");
    CSitePropertiesDialog dlg(site);
    dlg.Name().setText("");
    Choose(dlg, "TCP/IP");
    CConnection* working = dlg.Working();
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(site.GetName(), "");
    EXPECT_EQ(site.GetConnection(), working);
    EXPECT_EQ(site.GetConnectionTypeIndex(), CSiteConnection::TYPE_TCPIP);
    EXPECT_TRUE(app->IsModified());
}

TEST_F(SitePropertiesTest, DefaultsGiveLocalSiteOnADefaultDirectCable) {
    site.SetName("Harbour");
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    CSitePropertiesDialog dlg(site);
    dlg.OnDefaults();
    EXPECT_EQ(dlg.Name().text(), "Local Site");
    EXPECT_EQ(dlg.ConnectionType().currentText(), "Direct Cable");
    auto* cable = dynamic_cast<CCommPortConnection*>(dlg.Working());
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->GetPortName(), "COM1");
    EXPECT_EQ(site.GetName(), "Harbour");
}

TEST_F(SitePropertiesTest, SettingsEditsTheWorkingTransportOnlyUntilOk) {
    InstallConnectionDialogs();
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* stored = dynamic_cast<CTCPConnection*>(site.GetConnection());
    ASSERT_NE(stored, nullptr);
    CSitePropertiesDialog dlg(site);
    dlg.show();
    dialogtest::WhenModal<CTCPConnectionPropertiesDialog> driver([](auto& tcp) {
        tcp.Address().setText("instrument.example");
        tcp.Port().setText("3000");
        tcp.accept();
    });
    dlg.OnSettings();
    EXPECT_TRUE(driver.Seen());
    auto* working = dynamic_cast<CTCPConnection*>(dlg.Working());
    ASSERT_NE(working, nullptr);
    EXPECT_EQ(working->GetAddress(), "instrument.example");
    EXPECT_EQ(working->GetPort(), 3000u);
    EXPECT_EQ(stored->GetAddress(), "0.0.0.0"); // the site's own transport is untouched

    dlg.accept();
    auto* now = dynamic_cast<CTCPConnection*>(site.GetConnection());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->GetAddress(), "instrument.example");
}

} // namespace
