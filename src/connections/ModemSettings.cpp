#include "connections/ModemSettings.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"

#include <mutex>

namespace {

enum : unsigned { IDS_IN_USE = 61232 };

const char* const kDefaultName = "Standard";
const char* const kDefaultToneDial = "ATDT";
const char* const kDefaultEscape = "+++";
const char* const kDefaultHangup = "ATH0";
const char* const kDefaultInitialization = "AT &F E0 M0 Q0 V1";
const char* const kDefaultReset = "ATZ";
const char* const kDefaultOk = "OK";
const char* const kDefaultConnect = "CONNECT";

std::mutex g_editorLock;
CModemSettings::PropertiesEditor g_editor;

uint32_t FreshObjectId() {
    return AppNewObjectId();
}

void AppendLine(std::string& out, const char* indent, const char* keyword,
                const std::string& value) {
    out += indent;
    out += keyword;
    out += " = \"";
    out += value;
    out += "\"\r\n";
}

// Keywords of a modem block whose string value is read and thrown away.
bool IsIgnoredStringKey(int code) {
    switch (code) {
    case CFG_MODEM_COMMAND_PREFIX:
    case CFG_MODEM_COMMAND_TERMINATOR:
    case CFG_MODEM_PULSE_DIAL:
    case CFG_MODEM_SET_REGISTER:
    case CFG_MODEM_GET_REGISTER:
    case CFG_MODEM_AUTO_ANSWER_ON:
    case CFG_MODEM_AUTO_ANSWER_OFF:
    case CFG_MODEM_ANSWER:
    case CFG_MODEM_ECHO_ON:
    case CFG_MODEM_ECHO_OFF:
    case CFG_MODEM_FORCE_MODEM_ONLINE:
    case CFG_MODEM_ON_HOOK:
    case CFG_MODEM_OFF_HOOK:
    case CFG_MODEM_NUMERIC_RESPONSES:
    case CFG_MODEM_VERBAL_RESPONSES:
        return true;
    default:
        return false;
    }
}

} // namespace

CModemSettings::CModemSettings() : CNamedObject(kDefaultName, FreshObjectId()) {
    SetDefaults();
}

CModemSettings::CModemSettings(const CModemSettings& other) : CNamedObject(other) {
    SetId(FreshObjectId());
    StateGuard guard(AppStateLock());
    m_toneDial = other.m_toneDial;
    m_escape = other.m_escape;
    m_hangup = other.m_hangup;
    m_initialization = other.m_initialization;
    m_reset = other.m_reset;
    m_okResponse = other.m_okResponse;
    m_connectResponse = other.m_connectResponse;
}

void CModemSettings::SetDefaults() {
    SetName(kDefaultName);
    StateGuard guard(AppStateLock());
    m_toneDial = kDefaultToneDial;
    m_escape = kDefaultEscape;
    m_hangup = kDefaultHangup;
    m_initialization = kDefaultInitialization;
    m_reset = kDefaultReset;
    m_okResponse = kDefaultOk;
    m_connectResponse = kDefaultConnect;
}

void CModemSettings::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        CNamedObject::Serialize(ar);
        for (const std::string* s : {&m_toneDial, &m_escape, &m_hangup, &m_initialization, &m_reset,
                                     &m_okResponse, &m_connectResponse})
            ar.WriteString(*s);
        return;
    }
    const unsigned schema = ar.GetObjectSchema();
    if (schema != 6 && schema != 7)
        throw CArchiveException(CArchiveException::BadSchema,
                                "CModemSettings schema " + std::to_string(schema));
    CNamedObject::Serialize(ar);
    if (schema == 6)
        (void)ar.ReadString();
    for (std::string* s : {&m_toneDial, &m_escape, &m_hangup, &m_initialization, &m_reset,
                           &m_okResponse, &m_connectResponse})
        *s = ar.ReadString();
    m_inUse = 0;
}

bool CModemSettings::ReadConfig(ConfigFileTokenStream& ts) {
    for (;;) {
        const int key = ts.GetTokenCode();
        std::string* target = nullptr;
        switch (key) {
        case CFG_MODEM_TONE_DIAL:
            target = &m_toneDial;
            break;
        case CFG_MODEM_ESCAPE:
            target = &m_escape;
            break;
        case CFG_MODEM_HANGUP:
            target = &m_hangup;
            break;
        case CFG_MODEM_INITIALIZATION_STRING:
            target = &m_initialization;
            break;
        case CFG_MODEM_RESET:
            target = &m_reset;
            break;
        case CFG_MODEM_OK:
            target = &m_okResponse;
            break;
        case CFG_MODEM_CONNECT:
            target = &m_connectResponse;
            break;
        default:
            if (key != CFG_MODEM_TIMEOUT && !IsIgnoredStringKey(key))
                return true; // not ours: the block ends here
        }
        if (ts.GetToken() != CFG_EQUALS) {
            ts.NoteError();
            return false;
        }
        const int wanted = key == CFG_MODEM_TIMEOUT ? TOKEN_INTEGER : TOKEN_STRING;
        if (ts.GetToken() != wanted) {
            ts.NoteError();
            return false;
        }
        if (target) {
            StateGuard guard(AppStateLock());
            *target = ts.GetTokenText();
        }
        ts.GetToken();
    }
}

void CModemSettings::WriteConfig(std::string& out) const {
    StateGuard guard(AppStateLock());
    out += "\r\n";
    AppendLine(out, "", "MODEM_NAME", GetName());
    AppendLine(out, "  ", "MODEM_TONE_DIAL", m_toneDial);
    AppendLine(out, "  ", "MODEM_ESCAPE", m_escape);
    AppendLine(out, "  ", "MODEM_HANGUP", m_hangup);
    AppendLine(out, "  ", "MODEM_INITIALIZATION_STRING", m_initialization);
    AppendLine(out, "  ", "MODEM_RESET", m_reset);
    AppendLine(out, "  ", "MODEM_OK", m_okResponse);
    AppendLine(out, "  ", "MODEM_CONNECT", m_connectResponse);
}

bool CModemSettings::EditProperties() {
    PropertiesEditor editor;
    {
        std::lock_guard<std::mutex> guard(g_editorLock);
        editor = g_editor;
    }
    return editor ? editor(*this) : false;
}

void CModemSettings::SetPropertiesEditor(PropertiesEditor editor) {
    std::lock_guard<std::mutex> guard(g_editorLock);
    g_editor = std::move(editor);
}

#define MODEM_STRING_ACCESSORS(Name, member)                                                       \
    std::string CModemSettings::Get##Name() const {                                                \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }                                                                                              \
    void CModemSettings::Set##Name(const std::string& s) {                                         \
        StateGuard guard(AppStateLock());                                                          \
        member = s;                                                                                \
    }

MODEM_STRING_ACCESSORS(ToneDial, m_toneDial)
MODEM_STRING_ACCESSORS(Escape, m_escape)
MODEM_STRING_ACCESSORS(Hangup, m_hangup)
MODEM_STRING_ACCESSORS(Initialization, m_initialization)
MODEM_STRING_ACCESSORS(Reset, m_reset)
MODEM_STRING_ACCESSORS(OkResponse, m_okResponse)
MODEM_STRING_ACCESSORS(ConnectResponse, m_connectResponse)

#undef MODEM_STRING_ACCESSORS

void CModemSettings::IncrementInUse() {
    StateGuard guard(AppStateLock());
    ++m_inUse;
}

void CModemSettings::DecrementInUse() {
    StateGuard guard(AppStateLock());
    if (m_inUse > 0)
        --m_inUse;
}

bool CModemSettings::IsInUse() const {
    StateGuard guard(AppStateLock());
    return m_inUse > 0;
}

int32_t CModemSettings::GetInUseCount() const {
    StateGuard guard(AppStateLock());
    return m_inUse;
}

std::string CModemSettings::GetDisplayName() const {
    StateGuard guard(AppStateLock());
    std::string name = GetName();
    if (m_inUse > 0)
        name += LoadString(IDS_IN_USE);
    return name;
}

void CModemSettings::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CModemSettings",
                                                 [] { return new CModemSettings; });
}
