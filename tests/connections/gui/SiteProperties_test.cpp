#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "connections/gui/ConnectionDialogs.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/SitePropertiesDialog.h"
#include "connections/gui/TCPConnectionPropertiesDialog.h"

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
};

TEST_F(SitePropertiesTest, EachOfTheFourKindsGivesANewDefaultTransportOnAWorkingCopy) {
    site.SetName("Harbour");
    site.SetConnection(new CModemConnection);
    CSitePropertiesDialog shown(site);
    EXPECT_EQ(shown.windowTitle(), "Site Properties");
    EXPECT_EQ(Items(shown.ConnectionType()),
              (QStringList{"Direct Cable", "Windows Modem", "Other Modem", "TCP/IP"}));
    EXPECT_EQ(shown.ConnectionType().currentText(), "Other Modem");
    EXPECT_EQ(shown.Name().text(), "Harbour");
    dialogtest::Shot(shown, "site-properties");
    EXPECT_TRUE(dialogtest::KeepsItsSize(shown));

    auto* cable = new CCommPortConnection;
    cable->SetPortName("COM3");
    site.SetConnection(cable);
    CSitePropertiesDialog dlg(site);
    auto* working = dynamic_cast<CCommPortConnection*>(dlg.Working());
    ASSERT_NE(working, nullptr);
    EXPECT_NE(working, cable);
    EXPECT_EQ(working->GetPortName(), "COM3");
    const std::pair<const char*, int> kinds[] = {{"Windows Modem", CONN_WINDOWSMODEM},
                                                 {"Other Modem", CONN_BUILTINMODEM},
                                                 {"TCP/IP", CONN_TCPIP},
                                                 {"Direct Cable", CONN_DIRECTCABLE}};
    for (const auto& [item, kind] : kinds) {
        Choose(dlg, item);
        EXPECT_EQ(dlg.Working()->GetConnectionType(), kind) << item;
    }
    // A new default cable: the old settings are gone; nothing of this reached the
    // site.
    EXPECT_EQ(dynamic_cast<CCommPortConnection&>(*dlg.Working()).GetPortName(), "COM1");
    EXPECT_EQ(site.GetConnection(), cable);
    dlg.Name().setText("Renamed");
    dlg.reject();
    EXPECT_EQ(site.GetName(), "Harbour");
    EXPECT_EQ(cable->GetPortName(), "COM3");
    EXPECT_FALSE(app->IsModified());
}

TEST_F(SitePropertiesTest, OkStoresTheNameAndTheWorkingTransportEvenWithAnEmptyName) {
    site.SetName("Harbour");
    CSitePropertiesDialog dlg(site);
    dlg.Name().setText("");
    Choose(dlg, "TCP/IP");
    CConnection* working = dlg.Working();
    dlg.accept();
    EXPECT_EQ(site.GetName(), "");
    EXPECT_EQ(site.GetConnection(), working);
    EXPECT_TRUE(app->IsModified());
}

TEST_F(SitePropertiesTest, DefaultsGiveLocalSiteOnADefaultDirectCable) {
    site.SetName("Harbour");
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    CSitePropertiesDialog dlg(site);
    dlg.OnDefaults();
    EXPECT_EQ(dlg.Name().text(), "Local Site");
    EXPECT_EQ(dlg.ConnectionType().currentText(), "Direct Cable");
    EXPECT_EQ(dlg.Working()->GetConnectionType(), CONN_DIRECTCABLE);
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
        tcp.accept();
    });
    dlg.OnSettings();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(dynamic_cast<CTCPConnection&>(*dlg.Working()).GetAddress(), "instrument.example");
    EXPECT_EQ(stored->GetAddress(),
              "0.0.0.0"); // the site's own transport is untouched
    dlg.accept();
    EXPECT_EQ(dynamic_cast<CTCPConnection&>(*site.GetConnection()).GetAddress(),
              "instrument.example");
}

} // namespace
