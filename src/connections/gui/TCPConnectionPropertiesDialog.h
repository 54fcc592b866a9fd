#pragma once
// "TCP/IP Connection Properties": the address (dotted IPv4 or a host name) and the port
// (0 to 65535). OK stores both, Cancel nothing; a port that is not an integer in range keeps
// the dialog open with the standard message.

#include <QDialog>

class CTCPConnection;
class QLineEdit;

class CTCPConnectionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPort = 65535;

    explicit CTCPConnectionPropertiesDialog(CTCPConnection& connection, QWidget* parent = nullptr);

    QLineEdit& Address() { return *m_address; }
    QLineEdit& Port() { return *m_port; }

    void accept() override;

private:
    CTCPConnection& m_connection;
    QLineEdit* m_address;
    QLineEdit* m_port;
};
