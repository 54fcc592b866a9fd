#include "connections/TCPConnection.h"

#include "base/Elapsed.h"
#include "base/StateLock.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "platform/Socket.h"

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

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
    if (!socket->Connect(address, static_cast<uint16_t>(port)))
        return false;
    StateGuard guard(AppStateLock());
    if (m_socket)
        return false; // opened meanwhile; the new socket closes with its last reference
    m_socket = std::move(socket);
    SetLinkFailed(false);
    m_buffer.assign(kBufferSize, '\0');
    m_count = 0;
    m_position = 0;
    m_sendLimitMs = sendLimit;
    return true;
}

bool CTCPConnection::IsOpen() const {
    StateGuard guard(AppStateLock());
    return m_socket != nullptr;
}

size_t CTCPConnection::Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) {
    std::shared_ptr<Socket> socket;
    {
        StateGuard guard(AppStateLock());
        socket = m_socket;
    }
    if (!socket)
        return 0;
    const auto start = Clock::now();
    size_t stored = 0;
    std::vector<char> incoming;
    while (stored < maxCount) {
        bool refill;
        {
            StateGuard guard(AppStateLock());
            if (m_socket != socket)
                return stored;
            refill = m_count == 0;
        }
        if (refill) {
            // Received outside the lock; an empty receive (nothing yet, an error, the peer
            // gone) is not a failure: the loop runs on to its limits.
            incoming.resize(kBufferSize);
            const long got = socket->Receive(incoming.data(), incoming.size());
            if (got < 0 || socket->PeerClosed())
                SetLinkFailed(true);
            StateGuard guard(AppStateLock());
            if (m_socket != socket)
                return stored;
            if (got > 0) {
                std::copy(incoming.begin(), incoming.begin() + got, m_buffer.begin());
                m_count = static_cast<size_t>(got);
                m_position = 0;
            }
        }
        {
            StateGuard guard(AppStateLock());
            while (m_count > 0) {
                const char c = m_buffer[m_position++];
                --m_count;
                buffer[stored++] = c;
                if (stored == maxCount)
                    return stored;
                if (terminator >= 0 && static_cast<unsigned char>(c) == terminator)
                    return stored;
            }
        }
        if (IsCancelled())
            return stored;
        if (ElapsedMs(start) > static_cast<long>(timeoutMs))
            return stored;
        socket->WaitForInput(kPollStepMs);
    }
    return stored;
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
        m_count = 0;
        m_position = 0;
        socket = m_socket;
    }
    if (!socket)
        return false;
    std::vector<char> discard(kBufferSize);
    while (socket->Receive(discard.data(), discard.size()) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
    return true;
}

bool CTCPConnection::Close() {
    std::shared_ptr<Socket> socket;
    {
        StateGuard guard(AppStateLock());
        socket.swap(m_socket);
        m_buffer.clear();
        m_buffer.shrink_to_fit();
        m_count = 0;
        m_position = 0;
    }
    if (!socket)
        return false;
    socket->Close();
    return true;
}
