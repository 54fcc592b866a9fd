#pragma once
// "Windows Modem Connection Properties": the telephony modem (by name, from the application's
// device list), the telephone number (at most 100 characters) and the connect time-out
// (0 to 300 seconds); "&Settings..." shows the selected modem's settings. OK stores all three,
// Cancel nothing.

#include <QDialog>
#include <cstdint>

class CTAPIModemConnection;
class QComboBox;
class QLineEdit;
class QPushButton;

class CTAPIModemConnectionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNumberLength = 100;
    static constexpr int kMaxTimeout = 300;

    explicit CTAPIModemConnectionPropertiesDialog(CTAPIModemConnection& connection,
                                                  QWidget* parent = nullptr);

    QComboBox& Modem() { return *m_modem; }
    QLineEdit& Telephone() { return *m_telephone; }
    QLineEdit& Timeout() { return *m_timeout; }
    QPushButton& SettingsButton() { return *m_settingsButton; }

    void OnSettings();
    void accept() override;

private:
    CTAPIModemConnection& m_connection;
    QComboBox* m_modem;
    QLineEdit* m_telephone;
    QLineEdit* m_timeout;
    QPushButton* m_settingsButton;
};
