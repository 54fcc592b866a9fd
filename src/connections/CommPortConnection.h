#pragma once
// The direct serial cable ("Direct Cable", keyword DIRECTCABLE): a serial port opened by
// name with the site's line settings. Its buffered read loop, Purge, Write and IsOpen are
// also the built-in modem's (CModemConnection derives from it and inherits them unchanged).
//
// Threads: the site's worker opens, reads, writes, purges and closes; the user-interface
// thread reads and writes the settings. Every field access takes the application state
// lock, which is released while a read waits, a write waits for the driver and Close drains.

#include "connections/ReceiveBuffer.h"
#include "platform/Connection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SerialPort;
struct SerialSettings;

class CCommPortConnection : public CConnection {
public:
    static constexpr unsigned kSchema = 1;
    static constexpr size_t kBufferSize = ReceiveBuffer::kSize;
    // A read looks at the port at least this often (ms).
    static constexpr unsigned kPollStepMs = ReceiveBuffer::kPollStepMs;
    // Close waits at most this long for the output queue to drain, in 100 ms steps.
    static constexpr unsigned kDrainLimitMs = 10000;
    static constexpr unsigned kDrainStepMs = 100;
    // A write that the driver cannot take in this long (flow control held off) fails.
    static constexpr unsigned kWriteLimitMs = 10000;

    // Parity codes.
    enum : int32_t {
        PARITY_NONE = 0,
        PARITY_ODD = 1,
        PARITY_EVEN = 2,
        PARITY_MARK = 3,
        PARITY_SPACE = 4
    };
    // Stop-bits codes.
    enum : int32_t { STOPBITS_ONE = 0, STOPBITS_TWO = 2 };
    // Flow-control codes.
    enum : int32_t { FLOW_NONE = 0, FLOW_RTSCTS = 1, FLOW_XONXOFF = 2 };

    CCommPortConnection();
    // Takes the port name and the five settings; the copy starts closed.
    CCommPortConnection(const CCommPortConnection& other);
    CCommPortConnection& operator=(const CCommPortConnection&) = delete;
    // Releases an open port at once (no drain).
    ~CCommPortConnection() override;

    const char* GetClassName() const override { return "CCommPortConnection"; }
    unsigned GetSchema() const override { return kSchema; }

    // Port name, baud rate, parity, data bits, stop bits, flow control. Schema 0 has no
    // flow-control code (it reads as 0); other schemas than 0 and 1 are refused.
    void Serialize(CArchive& ar) override;
    // SITE_COMM_PORT (string, or integer n for "COM" n+1), SITE_BAUD_RATE,
    // SITE_PARITY_MODE, SITE_DATA_BITS, SITE_STOP_BITS, SITE_XON_XOFF. The current token is
    // the first key; a malformed line is noted in the stream and gives false.
    bool ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) override;
    // The six direct-cable lines.
    void WriteConfig(std::string& out, const CNamedObjectList& modems) const override;
    int GetConnectionType() const override { return CONN_DIRECTCABLE; }

    // False if already open or the port cannot be opened or its settings read.
    bool Open(CInstrumentConnection* inst) override;
    // Waits for the output to drain (at most 10 s), then closes. False if not open.
    bool Close() override;
    // Discards buffered and queued input; the output is not touched.
    bool Purge() override;
    size_t Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) override;
    size_t TakeArrived(char* buffer, size_t maxCount, int terminator) override;
    bool Write(const std::string& text) override;
    bool IsOpen() const override;
    CConnection* Clone() const override { return new CCommPortConnection(*this); }

    std::string GetPortName() const;
    void SetPortName(const std::string& name);
    uint32_t GetBaudRate() const;
    void SetBaudRate(uint32_t baud);
    int32_t GetParity() const;
    // 1 or 'O' odd, 2 or 'E' even, 3 or 'M' mark, 4 or 'S' space, anything else none.
    void SetParity(int32_t parity);
    int32_t GetDataBits() const;
    void SetDataBits(int32_t bits);
    int32_t GetStopBits() const;
    // 2 gives two stop bits; anything else one (code 0).
    void SetStopBits(int32_t code);
    int32_t GetFlowControl() const;
    void SetFlowControl(int32_t code);

    // The errno of the last failed Open, for the caller's hint (0 after a good one).
    int GetLastOpenError() const override;

    // Registers the class with the transport archive registry.
    static void RegisterClass();

protected:
    // The serial payload, laid out by schema (the built-in modem passes its own).
    void SerializeSerial(CArchive& ar, unsigned schema);
    // Takes one direct-cable line if the current token is one of its keys: 1 taken,
    // 0 not a direct-cable key (nothing consumed), -1 malformed (noted in the stream).
    int ReadSerialLine(ConfigFileTokenStream& ts);
    void WriteSerialLines(std::string& out) const;
    // The line settings the fields ask for, on top of what the port had.
    void ApplyFields(SerialSettings& settings) const;
    // Opens the port with the fields' settings (steps shared with the built-in modem).
    bool OpenPort();
    // Closes without waiting for the output; used by the destructor and on failed opens.
    void ReleasePort();

private:
    std::string m_portName = "COM1";
    uint32_t m_baudRate = 19200;
    int32_t m_parity = PARITY_NONE;
    int32_t m_dataBits = 8;
    int32_t m_stopBits = STOPBITS_ONE;
    int32_t m_flowControl = FLOW_NONE;

    // Run-time only. The port is shared so that a wait outside the lock never sees it freed.
    std::shared_ptr<SerialPort> m_port;
    ReceiveBuffer m_receive;
    int m_lastOpenError = 0;
};
