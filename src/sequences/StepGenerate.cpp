#include "sequences/StepGenerate.h"

#include "base/StateLock.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"

CStepGenerate::CStepGenerate() : CStep("GENERATE"), m_concentration(0, UNIT_PPB, GAS_ZERO) {}

std::string CStepGenerate::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    const std::string head = (flags & TEXT_SCRIPT) ? GetName() : "GENERATE";
    return head + " " + m_concentration.Text(120);
}

bool CStepGenerate::Parse(TokenStream& ts) {
    double value = 0;
    int code = ts.GetToken();
    if (code == TOKEN_GAS && ts.GetGas() && ts.GetGas()->GetId() == GAS_ZERO) {
        SetConcentration(EGasValue(0, UNIT_PPB, GAS_ZERO));
        ts.GetToken();
        return true;
    }
    if (CurrentNumber(ts, value)) {
        if (ts.GetToken() == TOKEN_UNIT && ts.GetUnit()) {
            const uint32_t unit = ts.GetUnit()->GetId();
            if (ts.GetToken() == TOKEN_GAS && ts.GetGas()) {
                SetConcentration(EGasValue(value, unit, ts.GetGas()->GetId()));
                ts.GetToken();
                return true;
            }
        }
    }
    ts.NoteError();
    return false;
}

EGasValue CStepGenerate::GetConcentration() const {
    StateGuard guard(AppStateLock());
    return m_concentration;
}

void CStepGenerate::SetConcentration(const EGasValue& value) {
    StateGuard guard(AppStateLock());
    m_concentration = value;
}

void CStepGenerate::SerializeFields(CArchive& ar) {
    m_concentration.Serialize(ar);
}
