#include "instruments/InstrumentProtocol.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "base/MessageTarget.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/InstrumentOwned.h"
#include "instruments/InstrumentPanel.h"
#include "instruments/SiteLink.h"
#include "model/CommInstrumentTokenStream.h"
#include "model/InstrumentKeywords.h"
#include "model/NamedObjectList.h"
#include "platform/Connection.h"
#include "platform/LinkClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

enum : unsigned {
    IDS_CONNECTING_TO = 61209,
    IDS_SETTING_MODE = 61210,
    IDS_LOGGING_ON = 61249,
    IDS_LOGON_FAILED = 61250,
    IDS_NO_SERIAL_NUMBER = 61317,
};

constexpr int32_t kModeBits = 0x1003;
constexpr int32_t kModeWanted = 0x0003;
constexpr int32_t kModeClear = 0x1000;
constexpr int kDisplayLineLength = 42;
constexpr size_t kDisplayColumns = 40;

std::string FormatWithString(unsigned id, const std::string& arg) {
    const std::string& f = LoadString(id);
    const size_t at = f.find("%s");
    if (at == std::string::npos)
        return f;
    return f.substr(0, at) + arg + f.substr(at + 2);
}

bool IsReplyLetter(int code) {
    return code >= CInstrumentProtocol::kReplyD && code <= CInstrumentProtocol::kReplyL;
}

// A day outside 1..366 counts as 1, hours outside 0..23 and minutes outside 0..59 as 0.
int64_t HeaderOffsetMinutes(int day, int hours, int minutes) {
    if (day < 1 || day > 366)
        day = 1;
    if (hours < 0 || hours > 23)
        hours = 0;
    if (minutes < 0 || minutes > 59)
        minutes = 0;
    return (static_cast<int64_t>(day) - 1) * 24 * 60 + hours * 60 + minutes;
}

// Bounds one reply in time: while it lives, no read of the stream goes past the reply's
// deadline. The stream's previous deadline comes back with its end.
class ReplyTime {
public:
    explicit ReplyTime(CommInstrumentTokenStream* ts) : m_ts(ts) {
        if (!m_ts)
            return;
        m_saved = m_ts->GetDeadline();
        const unsigned limit =
            m_ts->GetReceiveTimeout() * CInstrumentProtocol::kReplyLimitPercent / 100;
        m_ts->SetDeadline(LinkClock::Now() + std::chrono::milliseconds(limit));
    }
    ~ReplyTime() {
        if (m_ts)
            m_ts->SetDeadline(m_saved);
    }
    ReplyTime(const ReplyTime&) = delete;
    ReplyTime& operator=(const ReplyTime&) = delete;

private:
    CommInstrumentTokenStream* m_ts;
    std::optional<CommInstrumentTokenStream::TimePoint> m_saved;
};

} // namespace

const char CInstrumentProtocol::kWakeUp[] = "\x03\x03\r\n\r\n";

CInstrumentProtocol::CInstrumentProtocol(CInstrumentConnection& instrument) : m_inst(instrument) {}

SiteLink* CInstrumentProtocol::Site() const {
    return m_inst.GetSiteInUse();
}

CommInstrumentTokenStream* CInstrumentProtocol::Stream() const {
    return m_inst.GetStream();
}

bool CInstrumentProtocol::LinkCancelled() const {
    const CommInstrumentTokenStream* ts = Stream();
    return ts && ts->IsCancelled();
}

// ---- framing -------------------------------------------------------------------------------

std::string CInstrumentProtocol::FrameCommand(const std::string& type,
                                              const std::string& text) const {
    std::string line(1, '\x03');
    line += type;
    {
        StateGuard guard(AppStateLock());
        if (m_inst.GetUseInstrumentId())
            line += " " + std::to_string(m_inst.GetInstrumentId());
    }
    line += " ";
    line += text;
    line += "\r\n";
    return line;
}

bool CInstrumentProtocol::SendCommand(const std::string& type, const std::string& text) {
    SiteLink* site = Site();
    if (!m_inst.IsConnected() || !site)
        return false;
    return site->Send(FrameCommand(type, text), true);
}

void CInstrumentProtocol::Select() {
    SiteLink* site = Site();
    if (!m_inst.IsConnected())
        return;
    std::string code;
    {
        StateGuard guard(AppStateLock());
        const int32_t depth = m_inst.GetSelectDepth();
        if (depth == 0 && m_inst.GetUseSelect())
            code = m_inst.GetSelectCode();
        m_inst.SetSelectDepth(depth + 1);
    }
    if (!code.empty() && site)
        site->Send(code, true);
}

void CInstrumentProtocol::Deselect() {
    SiteLink* site = Site();
    if (!m_inst.IsConnected())
        return;
    std::string code;
    {
        StateGuard guard(AppStateLock());
        const int32_t depth = m_inst.GetSelectDepth();
        if (depth == 1 && m_inst.GetUseDeselect())
            code = m_inst.GetDeselectCode();
        m_inst.SetSelectDepth(depth - 1);
    }
    if (!code.empty() && site)
        site->Send(code, true);
}

int CInstrumentProtocol::ReadReplyHeader(int64_t& minutes, int& id) {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return TOKEN_END;
    ts->SetNeedLine(true);
    const int letter = ts->GetToken(HINT_NONE);
    if (!IsReplyLetter(letter))
        return letter;
    // Only the start of an over-long line was kept: whatever it looks like, it is no reply.
    if (ts->LastLineTooLong())
        return TOKEN_BAD;
    int values[4];
    const int expected[] = {TOKEN_INTEGER, TOK_COLON,     TOKEN_INTEGER,
                            TOK_COLON,     TOKEN_INTEGER, TOKEN_INTEGER};
    int n = 0;
    for (int code : expected) {
        if (ts->GetToken(HINT_NONE) != code)
            return TOKEN_BAD;
        if (code == TOKEN_INTEGER)
            values[n++] = ts->GetIntValue();
    }
    minutes = HeaderOffsetMinutes(values[0], values[1], values[2]);
    id = values[3];
    // On a line shared by several instruments, a late reply of another one must not be
    // taken for this one's.
    bool useId;
    int32_t ownId;
    {
        StateGuard guard(AppStateLock());
        useId = m_inst.GetUseInstrumentId();
        ownId = m_inst.GetInstrumentId();
    }
    if (useId && id != ownId) {
        AppLogMessage(LOG_ERROR, "Reply from instrument " + std::to_string(id) +
                                     " skipped; instrument " + std::to_string(ownId) +
                                     " was addressed.");
        return TOKEN_BAD;
    }
    return letter;
}

// ---- variables and log on ------------------------------------------------------------------

bool CInstrumentProtocol::ReadVariableReply(const std::string& name, bool real, int32_t& intValue,
                                            double& realValue, const int32_t* expected) {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return false;
    ReplyTime reply(ts);
    for (int line = 0; line < kMaxReplyLines; ++line) {
        int64_t minutes = 0;
        int id = 0;
        const int header = ReadReplyHeader(minutes, id);
        if (header == kReplyV && ts->GetToken(HINT_NONE) == TOKEN_STRING &&
            CNamedObjectList::NamesEqual(ts->GetTokenText(), name) &&
            ts->GetToken(HINT_NONE) == TOK_EQUALS) {
            const int code = ts->GetToken(real ? HINT_AS_REAL : HINT_NONE);
            if (!real && code == TOKEN_INTEGER && (!expected || ts->GetIntValue() == *expected)) {
                intValue = ts->GetIntValue();
                return true;
            }
            if (real && code == TOKEN_REAL) {
                realValue = ts->GetRealValue();
                return true;
            }
        }
        if (ts->GetTokenCode() == TOKEN_END)
            return false;
    }
    ts->NoteOverran();
    return false;
}

bool CInstrumentProtocol::GetIntVariable(const std::string& name, int32_t& value) {
    Select();
    bool ok = false;
    double unused = 0;
    for (int attempt = 0; attempt < kRetries && !ok && !LinkCancelled(); ++attempt) {
        SendCommand("v", name);
        ok = ReadVariableReply(name, false, value, unused);
    }
    Deselect();
    return ok;
}

bool CInstrumentProtocol::GetRealVariable(const std::string& name, double& value) {
    Select();
    bool ok = false;
    int32_t unused = 0;
    for (int attempt = 0; attempt < kRetries && !ok && !LinkCancelled(); ++attempt) {
        SendCommand("v", name);
        ok = ReadVariableReply(name, true, unused, value);
    }
    Deselect();
    return ok;
}

bool CInstrumentProtocol::SetIntVariable(const std::string& name, int32_t value) {
    Select();
    bool ok = false;
    char text[64];
    std::snprintf(text, sizeof text, "=%d", static_cast<int>(value));
    const std::string command = name + text;
    for (int attempt = 0; attempt < kRetries && !ok && !LinkCancelled(); ++attempt) {
        SendCommand("v", command);
        int32_t reported = 0;
        double unused = 0;
        ok = ReadVariableReply(name, false, reported, unused, &value);
    }
    Deselect();
    return ok;
}

bool CInstrumentProtocol::ReadLogReply(int successCode, int otherSuccessCode) {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return false;
    ReplyTime reply(ts);
    for (int line = 0; line < kMaxReplyLines; ++line) {
        int64_t minutes = 0;
        int id = 0;
        if (ReadReplyHeader(minutes, id) == kReplyL) {
            const int code = ts->GetToken(HINT_NONE);
            if (code == successCode || code == otherSuccessCode)
                return true;
        }
        if (ts->GetTokenCode() == TOKEN_END)
            return false;
    }
    ts->NoteOverran();
    return false;
}

bool CInstrumentProtocol::LogOn() {
    Select();
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(m_inst.GetPassword()));
    bool ok = false;
    for (int attempt = 0; attempt < kRetries && !ok && !LinkCancelled(); ++attempt) {
        SendCommand("logon", text);
        ok = ReadLogReply(PH_LOG_ON_SUCCESSFUL, PH_LOG_ON_SUCCESSFUL);
    }
    Deselect();
    return ok;
}

bool CInstrumentProtocol::LogOff() {
    Select();
    bool ok = false;
    for (int attempt = 0; attempt < kRetries && !ok && !LinkCancelled(); ++attempt) {
        SendCommand("logoff", "");
        ok = ReadLogReply(PH_LOG_OFF_SUCCESSFUL, PH_MUST_LOG_ON);
    }
    Deselect();
    return ok;
}

// ---- display and keys ----------------------------------------------------------------------

bool CInstrumentProtocol::ReadDisplay() {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return false;
    std::string collected;
    int lines = 0;
    ReplyTime reply(ts);
    for (int line = 0; line < kMaxReplyLines; ++line) {
        int64_t minutes = 0;
        int id = 0;
        if (ReadReplyHeader(minutes, id) == kReplyK) {
            const std::string rest = ts->RestOfLine();
            if (rest.size() == kDisplayLineLength) {
                collected += rest.substr(2, kDisplayColumns);
                if (++lines == 2) {
                    m_inst.SetDisplayText(collected);
                    return true;
                }
            }
        }
        if (ts->GetTokenCode() == TOKEN_END)
            return false;
    }
    ts->NoteOverran();
    return false;
}

bool CInstrumentProtocol::UpdateDisplay(bool retry) {
    if (!m_inst.IsConnected())
        return false;
    Select();
    for (;;) {
        const bool slash = m_inst.HasCapability(CAP_KEYBOARD_SLASH);
        for (int attempt = 0; attempt < kRetries && !LinkCancelled(); ++attempt) {
            if (slash)
                SendCommand("/", "k disp");
            else
                SendCommand("k", "disp");
            if (ReadDisplay()) {
                Deselect();
                return true;
            }
        }
        if (!(retry && slash) || LinkCancelled())
            break;
        StateGuard guard(AppStateLock());
        m_inst.SetCapabilities(m_inst.GetCapabilities() &
                               ~static_cast<uint32_t>(CAP_KEYBOARD_SLASH));
    }
    Deselect();
    return false;
}

void CInstrumentProtocol::SendKeys(const std::string& keys) {
    if (!m_inst.IsConnected() || keys.empty())
        return;
    m_inst.TouchActivity();
    Select();
    if (m_inst.HasCapability(CAP_KEYBOARD_SLASH))
        SendCommand("/", "k " + keys);
    else
        SendCommand("k", keys);
    ReadDisplay();
    Deselect();
}

// ---- connect and disconnect ----------------------------------------------------------------

void CInstrumentProtocol::NotifyConnected() {
    if (AppServices* app = AppServices::Get())
        app->NotifyConnectionChanged(m_inst.GetId());
}

void CInstrumentProtocol::DrainInput() {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return;
    CConnection& conn = ts->GetConnection();
    // Until the instrument has been quiet for a receive time-out; one that never stops
    // talking is given up on after a few, and a cancel ends the wait at once.
    const unsigned timeout = ts->GetReceiveTimeout();
    const long limit = static_cast<long>(timeout) * kDrainLimitTimeouts;
    const auto start = LinkClock::Now();
    while (!conn.IsCancelled()) {
        const long left = limit - LinkClock::ElapsedMs(start);
        if (left <= 0)
            break;
        if (conn.ReadString(std::min(timeout, static_cast<unsigned>(left)), -1).empty())
            break;
    }
}

void CInstrumentProtocol::Connect() {
    if (m_inst.IsConnected())
        return;
    AppServices* app = AppServices::Get();
    m_inst.AddIdleCount(-1);
    m_inst.SetConnected(true);
    NotifyConnected();
    if (app)
        app->RecomputeAnyInstrumentConnected();

    SiteLink* site = Site();
    auto finish = [&] {
        if (app)
            app->RecomputeAnyInstrumentConnected();
        m_inst.AddIdleCount(1);
    };
    // A connect that does not end connected lets go of its site, so that nothing is left
    // pointing at a site that may be deleted once its link is closed.
    auto dropConnected = [&] {
        m_inst.SetSiteInUse(nullptr);
        m_inst.SetConnected(false);
        NotifyConnected();
    };
    if (!site) {
        dropConnected();
        finish();
        return;
    }
    // A cancel left over from before this request (a disconnect request that reached the
    // worker between exchanges) is not for this connect.
    if (CConnection* conn = site->GetConnection())
        conn->ClearCancel();
    m_inst.SetDisplayText(FormatWithString(IDS_CONNECTING_TO, m_inst.GetName()));
    m_inst.SetDisconnectRequested(false);

    site->OpenLink(&m_inst);
    const bool open = site->IsConnected();
    if (!open || m_inst.GetDisconnectRequested()) {
        // A link opened for a connect that was cancelled meanwhile is given back, or it
        // would stay in use with no instrument left to release it.
        if (open)
            site->ReleaseLink(false);
        dropConnected();
        finish();
        return;
    }

    site->SetBusy(true);
    {
        StateGuard guard(AppStateLock());
        m_inst.SetSerialNumber(LoadString(IDS_NO_SERIAL_NUMBER));
        m_inst.SetSoftwareRevision(0);
        m_inst.SetLibraryRevision(0);
        m_inst.SetProtocolRevision(0);
        m_inst.SetCapabilities(0);
        m_inst.SetSelectDepth(0);
        m_inst.SetModeChange(false, 0);
        m_inst.SetDasModified(false);
        m_inst.SetSequencesModified(false);
        m_inst.SetDownloadCounter(0);
    }
    if (CConnection* conn = site->GetConnection())
        m_inst.SetStream(std::make_unique<CommInstrumentTokenStream>(
            *conn, static_cast<unsigned>(m_inst.GetReceiveTimeout())));

    std::string failureText;
    const Step step = RunConnectSteps(failureText);
    if (step == Step::Fail) {
        m_inst.SetDisplayText(failureText);
        // Not busy before the link goes: the last release sets the busy count to 0, and
        // marking it not busy after that would leave it at -1.
        site->SetBusy(false);
        site->ReleaseLink(false);
        m_inst.SetStream(nullptr);
        dropConnected();
    }
    Deselect();
    if (step != Step::Fail)
        site->SetBusy(false);
    m_inst.TouchActivity();
    finish();
}

CInstrumentProtocol::Step CInstrumentProtocol::RunConnectSteps(std::string& failureText) {
    SiteLink* site = Site();
    bool usePassword;
    std::string modeVar;
    {
        StateGuard guard(AppStateLock());
        usePassword = m_inst.GetUsePassword();
        modeVar = m_inst.GetModeVarName();
    }
    auto cancelled = [&] { return m_inst.GetDisconnectRequested() || LinkCancelled(); };

    Select();
    site->Send(std::string(kWakeUp, kWakeUpLength), true);

    if (usePassword)
        DrainInput();
    if (cancelled())
        return Step::Finish;
    if (usePassword) {
        m_inst.SetDisplayText(LoadString(IDS_LOGGING_ON));
        if (!LogOn()) {
            failureText = LoadString(IDS_LOGON_FAILED);
            return Step::Fail;
        }
    }

    if (cancelled())
        return Step::Finish;
    m_inst.SetDisplayText(LoadString(IDS_SETTING_MODE));
    int32_t mode = 0;
    if (GetIntVariable(modeVar, mode) && (mode & kModeBits) != kModeWanted) {
        m_inst.SetModeChange(true, mode);
        SetIntVariable(modeVar, (mode & ~kModeClear) | kModeWanted);
        if (usePassword && !LogOn()) {
            failureText = LoadString(IDS_LOGON_FAILED);
            return Step::Fail;
        }
    }

    if (cancelled())
        return Step::Finish;
    {
        StateGuard guard(AppStateLock());
        m_inst.SetCapabilities(m_inst.GetCapabilities() | CAP_KEYBOARD_SLASH);
    }
    UpdateDisplay(true);
    if (cancelled())
        return Step::Finish;

    double holdOff = 0;
    if (GetRealVariable("das_hold_off", holdOff)) {
        StateGuard guard(AppStateLock());
        m_inst.SetCapabilities(m_inst.GetCapabilities() | CAP_DAS);
    }
    if (cancelled())
        return Step::Finish;
    Identify();

    uint32_t caps;
    {
        StateGuard guard(AppStateLock());
        IdentificationFacts facts;
        caps = m_inst.GetCapabilities();
        facts.calibratorLine = (caps & CAP_CALIBRATOR) != 0;
        facts.amxLine = (caps & CAP_AMX) != 0;
        facts.hasDas = (caps & CAP_DAS) != 0;
        facts.slashKeyboard = (caps & CAP_KEYBOARD_SLASH) != 0;
        facts.softwareRevision = m_inst.GetSoftwareRevision();
        facts.libraryRevision = m_inst.GetLibraryRevision();
        facts.protocolRevision = m_inst.GetProtocolRevision();
        caps = DeriveCapabilities(facts) | CAP_IDENTIFIED;
        m_inst.SetCapabilities(caps);
    }
    {
        // Under the lock so that the panel cannot go away between the look-up and the post.
        StateGuard guard(AppStateLock());
        if (InstrumentPanel* panel = m_inst.GetFrontPanel())
            panel->Post(MSG_IDENTIFIED, (caps & CAP_DAS) ? 1 : (caps & CAP_CAL_SCRIPT), 0);
    }
    return Step::Done;
}

void CInstrumentProtocol::Identify() {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return;
    bool sawConfigLine = false;
    for (int attempt = 0; attempt < kRetries && !sawConfigLine && !LinkCancelled(); ++attempt) {
        SendCommand("v", "config");
        ReplyTime reply(ts);
        int line = 0;
        for (; line < kMaxReplyLines; ++line) {
            int64_t minutes = 0;
            int id = 0;
            const int expected[] = {KW_CONFIG, TOK_LBRACKET, TOKEN_INTEGER, TOK_RBRACKET,
                                    TOK_EQUALS};
            bool isConfig = ReadReplyHeader(minutes, id) == kReplyV;
            for (int code : expected)
                if (isConfig && ts->GetToken(HINT_NONE) != code)
                    isConfig = false;
            if (isConfig) {
                sawConfigLine = true;
                const int which = ts->GetToken(HINT_NONE);
                StateGuard guard(AppStateLock());
                if (which == PH_SERIAL_NUMBER) {
                    ts->SkipBlanks();
                    m_inst.SetSerialNumber(ts->RestOfLine());
                } else if (which == PH_REVISION) {
                    ts->SkipBlanks();
                    const std::string rev = ts->RestOfLine();
                    if (rev.size() >= 3) {
                        char letter = rev[0];
                        if (letter >= 'a' && letter <= 'z')
                            letter = static_cast<char>(letter - 'a' + 'A');
                        if (letter >= 'A' && letter <= 'Z' && rev[1] == '.' && rev[2] >= '0' &&
                            rev[2] <= '9')
                            m_inst.SetSoftwareRevision((letter - 'A' + 1) + (rev[2] - '0') * 0.1 +
                                                       0.05);
                    }
                } else if (which == PH_LIBRARY_REVISION) {
                    if (ts->GetToken(HINT_AS_REAL) == TOKEN_REAL)
                        m_inst.SetLibraryRevision(ts->GetRealValue() + 0.005);
                } else if (which == PH_VOSTRA_PROTOCOL_REV) {
                    if (ts->GetToken(HINT_AS_REAL) == TOKEN_REAL)
                        m_inst.SetProtocolRevision(ts->GetRealValue() + 0.005);
                } else if (which != TOKEN_END) {
                    const std::string rest = ts->RestOfLine();
                    uint32_t caps = m_inst.GetCapabilities();
                    if (rest.find("AMX") != std::string::npos)
                        caps |= CAP_AMX;
                    else if (rest.find("Calibrator") != std::string::npos)
                        caps |= CAP_CALIBRATOR;
                    m_inst.SetCapabilities(caps);
                }
            }
            if (ts->GetTokenCode() == TOKEN_END)
                break;
        }
        if (line == kMaxReplyLines)
            ts->NoteOverran();
    }
}

void CInstrumentProtocol::Disconnect() {
    if (!m_inst.IsConnected())
        return;
    // The disconnect request cancelled the reads of whatever ran before it; its own
    // exchanges (restoring the mode, logging off) read normally.
    if (CommInstrumentTokenStream* ts = Stream())
        ts->GetConnection().ClearCancel();
    AppServices* app = AppServices::Get();
    m_inst.AddIdleCount(-1);
    bool modeChanged, usePassword;
    int32_t savedMode;
    std::string modeVar;
    {
        StateGuard guard(AppStateLock());
        modeChanged = m_inst.GetModeChanged();
        savedMode = m_inst.GetSavedMode();
        usePassword = m_inst.GetUsePassword();
        modeVar = m_inst.GetModeVarName();
        for (CNamedObject* obj : m_inst.DasChannels())
            if (auto* owned = dynamic_cast<InstrumentOwned*>(obj))
                owned->ResetRunTimeState();
        m_inst.SetDasModified(false);
        m_inst.SetSequencesModified(false);
    }
    if (modeChanged)
        SetIntVariable(modeVar, savedMode);
    else if (usePassword)
        LogOff();
    m_inst.SetStream(nullptr);
    if (SiteLink* site = Site())
        site->ReleaseLink(false);
    m_inst.SetSiteInUse(nullptr);
    m_inst.SetConnected(false);
    NotifyConnected();
    if (app)
        app->RecomputeAnyInstrumentConnected();
    m_inst.AddIdleCount(1);
}

std::optional<int64_t> CInstrumentProtocol::GetInstrumentDate() {
    CommInstrumentTokenStream* ts = Stream();
    if (!ts)
        return std::nullopt;
    Select();
    std::optional<int64_t> result;
    for (int attempt = 0; attempt < kRetries && !result && !LinkCancelled(); ++attempt) {
        SendCommand("v", "curr_date");
        ReplyTime reply(ts);
        for (int line = 0; line < kMaxReplyLines; ++line) {
            int64_t minutes = 0;
            int id = 0;
            if (ReadReplyHeader(minutes, id) == kReplyV &&
                ts->GetToken(HINT_NONE) == TOKEN_STRING &&
                CNamedObjectList::NamesEqual(ts->GetTokenText(), "CURR_DATE") &&
                ts->GetToken(HINT_NONE) == TOK_EQUALS && ts->GetToken(HINT_NONE) == TOKEN_INTEGER &&
                ts->GetToken(HINT_NONE) == TOK_SLASH && ts->GetToken(HINT_NONE) == TOKEN_INTEGER &&
                ts->GetToken(HINT_NONE) == TOK_SLASH && ts->GetToken(HINT_NONE) == TOKEN_INTEGER) {
                std::tm tm{};
                tm.tm_year = ts->GetIntValue() - 1900;
                tm.tm_mday = 1;
                result = static_cast<int64_t>(timegm(&tm)) + minutes * 60;
                break;
            }
            if (ts->GetTokenCode() == TOKEN_END)
                break;
        }
    }
    Deselect();
    return result;
}
