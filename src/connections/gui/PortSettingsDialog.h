#pragma once
// The line settings of a serial port: bits per second (the standard rates 300 to 921600 in
// the list, any other typed in), data bits, parity, stop bits and flow control, in the codes
// the serial transports keep. It edits a copy; the caller takes the
// values back after OK.

#include <QDialog>
#include <cstdint>

class QComboBox;
class QPushButton;

struct PortLineSettings {
    uint32_t baudRate = 19200;
    int32_t dataBits = 8;
    int32_t parity = 0;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int32_t stopBits = 0;    // 0 one, 2 two
    int32_t flowControl = 0; // 0 none, 1 RTS/CTS, 2 XON/XOFF
    bool operator==(const PortLineSettings&) const = default;
};

class CPortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    CPortSettingsDialog(const QString& portName, const PortLineSettings& settings,
                        QWidget* parent = nullptr);

    // The values shown (valid after a successful accept).
    PortLineSettings Settings() const { return m_settings; }

    QComboBox& BaudRate() { return *m_baud; }
    QComboBox& DataBits() { return *m_dataBits; }
    QComboBox& Parity() { return *m_parity; }
    QComboBox& StopBits() { return *m_stopBits; }
    QComboBox& FlowControl() { return *m_flow; }

    void OnRestoreDefaults();
    // Checks the rate; keeps the dialog open when it is not a usable number.
    void accept() override;

private:
    void Show(const PortLineSettings& s);

    PortLineSettings m_settings;
    QComboBox* m_baud;
    QComboBox* m_dataBits;
    QComboBox* m_parity;
    QComboBox* m_stopBits;
    QComboBox* m_flow;
};

class CCommPortConnection;
// The five line settings of a serial transport, and back (under the state lock).
PortLineSettings GetLineSettings(const CCommPortConnection& connection);
void SetLineSettings(CCommPortConnection& connection, const PortLineSettings& settings);
