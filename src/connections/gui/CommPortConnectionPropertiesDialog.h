#pragma once
// "Direct Cable Connection Properties": the port, and its line settings through "Settings...".
// The port is chosen from the ports found or typed in as any device path. It works on a copy
// of the settings; OK with a port named stores the port name and the five settings, Cancel
// stores nothing.

#include "connections/gui/PortSettingsDialog.h"

#include <QDialog>

class CCommPortConnection;
class QComboBox;
class QLabel;
class QPushButton;

class CCommPortConnectionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit CCommPortConnectionPropertiesDialog(CCommPortConnection& connection,
                                                 QWidget* parent = nullptr);

    QComboBox& Port() { return *m_port; }
    QPushButton& SettingsButton() { return *m_settingsButton; }
    QLabel& PortNote() { return *m_note; }
    PortLineSettings WorkingSettings() const { return m_settings; }

    // Our own port settings dialog over the working copy.
    void OnSettings();
    void accept() override;

private:
    CCommPortConnection& m_connection;
    PortLineSettings m_settings;
    QComboBox* m_port;
    QPushButton* m_settingsButton;
    QLabel* m_note;
};
