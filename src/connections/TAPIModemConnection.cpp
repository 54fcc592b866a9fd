#include "connections/TAPIModemConnection.h"

#include "base/AppServices.h"
#include "base/Elapsed.h"
#include "base/StateLock.h"
#include "connections/LinkSource.h"
#include "connections/ModemStatus.h"
#include "connections/ModemTimings.h"
#include "connections/SiteConnection.h"
#include "connections/TAPIModemDevice.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "platform/TelephonyClock.h"
#include "platform/TelephonyService.h"
#include "platform/TelephonyStream.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr int kDropWaits = 30;
constexpr int kDrainWaits = 100;
constexpr long kDrainLimitMs = 10000;

bool EndsCall(TelephonyCallState s) {
    return s == TelephonyCallState::Busy || s == TelephonyCallState::Disconnected;
}

// The call's byte stream; a failing status or read ends the read.
class StreamSource : public LinkSource {
public:
    explicit StreamSource(TelephonyStream& stream) : m_stream(stream) {}
    long ReadArrived(char* buffer, size_t size) override {
        const long queued = m_stream.InputWaiting();
        if (queued <= 0)
            return queued;
        return m_stream.ReadQueued(buffer, std::min(static_cast<size_t>(queued), size));
    }
    void WaitForInput(unsigned ms) override { m_stream.WaitReadable(ms); }

private:
    TelephonyStream& m_stream;
};

} // namespace

CTAPIModemConnection::CTAPIModemConnection(const CTAPIModemConnection& other) : CConnection(other) {
    StateGuard guard(AppStateLock());
    m_telephoneNumber = other.m_telephoneNumber;
    m_deviceId = other.m_deviceId;
    m_connectTimeout = other.m_connectTimeout;
}

CTAPIModemConnection::~CTAPIModemConnection() {
    // A transport destroyed with its call up must not leave the line off hook.
    if (m_line || m_call || m_stream)
        Close();
}

void CTAPIModemConnection::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        ar.WriteUInt32(m_deviceId);
        ar.WriteString(m_telephoneNumber);
        ar.WriteInt32(m_connectTimeout);
    } else {
        m_deviceId = ar.ReadUInt32();
        m_telephoneNumber = ar.ReadString();
        m_connectTimeout = ar.ReadInt32();
    }
}

bool CTAPIModemConnection::ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList&) {
    bool taken = false;
    for (;;) {
        const int key = ts.GetTokenCode();
        int wanted;
        switch (key) {
        case CFG_SITE_MODEM:
        case CFG_SITE_CONNECT_TIMEOUT:
            wanted = TOKEN_INTEGER;
            break;
        case CFG_SITE_TELEPHONE:
            wanted = TOKEN_STRING;
            break;
        default:
            return taken;
        }
        if (ts.GetToken() != CFG_EQUALS || ts.GetToken() != wanted) {
            ts.NoteError();
            return false;
        }
        {
            StateGuard guard(AppStateLock());
            if (key == CFG_SITE_MODEM)
                m_deviceId = static_cast<uint32_t>(ts.GetIntValue());
            else if (key == CFG_SITE_CONNECT_TIMEOUT)
                m_connectTimeout = ts.GetIntValue();
            else
                m_telephoneNumber = ts.GetTokenText();
        }
        taken = true;
        ts.GetToken();
    }
}

void CTAPIModemConnection::WriteConfig(std::string& out, const CNamedObjectList&) const {
    StateGuard guard(AppStateLock());
    // The device ID goes out as a signed 32-bit number, as older files have it; the reader
    // takes either form back to the same 32 bits.
    out += "  SITE_MODEM = " + std::to_string(static_cast<int32_t>(m_deviceId)) + "\r\n";
    out += "  SITE_TELEPHONE = \"" + m_telephoneNumber + "\"\r\n";
    out += "  SITE_CONNECT_TIMEOUT = " + std::to_string(m_connectTimeout) + "\r\n";
}

bool CTAPIModemConnection::Open(CInstrumentConnection* inst) {
    uint32_t index = 0;
    std::string number;
    int32_t timeout;
    {
        StateGuard guard(AppStateLock());
        if (m_line || m_stream)
            return false;
        AppServices* app = AppServices::Get();
        if (!app)
            return false;
        auto* device = dynamic_cast<CTAPIModemDevice*>(
            app->FindObject(ObjectKind::TelephonyDevice, m_deviceId));
        if (!device)
            return false;
        index = device->GetDeviceIndex();
        number = m_telephoneNumber;
        timeout = m_connectTimeout;
    }
    TelephonyService* service = TelephonyService::Current();
    if (!service)
        return false;
    uint32_t line = 0;
    if (service->OpenLine(index, line) != 0)
        return false;
    {
        StateGuard guard(AppStateLock());
        m_line = line;
    }

    if (inst)
        inst->SetDisplayText(ModemDialingText(number));
    // Everything still queued goes, whatever line or call it came from: notices left over
    // from earlier calls (a call's last notice comes after its transport stopped listening,
    // and line handles are never reused) would otherwise pile up in the shared queue.
    service->DiscardMessages();

    uint32_t call = 0;
    const int32_t request = service->MakeCall(line, number, call);
    if (request < 1) {
        Abandon(service);
        return false;
    }
    {
        StateGuard guard(AppStateLock());
        m_call = call;
    }

    bool connected = false;
    int n = timeout;
    while (n >= 1 && !connected) {
        if (inst && inst->GetDisconnectRequested())
            break;
        TelephonyMessage message;
        // Only this call's notices: another site dialing at the same time keeps its own.
        if (!service->GetMessage(message, ModemTimings::Get().callNoticeMs, call)) {
            if (inst)
                inst->SetDisplayText(ModemWaitingText(n));
            --n;
            continue;
        }
        if (EndsCall(message.state))
            break;
        connected = message.state == TelephonyCallState::Connected;
    }
    if (!connected) {
        Abandon(service);
        return false;
    }

    // A connected call without a byte stream cannot carry the protocol: hang up rather than
    // report a link that every read and write would fail on.
    std::unique_ptr<TelephonyStream> stream = service->GetCallStream(call);
    if (!stream) {
        Abandon(service);
        return false;
    }
    StateGuard guard(AppStateLock());
    m_stream = std::move(stream);
    m_receive.Allocate();
    return true;
}

void CTAPIModemConnection::Abandon(TelephonyService* service) {
    uint32_t line, call;
    {
        StateGuard guard(AppStateLock());
        line = m_line;
        call = m_call;
        m_line = m_call = 0;
    }
    if (call)
        service->Drop(call);
    if (line)
        service->CloseLine(line);
}

void CTAPIModemConnection::WaitForCallEnd(TelephonyService* service, uint32_t call) {
    for (int i = 0; i < kDropWaits; ++i) {
        TelephonyMessage message;
        if (!service->GetMessage(message, ModemTimings::Get().callNoticeMs, call))
            return;
        if (EndsCall(message.state))
            return;
    }
}

bool CTAPIModemConnection::Close() {
    std::unique_ptr<TelephonyStream> stream;
    uint32_t line, call;
    {
        StateGuard guard(AppStateLock());
        stream = std::move(m_stream);
        line = m_line;
        call = m_call;
    }
    if (stream) {
        const auto start = SteadyClock::now();
        for (int i = 0; i < kDrainWaits && ElapsedMs(start) < kDrainLimitMs; ++i) {
            const long queued = stream->OutputWaiting();
            if (queued <= 0)
                break;
            TelephonyClock::Sleep(100);
        }
        TelephonyClock::Sleep(100);
        stream.reset();
    }
    TelephonyService* service = TelephonyService::Current();
    if (service) {
        service->DiscardMessages();
        if (call) {
            service->Drop(call);
            WaitForCallEnd(service, call);
        }
        if (line)
            service->CloseLine(line);
    }
    m_receive.Release();
    StateGuard guard(AppStateLock());
    m_line = m_call = 0;
    return true;
}

bool CTAPIModemConnection::Purge() {
    StateGuard guard(AppStateLock());
    if (!m_stream)
        return false;
    m_receive.Clear();
    return m_stream->FlushInput();
}

size_t CTAPIModemConnection::TakeArrived(char* buffer, size_t maxCount, int terminator) {
    return m_receive.TakeWhole(buffer, maxCount, terminator);
}

size_t CTAPIModemConnection::Read(char* buffer, size_t maxCount, unsigned timeoutMs,
                                  int terminator) {
    TelephonyStream* stream;
    {
        StateGuard guard(AppStateLock());
        stream = m_stream.get();
    }
    // The stream is only replaced on the worker thread that reads, so it stays valid here.
    if (!stream)
        return 0;
    StreamSource source(*stream);
    return m_receive.Read(source, buffer, maxCount, timeoutMs, terminator, m_cancel);
}

bool CTAPIModemConnection::Write(const std::string& text) {
    if (text.empty())
        return false;
    TelephonyStream* s;
    {
        StateGuard guard(AppStateLock());
        s = m_stream.get();
    }
    // The stream is only replaced on the worker thread that writes, so it stays valid here.
    return s && s->WriteAll(text);
}

bool CTAPIModemConnection::IsOpen() const {
    StateGuard guard(AppStateLock());
    return m_stream != nullptr;
}

std::string CTAPIModemConnection::GetTelephoneNumber() const {
    StateGuard guard(AppStateLock());
    return m_telephoneNumber;
}

void CTAPIModemConnection::SetTelephoneNumber(const std::string& number) {
    StateGuard guard(AppStateLock());
    m_telephoneNumber = number;
}

uint32_t CTAPIModemConnection::GetDeviceId() const {
    StateGuard guard(AppStateLock());
    return m_deviceId;
}

void CTAPIModemConnection::SetDeviceId(uint32_t id) {
    StateGuard guard(AppStateLock());
    m_deviceId = id;
}

int32_t CTAPIModemConnection::GetConnectTimeout() const {
    StateGuard guard(AppStateLock());
    return m_connectTimeout;
}

void CTAPIModemConnection::SetConnectTimeout(int32_t seconds) {
    StateGuard guard(AppStateLock());
    m_connectTimeout = seconds;
}

void CTAPIModemConnection::RegisterClass() {
    ArchiveClassRegistry<CConnection>::Register("CTAPIModemConnection",
                                                [] { return new CTAPIModemConnection; });
    CSiteConnection::RegisterTransportFactory(CSiteConnection::TYPE_WINDOWSMODEM,
                                              [] { return new CTAPIModemConnection; });
}
