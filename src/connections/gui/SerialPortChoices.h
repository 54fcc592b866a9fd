#pragma once
// The ports offered by the serial-port drop-down lists: the ports the serial layer finds, the
// first nine standard ports under their usual names "COM1".."COM9" (the names the transports
// and the files use) and every other port by its device path. The lister can be replaced so
// that tests see ports of their own.

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QComboBox;

using PortLister = std::function<std::vector<std::string>()>;
// Replaces the serial layer's port list (an empty function restores it).
void SetPortLister(PortLister lister);

// The names offered, in the serial layer's order.
QStringList ListPortChoices();

// Fills a drop-down list with the ports and selects current (whole name, any case). A current
// name that is no port found now (a virtual port, a USB adapter unplugged for the moment) is
// offered too, so that OK does not quietly move the link to another port; an empty name with
// no ports leaves the list empty and nothing selected.
void FillPortCombo(QComboBox& combo, const std::string& current);
