// The property dialogs of sites, transports and modem definitions, the serial ports found in the
// system's tty class that the direct cable offers, and the Sites and Modems windows.

#include "connections/ConnTestSupport.h"
#include "connections/ModemConnection.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TAPIModemDevice.h"
#include "connections/gui/CommPortConnectionPropertiesDialog.h"
#include "connections/gui/ConnectionDialogs.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/ModemConnectionPropertiesDialog.h"
#include "connections/gui/ModemPropertiesDialog.h"
#include "connections/gui/ModemsDialog.h"
#include "connections/gui/SitePropertiesDialog.h"
#include "connections/gui/SitesDialog.h"
#include "connections/gui/TAPIDeviceSettingsDialog.h"
#include "connections/gui/TAPIModemConnectionPropertiesDialog.h"
#include "connections/gui/TCPConnectionPropertiesDialog.h"
#include "platform/TelephonyATBackend.h"
#include "platform/TelephonyStream.h"
#include "support_lib/ModalProbe.h"
#include "support_lib/ScriptedLink.h"
#include "support_lib/TempDir.h"

#include <QListWidget>

namespace {

using dialogtest::Shot;
using dialogtest::WhenModal;
using Props = CModemPropertiesDialog;

struct ConnectionTest : dialogtest::DialogTest {
    void SetUp() override {
        DialogTest::SetUp();
        SetPortLister([this] { return ports; });
    }
    CModemSettings* AddModem(const std::string& name) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        app->Modems().AddTail(modem);
        return modem;
    }
    std::vector<std::string> ports{"/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS9", "/dev/ttyUSB0"};
};

// Opens the object's properties through the installed editors, expects a T and accepts or cancels
// it.
template <class T, class O> void ExpectEditedBy(O& object, bool ok) {
    WhenModal<T> driver([ok](T& d) { ok ? d.accept() : d.reject(); });
    EXPECT_EQ(object.EditProperties(), ok) << typeid(T).name();
    EXPECT_TRUE(driver.Seen()) << typeid(T).name();
}

TEST_F(ConnectionTest, EachObjectOpensItsOwnDialogWithItsTitleAndRefusals) {
    InstallConnectionDialogs();
    CModemConnection modem; // a built-in modem is also a direct cable
    CCommPortConnection cable;
    CTAPIModemConnection tapi;
    tapi.SetDeviceId(0x77); // kept: there are no telephony modems to choose from
    CTCPConnection tcp;
    CSiteConnection site;
    CModemSettings definition;
    ExpectEditedBy<CModemConnectionPropertiesDialog>(modem, true);
    ExpectEditedBy<CCommPortConnectionPropertiesDialog>(cable, false);
    ExpectEditedBy<CTAPIModemConnectionPropertiesDialog>(tapi, true);
    EXPECT_EQ(tapi.GetDeviceId(), 0x77u);
    ExpectEditedBy<CTCPConnectionPropertiesDialog>(tcp, true);
    ExpectEditedBy<CSitePropertiesDialog>(site, true);
    ExpectEditedBy<Props>(definition, false);

    app->SetModified(false);
    CModemConnectionPropertiesDialog modemDlg(modem);
    CCommPortConnectionPropertiesDialog cableDlg(cable);
    CTAPIModemConnectionPropertiesDialog tapiDlg(tapi);
    EXPECT_FALSE(tapiDlg.SettingsButton().isEnabled());
    CTCPConnectionPropertiesDialog tcpDlg(tcp);
    CSitePropertiesDialog siteDlg(site);
    Props definitionDlg(definition);
    CPortSettingsDialog portDlg(QStringLiteral("COM1"), PortLineSettings{});
    const std::tuple<QDialog*, const char*, const char*> dialogs[] = {
        {&modemDlg, "Modem Connection Properties", "modem-connection"},
        {&cableDlg, "Direct Cable Connection Properties", "direct-cable"},
        {&tapiDlg, "Windows Modem Connection Properties", "windows-modem"},
        {&tcpDlg, "TCP/IP Connection Properties", "tcpip"},
        {&siteDlg, "Site Properties", "site-properties"},
        {&definitionDlg, "Modem Properties", "modem-properties"},
        {&portDlg, "COM1 Settings", "port-settings"},
    };
    for (const auto& [dlg, title, shot] : dialogs) {
        SCOPED_TRACE(shot);
        EXPECT_EQ(dlg->windowTitle(), title);
        Shot(*dlg, shot);
    }

    // Values that are no integer in range, or empty, are refused and nothing is stored: one row per
    // way a number is refused.
    tcpDlg.Address().setText("analyzer.local");
    struct Row {
        QDialog& dlg;
        QLineEdit& edit;
        QString value;
        std::string message;
    };
    const std::string integer = "Please enter an integer.";
    const std::string port = "Please enter an integer between 0 and 65535.";
    const std::string timeOut = "Please enter an integer between 0 and 300.";
    std::vector<Row> rows = {
        {tcpDlg, tcpDlg.Port(), "65536", port},
        {tcpDlg, tcpDlg.Port(), "99999999999999999999", port},
        {tcpDlg, tcpDlg.Port(), "80a", integer},
        {modemDlg, modemDlg.Timeout(), "2 min", integer},
        {tapiDlg, tapiDlg.Timeout(), "301", timeOut},
        {portDlg, *portDlg.BaudRate().lineEdit(), "0",
         "Please enter an integer between 1 and 4294967295."},
        {definitionDlg, definitionDlg.Edit(Props::Field(6)), "",
         "Please supply a string for every command and response."},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.dlg.windowTitle().toStdString() + ": \"" + r.value.toStdString() + "\"");
        r.dlg.show();
        const QString before = r.edit.text();
        r.edit.setText(r.value);
        app.prompt.asked.clear();
        r.dlg.accept();
        EXPECT_TRUE(r.dlg.isVisible());
        EXPECT_EQ(LastMessage(), r.message);
        r.edit.setText(before);
    }
    const auto& q = app.prompt.asked.back();
    EXPECT_EQ(std::tuple(q.caption, q.icon),
              std::tuple(std::string("Error"), PromptIcon::Exclamation));
    EXPECT_EQ(tcp.GetAddress(), "0.0.0.0");
    EXPECT_FALSE(app->IsModified());
    tcpDlg.Port().setText(" 65535 ");
    tcpDlg.accept();
    EXPECT_EQ(std::pair(tcp.GetAddress(), tcp.GetPort()),
              std::pair(std::string("analyzer.local"), 65535u));
}

// ---- Direct cable and its port settings

TEST_F(ConnectionTest, SettingsEditAWorkingCopyThatOnlyOkStores) {
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CCommPortConnection cable;
        cable.SetPortName("/dev/pts/7"); // not there now: offered rather than replaced
        CCommPortConnectionPropertiesDialog dlg(cable);
        EXPECT_EQ(dlg.Port().currentText(), "/dev/pts/7");
        dlg.show();
        WhenModal<CPortSettingsDialog> driver([ok](CPortSettingsDialog& s) {
            s.BaudRate().setEditText("57600");
            s.DataBits().setCurrentText("7");
            s.Parity().setCurrentText("Even");
            s.StopBits().setCurrentText("2");
            s.FlowControl().setCurrentText(ok ? "Hardware" : "Xon / Xoff");
            s.accept();
        });
        dlg.OnSettings();
        EXPECT_TRUE(driver.Seen());
        dlg.Port().setCurrentText("/dev/ttyUSB0");
        ok ? dlg.accept() : dlg.reject();
        EXPECT_EQ(cable.GetPortName(), ok ? "/dev/ttyUSB0" : "/dev/pts/7");
        EXPECT_EQ(std::tuple(cable.GetBaudRate(), cable.GetDataBits(), cable.GetParity(),
                             cable.GetStopBits(), cable.GetFlowControl()),
                  ok ? std::tuple(57600u, 7, int(CCommPortConnection::PARITY_EVEN),
                                  int(CCommPortConnection::STOPBITS_TWO),
                                  int(CCommPortConnection::FLOW_RTSCTS))
                     : std::tuple(19200u, 8, 0, 0, int(CCommPortConnection::FLOW_NONE)));
        // Without a port there is nothing to set up, and OK stores nothing.
        dlg.Port().setEditText("");
        EXPECT_FALSE(dlg.SettingsButton().isEnabled());
        dlg.accept();
        EXPECT_EQ(cable.GetPortName(), ok ? "/dev/ttyUSB0" : "/dev/pts/7");
    }
    // Values the lists do not name come back unchanged; defaults put back the standard ones.
    PortLineSettings odd{250000, 9, 4, 0, 7};
    CPortSettingsDialog dlg(QStringLiteral("COM1"), odd);
    EXPECT_EQ(dlg.BaudRate().currentText(), "250000");
    dlg.accept();
    EXPECT_EQ(dlg.Settings(), odd);
    dlg.OnRestoreDefaults();
    dlg.accept();
    EXPECT_EQ(dlg.Settings(), PortLineSettings{});
}

// A tty: its class entry with its serial type, its device under a USB device that names itself
// (maker, product), its driver and, when present, its device file. Rows with a description are
// listed with it; the others are no port.
struct Tty {
    std::string name, driver, type, maker, product;
    bool present;
    const char* description;
};

// clang-format off
const Tty kTtys[] = {
    {"ttyACM0", "cdc_acm", "", "Brenmoor", "Brenmoor Calibrator", true, "Brenmoor Calibrator"},
    {"ttyAMA0", "uart-pl011", "", "", "", true, "uart-pl011 serial port"},
    {"ttyS0", "port", "4", "", "", true, "built-in serial port"},
    {"ttyUSB0", "ftdi_sio", "", "FTDI", "FT232R USB UART", true, "FTDI FT232R USB UART"},
    {"ttyS1", "port", "0", "", "", true, nullptr},        // no UART behind it
    {"tty1", "", "", "", "", true, nullptr},              // a virtual terminal
    {"ttyUSB1", "ch341", "", "", "CH340", false, nullptr}, // gone from the device folder
};
// clang-format on

// A file or a link, with the folders it needs; empty text or target writes nothing.
void Make(const std::filesystem::path& at, const std::string& text, bool link = false) {
    if (text.empty() && !link)
        return;
    std::filesystem::create_directories(at.parent_path());
    if (link)
        std::filesystem::create_symlink(text, at);
    else
        std::ofstream(at) << text << "\n";
}

TEST_F(ConnectionTest, RealPortsAreListedWithTheirNamesAndByIdLinksAndOfferedByTheCable) {
    TempDir dir; // a tty class, a device folder and a by-id folder of the test's own
    const SerialScanRoots roots{dir.File("class"), dir.File("dev"), dir.File("by-id")};
    std::vector<std::pair<std::string, std::string>> expected, listed;
    for (const Tty& t : kTtys) {
        const std::filesystem::path usb = dir.path / ("usb/1-" + t.name);
        const std::filesystem::path tty = roots.ttyClass + "/" + t.name;
        Make(usb / "product", t.product);
        Make(usb / "manufacturer", t.maker);
        if (!t.driver.empty()) // only the link's name is read
            Make(usb / "1-1:1.0" / t.name / "driver", t.driver, true);
        Make(tty / "device", (usb / "1-1:1.0" / t.name).string(), true);
        Make(tty / "type", t.type);
        Make(roots.devices + "/" + t.name, t.present ? "x" : "");
        if (t.description)
            expected.emplace_back(roots.devices + "/" + t.name, t.description);
    }
    const std::string byId = roots.byId + "/usb-FTDI_FT232R_USB_UART_A10K-if00-port0";
    Make(byId, "../ttyUSB0", true);
    expected.emplace_back(byId, "FTDI FT232R USB UART");
    for (const SerialPortInfo& info : SerialPort::ListPortInfo(roots))
        listed.emplace_back(info.path, info.description);
    EXPECT_EQ(listed, expected);

    SetPortLister(nullptr);
    SetPortScanRoots(roots);
    CCommPortConnection cable;
    CCommPortConnectionPropertiesDialog dlg(cable);
    dlg.Port().setCurrentText(QString::fromStdString(roots.devices + "/ttyUSB0"));
    EXPECT_EQ(dlg.PortNote().text(), "FTDI FT232R USB UART");
}

// ---- Modems

TEST_F(ConnectionTest, ModemLinkShowsAndStoresPortDefinitionNumberAndTimeOut) {
    AddModem("zeta");
    CModemSettings* chosen = AddModem("Alpha");
    CModemSettings* other = AddModem("mid");
    CModemConnection link;
    link.SetPortName("com3"); // any case
    link.SetModemId(chosen->GetId());
    link.SetTelephoneNumber("5551234");
    CModemSettings::SetPropertiesEditor([](CModemSettings& m) {
        m.SetName("Added");
        return true;
    });
    CModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(Items(dlg.Port()), (QStringList{"COM1", "COM3", "/dev/ttyS9", "/dev/ttyUSB0"}));
    EXPECT_EQ(dlg.Port().currentText(), "COM3");
    EXPECT_EQ(dlg.Telephone().text(), "5551234");
    // The Modems button opens the list; the choices are rebuilt and the choice kept.
    dlg.show();
    chosen->IncrementInUse();
    QStringList listed;
    WhenModal<CModemsDialog> driver([&listed](CModemsDialog& modems) {
        EXPECT_EQ(modems.windowTitle(), "Modems");
        modems.OnNew();
        listed = modems.RowTexts();
        modems.accept();
    });
    dlg.ModemsButton().click();
    chosen->DecrementInUse();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(listed, (QStringList{"Added", "Alpha (In use)", "mid", "zeta"}));
    EXPECT_EQ(Items(dlg.ModemType()), (QStringList{"Added", "Alpha", "mid", "zeta"}));
    EXPECT_EQ(dlg.ModemType().currentText(), "Alpha");
    // A port typed in is taken as typed.
    dlg.Telephone().setText("0,5551234");
    dlg.Port().setEditText("/dev/ttyUSB7");
    EXPECT_EQ(dlg.PortNote().text(), "Not found now: used as typed when the link opens.");
    dlg.ModemType().setCurrentText("mid");
    dlg.Timeout().setText("90");
    dlg.accept();
    EXPECT_EQ(
        std::tuple(link.GetPortName(), link.GetModemId(), link.GetTelephoneNumber(),
                   link.GetConnectTimeout()),
        std::tuple(std::string("/dev/ttyUSB7"), other->GetId(), std::string("0,5551234"), 90));
}

TEST_F(ConnectionTest, ModemDefinitionShowsEightStringsOfAtMostFortyAndOkStoresThem) {
    CModemSettings modem;
    Props dlg(modem);
    // In field order: name, OK, connect, escape, reset, initialisation, dial, hang-up.
    const QStringList standard = {"Standard",          "OK",   "CONNECT", "+++", "ATZ",
                                  "AT &F E0 M0 Q0 V1", "ATDT", "ATH0"};
    const char* values[] = {"Fast", "READY", "CARRIER", "~~~", "ATZ0", "AT&F", "ATDP", "ATH1"};
    dlg.OnDefaults();
    for (int f = 0; f < Props::FIELD_COUNT; ++f) {
        SCOPED_TRACE(f);
        QLineEdit& edit = dlg.Edit(Props::Field(f));
        EXPECT_EQ(edit.text(), standard[f]);
        EXPECT_EQ(edit.maxLength(), 40);
        edit.setText(values[f]);
    }
    dlg.accept();
    EXPECT_EQ((std::vector<std::string>{modem.GetName(), modem.GetOkResponse(),
                                        modem.GetConnectResponse(), modem.GetEscape(),
                                        modem.GetReset(), modem.GetInitialization(),
                                        modem.GetToneDial(), modem.GetHangup()}),
              std::vector<std::string>(std::begin(values), std::end(values)));
    EXPECT_TRUE(app->IsModified());
}

TEST_F(ConnectionTest, WindowsModemListsDevicesSortedShowsTheirSettingsAndStoresTheChoice) {
    CTAPIModemConnection link;
    app.settings.WriteString("Telephony", "Line1Device", "/dev/ttyACM0");
    app.settings.WriteString("Telephony", "Line1Name", "USB Modem");
    app.settings.WriteInt("Telephony", "Line1Speed", 57600);
    const uint32_t id = TelephonyATBackend::PermanentIdFor("USB Modem");
    app->TelephonyDevices().AddTail(new CTAPIModemDevice("USB Modem", id, 0, 0x20000));
    app->TelephonyDevices().AddTail(new CTAPIModemDevice("Internal Modem", 0x2222, 1, 0x20000));
    link.SetDeviceId(id);
    CTAPIModemConnectionPropertiesDialog dlg(link);
    EXPECT_EQ(Items(dlg.Modem()), (QStringList{"Internal Modem", "USB Modem"}));
    EXPECT_EQ(dlg.Modem().currentText(), "USB Modem");
    dlg.show();
    QStringList shown;
    WhenModal<CTAPIDeviceSettingsDialog> driver([&](CTAPIDeviceSettingsDialog& s) {
        Shot(s, "windows-modem-settings");
        shown = {s.NameText(), s.DeviceText(), s.SpeedText()};
        s.reject();
    });
    dlg.SettingsButton().click();
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(shown, (QStringList{"USB Modem", "/dev/ttyACM0", "57600"}));
    dlg.Modem().setCurrentText("Internal Modem");
    dlg.Telephone().setText("1234");
    dlg.Timeout().setText("0");
    dlg.accept();
    EXPECT_EQ(std::tuple(link.GetDeviceId(), link.GetTelephoneNumber(), link.GetConnectTimeout()),
              std::tuple(0x2222u, std::string("1234"), 0));
}

// ---- Sites

TEST_F(ConnectionTest, SiteKindsAndSettingsEditAWorkingCopyThatOnlyOkStores) {
    InstallConnectionDialogs();
    CSiteConnection site;
    site.SetName("Harbour");
    auto* cable = new CCommPortConnection;
    cable->SetPortName("COM3");
    site.SetConnection(cable);
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CSitePropertiesDialog dlg(site);
        EXPECT_EQ(Items(dlg.ConnectionType()),
                  (QStringList{"Direct Cable", "Windows Modem", "Other Modem", "TCP/IP"}));
        EXPECT_EQ(dlg.ConnectionType().currentText(), "Direct Cable");
        EXPECT_EQ(dlg.Name().text(), "Harbour");
        EXPECT_NE(dlg.Working(), cable); // a copy
        EXPECT_EQ(dynamic_cast<CCommPortConnection&>(*dlg.Working()).GetPortName(), "COM3");
        const std::pair<const char*, int> kinds[] = {{"Windows Modem", CONN_WINDOWSMODEM},
                                                     {"Other Modem", CONN_BUILTINMODEM},
                                                     {"Direct Cable", CONN_DIRECTCABLE},
                                                     {"TCP/IP", CONN_TCPIP}};
        for (const auto& [item, kind] : kinds) {
            dlg.ConnectionType().setCurrentIndex(dlg.ConnectionType().findText(item));
            EXPECT_EQ(dlg.Working()->GetConnectionType(), kind) << item;
        }
        // Settings edit the new working transport.
        dlg.show();
        WhenModal<CTCPConnectionPropertiesDialog> driver([](auto& tcp) {
            tcp.Address().setText("instrument.example");
            tcp.accept();
        });
        dlg.OnSettings();
        EXPECT_TRUE(driver.Seen());
        dlg.Name().setText(""); // even an empty name is stored
        CConnection* chosen = dlg.Working();
        ok ? dlg.accept() : dlg.reject();
        EXPECT_EQ(site.GetName(), ok ? "" : "Harbour");
        EXPECT_EQ(site.GetConnection(), ok ? chosen : cable);
        EXPECT_EQ(app->IsModified(), ok);
    }
    EXPECT_EQ(dynamic_cast<CTCPConnection&>(*site.GetConnection()).GetAddress(),
              "instrument.example");
}

// ---- The list behaviour the Sites and Modems windows share, on the Sites window (the
// Modems window is opened from the modem link's properties above)

// The Sites window over sites of the test's own.
struct ListDialogTest : dialogtest::DialogTest {
    CNamedObjectList& List() { return app->Sites(); }
    void Add(std::initializer_list<std::string> names) {
        for (const std::string& name : names) {
            auto* site = new CSiteConnection;
            site->SetName(name);
            List().AddTail(site);
        }
    }
    void Open() {
        dlg = std::make_unique<CSitesDialog>();
        dlg->show();
        QApplication::processEvents();
    }
    std::unique_ptr<CNamedListDialog> dlg;
};

TEST_F(ListDialogTest, NewEditAndDuplicateKeepTheRowsSortedAndLockedRowsAreOnlyCopied) {
    Add({"bravo", "Alpha", "charlie"});
    auto& held = dynamic_cast<CSiteConnection&>(*List().At(2)); // connected: locked
    held.SetConnection(new ScriptedLink);
    held.OpenLink(nullptr);
    bool confirm = false;
    std::string edited;
    CSiteConnection::SetPropertiesEditor([&](CSiteConnection& o) {
        edited = o.GetName();
        // Renamed also when cancelled: the row keeps what was shown.
        o.SetName(edited == "Local Site" ? "Mike" : "aardvark");
        return confirm;
    });
    Open();
    const QString locked = "charlie (Connected)";
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked}));
    EXPECT_EQ(dlg->windowTitle(), "Sites");
    dialogtest::Shot(*dlg, "Sites");
    dlg->OnNew();
    EXPECT_EQ(edited, "Local Site"); // a default object is what gets edited
    EXPECT_EQ(List().GetCount(), 3u);
    dlg->SelectRow(1);
    dlg->OnEdit();
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked}));
    EXPECT_FALSE(app->IsModified());
    confirm = true;
    dlg->OnNew();
    ASSERT_EQ(List().GetCount(), 4u);
    EXPECT_TRUE(app->IsModified());
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "bravo", locked, "Mike"}));
    EXPECT_EQ(dlg->SelectedObject(), List().At(3)); // appended to the application's list
    dlg->SelectRow(1);
    emit dlg->List().itemDoubleClicked(dlg->List().item(1)); // a double-click edits
    EXPECT_EQ(edited, "aardvark");
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"aardvark", "Alpha", locked, "Mike"}));
    EXPECT_EQ(dlg->SelectedRow(), 0);
    // A locked row can be duplicated but neither edited nor deleted.
    dlg->SelectRow(2);
    EXPECT_FALSE(dlg->EditButton().isEnabled() || dlg->DeleteButton().isEnabled());
    EXPECT_TRUE(dlg->DuplicateButton().isEnabled());
    edited.clear();
    app.prompt.Answer(PromptResult::Yes);
    dlg->OnEdit();
    dlg->OnDelete();
    emit dlg->List().itemDoubleClicked(dlg->List().item(2));
    EXPECT_EQ(edited, "");
    EXPECT_TRUE(app.prompt.asked.empty());
    dlg->OnDuplicate();
    ASSERT_EQ(List().GetCount(), 5u);
    EXPECT_NE(List().At(4)->GetId(), held.GetId());
    EXPECT_EQ(dlg->RowTexts(),
              (QStringList{"aardvark", "Alpha", locked, "Copy of charlie", "Mike"}));
    EXPECT_EQ(dlg->SelectedRow(), 3);
    EXPECT_TRUE(dlg->EditButton().isEnabled()); // the copy is not locked
}

TEST_F(ListDialogTest, TheSitesCommandRunsTheWindowAndDeleteAsksWithTheNameAndGoesOnOnlyOnYes) {
    Add({"Alpha", "Bravo", "Charlie"});
    ProbeModal<CSitesDialog>([](CSitesDialog& d) {
        EXPECT_EQ(d.RowTexts(), (QStringList{"Alpha", "Bravo", "Charlie"}));
    });
    EXPECT_EQ(CSitesDialog::Run(nullptr), QDialog::Rejected);
    Open();
    dlg->SelectRow(1);
    app.prompt.Answer(PromptResult::No);
    dlg->OnDelete();
    ASSERT_EQ(app.prompt.asked.size(), 1u);
    const auto& q = app.prompt.asked[0];
    EXPECT_EQ(std::tuple(q.text, q.caption, q.buttons, q.icon, q.defaultButton),
              std::tuple(std::string("Delete \"Bravo\"?"), std::string("Confirm"),
                         PromptButtons::YesNo, PromptIcon::Question, PromptResult::No));
    EXPECT_EQ(List().GetCount(), 3u);
    app.prompt.Answer(PromptResult::Yes);
    dlg->OnDelete();
    EXPECT_EQ(dlg->RowTexts(), (QStringList{"Alpha", "Charlie"}));
    EXPECT_EQ(dlg->SelectedRow(), 1); // the same row
    EXPECT_TRUE(app->IsModified());
    // Without confirmation, deleting the last row selects the new last, down to none.
    app->SetConfirmDeletes(false);
    dlg->OnDelete();
    EXPECT_EQ(dlg->SelectedRow(), 0);
    dlg->OnDelete();
    EXPECT_EQ(app.prompt.asked.size(), 2u);
    EXPECT_EQ(dlg->SelectedRow(), -1);
    EXPECT_FALSE(dlg->EditButton().isEnabled() || dlg->DuplicateButton().isEnabled());
}

} // namespace
