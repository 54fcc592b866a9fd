#include "connections/TCPConnection.h"

#include "base/Elapsed.h"
#include "base/StateLock.h"
#include "connections/LinkSource.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "platform/LinkClock.h"
#include "platform/Socket.h"

namespace {

// An empty receive (nothing yet, an error, the peer gone) is not a failure: the read runs on
// to its limits.
class SocketSource : public LinkSource {
public:
    explicit SocketSource(Socket& socket) : m_socket(socket) {}
    long ReadArrived(char* buffer, size_t size) override {
        const long got = m_socket.Receive(buffer, size);
        if (got < 0)
            m_failed = true;
        return got > 0 ? got : 0;
    }
    void WaitForInput(unsigned ms) override { m_socket.WaitForInput(ms); }
    bool PeerGone() const override { return m_failed || m_socket.PeerClosed(); }

private:
    Socket& m_socket;
    bool m_failed = false;
};

} // namespace

CTCPConnection::CTCPConnection() = default;

CTCPConnection::CTCPConnection(const CTCPConnection& other) : CConnection(other) {
    StateGuard guard(AppStateLock());
    m_address = other.m_address;
    m_port = other.m_port;
}

CTCPConnection::~CTCPConnection() {
    std::shared_ptr<Socket> socket;
    {
        StateGuard guard(AppStateLock());
        socket.swap(m_socket);
    }
    if (socket)
        socket->Close();
}

std::string CTCPConnection::GetAddress() const {
    StateGuard guard(AppStateLock());
    return m_address;
}
void CTCPConnection::SetAddress(const std::string& address) {
    StateGuard guard(AppStateLock());
    m_address = address;
}
uint32_t CTCPConnection::GetPort() const {
    StateGuard guard(AppStateLock());
    return m_port;
}
void CTCPConnection::SetPort(uint32_t port) {
    StateGuard guard(AppStateLock());
    m_port = port;
}

void CTCPConnection::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        ar.WriteString(m_address);
        ar.WriteUInt32(m_port);
    } else {
        m_address = ar.ReadString();
        m_port = ar.ReadUInt32();
    }
}

bool CTCPConnection::ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList&) {
    bool taken = false;
    for (;;) {
        const int key = ts.GetTokenCode();
        int wanted;
        if (key == CFG_SITE_TCPIP_ADDRESS)
            wanted = TOKEN_STRING;
        else if (key == CFG_SITE_TCPIP_PORT)
            wanted = TOKEN_INTEGER;
        else
            return taken;
        if (ts.GetToken() != CFG_EQUALS || ts.GetToken() != wanted) {
            ts.NoteError();
            return false;
        }
        if (key == CFG_SITE_TCPIP_ADDRESS)
            SetAddress(ts.GetTokenText());
        else
            SetPort(static_cast<uint32_t>(ts.GetIntValue()));
        taken = true;
        ts.GetToken();
    }
}

void CTCPConnection::WriteConfig(std::string& out, const CNamedObjectList&) const {
    StateGuard guard(AppStateLock());
    out += "  ";
    out += ConfigFileTokenStream::TokenName(CFG_SITE_TCPIP_ADDRESS);
    out += " = \"" + m_address + "\"\r\n  ";
    out += ConfigFileTokenStream::TokenName(CFG_SITE_TCPIP_PORT);
    out += " = " + std::to_string(m_port) + "\r\n";
}

void CTCPConnection::RegisterClass() {
    ArchiveClassRegistry<CConnection>::Register("CTCPConnection",
                                                [] { return new CTCPConnection; });
}

bool CTCPConnection::Open(CInstrumentConnection* inst) {
    std::string address;
    uint32_t port;
    {
        StateGuard guard(AppStateLock());
        if (m_socket)
            return false;
        address = m_address;
        port = m_port;
    }
    if (port > 0xFFFF)
        return false;
    unsigned sendLimit = kDefaultSendLimitMs;
    if (inst) {
        const int32_t t = inst->GetReceiveTimeout();
        if (t > 0)
            sendLimit = static_cast<unsigned>(t);
    }
    auto socket = std::make_shared<Socket>();
    if (!socket->Connect(address, static_cast<uint16_t>(port), &m_cancel))
        return false;
    StateGuard guard(AppStateLock());
    if (m_socket)
        return false; // opened meanwhile; the new socket closes with its last reference
    m_socket = std::move(socket);
    m_receive.Allocate();
    m_sendLimitMs = sendLimit;
    SetLinkFailed(false);
    return true;
}

bool CTCPConnection::IsOpen() const {
    StateGuard guard(AppStateLock());
    return m_socket != nullptr;
}

size_t CTCPConnection::TakeArrived(char* buffer, size_t maxCount, int terminator) {
    return m_receive.TakeWhole(buffer, maxCount, terminator);
}

size_t CTCPConnection::Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) {
    // A line that has already arrived is handed over without a look at the socket: a record
    // download reads many thousands of them.
    if (const size_t n = m_receive.TakeWhole(buffer, maxCount, terminator))
        return n;
    std::shared_ptr<Socket> socket;
    {
        StateGuard guard(AppStateLock());
        socket = m_socket;
    }
    if (!socket)
        return 0;
    SocketSource source(*socket);
    const size_t n = m_receive.Read(source, buffer, maxCount, timeoutMs, terminator, m_cancel);
    if (source.PeerGone())
        SetLinkFailed(true);
    return n;
}

bool CTCPConnection::Write(const std::string& text) {
    std::shared_ptr<Socket> socket;
    unsigned limit;
    {
        StateGuard guard(AppStateLock());
        socket = m_socket;
        limit = m_sendLimitMs;
    }
    if (!socket || text.empty())
        return false;
    return socket->SendAll(text.data(), text.size(), limit) == text.size();
}

bool CTCPConnection::Purge() {
    std::shared_ptr<Socket> socket;
    {
        StateGuard guard(AppStateLock());
        socket = m_socket;
    }
    m_receive.Clear();
    if (!socket)
        return false;
    // A peer that never stops sending (a bridge in front of a chatty device) must not hold
    // the command that follows for ever: what arrives after the limit is read as the reply.
    const auto start = LinkClock::Now();
    std::vector<char> discard(kBufferSize);
    while (socket->Receive(discard.data(), discard.size()) > 0) {
        if (IsCancelled() || LinkClock::ElapsedMs(start) >= static_cast<long>(kPurgeLimitMs))
            break;
        LinkClock::Sleep(kPollStepMs);
    }
    return true;
}

bool CTCPConnection::Close() {
    std::shared_ptr<Socket> socket;
    {
        StateGuard guard(AppStateLock());
        socket.swap(m_socket);
    }
    m_receive.Release();
    if (!socket)
        return false;
    socket->Close();
    return true;
}
