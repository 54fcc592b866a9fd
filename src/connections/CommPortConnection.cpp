#include "connections/CommPortConnection.h"

#include "base/Elapsed.h"
#include "base/StateLock.h"
#include "connections/LinkSource.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "platform/LinkClock.h"
#include "platform/SerialPort.h"

#include <algorithm>

namespace {

// Reads exactly what the driver has queued; a failing status or read ends the read.
class PortSource : public LinkSource {
public:
    explicit PortSource(SerialPort& port) : m_port(port) {}
    long ReadArrived(char* buffer, size_t size) override {
        const long waiting = m_port.InputWaiting();
        const long got =
            waiting <= 0
                ? waiting
                : m_port.NonBlockingRead(buffer, std::min(static_cast<size_t>(waiting), size));
        if (got < 0)
            m_failed = true;
        return got;
    }
    void WaitForInput(unsigned ms) override { m_port.WaitForInput(ms); }
    bool PeerGone() const override { return m_failed || m_port.HungUp(); }

private:
    SerialPort& m_port;
    bool m_failed = false;
};

void Line(std::string& out, int keyword, const std::string& value) {
    out += "  ";
    out += ConfigFileTokenStream::TokenName(keyword);
    out += " = ";
    out += value;
    out += "\r\n";
}

} // namespace

CCommPortConnection::CCommPortConnection() = default;

CCommPortConnection::CCommPortConnection(const CCommPortConnection& other) : CConnection(other) {
    StateGuard guard(AppStateLock());
    m_portName = other.m_portName;
    m_baudRate = other.m_baudRate;
    m_parity = other.m_parity;
    m_dataBits = other.m_dataBits;
    m_stopBits = other.m_stopBits;
    m_flowControl = other.m_flowControl;
}

CCommPortConnection::~CCommPortConnection() {
    ReleasePort();
}

// ---- settings ------------------------------------------------------------------------------

std::string CCommPortConnection::GetPortName() const {
    StateGuard guard(AppStateLock());
    return m_portName;
}
void CCommPortConnection::SetPortName(const std::string& name) {
    StateGuard guard(AppStateLock());
    m_portName = name;
}
uint32_t CCommPortConnection::GetBaudRate() const {
    StateGuard guard(AppStateLock());
    return m_baudRate;
}
void CCommPortConnection::SetBaudRate(uint32_t baud) {
    StateGuard guard(AppStateLock());
    m_baudRate = baud;
}
int32_t CCommPortConnection::GetParity() const {
    StateGuard guard(AppStateLock());
    return m_parity;
}
void CCommPortConnection::SetParity(int32_t parity) {
    int32_t code;
    switch (parity) {
    case 1:
    case 'O':
        code = PARITY_ODD;
        break;
    case 2:
    case 'E':
        code = PARITY_EVEN;
        break;
    case 3:
    case 'M':
        code = PARITY_MARK;
        break;
    case 4:
    case 'S':
        code = PARITY_SPACE;
        break;
    default:
        code = PARITY_NONE;
        break;
    }
    StateGuard guard(AppStateLock());
    m_parity = code;
}
int32_t CCommPortConnection::GetDataBits() const {
    StateGuard guard(AppStateLock());
    return m_dataBits;
}
void CCommPortConnection::SetDataBits(int32_t bits) {
    StateGuard guard(AppStateLock());
    m_dataBits = bits;
}
int32_t CCommPortConnection::GetStopBits() const {
    StateGuard guard(AppStateLock());
    return m_stopBits;
}
void CCommPortConnection::SetStopBits(int32_t code) {
    StateGuard guard(AppStateLock());
    m_stopBits = code == 2 ? STOPBITS_TWO : STOPBITS_ONE;
}
int32_t CCommPortConnection::GetFlowControl() const {
    StateGuard guard(AppStateLock());
    return m_flowControl;
}
void CCommPortConnection::SetFlowControl(int32_t code) {
    StateGuard guard(AppStateLock());
    m_flowControl = code;
}
int CCommPortConnection::GetLastOpenError() const {
    StateGuard guard(AppStateLock());
    return m_lastOpenError;
}

// ---- archive and text form -----------------------------------------------------------------

void CCommPortConnection::Serialize(CArchive& ar) {
    SerializeSerial(ar, ar.IsStoring() ? kSchema : ar.GetObjectSchema());
}

void CCommPortConnection::SerializeSerial(CArchive& ar, unsigned schema) {
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        ar.WriteString(m_portName);
        ar.WriteUInt32(m_baudRate);
        ar.WriteInt32(m_parity);
        ar.WriteInt32(m_dataBits);
        ar.WriteInt32(m_stopBits);
        ar.WriteInt32(m_flowControl);
        return;
    }
    if (schema > 1)
        throw CArchiveException(CArchiveException::BadSchema,
                                "serial settings schema " + std::to_string(schema));
    m_portName = ar.ReadString();
    m_baudRate = ar.ReadUInt32();
    m_parity = ar.ReadInt32();
    m_dataBits = ar.ReadInt32();
    m_stopBits = ar.ReadInt32();
    m_flowControl = schema >= 1 ? ar.ReadInt32() : FLOW_NONE;
}

int CCommPortConnection::ReadSerialLine(ConfigFileTokenStream& ts) {
    const int key = ts.GetTokenCode();
    switch (key) {
    case CFG_SITE_COMM_PORT:
    case CFG_SITE_BAUD_RATE:
    case CFG_SITE_PARITY_MODE:
    case CFG_SITE_DATA_BITS:
    case CFG_SITE_STOP_BITS:
    case CFG_SITE_XON_XOFF:
        break;
    default:
        return 0;
    }
    if (ts.GetToken() != CFG_EQUALS) {
        ts.NoteError();
        return -1;
    }
    const int value = ts.GetToken();
    if (key == CFG_SITE_COMM_PORT && value == TOKEN_STRING) {
        SetPortName(ts.GetTokenText());
    } else if (value != TOKEN_INTEGER) {
        ts.NoteError();
        return -1;
    } else {
        const int32_t n = ts.GetIntValue();
        switch (key) {
        case CFG_SITE_COMM_PORT:
            // Older files number the ports from 0.
            SetPortName("COM" + std::to_string(static_cast<int64_t>(n) + 1));
            break;
        case CFG_SITE_BAUD_RATE:
            SetBaudRate(static_cast<uint32_t>(n));
            break;
        case CFG_SITE_PARITY_MODE:
            SetParity(n);
            break;
        case CFG_SITE_DATA_BITS:
            SetDataBits(n);
            break;
        case CFG_SITE_STOP_BITS:
            SetStopBits(n);
            break;
        default:
            // The written codes read back as themselves; older files wrote any non-zero
            // value for the hardware handshake.
            SetFlowControl(n == FLOW_NONE || n == FLOW_RTSCTS || n == FLOW_XONXOFF ? n
                                                                                   : FLOW_RTSCTS);
            break;
        }
    }
    ts.GetToken();
    return 1;
}

bool CCommPortConnection::ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList&) {
    bool taken = false;
    for (;;) {
        const int r = ReadSerialLine(ts);
        if (r < 0)
            return false;
        if (r == 0)
            return taken;
        taken = true;
    }
}

void CCommPortConnection::WriteSerialLines(std::string& out) const {
    StateGuard guard(AppStateLock());
    Line(out, CFG_SITE_COMM_PORT, "\"" + m_portName + "\"");
    Line(out, CFG_SITE_BAUD_RATE, std::to_string(m_baudRate));
    Line(out, CFG_SITE_PARITY_MODE, std::to_string(m_parity));
    Line(out, CFG_SITE_DATA_BITS, std::to_string(m_dataBits));
    Line(out, CFG_SITE_STOP_BITS, std::to_string(m_stopBits));
    Line(out, CFG_SITE_XON_XOFF, std::to_string(m_flowControl));
}

void CCommPortConnection::WriteConfig(std::string& out, const CNamedObjectList&) const {
    WriteSerialLines(out);
}

void CCommPortConnection::RegisterClass() {
    ArchiveClassRegistry<CConnection>::Register("CCommPortConnection",
                                                [] { return new CCommPortConnection; });
}

// ---- the link ------------------------------------------------------------------------------

void CCommPortConnection::ApplyFields(SerialSettings& s) const {
    StateGuard guard(AppStateLock());
    s.baudRate = m_baudRate;
    s.dataBits = m_dataBits;
    switch (m_parity) {
    case PARITY_ODD:
        s.parity = SerialParity::Odd;
        break;
    case PARITY_EVEN:
        s.parity = SerialParity::Even;
        break;
    case PARITY_MARK:
        s.parity = SerialParity::Mark;
        break;
    case PARITY_SPACE:
        s.parity = SerialParity::Space;
        break;
    default:
        s.parity = SerialParity::None;
        break;
    }
    s.stopBits = m_stopBits == STOPBITS_TWO ? 2 : 1;
    switch (m_flowControl) {
    case FLOW_NONE:
        s.ctsOutput = false;
        s.xonXoffOutput = s.xonXoffInput = false;
        s.rts = SerialRts::Off;
        break;
    case FLOW_RTSCTS:
        s.xonXoffOutput = s.xonXoffInput = false;
        s.ctsOutput = true;
        s.rts = SerialRts::Handshake;
        break;
    case FLOW_XONXOFF:
        s.ctsOutput = false;
        s.rts = SerialRts::Off;
        s.xonXoffOutput = s.xonXoffInput = true;
        break;
    default:
        break; // an unknown code leaves the port's own flow settings
    }
}

bool CCommPortConnection::OpenPort() {
    std::string name;
    {
        StateGuard guard(AppStateLock());
        if (m_port)
            return false;
        name = m_portName;
    }
    std::shared_ptr<SerialPort> port = SerialPort::GetPortByName(name);
    if (!port)
        return false;
    if (!port->Open()) {
        StateGuard guard(AppStateLock());
        m_lastOpenError = port->GetLastError();
        return false;
    }
    SerialSettings settings;
    if (!port->GetSettings(settings)) {
        // Closed again, so that the connection does not count as open.
        StateGuard guard(AppStateLock());
        m_lastOpenError = port->GetLastError();
        port->Close();
        return false;
    }
    ApplyFields(settings);
    // A rate or a setting the driver refuses leaves the port as it was; the link may still
    // work, so this is not a failure of the open.
    port->SetSettings(settings);
    StateGuard guard(AppStateLock());
    if (m_port) {
        port->Close();
        return false;
    }
    m_port = std::move(port);
    m_receive.Allocate();
    m_lastOpenError = 0;
    SetLinkFailed(false);
    return true;
}

bool CCommPortConnection::Open(CInstrumentConnection*) {
    return OpenPort();
}

bool CCommPortConnection::IsOpen() const {
    StateGuard guard(AppStateLock());
    return m_port != nullptr;
}

size_t CCommPortConnection::TakeArrived(char* buffer, size_t maxCount, int terminator) {
    return m_receive.TakeWhole(buffer, maxCount, terminator);
}

size_t CCommPortConnection::Read(char* buffer, size_t maxCount, unsigned timeoutMs,
                                 int terminator) {
    std::shared_ptr<SerialPort> port;
    {
        StateGuard guard(AppStateLock());
        port = m_port;
    }
    if (!port)
        return 0;
    PortSource source(*port);
    const size_t n = m_receive.Read(source, buffer, maxCount, timeoutMs, terminator, m_cancel);
    if (source.PeerGone())
        SetLinkFailed(true);
    return n;
}

bool CCommPortConnection::Write(const std::string& text) {
    std::shared_ptr<SerialPort> port;
    {
        StateGuard guard(AppStateLock());
        port = m_port;
    }
    if (!port || text.empty())
        return false;
    return port->BlockingWrite(text.data(), text.size(), kWriteLimitMs);
}

bool CCommPortConnection::Purge() {
    StateGuard guard(AppStateLock());
    if (!m_port)
        return false;
    m_receive.Clear();
    return m_port->FlushInput();
}

bool CCommPortConnection::Close() {
    std::shared_ptr<SerialPort> port;
    {
        StateGuard guard(AppStateLock());
        port = m_port;
    }
    if (!port)
        return false;
    // Let what was written leave the port before it is closed (on the link's clock, which
    // tests and fuzz targets run fast).
    const auto start = LinkClock::Now();
    for (unsigned waits = 0; waits < kDrainLimitMs / kDrainStepMs; ++waits) {
        const long queued = port->OutputWaiting();
        if (queued <= 0 || LinkClock::ElapsedMs(start) >= static_cast<long>(kDrainLimitMs))
            break;
        LinkClock::Sleep(kDrainStepMs);
    }
    LinkClock::Sleep(kDrainStepMs);
    {
        StateGuard guard(AppStateLock());
        if (m_port == port)
            m_port.reset();
    }
    m_receive.Release();
    port->Close();
    return true;
}

void CCommPortConnection::ReleasePort() {
    std::shared_ptr<SerialPort> port;
    {
        StateGuard guard(AppStateLock());
        port.swap(m_port);
    }
    m_receive.Release();
    if (port)
        port->Close();
}
