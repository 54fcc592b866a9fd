#include "connections/gui/SerialPortChoices.h"

#include "connections/gui/DialogSupport.h"
#include "platform/SerialPort.h"

#include <QComboBox>
#include <mutex>

namespace {

std::mutex g_listerLock;
PortLister g_lister;

constexpr int kNamedPorts = 9;
const char kStandardPrefix[] = "/dev/ttyS";

// "/dev/ttyS0".."/dev/ttyS8" are COM1..COM9; the serial layer maps them back.
std::string ChoiceName(const std::string& path) {
    const std::string prefix = kStandardPrefix;
    if (path.size() == prefix.size() + 1 && path.compare(0, prefix.size(), prefix) == 0) {
        const char digit = path.back();
        if (digit >= '0' && digit < '0' + kNamedPorts)
            return "COM" + std::to_string(digit - '0' + 1);
    }
    return path;
}

} // namespace

void SetPortLister(PortLister lister) {
    std::lock_guard<std::mutex> guard(g_listerLock);
    g_lister = std::move(lister);
}

QStringList ListPortChoices() {
    PortLister lister;
    {
        std::lock_guard<std::mutex> guard(g_listerLock);
        lister = g_lister;
    }
    const std::vector<std::string> paths = lister ? lister() : SerialPort::ListPorts();
    QStringList names;
    for (const std::string& path : paths) {
        const QString name = ToQt(ChoiceName(path));
        if (!names.contains(name, Qt::CaseInsensitive))
            names.push_back(name);
    }
    return names;
}

void FillPortCombo(QComboBox& combo, const std::string& current) {
    combo.clear();
    combo.addItems(ListPortChoices());
    const QString name = ToQt(current);
    int index = -1;
    for (int i = 0; i < combo.count(); ++i)
        if (QString::compare(combo.itemText(i), name, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    if (index < 0 && !name.isEmpty()) {
        combo.addItem(name);
        index = combo.count() - 1;
    }
    combo.setCurrentIndex(index < 0 && combo.count() > 0 ? 0 : index);
}
