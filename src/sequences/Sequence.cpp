#include "sequences/Sequence.h"

#include "base/StateLock.h"
#include "instruments/InstrumentConnection.h"
#include "model/ArchiveList.h"
#include "model/InstrumentKeywords.h"
#include "model/TextFlags.h"
#include "sequences/SequenceSupport.h"
#include "sequences/Step.h"
#include "support/DateFormat.h"

#include <cstdio>
#include <memory>
#include <type_traits>

namespace {

DateTime StartOfThisYear() {
    return DateTime(DateTime::Now().GetYear(), 1, 1, 0, 0, 0);
}

} // namespace

CSequence::CSequence()
    : CNamedObject("NONE", 0), m_ccInputs(0, false, true), m_ccOutputs(0, false, true),
      m_timerStart(StartOfThisYear()) {}

CSequence::CSequence(CInstrumentConnection* owner, const std::string& name)
    : CNamedObject(name, 0), m_owner(owner), m_timerStart(StartOfThisYear()) {}

CSequence::CSequence(const CSequence& other) : CNamedObject(other), InstrumentOwned() {
    StateGuard guard(AppStateLock());
    m_owner = other.m_owner;
    for (CNamedObject* obj : other.m_steps)
        if (auto* step = dynamic_cast<CStep*>(obj))
            AddStep(step->Clone());
    m_ccInputs = other.m_ccInputs;
    m_ccOutputs = other.m_ccOutputs;
    m_timerStart = other.m_timerStart;
    m_timerPeriod = other.m_timerPeriod;
    m_repeatCount = other.m_repeatCount;
    m_timerEnabled = other.m_timerEnabled;
    m_expanded = other.m_expanded;
}

CSequence::~CSequence() {
    StateGuard guard(AppStateLock());
    m_steps.DeleteAll();
}

void CSequence::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        CNamedObject::Serialize(ar);
        WriteObjectList(ar, m_steps);
        m_ccInputs.Serialize(ar);
        m_ccOutputs.Serialize(ar);
        ar.WriteUInt32(m_timerStart.GetSeconds());
        ar.WriteUInt32(m_timerPeriod.GetTotalSeconds());
        ar.WriteInt32(m_repeatCount);
        ar.WriteBool(m_timerEnabled);
        return;
    }
    CNamedObject::Serialize(ar);
    m_steps.DeleteAll();
    CNamedObjectList steps(10);
    ReadObjectList(ar, steps, nullptr);
    // Only steps belong here, whatever class a damaged file names.
    for (CNamedObject* obj : steps)
        if (!dynamic_cast<CStep*>(obj))
            throw CArchiveException(CArchiveException::BadClass,
                                    std::string("not a step: ") + obj->GetClassName());
    while (!steps.IsEmpty())
        AddStep(static_cast<CStep*>(steps.RemoveHead()));
    m_ccInputs.Serialize(ar);
    m_ccOutputs.Serialize(ar);
    m_timerStart = DateTime(ar.ReadUInt32());
    m_timerPeriod = TimeSpan(ar.ReadUInt32());
    m_repeatCount = ar.ReadInt32();
    m_timerEnabled = ar.ReadBool();
}

std::string CSequence::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    char buffer[200];
    const size_t count = m_steps.GetCount();
    if (!(flags & TEXT_SCRIPT)) {
        std::string text =
            GetName() + ", " + std::to_string(count) + (count == 1 ? " STEP" : " STEPS");
        if (m_repeatCount == 0)
            text += ", RUN UNTIL HALTED";
        else if (m_repeatCount > 1)
            text += ", RUN " + std::to_string(m_repeatCount) + " TIMES";
        return text;
    }
    std::string text = "  SEQBEGIN\r\n";
    text += "    NAME \"" + GetName() + "\"\r\n";
    text += "    REPEATCOUNT " + std::to_string(m_repeatCount) + "\r\n";
    text += "    CCINPUT " + m_ccInputs.Text(kClosureWidth, true) + "\r\n";
    text += "    CCOUTPUT " + m_ccOutputs.Text(kClosureWidth, true) + "\r\n";
    text += m_timerEnabled ? "    TIMER ENABLED\r\n" : "    TIMER DISABLED\r\n";
    text += "    TIMERSTART " + Format(m_timerStart, DATE_FMT_MMDDYYYY_HHMM).str() + "\r\n";
    std::snprintf(buffer, sizeof buffer, "    TIMERDELTA %03u:%02u:%02u\r\n",
                  m_timerPeriod.GetDays(), m_timerPeriod.GetHours(), m_timerPeriod.GetMinutes());
    text += buffer;
    if (count > 0) {
        text += "    STEPBEGIN\r\n";
        for (const CNamedObject* obj : m_steps)
            if (auto* step = dynamic_cast<const CStep*>(obj))
                text += "      " + step->GetText(flags) + "\r\n";
        text += "    STEPEND\r\n";
    }
    text += "  SEQEND\r\n";
    return text;
}

bool CSequence::Parse(TokenStream& ts) {
    int code = ts.GetToken();
    for (;;) {
        switch (code) {
        case KW_NAME:
            if (ts.GetToken() != TOKEN_STRING) {
                ts.NoteError();
                return false;
            }
            SetName(ts.GetTokenText());
            break;
        case KW_REPEATCOUNT:
            if (ts.GetToken() != TOKEN_INTEGER) {
                ts.NoteError();
                return false;
            }
            if (ts.GetIntValue() >= 0 && ts.GetIntValue() <= kMaxRepeatCount)
                SetRepeatCount(ts.GetIntValue());
            else
                ts.NoteError(); // noted, and reading goes on
            break;
        case KW_CCINPUT:
        case KW_CCOUTPUT: {
            const bool inputs = code == KW_CCINPUT;
            CContactClosures set = inputs ? GetCCInputs() : GetCCOutputs();
            ts.GetToken();
            // The closure reader has already moved to the next token.
            const bool ok = CStep::ReadClosures(ts, set, kClosureWidth);
            if (!ok)
                return false;
            if (inputs)
                SetCCInputs(set);
            else
                SetCCOutputs(set);
            code = ts.GetTokenCode();
            continue;
        }
        case KW_TIMER: {
            const int state = ts.GetToken();
            if (state != KW_ENABLED && state != KW_DISABLED) {
                ts.NoteError();
                return false;
            }
            SetTimerEnabled(state == KW_ENABLED);
            break;
        }
        case KW_TIMERSTART:
            if (!ParseTimerStart(ts))
                return false;
            break;
        case KW_TIMERDELTA:
            if (!ParseTimerDelta(ts))
                return false;
            break;
        case KW_STEPBEGIN:
            if (!ParseSteps(ts))
                return false;
            break;
        case KW_SEQEND:
            ts.GetToken();
            return true;
        default:
            ts.NoteError();
            return false;
        }
        code = ts.GetToken();
    }
}

bool CSequence::ParseTimerStart(TokenStream& ts) {
    // MM/DD/YY[YY] HH:MM
    static const int kShape[] = {TOKEN_INTEGER, TOK_SLASH,     TOKEN_INTEGER, TOK_SLASH,
                                 TOKEN_INTEGER, TOKEN_INTEGER, TOK_COLON,     TOKEN_INTEGER};
    int values[8] = {};
    for (int i = 0; i < 8; ++i) {
        if (ts.GetToken() != kShape[i]) {
            ts.NoteError();
            return false;
        }
        values[i] = ts.GetIntValue();
    }
    const DateTime start(values[4], values[0], values[2], values[5], values[7], 0);
    if (!start.IsValid()) {
        ts.NoteError();
        return false;
    }
    SetTimerStart(start);
    return true;
}

bool CSequence::ParseTimerDelta(TokenStream& ts) {
    // DDD:HH:MM
    static const int kShape[] = {TOKEN_INTEGER, TOK_COLON, TOKEN_INTEGER, TOK_COLON, TOKEN_INTEGER};
    static const int kLimit[] = {366, 0, 23, 0, 59};
    int values[5] = {};
    for (int i = 0; i < 5; ++i) {
        if (ts.GetToken() != kShape[i] ||
            (kShape[i] == TOKEN_INTEGER &&
             (ts.GetIntValue() < 0 || ts.GetIntValue() > kLimit[i]))) {
            ts.NoteError();
            return false;
        }
        values[i] = ts.GetIntValue();
    }
    SetTimerPeriod(TimeSpan(static_cast<uint32_t>(values[0]), static_cast<uint32_t>(values[2]),
                            static_cast<uint32_t>(values[4]), 0));
    return true;
}

bool CSequence::ParseSteps(TokenStream& ts) {
    int code = ts.GetToken();
    {
        StateGuard guard(AppStateLock());
        m_steps.DeleteAll();
    }
    for (;;) {
        std::unique_ptr<CStep> step(CStep::Create(code));
        if (!step)
            break;
        step->SetOwner(this);
        if (!step->Parse(ts))
            return false;
        AddStep(step.release());
        code = ts.GetTokenCode();
    }
    if (code != KW_STEPEND) {
        ts.NoteError();
        return false;
    }
    return true;
}

CInstrumentConnection* CSequence::GetOwner() const {
    StateGuard guard(AppStateLock());
    return m_owner;
}

void CSequence::SetOwnerInstrument(CInstrumentConnection* owner) {
    StateGuard guard(AppStateLock());
    m_owner = owner;
}

void CSequence::AddStep(CStep* step) {
    StateGuard guard(AppStateLock());
    step->SetOwner(this);
    m_steps.AddTail(step);
}

bool CSequence::CanAddStep() const {
    StateGuard guard(AppStateLock());
    return m_steps.GetCount() < MAX_STEPS;
}

#define LOCKED_FIELD(Type, Name, member)                                                           \
    Type CSequence::Get##Name() const {                                                            \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }                                                                                              \
    void CSequence::Set##Name(std::conditional_t<std::is_class_v<Type>, const Type&, Type> v) {    \
        StateGuard guard(AppStateLock());                                                          \
        member = v;                                                                                \
    }
LOCKED_FIELD(CContactClosures, CCInputs, m_ccInputs)
LOCKED_FIELD(CContactClosures, CCOutputs, m_ccOutputs)
LOCKED_FIELD(DateTime, TimerStart, m_timerStart)
LOCKED_FIELD(TimeSpan, TimerPeriod, m_timerPeriod)
LOCKED_FIELD(int32_t, RepeatCount, m_repeatCount)
LOCKED_FIELD(bool, TimerEnabled, m_timerEnabled)
LOCKED_FIELD(bool, Expanded, m_expanded)
#undef LOCKED_FIELD

void CSequence::SetAllExpanded(CInstrumentConnection& inst, bool expanded) {
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* obj : inst.Sequences())
            if (auto* seq = dynamic_cast<CSequence*>(obj))
                seq->m_expanded = expanded;
    }
    CSequenceSupport::MarkModified();
}
