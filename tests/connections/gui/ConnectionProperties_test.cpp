#include "connections/CommPortConnection.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TAPIModemDevice.h"
#include "connections/TCPConnection.h"
#include "connections/gui/CommPortConnectionPropertiesDialog.h"
#include "connections/gui/ConnectionDialogs.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/ModemConnectionPropertiesDialog.h"
#include "connections/gui/ModemsDialog.h"
#include "connections/gui/PortSettingsDialog.h"
#include "connections/gui/TAPIDeviceSettingsDialog.h"
#include "connections/gui/TAPIModemConnectionPropertiesDialog.h"
#include "connections/gui/TCPConnectionPropertiesDialog.h"
#include "platform/TelephonyATBackend.h"
#include "platform/TelephonyStream.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

using dialogtest::DialogTest;

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items.push_back(combo.itemText(i));
    return items;
}

struct ConnectionTest : DialogTest {
    void SetUp() override {
        DialogTest::SetUp();
        SetPortLister([this] { return ports; });
    }
    std::string LastMessage() const {
        return app.prompt.asked.empty() ? std::string() : app.prompt.asked.back().text;
    }
    std::vector<std::string> ports{"/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS9", "/dev/ttyUSB0"};
};

// ---- Direct cable and its port settings

TEST_F(ConnectionTest, PortListNamesTheFirstNineStandardPortsComAndOthersByPath) {
    CCommPortConnection cable;
    cable.SetPortName("com3"); // any case
    CCommPortConnectionPropertiesDialog dlg(cable);
    EXPECT_EQ(dlg.windowTitle(), "Direct Cable Connection Properties");
    EXPECT_EQ(Items(dlg.Port()), (QStringList{"COM1", "COM3", "/dev/ttyS9", "/dev/ttyUSB0"}));
    EXPECT_EQ(dlg.Port().currentText(), "COM3");
    dialogtest::Shot(dlg, "direct-cable");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
}

TEST_F(ConnectionTest, APortThatIsNotThereNowIsOfferedRatherThanQuietlyReplaced) {
    CCommPortConnection cable;
    cable.SetPortName("/dev/pts/7");
    CCommPortConnectionPropertiesDialog dlg(cable);
    EXPECT_EQ(dlg.Port().currentText(), "/dev/pts/7");
    dlg.accept();
    EXPECT_EQ(cable.GetPortName(), "/dev/pts/7");
}

TEST_F(ConnectionTest, WithNoPortsAtAllOkStoresNothing) {
    ports.clear();
    CCommPortConnection cable;
    cable.SetPortName("");
    cable.SetBaudRate(4800);
    CCommPortConnectionPropertiesDialog dlg(cable);
    EXPECT_EQ(dlg.Port().currentIndex(), -1);
    EXPECT_FALSE(dlg.SettingsButton().isEnabled());
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(cable.GetPortName(), "");
    EXPECT_EQ(cable.GetBaudRate(), 4800u);
}

TEST_F(ConnectionTest, SettingsEditAWorkingCopyThatOnlyOkStores) {
    CCommPortConnection cable;
    CCommPortConnectionPropertiesDialog dlg(cable);
    dlg.show();
    dialogtest::WhenModal<CPortSettingsDialog> driver([](CPortSettingsDialog& s) {
        dialogtest::Shot(s, "port-settings");
        EXPECT_TRUE(dialogtest::KeepsItsSize(s));
        s.BaudRate().setEditText("57600");
        s.DataBits().setCurrentText("7");
        s.Parity().setCurrentText("Even");
        s.StopBits().setCurrentText("2");
        s.FlowControl().setCurrentText("Hardware");
        s.accept();
    });
    dlg.OnSettings();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(dlg.WorkingSettings(), (PortLineSettings{57600, 7, 2, 2, 1}));
    EXPECT_EQ(cable.GetBaudRate(), 19200u); // not yet

    dlg.Port().setCurrentText("/dev/ttyUSB0");
    dlg.accept();
    EXPECT_EQ(cable.GetPortName(), "/dev/ttyUSB0");
    EXPECT_EQ(cable.GetBaudRate(), 57600u);
    EXPECT_EQ(cable.GetDataBits(), 7);
    EXPECT_EQ(cable.GetParity(), CCommPortConnection::PARITY_EVEN);
    EXPECT_EQ(cable.GetStopBits(), CCommPortConnection::STOPBITS_TWO);
    EXPECT_EQ(cable.GetFlowControl(), CCommPortConnection::FLOW_RTSCTS);
}

TEST_F(ConnectionTest, CancelStoresNothingOfTheSettingsOrThePort) {
    CCommPortConnection cable;
    CCommPortConnectionPropertiesDialog dlg(cable);
    dlg.show();
    dialogtest::WhenModal<CPortSettingsDialog> driver([](CPortSettingsDialog& s) {
        s.FlowControl().setCurrentText("Xon / Xoff");
        s.accept();
    });
    dlg.OnSettings();
    dlg.Port().setCurrentText("COM3");
    dlg.reject();
    EXPECT_EQ(cable.GetPortName(), "COM1");
    EXPECT_EQ(cable.GetFlowControl(), CCommPortConnection::FLOW_NONE);
}

TEST_F(ConnectionTest, PortSettingsRefuseARateThatIsNoNumberAndKeepUnlistedValues) {
    PortLineSettings odd{250000, 9, 4, 0, 7};
    CPortSettingsDialog dlg(QStringLiteral("COM1"), odd);
    // Values the lists do not name (read from a file) come back unchanged.
    EXPECT_EQ(dlg.BaudRate().currentText(), "250000");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Settings(), odd);

    CPortSettingsDialog bad(QStringLiteral("COM1"), PortLineSettings{});
    bad.show();
    bad.BaudRate().setEditText("fast");
    bad.accept();
    EXPECT_TRUE(bad.isVisible());
    EXPECT_EQ(LastMessage(), "Please enter an integer.");
    bad.BaudRate().setEditText("0");
    bad.accept();
    EXPECT_EQ(LastMessage(), "Please enter an integer between 1 and 4294967295.");
    bad.OnRestoreDefaults();
    bad.accept();
    EXPECT_EQ(bad.Settings(), PortLineSettings{});
}

// ---- Built-in modem

struct ModemConnectionTest : ConnectionTest {
    CModemSettings* AddModem(const std::string& name) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        Modems().AddTail(modem);
        return modem;
    }
};

TEST_F(ModemConnectionTest, ShowsTheFieldsWithTheStoredDefinitionSelected) {
    AddModem("zeta");
    CModemSettings* chosen = AddModem("Alpha");
    AddModem("mid");
    CModemConnection link;
    link.SetPortName("COM3");
    link.SetModemId(chosen->GetId());
    link.SetTelephoneNumber("5551234");
    link.SetConnectTimeout(45);
    CModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(dlg.windowTitle(), "Modem Connection Properties");
    EXPECT_EQ(Items(dlg.ModemType()), (QStringList{"Alpha", "mid", "zeta"}));
    EXPECT_EQ(dlg.ModemType().currentText(), "Alpha");
    EXPECT_EQ(dlg.Port().currentText(), "COM3");
    EXPECT_EQ(dlg.Telephone().text(), "5551234");
    EXPECT_EQ(dlg.Timeout().text(), "45");
    dialogtest::Shot(dlg, "modem-connection");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
}

TEST_F(ModemConnectionTest, OkStoresPortDefinitionNumberAndTimeOut) {
    AddModem("Alpha");
    CModemSettings* other = AddModem("Bravo");
    CModemConnection link;
    CModemConnectionPropertiesDialog dlg(link);
    dlg.Port().setCurrentText("/dev/ttyUSB0");
    dlg.ModemType().setCurrentText("Bravo");
    dlg.Telephone().setText("0,5551234");
    dlg.Timeout().setText("90");
    dlg.accept();
    EXPECT_EQ(link.GetPortName(), "/dev/ttyUSB0");
    EXPECT_EQ(link.GetModemId(), other->GetId());
    EXPECT_EQ(link.GetTelephoneNumber(), "0,5551234");
    EXPECT_EQ(link.GetConnectTimeout(), 90);
}

TEST_F(ModemConnectionTest, ATimeOutThatIsNoNumberKeepsTheDialogOpen) {
    CModemConnection link;
    CModemConnectionPropertiesDialog dlg(link);
    dlg.show();
    dlg.Timeout().setText("2 min");
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(LastMessage(), "Please enter an integer.");
    EXPECT_EQ(link.GetConnectTimeout(), 120);
}

TEST_F(ModemConnectionTest, WithoutAPortOkStoresNothing) {
    ports.clear();
    CModemConnection link;
    link.SetPortName("");
    CModemConnectionPropertiesDialog dlg(link);
    dlg.Telephone().setText("999");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(link.GetTelephoneNumber(), "");
}

TEST_F(ModemConnectionTest, TheModemsButtonOpensTheListAndRebuildsTheChoices) {
    CModemSettings* kept = AddModem("Kept");
    CModemConnection link;
    link.SetModemId(kept->GetId());
    CModemSettings::SetPropertiesEditor([](CModemSettings& m) {
        m.SetName("Added");
        return true;
    });
    CModemConnectionPropertiesDialog dlg(link);
    dlg.show();
    dialogtest::WhenModal<CModemsDialog> driver([](CModemsDialog& modems) {
        modems.OnNew();
        modems.accept();
    });
    dlg.ModemsButton().click();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(Items(dlg.ModemType()), (QStringList{"Added", "Kept"}));
    EXPECT_EQ(dlg.ModemType().currentText(), "Kept");
}

// ---- Windows modem

struct TAPIConnectionTest : ConnectionTest {
    void AddDevice(const std::string& name, uint32_t id, uint32_t index) {
        app->TelephonyDevices().AddTail(new CTAPIModemDevice(name, id, index, 0x20000));
    }
};

TEST_F(TAPIConnectionTest, ListsTheDevicesSortedWithTheStoredOneSelected) {
    AddDevice("USB Modem", 0x1111, 0);
    AddDevice("Internal Modem", 0x2222, 1);
    CTAPIModemConnection link;
    link.SetDeviceId(0x1111);
    link.SetTelephoneNumber("5550000");
    CTAPIModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(dlg.windowTitle(), "Windows Modem Connection Properties");
    EXPECT_EQ(Items(dlg.Modem()), (QStringList{"Internal Modem", "USB Modem"}));
    EXPECT_EQ(dlg.Modem().currentText(), "USB Modem");
    EXPECT_EQ(dlg.Telephone().maxLength(), 100);
    EXPECT_EQ(dlg.Timeout().text(), "120");
    dialogtest::Shot(dlg, "windows-modem");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));

    dlg.Modem().setCurrentText("Internal Modem");
    dlg.Telephone().setText("1234");
    dlg.Timeout().setText("300");
    dlg.accept();
    EXPECT_EQ(link.GetDeviceId(), 0x2222u);
    EXPECT_EQ(link.GetTelephoneNumber(), "1234");
    EXPECT_EQ(link.GetConnectTimeout(), 300);
}

TEST_F(TAPIConnectionTest, TimeOutOutsideZeroToThreeHundredIsRefused) {
    CTAPIModemConnection link;
    CTAPIModemConnectionPropertiesDialog dlg(link);
    dlg.show();
    for (const char* bad : {"301", "-1"}) {
        dlg.Timeout().setText(bad);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << bad;
        EXPECT_EQ(LastMessage(), "Please enter an integer between 0 and 300.") << bad;
    }
    dlg.Timeout().setText("");
    dlg.accept();
    EXPECT_EQ(LastMessage(), "Please enter an integer.");
    EXPECT_EQ(link.GetConnectTimeout(), 120);
    dlg.Timeout().setText("0");
    dlg.accept();
    EXPECT_EQ(link.GetConnectTimeout(), 0);
}

TEST_F(TAPIConnectionTest, WithoutDevicesSettingsIsOffAndTheStoredDeviceIsKept) {
    CTAPIModemConnection link;
    link.SetDeviceId(0x77);
    CTAPIModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(dlg.Modem().count(), 0);
    EXPECT_FALSE(dlg.SettingsButton().isEnabled());
    dlg.accept();
    EXPECT_EQ(link.GetDeviceId(), 0x77u);
}

TEST_F(TAPIConnectionTest, SettingsShowTheSelectedDevicesConfiguration) {
    app.settings.WriteString("Telephony", "Line1Device", "/dev/ttyACM0");
    app.settings.WriteString("Telephony", "Line1Name", "Desk Modem");
    app.settings.WriteInt("Telephony", "Line1Speed", 57600);
    AddDevice("Desk Modem", TelephonyATBackend::PermanentIdFor("Desk Modem"), 0);
    CTAPIModemConnection link;
    link.SetDeviceId(TelephonyATBackend::PermanentIdFor("Desk Modem"));
    CTAPIModemConnectionPropertiesDialog dlg(link);
    dlg.show();
    ASSERT_TRUE(dlg.SettingsButton().isEnabled());
    QString device, speed, name;
    dialogtest::WhenModal<CTAPIDeviceSettingsDialog> driver([&](CTAPIDeviceSettingsDialog& s) {
        dialogtest::Shot(s, "windows-modem-settings");
        EXPECT_TRUE(dialogtest::KeepsItsSize(s));
        name = s.NameText();
        device = s.DeviceText();
        speed = s.SpeedText();
        s.reject();
    });
    dlg.SettingsButton().click();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(name, "Desk Modem");
    EXPECT_EQ(device, "/dev/ttyACM0");
    EXPECT_EQ(speed, "57600");
}

// ---- TCP/IP

TEST_F(ConnectionTest, TcpPortMustBeAnIntegerFromZeroTo65535) {
    CTCPConnection tcp;
    CTCPConnectionPropertiesDialog dlg(tcp);
    EXPECT_EQ(dlg.windowTitle(), "TCP/IP Connection Properties");
    EXPECT_EQ(dlg.Address().text(), "0.0.0.0");
    EXPECT_EQ(dlg.Port().text(), "0");
    dialogtest::Shot(dlg, "tcpip");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
    dlg.Address().setText("analyzer.local");
    for (const char* bad : {"65536", "-1", "99999999999999999999"}) {
        dlg.Port().setText(bad);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << bad;
        EXPECT_EQ(LastMessage(), "Please enter an integer between 0 and 65535.") << bad;
        EXPECT_EQ(app.prompt.asked.back().caption, "Error");
    }
    for (const char* bad : {"80a", "8 0", "+", ""}) {
        dlg.Port().setText(bad);
        dlg.accept();
        EXPECT_EQ(LastMessage(), "Please enter an integer.") << bad;
    }
    EXPECT_EQ(tcp.GetAddress(), "0.0.0.0"); // nothing stored while refused
    dlg.Port().setText(" 65535 ");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(tcp.GetAddress(), "analyzer.local");
    EXPECT_EQ(tcp.GetPort(), 65535u);
}

TEST_F(ConnectionTest, TcpCancelStoresNothing) {
    CTCPConnection tcp;
    CTCPConnectionPropertiesDialog dlg(tcp);
    dlg.Address().setText("10.0.0.9");
    dlg.Port().setText("502");
    dlg.reject();
    EXPECT_EQ(tcp.GetAddress(), "0.0.0.0");
    EXPECT_EQ(tcp.GetPort(), 0u);
}

// ---- the editor the core calls

TEST_F(ConnectionTest, EachKindOpensItsOwnDialog) {
    InstallConnectionDialogs();
    CModemConnection modem;
    dialogtest::WhenModal<CModemConnectionPropertiesDialog> modemDriver(
        [](auto& d) { d.accept(); });
    EXPECT_TRUE(modem.EditProperties()); // a built-in modem is also a direct cable
    EXPECT_TRUE(modemDriver.Seen());

    CCommPortConnection cable;
    dialogtest::WhenModal<CCommPortConnectionPropertiesDialog> cableDriver(
        [](auto& d) { d.reject(); });
    EXPECT_FALSE(cable.EditProperties());
    EXPECT_TRUE(cableDriver.Seen());

    CTAPIModemConnection tapi;
    dialogtest::WhenModal<CTAPIModemConnectionPropertiesDialog> tapiDriver(
        [](auto& d) { d.accept(); });
    EXPECT_TRUE(tapi.EditProperties());
    EXPECT_TRUE(tapiDriver.Seen());

    CTCPConnection tcp;
    dialogtest::WhenModal<CTCPConnectionPropertiesDialog> tcpDriver([](auto& d) { d.accept(); });
    EXPECT_TRUE(tcp.EditProperties());
    EXPECT_TRUE(tcpDriver.Seen());
}

} // namespace
