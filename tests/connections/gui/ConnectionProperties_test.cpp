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

struct ConnectionTest : DialogTest {
    void SetUp() override {
        DialogTest::SetUp();
        SetPortLister([this] { return ports; });
    }
    CModemSettings* AddModem(const std::string& name) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        Modems().AddTail(modem);
        return modem;
    }
    // Types each value into the edit, presses OK and expects the dialog to refuse
    // it with the message.
    void ExpectRefused(QDialog& dlg, QLineEdit& edit, std::initializer_list<const char*> values,
                       const std::string& message) {
        dlg.show();
        for (const char* value : values) {
            edit.setText(value);
            dlg.accept();
            EXPECT_TRUE(dlg.isVisible()) << value;
            EXPECT_EQ(LastMessage(), message) << value;
            EXPECT_EQ(app.prompt.asked.back().caption, "Error") << value;
        }
    }
    std::vector<std::string> ports{"/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS9", "/dev/ttyUSB0"};
};

// ---- Direct cable and its port settings

TEST_F(ConnectionTest, PortListNamesTheFirstNineStandardPortsComAndKeepsAnAbsentOne) {
    CCommPortConnection cable;
    cable.SetPortName("com3"); // any case
    CCommPortConnectionPropertiesDialog dlg(cable);
    EXPECT_EQ(dlg.windowTitle(), "Direct Cable Connection Properties");
    EXPECT_EQ(Items(dlg.Port()), (QStringList{"COM1", "COM3", "/dev/ttyS9", "/dev/ttyUSB0"}));
    EXPECT_EQ(dlg.Port().currentText(), "COM3");
    dialogtest::Shot(dlg, "direct-cable");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
    // A port that is not there now is offered rather than quietly replaced.
    cable.SetPortName("/dev/pts/7");
    CCommPortConnectionPropertiesDialog absent(cable);
    EXPECT_EQ(absent.Port().currentText(), "/dev/pts/7");
    absent.accept();
    EXPECT_EQ(cable.GetPortName(), "/dev/pts/7");
    // With no ports at all, OK stores nothing.
    ports.clear();
    cable.SetPortName("");
    CCommPortConnectionPropertiesDialog none(cable);
    EXPECT_EQ(none.Port().currentIndex(), -1);
    EXPECT_FALSE(none.SettingsButton().isEnabled());
    none.accept();
    EXPECT_EQ(none.result(), QDialog::Accepted);
    EXPECT_EQ(cable.GetPortName(), "");
}

TEST_F(ConnectionTest, SettingsEditAWorkingCopyThatOnlyOkStores) {
    for (bool ok : {false, true}) {
        CCommPortConnection cable;
        CCommPortConnectionPropertiesDialog dlg(cable);
        dlg.show();
        dialogtest::WhenModal<CPortSettingsDialog> driver([ok](CPortSettingsDialog& s) {
            if (ok) {
                dialogtest::Shot(s, "port-settings");
                EXPECT_TRUE(dialogtest::KeepsItsSize(s));
            }
            s.BaudRate().setEditText("57600");
            s.DataBits().setCurrentText("7");
            s.Parity().setCurrentText("Even");
            s.StopBits().setCurrentText("2");
            s.FlowControl().setCurrentText(ok ? "Hardware" : "Xon / Xoff");
            s.accept();
        });
        dlg.OnSettings();
        EXPECT_TRUE(driver.Seen());
        EXPECT_EQ(cable.GetBaudRate(), 19200u); // not yet
        dlg.Port().setCurrentText("/dev/ttyUSB0");
        ok ? dlg.accept() : dlg.reject();
        EXPECT_EQ(cable.GetPortName(), ok ? "/dev/ttyUSB0" : "COM1");
        EXPECT_EQ(std::tuple(cable.GetBaudRate(), cable.GetDataBits(), cable.GetParity(),
                             cable.GetStopBits(), cable.GetFlowControl()),
                  ok ? std::tuple(57600u, 7, int(CCommPortConnection::PARITY_EVEN),
                                  int(CCommPortConnection::STOPBITS_TWO),
                                  int(CCommPortConnection::FLOW_RTSCTS))
                     : std::tuple(19200u, 8, 0, 0, int(CCommPortConnection::FLOW_NONE)))
            << (ok ? "OK" : "Cancel");
    }
}

TEST_F(ConnectionTest, PortSettingsRefuseARateThatIsNoNumberAndKeepUnlistedValues) {
    PortLineSettings odd{250000, 9, 4, 0, 7};
    CPortSettingsDialog dlg(QStringLiteral("COM1"), odd);
    EXPECT_EQ(dlg.BaudRate().currentText(), "250000");
    dlg.accept();
    EXPECT_EQ(dlg.Settings(),
              odd); // values the lists do not name come back unchanged

    CPortSettingsDialog bad(QStringLiteral("COM1"), PortLineSettings{});
    bad.show();
    const std::pair<const char*, const char*> rows[] = {
        {"fast", "Please enter an integer."},
        {"0", "Please enter an integer between 1 and 4294967295."}};
    for (const auto& [rate, message] : rows) {
        bad.BaudRate().setEditText(rate);
        bad.accept();
        EXPECT_TRUE(bad.isVisible()) << rate;
        EXPECT_EQ(LastMessage(), message) << rate;
    }
    bad.OnRestoreDefaults();
    bad.accept();
    EXPECT_EQ(bad.Settings(), PortLineSettings{});
}

// ---- Built-in modem

TEST_F(ConnectionTest, ModemLinkShowsAndStoresPortDefinitionNumberAndTimeOut) {
    AddModem("zeta");
    CModemSettings* chosen = AddModem("Alpha");
    CModemSettings* other = AddModem("mid");
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
    dialogtest::Shot(dlg, "modem-connection");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
    ExpectRefused(dlg, dlg.Timeout(), {"2 min"}, "Please enter an integer.");
    EXPECT_EQ(link.GetConnectTimeout(), 45);
    dlg.Port().setCurrentText("/dev/ttyUSB0");
    dlg.ModemType().setCurrentText("mid");
    dlg.Telephone().setText("0,5551234");
    dlg.Timeout().setText("90");
    dlg.accept();
    EXPECT_EQ(
        std::tuple(link.GetPortName(), link.GetModemId(), link.GetTelephoneNumber(),
                   link.GetConnectTimeout()),
        std::tuple(std::string("/dev/ttyUSB0"), other->GetId(), std::string("0,5551234"), 90));

    ports.clear(); // without a port, OK stores nothing
    link.SetPortName("");
    CModemConnectionPropertiesDialog none(link);
    none.Telephone().setText("999");
    none.accept();
    EXPECT_EQ(link.GetTelephoneNumber(), "0,5551234");
}

TEST_F(ConnectionTest, TheModemsButtonOpensTheListAndRebuildsTheChoices) {
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

TEST_F(ConnectionTest, WindowsModemListsDevicesSortedAndRefusesTimeOutsAbove300) {
    app->TelephonyDevices().AddTail(new CTAPIModemDevice("USB Modem", 0x1111, 0, 0x20000));
    app->TelephonyDevices().AddTail(new CTAPIModemDevice("Internal Modem", 0x2222, 1, 0x20000));
    CTAPIModemConnection link;
    link.SetDeviceId(0x1111);
    CTAPIModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(dlg.windowTitle(), "Windows Modem Connection Properties");
    EXPECT_EQ(Items(dlg.Modem()), (QStringList{"Internal Modem", "USB Modem"}));
    EXPECT_EQ(dlg.Modem().currentText(), "USB Modem");
    EXPECT_EQ(dlg.Telephone().maxLength(), 100);
    EXPECT_EQ(dlg.Timeout().text(), "120");
    dialogtest::Shot(dlg, "windows-modem");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
    ExpectRefused(dlg, dlg.Timeout(), {"301", "-1"}, "Please enter an integer between 0 and 300.");
    ExpectRefused(dlg, dlg.Timeout(), {""}, "Please enter an integer.");
    EXPECT_EQ(link.GetConnectTimeout(), 120);
    dlg.Modem().setCurrentText("Internal Modem");
    dlg.Telephone().setText("1234");
    dlg.Timeout().setText("0");
    dlg.accept();
    EXPECT_EQ(std::tuple(link.GetDeviceId(), link.GetTelephoneNumber(), link.GetConnectTimeout()),
              std::tuple(0x2222u, std::string("1234"), 0));
}

TEST_F(ConnectionTest, WindowsModemWithoutDevicesKeepsTheStoredOne) {
    CTAPIModemConnection link;
    link.SetDeviceId(0x77);
    CTAPIModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(dlg.Modem().count(), 0);
    EXPECT_FALSE(dlg.SettingsButton().isEnabled());
    dlg.accept();
    EXPECT_EQ(link.GetDeviceId(), 0x77u);
}

TEST_F(ConnectionTest, WindowsModemSettingsShowTheSelectedDevicesConfiguration) {
    app.settings.WriteString("Telephony", "Line1Device", "/dev/ttyACM0");
    app.settings.WriteString("Telephony", "Line1Name", "Desk Modem");
    app.settings.WriteInt("Telephony", "Line1Speed", 57600);
    const uint32_t id = TelephonyATBackend::PermanentIdFor("Desk Modem");
    app->TelephonyDevices().AddTail(new CTAPIModemDevice("Desk Modem", id, 0, 0x20000));
    CTAPIModemConnection link;
    link.SetDeviceId(id);
    CTAPIModemConnectionPropertiesDialog dlg(link);
    dlg.show();
    QStringList shown;
    dialogtest::WhenModal<CTAPIDeviceSettingsDialog> driver([&](CTAPIDeviceSettingsDialog& s) {
        dialogtest::Shot(s, "windows-modem-settings");
        EXPECT_TRUE(dialogtest::KeepsItsSize(s));
        shown = {s.NameText(), s.DeviceText(), s.SpeedText()};
        s.reject();
    });
    dlg.SettingsButton().click();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(shown, (QStringList{"Desk Modem", "/dev/ttyACM0", "57600"}));
}

// ---- TCP/IP

TEST_F(ConnectionTest, TcpPortMustBeAnIntegerFromZeroTo65535) {
    CTCPConnection tcp;
    CTCPConnectionPropertiesDialog dlg(tcp);
    EXPECT_EQ(dlg.windowTitle(), "TCP/IP Connection Properties");
    EXPECT_EQ(dlg.Address().text(), "0.0.0.0");
    dialogtest::Shot(dlg, "tcpip");
    EXPECT_TRUE(dialogtest::KeepsItsSize(dlg));
    dlg.Address().setText("analyzer.local");
    ExpectRefused(dlg, dlg.Port(), {"65536", "-1", "99999999999999999999"},
                  "Please enter an integer between 0 and 65535.");
    ExpectRefused(dlg, dlg.Port(), {"80a", "8 0", "+", ""}, "Please enter an integer.");
    EXPECT_EQ(tcp.GetAddress(), "0.0.0.0"); // nothing stored while refused
    dlg.Port().setText(" 65535 ");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(tcp.GetAddress(), "analyzer.local");
    EXPECT_EQ(tcp.GetPort(), 65535u);

    CTCPConnectionPropertiesDialog cancelled(tcp);
    cancelled.Address().setText("10.0.0.9");
    cancelled.reject();
    EXPECT_EQ(tcp.GetAddress(), "analyzer.local");
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
