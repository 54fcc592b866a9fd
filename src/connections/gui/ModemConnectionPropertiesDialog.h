#pragma once
// "Modem Connection Properties" for a built-in (AT-command) modem: the serial port and its
// line settings as for the direct cable, the modem definition ("&..." opens the Modems list
// and then rebuilds this one), the telephone number and the connect time-out in seconds.
// OK with a port named (chosen or typed) stores everything; without one, or on Cancel, nothing.

#include "connections/gui/PortSettingsDialog.h"

#include <QDialog>

class CModemConnection;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CModemConnectionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit CModemConnectionPropertiesDialog(CModemConnection& connection,
                                              QWidget* parent = nullptr);

    QComboBox& Port() { return *m_port; }
    QPushButton& SettingsButton() { return *m_settingsButton; }
    QLabel& PortNote() { return *m_note; }
    QComboBox& ModemType() { return *m_modem; }
    QPushButton& ModemsButton() { return *m_modemsButton; }
    QLineEdit& Telephone() { return *m_telephone; }
    QLineEdit& Timeout() { return *m_timeout; }
    PortLineSettings WorkingSettings() const { return m_settings; }

    void OnSettings();
    // Opens the Modems list, then lists the definitions again, keeping the selection while
    // the selected one still exists.
    void OnModems();
    // Lists every definition by name, selecting the one with this object ID.
    void FillModems(uint32_t selectId);
    void accept() override;

private:
    CModemConnection& m_connection;
    PortLineSettings m_settings;
    QComboBox* m_port;
    QPushButton* m_settingsButton;
    QLabel* m_note;
    QComboBox* m_modem;
    QPushButton* m_modemsButton;
    QLineEdit* m_telephone;
    QLineEdit* m_timeout;
};
