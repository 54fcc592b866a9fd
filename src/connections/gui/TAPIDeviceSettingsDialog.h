#pragma once
// "Modem Settings" of a telephony modem: what the telephony layer knows of the line (its name
// and permanent identifier) and, for a modem of the AT-command backend, the serial device and
// speed it is configured with. Only shown: the configuration lives in the program settings
// (group "Telephony"), so nothing edited here would be kept.

#include <QDialog>
#include <cstdint>
#include <string>

class CTAPIModemDevice;
class QLabel;

class CTAPIDeviceSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTAPIDeviceSettingsDialog(const CTAPIModemDevice& device, QWidget* parent = nullptr);

    QString NameText() const;
    QString DeviceText() const;
    QString SpeedText() const;
    QString IdentifierText() const;

private:
    QLabel* m_name;
    QLabel* m_identifier;
    QLabel* m_device;
    QLabel* m_speed;
};
