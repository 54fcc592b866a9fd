// The serial ports found in the system's tty class and how the direct cable offers them.

#include "connections/CommPortConnection.h"
#include "connections/gui/CommPortConnectionPropertiesDialog.h"
#include "connections/gui/DialogTestSupport.h"
#include "connections/gui/SerialPortChoices.h"
#include "platform/SerialPort.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using dialogtest::DialogTest;

// A sysfs tty class, a device folder and a by-id folder of the test's own.
struct FakeSys {
    QTemporaryDir dir;
    SerialScanRoots roots{Path("sys/class/tty"), Path("dev"), Path("dev/serial/by-id")};

    std::string Path(const QString& rel) const { return dir.filePath(rel).toStdString(); }
    void Write(const QString& rel, const QByteArray& text) {
        QDir().mkpath(QFileInfo(dir.filePath(rel)).path());
        QFile f(dir.filePath(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text + "\n");
    }
    void Link(const QString& rel, const QString& target) {
        QDir().mkpath(QFileInfo(dir.filePath(rel)).path());
        ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), dir.filePath(rel).toLocal8Bit()), 0);
    }
};

// A tty: its class entry with its serial type, its device under a USB device that names
// itself (maker, product), its driver and, when present, its device file. Rows with a
// description are listed with it; the others are no port.
struct Tty {
    QString name, driver;
    QByteArray type, maker, product;
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

void Populate(FakeSys& sys) {
    for (const Tty& t : kTtys) {
        const QString usb = "sys/devices/usb1/1-" + t.name;
        const QString device = usb + "/1-1:1.0/" + t.name;
        QDir().mkpath(sys.dir.filePath(device));
        if (!t.product.isEmpty())
            sys.Write(usb + "/product", t.product);
        if (!t.maker.isEmpty())
            sys.Write(usb + "/manufacturer", t.maker);
        if (!t.driver.isEmpty()) {
            QDir().mkpath(sys.dir.filePath("sys/bus/drivers/" + t.driver));
            sys.Link(device + "/driver", sys.dir.filePath("sys/bus/drivers/" + t.driver));
        }
        sys.Link("sys/class/tty/" + t.name + "/device", sys.dir.filePath(device));
        if (!t.type.isEmpty())
            sys.Write("sys/class/tty/" + t.name + "/type", t.type);
        if (t.present)
            sys.Write("dev/" + t.name, "");
    }
    sys.Link("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0", "../../ttyUSB0");
}

struct PortChooserTest : DialogTest {
    void TearDown() override {
        SetPortScanRoots(SerialScanRoots{});
        DialogTest::TearDown();
    }
};

TEST_F(PortChooserTest, RealPortsAreListedWithTheirNamesAndByIdLinksAndOfferedByTheCable) {
    FakeSys sys;
    Populate(sys);
    std::vector<std::pair<std::string, std::string>> expected, listed;
    for (const Tty& t : kTtys)
        if (t.description)
            expected.emplace_back(sys.roots.devices + "/" + t.name.toStdString(), t.description);
    expected.emplace_back(sys.roots.byId + "/usb-FTDI_FT232R_USB_UART_A10K-if00-port0",
                          "FTDI FT232R USB UART");
    for (const SerialPortInfo& info : SerialPort::ListPortInfo(sys.roots))
        listed.emplace_back(info.path, info.description);
    EXPECT_EQ(listed, expected);

    SetPortScanRoots(sys.roots);
    CCommPortConnection cable;
    CCommPortConnectionPropertiesDialog dlg(cable);
    QComboBox& port = dlg.Port();
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

} // namespace
