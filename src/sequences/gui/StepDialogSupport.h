#pragma once
// Pieces the step dialogs share: the standard check of a real-number field, and the names of
// the registered gases and units in registration order.

#include <QStringList>
#include <cstdint>

class QLineEdit;

// A text that is not a number gives "Please enter a number.", one outside min..max "Please
// enter a number between min and max."; either way the message is shown, the field takes
// the focus with its text selected and the result is false.
bool ReadRealField(QLineEdit& edit, double min, double max, double& value);
QStringList RegisteredGasNames();
QStringList RegisteredUnitNames();
// The registered name of a gas id, or empty.
QString GasNameOf(uint32_t id);
