#include "connections/gui/SerialPortChoices.h"

#include "connections/gui/DialogSupport.h"
#include "platform/SerialPort.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <mutex>

namespace {

std::mutex g_listerLock;
PortLister g_lister;
SerialScanRoots g_roots;

constexpr int kNamedPorts = 9;
const char kStandardPrefix[] = "/dev/ttyS";
// Item data: whether the port was found now, and whether this user may open it.
constexpr int kListedRole = Qt::UserRole;
constexpr int kAccessibleRole = Qt::UserRole + 1;

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

int IndexOfName(const QComboBox& combo, const QString& name) {
    for (int i = 0; i < combo.count(); ++i)
        if (QString::compare(combo.itemText(i), name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString NoteFor(const QComboBox& combo) {
    const QString name = ChosenPort(combo);
    if (name.isEmpty())
        return QString();
    const int index = IndexOfName(combo, name);
    if (index < 0 || !combo.itemData(index, kListedRole).toBool())
        return QStringLiteral("Not found now: used as typed when the link opens.");
    const QString description = combo.itemData(index, Qt::ToolTipRole).toString();
    if (!combo.itemData(index, kAccessibleRole).toBool())
        return description + QStringLiteral(" (no permission: join the dialout group)");
    return description;
}

} // namespace

void SetPortLister(PortLister lister) {
    std::lock_guard<std::mutex> guard(g_listerLock);
    g_lister = std::move(lister);
}

void SetPortScanRoots(const SerialScanRoots& roots) {
    std::lock_guard<std::mutex> guard(g_listerLock);
    g_roots = roots;
}

std::vector<PortChoice> ListPortChoiceInfo() {
    PortLister lister;
    SerialScanRoots roots;
    {
        std::lock_guard<std::mutex> guard(g_listerLock);
        lister = g_lister;
        roots = g_roots;
    }
    std::vector<SerialPortInfo> ports;
    if (lister)
        for (const std::string& path : lister())
            ports.push_back({path, std::string(), true});
    else
        ports = SerialPort::ListPortInfo(roots);
    std::vector<PortChoice> choices;
    QStringList names;
    for (const SerialPortInfo& port : ports) {
        const QString name = ToQt(ChoiceName(port.path));
        if (names.contains(name, Qt::CaseInsensitive))
            continue;
        names.push_back(name);
        choices.push_back({name, ToQt(port.description), port.accessible});
    }
    return choices;
}

QStringList ListPortChoices() {
    QStringList names;
    for (const PortChoice& choice : ListPortChoiceInfo())
        names.push_back(choice.name);
    return names;
}

void FillPortCombo(QComboBox& combo, const std::string& current) {
    combo.setEditable(true);
    combo.setInsertPolicy(QComboBox::NoInsert);
    // Long by-id names are read in the open list; the field keeps its size.
    combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo.clear();
    for (const PortChoice& choice : ListPortChoiceInfo()) {
        combo.addItem(choice.name, true);
        combo.setItemData(combo.count() - 1, choice.accessible, kAccessibleRole);
        combo.setItemData(combo.count() - 1, choice.description, Qt::ToolTipRole);
    }
    const QString name = ToQt(current);
    int index = IndexOfName(combo, name);
    if (index < 0 && !name.isEmpty()) {
        combo.addItem(name, false);
        index = combo.count() - 1;
    }
    // The open list is as wide as its longest name.
    combo.view()->setMinimumWidth(combo.view()->sizeHintForColumn(0) + 24);
    combo.setCurrentIndex(index < 0 && combo.count() > 0 ? 0 : index);
    if (combo.currentIndex() < 0)
        combo.setEditText(QString());
}

QString ChosenPort(const QComboBox& combo) {
    return combo.currentText().trimmed();
}

void AttachPortNote(QComboBox& combo, QLabel& note) {
    note.setText(NoteFor(combo));
    QObject::connect(&combo, &QComboBox::editTextChanged, &note,
                     [&combo, &note] { note.setText(NoteFor(combo)); });
}
