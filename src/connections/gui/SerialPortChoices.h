#pragma once
// The serial port chooser of the direct cable and the built-in modem: an editable drop-down
// list of the ports the serial layer finds (the first nine standard ports under their usual
// names "COM1".."COM9", the names the transports and the files use; every other port, and
// the stable /dev/serial/by-id links, by path) that also takes any device path typed in (a
// pseudo-terminal, an adapter not plugged in now). A note beside it says what the chosen
// port is. The listing can be replaced, or pointed at another tree, so that tests see ports
// of their own.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

struct SerialScanRoots;
class QComboBox;
class QLabel;

using PortLister = std::function<std::vector<std::string>()>;
// Replaces the serial layer's port list by plain paths (an empty function restores it).
void SetPortLister(PortLister lister);
// Where the serial layer's listing looks (the default roots restore the system's).
void SetPortScanRoots(const SerialScanRoots& roots);

struct PortChoice {
    QString name;        // as offered and stored
    QString description; // what the port is
    bool accessible = true;
};
std::vector<PortChoice> ListPortChoiceInfo();
// The names offered, in the serial layer's order.
QStringList ListPortChoices();

// Makes the list editable and fills it with the ports, selecting current (whole name, any
// case). A current name that is no port found now is offered too, so that OK does not quietly
// move the link to another port; an empty name with no ports leaves the field empty.
void FillPortCombo(QComboBox& combo, const std::string& current);
// The port named in the field: its text without surrounding blanks.
QString ChosenPort(const QComboBox& combo);
// Keeps note telling what the port in the field is, as the field changes.
void AttachPortNote(QComboBox& combo, QLabel& note);
