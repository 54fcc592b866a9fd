#include "connections/ConnTestSupport.h"
#include "connections/ModemConnection.h"
#include "connections/gui/CommPortConnectionPropertiesDialog.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/ModemConnectionPropertiesDialog.h"
#include "connections/gui/PortSettingsDialog.h"
#include "connections/gui/SerialPortChoices.h"
#include "platform/SerialPort.h"

#include <QFile>
#include <QInputDevice>
#include <QTemporaryDir>
#include <QTest>

namespace {

using dialogtest::DialogTest;

// Typing makes Qt's list of input devices, a global destroyed at exit in the reverse order of
// making: made before the application object of the tests, it outlives it.
const bool kInputDevicesFirst = [] {
    (void)QInputDevice::devices();
    return true;
}();

// A sysfs tty class, a device folder and a by-id folder of the test's own.
struct FakeSys {
    QTemporaryDir dir;
    SerialScanRoots roots{Path("sys/class/tty"), Path("dev"), Path("dev/serial/by-id")};

    std::string Path(const QString& rel) const { return dir.filePath(rel).toStdString(); }
    void Write(const QString& rel, const QByteArray& text) {
        QDir().mkpath(QFileInfo(dir.filePath(rel)).path());
        QFile f(dir.filePath(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void Link(const QString& rel, const QString& target) {
        QDir().mkpath(QFileInfo(dir.filePath(rel)).path());
        ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), dir.filePath(rel).toLocal8Bit()), 0);
    }
    // A tty: its class entry, its device (under a USB device that names itself when product
    // is given), its driver and, when present, its device file.
    void AddTty(const QString& name, const QString& driver, const QByteArray& type,
                const QByteArray& maker, const QByteArray& product, bool present) {
        const QString usb = "sys/devices/usb1/1-" + name;
        const QString device = usb + "/1-1:1.0/" + name;
        QDir().mkpath(dir.filePath(device));
        QDir().mkpath(dir.filePath("sys/bus/drivers/" + driver));
        if (!product.isEmpty())
            Write(usb + "/product", product + "\n");
        if (!maker.isEmpty())
            Write(usb + "/manufacturer", maker + "\n");
        if (!driver.isEmpty())
            Link(device + "/driver", dir.filePath("sys/bus/drivers/" + driver));
        QDir().mkpath(dir.filePath("sys/class/tty/" + name));
        Link("sys/class/tty/" + name + "/device", dir.filePath(device));
        if (!type.isEmpty())
            Write("sys/class/tty/" + name + "/type", type + "\n");
        if (present)
            Write("dev/" + name, "");
    }
    void Populate() {
        AddTty("ttyUSB0", "ftdi_sio", "", "FTDI", "FT232R USB UART", true);
        AddTty("ttyACM0", "cdc_acm", "", "Brenmoor", "Brenmoor Calibrator", true);
        AddTty("ttyS0", "port", "4", "", "", true);
        AddTty("ttyS1", "port", "0", "", "", true); // no UART behind it
        AddTty("tty1", "", "", "", "", true);       // a virtual terminal
        AddTty("ttyAMA0", "uart-pl011", "", "", "", true);
        AddTty("ttyUSB1", "ch341", "", "", "CH340", false); // gone from the device folder
        Link("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0", "../../ttyUSB0");
    }
};

std::string TypeIn(QComboBox& combo, const QString& text) {
    combo.lineEdit()->clear();
    QTest::keyClicks(combo.lineEdit(), text);
    return ChosenPort(combo).toStdString();
}

struct PortChooserTest : DialogTest {
    void TearDown() override {
        SetPortScanRoots(SerialScanRoots{});
        DialogTest::TearDown();
    }
};

TEST_F(PortChooserTest, TheTtyClassListsRealPortsWithTheirNamesAndByIdLinks) {
    FakeSys sys;
    sys.Populate();
    const std::string dev = sys.roots.devices + "/";
    const std::vector<std::pair<std::string, std::string>> expected{
        {dev + "ttyACM0", "Brenmoor Calibrator"},
        {dev + "ttyAMA0", "uart-pl011 serial port"},
        {dev + "ttyS0", "built-in serial port"},
        {dev + "ttyUSB0", "FTDI FT232R USB UART"},
        {sys.roots.byId + "/usb-FTDI_FT232R_USB_UART_A10K-if00-port0", "FTDI FT232R USB UART"},
    };
    std::vector<std::pair<std::string, std::string>> listed;
    for (const SerialPortInfo& info : SerialPort::ListPortInfo(sys.roots))
        listed.emplace_back(info.path, info.description);
    EXPECT_EQ(listed, expected);
}

TEST_F(PortChooserTest, TheDirectCableOffersTheUsbAdapterAndSaysWhatItIs) {
    FakeSys sys;
    sys.Populate();
    SetPortScanRoots(sys.roots);
    CCommPortConnection cable;
    CCommPortConnectionPropertiesDialog dlg(cable);
    QComboBox& port = dlg.Port();
    EXPECT_TRUE(port.isEditable());
    const QString usb = QString::fromStdString(sys.roots.devices + "/ttyUSB0");
    const int row = port.findText(usb);
    ASSERT_GE(row, 0);
    port.setCurrentIndex(row);
    EXPECT_EQ(dlg.PortNote().text(), "FTDI FT232R USB UART");
    // The stored "COM1" is no port of this tree, but it is kept.
    EXPECT_GE(port.findText("COM1"), 0);
    dialogtest::Shot(dlg, "port-chooser-usb");
    dlg.accept();
    EXPECT_EQ(cable.GetPortName(), usb.toStdString());
}

TEST_F(PortChooserTest, APseudoTerminalTypedInReachesTheTransport) {
    conntest::Pty pty;
    SetPortLister([] { return std::vector<std::string>{"/dev/ttyS0"}; });
    {
        CCommPortConnection cable;
        CCommPortConnectionPropertiesDialog dlg(cable);
        EXPECT_EQ(TypeIn(dlg.Port(), QString::fromStdString(pty.Path())), pty.Path());
        EXPECT_EQ(dlg.PortNote().text(), "Not found now: used as typed when the link opens.");
        dlg.accept();
        EXPECT_EQ(cable.GetPortName(), pty.Path());
        ASSERT_TRUE(cable.Open(nullptr));
        EXPECT_TRUE(cable.Write("k disp\r"));
        EXPECT_EQ(pty.Take(7), "k disp\r");
        cable.Close();
    }
    CModemConnection modem;
    CModemConnectionPropertiesDialog dlg(modem);
    TypeIn(dlg.Port(), "/dev/ttyUSB7");
    EXPECT_TRUE(dlg.SettingsButton().isEnabled());
    dlg.accept();
    EXPECT_EQ(modem.GetPortName(), "/dev/ttyUSB7");
}

TEST_F(PortChooserTest, TheRateListRunsFrom300To921600AndTakesAnotherRateTypedIn) {
    CPortSettingsDialog dlg(QStringLiteral("COM1"), PortLineSettings{});
    QComboBox& rate = dlg.BaudRate();
    EXPECT_EQ(Items(rate).first(), "300");
    EXPECT_EQ(Items(rate).last(), "921600");
    EXPECT_EQ(rate.currentIndex(), rate.findText("19200")); // the stored rate is selected
    // The letter is refused as it is typed.
    for (const auto& [typed, stored] :
         {std::pair{"921600", 921600u}, {"250000", 250000u}, {"12x34", 1234u}}) {
        TypeIn(rate, typed);
        dlg.accept();
        EXPECT_EQ(dlg.Settings().baudRate, stored) << typed;
    }
    EXPECT_TRUE(app.prompt.asked.empty());
}

} // namespace
