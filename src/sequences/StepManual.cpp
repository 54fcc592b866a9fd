#include "sequences/StepManual.h"

#include "base/StateLock.h"
#include "model/Archive.h"
#include "model/InstrumentKeywords.h"
#include "model/TextFlags.h"
#include "support/GasUnitRegistry.h"

#include <cstdio>

std::string CStepManual::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    const EGasDesc* gas = FindGas(m_gasId);
    const std::string gasName = gas ? gas->GetName().str() : "INVALID";
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, " %s %0.3f %0.3f", gasName.c_str(),
                  static_cast<double>(m_calFlow), static_cast<double>(m_diluentFlow));
    std::string text = ((flags & TEXT_SCRIPT) ? GetName() : std::string("MANUAL")) + buffer;
    switch (m_mode) {
    case MODE_CONST:
        text += " CONST";
        break;
    case MODE_REF:
        text += " REF";
        break;
    case MODE_BENCH:
        text += " BENCH";
        break;
    default:
        return text + " OFF";
    }
    std::snprintf(buffer, sizeof buffer, " %0.1f", static_cast<double>(m_setpoint));
    return text + buffer;
}

bool CStepManual::Parse(TokenStream& ts) {
    if (ts.GetToken() != TOKEN_GAS || !ts.GetGas()) {
        ts.NoteError();
        return false;
    }
    const uint32_t gasId = ts.GetGas()->GetId();
    double calFlow = 0, diluentFlow = 0, setpoint = 0;
    if (!ReadNumber(ts, calFlow) || !ReadNumber(ts, diluentFlow))
        return false;
    int32_t mode;
    switch (ts.GetToken()) {
    case KW_OFF:
        mode = MODE_OFF;
        break;
    case KW_CONST:
        mode = MODE_CONST;
        break;
    case KW_REF:
        mode = MODE_REF;
        break;
    case KW_BENCH:
        mode = MODE_BENCH;
        break;
    default:
        ts.NoteError();
        return false;
    }
    if (mode != MODE_OFF && !ReadNumber(ts, setpoint))
        return false;
    ts.GetToken();
    StateGuard guard(AppStateLock());
    m_gasId = gasId;
    m_calFlow = static_cast<float>(calFlow);
    m_diluentFlow = static_cast<float>(diluentFlow);
    m_mode = mode;
    m_setpoint = static_cast<float>(setpoint);
    return true;
}

#define LOCKED_FIELD(Type, Name, member)                                                           \
    Type CStepManual::Get##Name() const {                                                          \
        StateGuard guard(AppStateLock());                                                          \
        return member;                                                                             \
    }                                                                                              \
    void CStepManual::Set##Name(Type value) {                                                      \
        StateGuard guard(AppStateLock());                                                          \
        member = value;                                                                            \
    }
LOCKED_FIELD(uint32_t, GasId, m_gasId)
LOCKED_FIELD(float, CalFlow, m_calFlow)
LOCKED_FIELD(float, DiluentFlow, m_diluentFlow)
LOCKED_FIELD(int32_t, Mode, m_mode)
LOCKED_FIELD(float, Setpoint, m_setpoint)
#undef LOCKED_FIELD

void CStepManual::SerializeFields(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteUInt32(m_gasId);
    } else {
        m_gasId = ar.ReadUInt32();
    }
    ArchiveFloat(ar, m_calFlow);
    ArchiveFloat(ar, m_diluentFlow);
    if (ar.IsStoring())
        ar.WriteInt32(m_mode);
    else
        m_mode = ar.ReadInt32();
    ArchiveFloat(ar, m_setpoint);
}
