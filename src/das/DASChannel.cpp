#include "das/DASChannel.h"

#include "base/StateLock.h"
#include "das/DASEvent.h"
#include "das/DASText.h"
#include "das/DataRecordSet.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ArchiveList.h"
#include "model/InstrumentKeywords.h"

#include <atomic>
#include <ctime>
#include <mutex>

namespace {

enum : unsigned { IDS_CHANNEL_TEXT = 61297, IDS_NAME_ONLY = 61318 };

std::atomic<uint32_t> g_nextHandle{1};
std::mutex g_editorLock;
CDASChannel::Editor g_editor;

bool Expect(TokenStream& ts, int code, int hint = HINT_NONE) {
    if (ts.GetToken(hint) == code)
        return true;
    ts.NoteError();
    return false;
}

// An integer within lo..hi; anything else is noted as the error.
bool ReadInt(TokenStream& ts, int32_t lo, int32_t hi, int32_t& value, int hint = HINT_NONE) {
    if (ts.GetToken(hint) != TOKEN_INTEGER || ts.GetIntValue() < lo || ts.GetIntValue() > hi) {
        ts.NoteError();
        return false;
    }
    value = ts.GetIntValue();
    return true;
}

// days ":" hours ":" minutes
bool ReadPeriod(TokenStream& ts, TimeSpan& span) {
    int32_t days = 0, hours = 0, minutes = 0;
    if (!ReadInt(ts, 0, 366, days) || !Expect(ts, TOK_COLON) || !ReadInt(ts, 0, 23, hours) ||
        !Expect(ts, TOK_COLON) || !ReadInt(ts, 0, 59, minutes))
        return false;
    span = TimeSpan(static_cast<uint32_t>(days), static_cast<uint32_t>(hours),
                    static_cast<uint32_t>(minutes), 0);
    return true;
}

bool ReadSwitch(TokenStream& ts, int onCode, int offCode, bool& value) {
    const int code = ts.GetToken();
    if (code != onCode && code != offCode) {
        ts.NoteError();
        return false;
    }
    value = code == onCode;
    return true;
}

const char* Word(bool on) {
    return on ? "enabled" : "disabled";
}

} // namespace

CDASChannel::CDASChannel(CInstrumentConnection* instrument)
    : CNamedObject(std::string(), 0), m_handle(g_nextHandle++), m_instrument(instrument),
      m_startDate(DateTime::Now().GetYear(), 1, 1), m_activeSelection(&m_selection) {}

CDASChannel::CDASChannel(const CDASChannel& other)
    : CNamedObject(other), InstrumentOwned(), m_handle(g_nextHandle++),
      m_activeSelection(&m_selection) {
    StateGuard guard(AppStateLock());
    m_instrument = other.m_instrument;
    for (const CNamedObject* obj : other.m_parameters) {
        auto* p = static_cast<CDASParameter*>(obj->Clone());
        p->SetChannel(this);
        m_parameters.AddTail(p);
    }
    m_event = other.m_event;
    m_file = other.m_file;
    m_records = other.m_records;
    m_startDate = other.m_startDate;
    m_samplePeriod = other.m_samplePeriod;
    m_reportPeriod = other.m_reportPeriod;
    m_printReports = other.m_printReports;
    m_compactReports = other.m_compactReports;
    m_enabled = other.m_enabled;
    m_holdOff = other.m_holdOff;
    m_selection = other.m_selection;
    m_autoDownloadFile = other.m_autoDownloadFile;
    m_lastDownloadTime = other.m_lastDownloadTime;
    m_autoDownloadPeriod = other.m_autoDownloadPeriod;
    m_downloaded = other.m_downloaded;
    m_appendToFile = other.m_appendToFile;
    m_selected = other.m_selected;
    m_expanded = other.m_expanded;
}

CDASChannel::~CDASChannel() {
    StateGuard guard(AppStateLock());
    m_parameters.DeleteAll();
}

CNamedObject* CDASChannel::Clone() const {
    return new CDASChannel(*this);
}

void CDASChannel::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    CNamedObject::Serialize(ar);
    if (ar.IsStoring()) {
        WriteObjectList(ar, m_parameters);
        m_selection.Serialize(ar);
        ar.WriteString(m_event);
        ar.WriteString(m_file);
        ar.WriteString(m_autoDownloadFile);
        ar.WriteInt32(m_records);
        ar.WriteUInt32(m_startDate.GetSeconds());
        ar.WriteUInt32(m_samplePeriod.GetTotalSeconds());
        ar.WriteUInt32(m_reportPeriod.GetTotalSeconds());
        ar.WriteUInt32(m_lastDownloadTime);
        ar.WriteUInt32(m_autoDownloadPeriod.GetTotalSeconds());
        for (bool b : {m_printReports, m_compactReports, m_enabled, m_holdOff, m_downloaded,
                       m_appendToFile, m_selected, m_expanded})
            ar.WriteBool(b);
        return;
    }
    m_parameters.DeleteAll();
    ReadObjectList(ar, m_parameters, "CDASParameter");
    for (CNamedObject* obj : m_parameters)
        static_cast<CDASParameter*>(obj)->SetChannel(this);
    m_selection.Serialize(ar);
    m_event = ar.ReadString();
    m_file = ar.ReadString();
    m_autoDownloadFile = ar.ReadString();
    m_records = ar.ReadInt32();
    m_startDate = DateTime(ar.ReadUInt32());
    m_samplePeriod = TimeSpan(ar.ReadUInt32());
    m_reportPeriod = TimeSpan(ar.ReadUInt32());
    m_lastDownloadTime = ar.ReadUInt32();
    m_autoDownloadPeriod = TimeSpan(ar.ReadUInt32());
    for (bool* b : {&m_printReports, &m_compactReports, &m_enabled, &m_holdOff, &m_downloaded,
                    &m_appendToFile, &m_selected, &m_expanded})
        *b = ar.ReadBool();
}

void CDASChannel::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CDASChannel", [] { return new CDASChannel; });
}

bool CDASChannel::Edit() {
    Editor editor;
    {
        std::lock_guard<std::mutex> guard(g_editorLock);
        editor = g_editor;
    }
    return editor ? editor(*this) : false;
}

void CDASChannel::SetEditor(Editor editor) {
    std::lock_guard<std::mutex> guard(g_editorLock);
    g_editor = std::move(editor);
}

// ---- script and listing ------------------------------------------------------------------

bool CDASChannel::Parse(TokenStream& ts, unsigned flags) {
    return (flags & TEXT_SCRIPT) ? ParseScript(ts) : ParseListing(ts);
}

bool CDASChannel::ParseScript(TokenStream& ts) {
    if (ts.GetTokenCode() != KW_CHANNELBEGIN) {
        ts.NoteError();
        return false;
    }
    for (;;) {
        int32_t a = 0, b = 0, c = 0;
        bool on = false;
        TimeSpan span;
        switch (ts.GetToken()) {
        case KW_CHANNELEND:
            ts.GetToken();
            return true;
        case KW_RECORDS:
            if (!Expect(ts, TOKEN_INTEGER))
                return false;
            SetRecords(ts.GetIntValue());
            break;
        case KW_NAME:
            if (!Expect(ts, TOKEN_STRING))
                return false;
            SetName(ts.GetTokenText());
            break;
        case KW_EVENT:
            if (!Expect(ts, TOKEN_STRING))
                return false;
            SetEvent(ts.GetTokenText());
            break;
        case KW_FILE:
            if (!Expect(ts, TOKEN_STRING))
                return false;
            SetFile(ts.GetTokenText());
            break;
        case KW_STARTDATE:
            // month "/" day "/" year
            if (!ReadInt(ts, 1, 12, a) || !Expect(ts, TOK_SLASH) || !ReadInt(ts, 1, 31, b) ||
                !Expect(ts, TOK_SLASH) || !Expect(ts, TOKEN_INTEGER))
                return false;
            c = ts.GetIntValue();
            SetStartDate(DateTime(c, a, b));
            break;
        case KW_SAMPLEPERIOD:
            if (!ReadPeriod(ts, span))
                return false;
            SetSamplePeriod(span);
            break;
        case KW_REPORTPERIOD:
            if (!ReadPeriod(ts, span))
                return false;
            SetReportPeriod(span);
            break;
        case KW_REPORT:
            if (!ReadSwitch(ts, KW_ENABLED, KW_DISABLED, on))
                return false;
            SetPrintReports(on);
            break;
        case KW_COMPACT:
            if (!ReadSwitch(ts, KW_ENABLED, KW_DISABLED, on))
                return false;
            SetCompactReports(on);
            break;
        case KW_STATUS:
            if (!ReadSwitch(ts, KW_ENABLED, KW_DISABLED, on))
                return false;
            SetEnabled(on);
            break;
        case KW_HOLDOFF:
            if (!ReadSwitch(ts, KW_ENABLED, KW_DISABLED, on))
                return false;
            SetHoldOff(on);
            break;
        case KW_PARAMLISTBEGIN:
            m_parameters.DeleteAll();
            ts.GetToken();
            while (ts.GetTokenCode() == KW_PARAMETER) {
                auto* p = new CDASParameter(this);
                if (!p->Parse(ts, TEXT_SCRIPT)) {
                    delete p;
                    return false;
                }
                m_parameters.AddTail(p);
            }
            if (ts.GetTokenCode() != KW_PARAMLISTEND) {
                ts.NoteError();
                return false;
            }
            break;
        default:
            ts.NoteError();
            return false;
        }
    }
}

bool CDASChannel::ParseListing(TokenStream& ts) {
    int code = ts.GetTokenCode();
    for (;;) {
        int32_t a = 0, b = 0;
        bool on = false;
        TimeSpan span;
        switch (code) {
        case PH_SETUP_PROPERTIES_FOR:
        case PH_NAME:
            if (!Expect(ts, TOKEN_STRING))
                return false;
            SetName(ts.GetTokenText());
            code = ts.GetToken();
            if (code == TOK_COLON)
                code = ts.GetToken();
            continue;
        case PH_EVENT:
            if (!Expect(ts, TOKEN_STRING))
                return false;
            SetEvent(ts.GetTokenText());
            break;
        case PH_STARTING_DATE: {
            // day "-" MON "-" year: the dashes are punctuation, never a sign.
            if (!ReadInt(ts, 1, 31, a, HINT_SIGN_IS_PUNCTUATION) ||
                !Expect(ts, TOKEN_MINUS, HINT_SIGN_IS_PUNCTUATION))
                return false;
            const int month = ts.GetToken(HINT_SIGN_IS_PUNCTUATION);
            if (month < KW_JAN || month > KW_DEC) {
                ts.NoteError();
                return false;
            }
            if (!Expect(ts, TOKEN_MINUS, HINT_SIGN_IS_PUNCTUATION) ||
                !Expect(ts, TOKEN_INTEGER, HINT_SIGN_IS_PUNCTUATION))
                return false;
            SetStartDate(DateTime(ts.GetIntValue(), month - KW_JAN + 1, a));
            break;
        }
        case PH_SAMPLE_PERIOD:
            if (!ReadPeriod(ts, span))
                return false;
            SetSamplePeriod(span);
            break;
        case PH_REPORT_PERIOD:
            if (!ReadPeriod(ts, span))
                return false;
            SetReportPeriod(span);
            break;
        case PH_FILE_NAME: {
            ts.SkipBlanks();
            std::string rest = ts.RestOfLine();
            if (rest.empty()) {
                ts.NoteError();
                return false;
            }
            if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
                rest = rest.substr(1, rest.size() - 2);
            SetFile(rest);
            break;
        }
        case PH_NUMBER_OF_RECORDS:
            if (!Expect(ts, TOKEN_INTEGER))
                return false;
            SetRecords(ts.GetIntValue());
            break;
        case PH_RS232_REPORT:
            if (!ReadSwitch(ts, KW_ON, KW_OFF, on))
                return false;
            SetPrintReports(on);
            break;
        case PH_COMPACT_REPORT:
            if (!ReadSwitch(ts, KW_ON, KW_OFF, on))
                return false;
            SetCompactReports(on);
            break;
        case PH_CHANNEL_ENABLED:
            if (!ReadSwitch(ts, KW_ON, KW_OFF, on))
                return false;
            SetEnabled(on);
            break;
        case PH_CAL_HOLD_OFF:
            if (!ReadSwitch(ts, KW_ON, KW_OFF, on))
                return false;
            SetHoldOff(on);
            break;
        case PH_PARAMETERS:
            if (!Expect(ts, TOKEN_INTEGER))
                return false;
            b = ts.GetIntValue();
            m_parameters.DeleteAll();
            ts.GetToken();
            for (int32_t i = 0; i < b; ++i) {
                auto* p = new CDASParameter(this);
                if (!p->Parse(ts, 0)) {
                    delete p;
                    return false;
                }
                m_parameters.AddTail(p);
            }
            return true;
        default:
            return false;
        }
        code = ts.GetToken();
    }
}

std::string CDASChannel::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    const std::string name = GetName();
    if (flags & TEXT_NAME_ONLY)
        return FormatText(IDS_NAME_ONLY, name.c_str());
    if (!(flags & TEXT_SCRIPT))
        return FormatText(IDS_CHANNEL_TEXT, name.c_str(), m_event.c_str(),
                          static_cast<int>(m_records));
    std::string text =
        "  channelbegin\r\n    name \"" + name + "\"\r\n    event \"" + m_event + "\"\r\n";
    const auto* event =
        m_instrument ? dynamic_cast<CDASEvent*>(m_instrument->DasEvents().FindByName(m_event))
                     : nullptr;
    if (event && event->IsTimerEvent()) {
        text += FormatPrintf("    startdate %d/%d/%d\r\n", m_startDate.GetMonth(),
                             m_startDate.GetDay(), m_startDate.GetYear());
        text += FormatPrintf("    sampleperiod %03u:%02u:%02u\r\n", m_samplePeriod.GetDays(),
                             m_samplePeriod.GetHours(), m_samplePeriod.GetMinutes());
        text += FormatPrintf("    reportperiod %03u:%02u:%02u\r\n", m_reportPeriod.GetDays(),
                             m_reportPeriod.GetHours(), m_reportPeriod.GetMinutes());
    }
    text += FormatPrintf("    records %d\r\n    report %s\r\n    compact %s\r\n    status %s\r\n"
                         "    holdoff %s\r\n    paramlistbegin\r\n",
                         m_records, Word(m_printReports), Word(m_compactReports), Word(m_enabled),
                         Word(m_holdOff));
    for (const CNamedObject* obj : m_parameters)
        text += static_cast<const CDASParameter*>(obj)->GetText(TEXT_SCRIPT);
    text += "    paramlistend\r\n  channelend\r\n";
    return text;
}

// ---- accessors ---------------------------------------------------------------------------

void CDASChannel::SetOwnerInstrument(CInstrumentConnection* owner) {
    StateGuard guard(AppStateLock());
    m_instrument = owner;
}

CDASChannel* CDASChannel::FindByHandle(const CInstrumentConnection& instrument, uint32_t handle) {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : instrument.DasChannels()) {
        auto* ch = static_cast<CDASChannel*>(obj);
        if (ch->m_handle == handle)
            return ch;
    }
    return nullptr;
}

CInstrumentConnection* CDASChannel::GetInstrument() const {
    StateGuard guard(AppStateLock());
    return m_instrument;
}

CDASParameter* CDASChannel::GetParameter(size_t index) const {
    StateGuard guard(AppStateLock());
    return static_cast<CDASParameter*>(m_parameters.At(index));
}

bool CDASChannel::CanAddParameter() const {
    return m_parameters.GetCount() < kMaxParameters;
}

#define LOCKED(type, name, member)                                                                 \
    type CDASChannel::Get##name() const {                                                          \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }                                                                                              \
    void CDASChannel::Set##name(type value) {                                                      \
        StateGuard guard(AppStateLock());                                                          \
        member = value;                                                                            \
    }

LOCKED(int32_t, Records, m_records)
LOCKED(bool, PrintReports, m_printReports)
LOCKED(bool, CompactReports, m_compactReports)
LOCKED(bool, Enabled, m_enabled)
LOCKED(bool, HoldOff, m_holdOff)
LOCKED(uint32_t, LastDownloadTime, m_lastDownloadTime)
LOCKED(bool, Downloaded, m_downloaded)
LOCKED(bool, AppendToFile, m_appendToFile)
LOCKED(bool, Expanded, m_expanded)
#undef LOCKED

#define LOCKED_REF(type, name, member)                                                             \
    type CDASChannel::Get##name() const {                                                          \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }                                                                                              \
    void CDASChannel::Set##name(const type& value) {                                               \
        StateGuard guard(AppStateLock());                                                          \
        member = value;                                                                            \
    }

LOCKED_REF(std::string, Event, m_event)
LOCKED_REF(std::string, File, m_file)
LOCKED_REF(DateTime, StartDate, m_startDate)
LOCKED_REF(TimeSpan, SamplePeriod, m_samplePeriod)
LOCKED_REF(TimeSpan, ReportPeriod, m_reportPeriod)
LOCKED_REF(std::string, AutoDownloadFile, m_autoDownloadFile)
LOCKED_REF(TimeSpan, AutoDownloadPeriod, m_autoDownloadPeriod)
#undef LOCKED_REF

CSelectionSet* CDASChannel::GetActiveSelection() const {
    StateGuard guard(AppStateLock());
    return m_activeSelection;
}

void CDASChannel::SetActiveSelection(CSelectionSet* selection) {
    StateGuard guard(AppStateLock());
    m_activeSelection = selection ? selection : &m_selection;
}

bool CDASChannel::IsSelected() const {
    StateGuard guard(AppStateLock());
    return m_selected;
}

void CDASChannel::SetSelected(bool selected) {
    StateGuard guard(AppStateLock());
    m_selected = selected;
    for (CNamedObject* obj : m_parameters)
        static_cast<CDASParameter*>(obj)->SetSelected(selected);
}

void CDASChannel::SetSelectedOnly(bool selected) {
    StateGuard guard(AppStateLock());
    m_selected = selected;
}

void CDASChannel::ClearRecords() {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : m_parameters)
        static_cast<CDASParameter*>(obj)->ClearRecords();
}

void CDASChannel::RestoreStoreSamples() {
    StateGuard guard(AppStateLock());
    for (CNamedObject* obj : m_parameters) {
        auto* p = static_cast<CDASParameter*>(obj);
        p->SetInstrumentStoresSamples(p->GetStoreSamples());
    }
}

bool CDASChannel::AnyParameterSelected() const {
    StateGuard guard(AppStateLock());
    for (const CNamedObject* obj : m_parameters)
        if (static_cast<const CDASParameter*>(obj)->IsSelected())
            return true;
    return false;
}

bool CDASChannel::IsAutoDownloadDue(uint32_t now) const {
    StateGuard guard(AppStateLock());
    if (!m_downloaded)
        return true;
    return now > m_lastDownloadTime &&
           now - m_lastDownloadTime >= m_autoDownloadPeriod.GetTotalSeconds();
}

bool CDASChannel::IsAutoDownloadDue() const {
    return IsAutoDownloadDue(static_cast<uint32_t>(std::time(nullptr)));
}

int CDASChannel::GetRecordSize() const {
    StateGuard guard(AppStateLock());
    int size = 6;
    for (const CNamedObject* obj : m_parameters)
        size += static_cast<const CDASParameter*>(obj)->GetInstrumentStoresSamples() ? 8 : 4;
    return size;
}

void CDASChannel::FillRecordSet(CDataRecordSet& set) const {
    StateGuard guard(AppStateLock());
    set.Clear();
    bool first = true;
    int32_t setNumber = 0;
    for (CNamedObject* obj : m_parameters) {
        auto* p = static_cast<CDASParameter*>(obj);
        if (!m_selected && !p->IsSelected())
            continue;
        if (first) {
            setNumber = p->GetSetNumber();
            first = false;
        } else if (p->GetSetNumber() != setNumber) {
            continue;
        }
        set.Add(p);
    }
}
