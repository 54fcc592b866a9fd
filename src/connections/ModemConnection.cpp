#include "connections/ModemConnection.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "connections/ModemSettings.h"
#include "connections/ModemStatus.h"
#include "connections/ModemTimings.h"
#include "connections/SiteConnection.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "platform/LinkClock.h"
#include "platform/TelephonyClock.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

CModemSettings* FindModem(uint32_t id) {
    AppServices* app = AppServices::Get();
    if (!app || id == 0)
        return nullptr;
    return dynamic_cast<CModemSettings*>(app->FindObject(ObjectKind::Modem, id));
}

// Built piece by piece: GCC 12 warns falsely about overlapping copies in "\"" + s + "\"".
std::string Quoted(const std::string& text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

void Line(std::string& out, int keyword, const std::string& value) {
    out += "  ";
    out += ConfigFileTokenStream::TokenName(keyword);
    out += " = ";
    out += value;
    out += "\r\n";
}

} // namespace

CModemConnection::CModemConnection(const CModemConnection& other) : CCommPortConnection(other) {
    StateGuard guard(AppStateLock());
    m_modemId = other.m_modemId;
    m_telephoneNumber = other.m_telephoneNumber;
    m_connectTimeout = other.m_connectTimeout;
}

CModemConnection::~CModemConnection() {
    // No modem dialogue here (it takes seconds); the port closing lowers DTR, which hangs
    // up a modem that is set to follow it.
    Detach();
}

// ---- fields --------------------------------------------------------------------------------

uint32_t CModemConnection::GetModemId() const {
    StateGuard guard(AppStateLock());
    return m_modemId;
}
void CModemConnection::SetModemId(uint32_t id) {
    StateGuard guard(AppStateLock());
    m_modemId = id;
}
std::string CModemConnection::GetTelephoneNumber() const {
    StateGuard guard(AppStateLock());
    return m_telephoneNumber;
}
void CModemConnection::SetTelephoneNumber(const std::string& number) {
    StateGuard guard(AppStateLock());
    m_telephoneNumber = number;
}
int32_t CModemConnection::GetConnectTimeout() const {
    StateGuard guard(AppStateLock());
    return m_connectTimeout;
}
void CModemConnection::SetConnectTimeout(int32_t seconds) {
    StateGuard guard(AppStateLock());
    m_connectTimeout = seconds;
}
bool CModemConnection::HasModemAttached() const {
    StateGuard guard(AppStateLock());
    return m_attached.present;
}

// ---- archive and text form -----------------------------------------------------------------

void CModemConnection::Serialize(CArchive& ar) {
    const unsigned schema = ar.IsStoring() ? kSchema : ar.GetObjectSchema();
    SerializeSerial(ar, schema); // refuses schemas above 1
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        ar.WriteUInt32(m_modemId);
        ar.WriteString(m_telephoneNumber);
        ar.WriteInt32(m_connectTimeout);
    } else {
        m_modemId = ar.ReadUInt32();
        m_telephoneNumber = ar.ReadString();
        m_connectTimeout = ar.ReadInt32();
    }
}

bool CModemConnection::ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) {
    bool taken = false;
    for (;;) {
        const int serial = ReadSerialLine(ts);
        if (serial < 0)
            return false;
        if (serial > 0) {
            taken = true;
            continue;
        }
        const int key = ts.GetTokenCode();
        int wanted;
        switch (key) {
        case CFG_SITE_MODEM:
        case CFG_SITE_TELEPHONE:
            wanted = TOKEN_STRING;
            break;
        case CFG_SITE_CONNECT_TIMEOUT:
            wanted = TOKEN_INTEGER;
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
            if (key == CFG_SITE_MODEM) {
                // The definitions of the same file come first; a name not among them
                // leaves the reference as it was.
                if (const CNamedObject* modem = modems.FindByName(ts.GetTokenText()))
                    m_modemId = modem->GetId();
            } else if (key == CFG_SITE_TELEPHONE) {
                m_telephoneNumber = ts.GetTokenText();
            } else {
                m_connectTimeout = ts.GetIntValue();
            }
        }
        taken = true;
        ts.GetToken();
    }
}

void CModemConnection::WriteConfig(std::string& out, const CNamedObjectList& modems) const {
    {
        StateGuard guard(AppStateLock());
        if (const CNamedObject* modem = modems.FindById(m_modemId); modem && m_modemId != 0)
            Line(out, CFG_SITE_MODEM, Quoted(modem->GetName()));
        Line(out, CFG_SITE_TELEPHONE, Quoted(m_telephoneNumber));
        Line(out, CFG_SITE_CONNECT_TIMEOUT, std::to_string(m_connectTimeout));
    }
    WriteSerialLines(out);
}

void CModemConnection::RegisterClass() {
    ArchiveClassRegistry<CConnection>::Register("CModemConnection",
                                                [] { return new CModemConnection; });
    CSiteConnection::RegisterTransportFactory(CSiteConnection::TYPE_BUILTINMODEM,
                                              [] { return new CModemConnection; });
}

// ---- the modem dialogue --------------------------------------------------------------------

bool CModemConnection::SendModemCommand(const std::string& command, bool waitForOk) {
    std::string ok;
    {
        StateGuard guard(AppStateLock());
        if (!m_attached.present || command.empty())
            return false;
        ok = m_attached.ok;
    }
    const std::string text = command + "\r";
    if (waitForOk && !ok.empty()) {
        const unsigned wait = ModemTimings::Get().commandReplyMs;
        for (int attempt = 0; attempt < kCommandTries; ++attempt) {
            Purge();
            Write(text);
            if (WaitForResponse(ok, wait))
                return true;
        }
        return false;
    }
    Purge();
    Write(text);
    return false;
}

bool CModemConnection::WaitForResponse(const std::string& expected, unsigned timeoutMs) {
    if (expected.empty())
        return false;
    const std::string wanted = Upper(expected);
    // Each line may take the whole time-out, as long as lines keep coming: an echo followed
    // by a slow OK still counts. A line that never stops talking (a modem repeating RING,
    // noise at the wrong speed) would hold the site's worker for ever, though, and nothing
    // else ends this wait (the disconnect request is seen only between countdown steps), so
    // the lines together get a generous multiple of the time-out and no more.
    const long long limit = static_cast<long long>(timeoutMs) * kResponseLimitFactor;
    const auto start = LinkClock::Now();
    unsigned wait = timeoutMs;
    for (;;) {
        const std::string line = ReadString(wait, '\n');
        if (line.empty())
            return false;
        if (Upper(line).find(wanted) != std::string::npos)
            return true;
        const long long spent = LinkClock::ElapsedMs(start);
        if (spent > limit)
            return false;
        wait = static_cast<unsigned>(std::min<long long>(timeoutMs, limit - spent));
    }
}

bool CModemConnection::Open(CInstrumentConnection* inst) {
    Attached attached;
    std::string number;
    int32_t timeout;
    {
        StateGuard guard(AppStateLock());
        if ((inst && inst->GetDisconnectRequested()) || IsOpen() || m_attached.present)
            return false;
        CModemSettings* modem = FindModem(m_modemId);
        if (!modem)
            return false;
        attached.present = true;
        attached.id = m_modemId;
        attached.toneDial = modem->GetToneDial();
        attached.escape = modem->GetEscape();
        attached.hangup = modem->GetHangup();
        attached.initialization = modem->GetInitialization();
        attached.reset = modem->GetReset();
        attached.ok = modem->GetOkResponse();
        attached.connect = modem->GetConnectResponse();
        number = m_telephoneNumber;
        timeout = m_connectTimeout;
    }
    if (!OpenPort())
        return false;
    {
        StateGuard guard(AppStateLock());
        CModemSettings* modem = FindModem(attached.id);
        if (!modem) {
            // Deleted while the port opened: nothing to dial with.
            ReleasePort();
            return false;
        }
        modem->IncrementInUse();
        m_attached = attached;
    }
    const ModemTimings timings = ModemTimings::Get();

    // A modem that never says OK is still dialed: some answer only once reset has settled.
    SendModemCommand(attached.reset, true);
    SendModemCommand(attached.initialization, true);
    if (inst)
        inst->SetDisplayText(ModemDialingText(number));
    SendModemCommand(attached.toneDial + number, false);
    TelephonyClock::Sleep(timings.dialPauseMs);

    for (int32_t n = timeout; n >= 1; --n) {
        if ((inst && inst->GetDisconnectRequested()) || IsCancelled())
            break;
        if (inst)
            inst->SetDisplayText(ModemWaitingText(n));
        if (WaitForResponse(attached.connect, timings.connectStepMs))
            return true;
    }
    Close();
    return false;
}

void CModemConnection::Detach() {
    StateGuard guard(AppStateLock());
    if (!m_attached.present)
        return;
    if (CModemSettings* modem = FindModem(m_attached.id))
        modem->DecrementInUse();
    m_attached = Attached{};
}

bool CModemConnection::Close() {
    if (!IsOpen())
        return false;
    Attached attached;
    {
        StateGuard guard(AppStateLock());
        attached = m_attached;
    }
    if (attached.present) {
        const ModemTimings timings = ModemTimings::Get();
        TelephonyClock::Sleep(timings.guardMs);
        Write(attached.escape);
        WaitForResponse(attached.ok, timings.escapeReplyMs);
        SendModemCommand(attached.hangup, true);
        SendModemCommand(attached.reset, true);
        Detach();
    }
    return CCommPortConnection::Close();
}
