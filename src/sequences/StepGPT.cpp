#include "sequences/StepGPT.h"

#include "base/StateLock.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"

CStepGPT::CStepGPT() : CStepGPT("GPT") {}

CStepGPT::CStepGPT(const char* keyword)
    : CStep(keyword), m_no(0, UNIT_PPB, GAS_NO), m_o3(0, UNIT_PPB, GAS_O3) {}

std::string CStepGPT::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    if (flags & TEXT_SCRIPT)
        return GetName() + " " + m_no.Text(56) + " " + m_o3.Text(56);
    return std::string(DisplayHead()) + " " + m_no.Text(120) + " " + m_o3.Text(120);
}

bool CStepGPT::Parse(TokenStream& ts) {
    double values[2] = {0, 0};
    uint32_t units[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        if (!ReadNumber(ts, values[i]))
            return false;
        if (ts.GetToken() != TOKEN_UNIT || !ts.GetUnit()) {
            ts.NoteError();
            return false;
        }
        units[i] = ts.GetUnit()->GetId();
    }
    ts.GetToken();
    StateGuard guard(AppStateLock());
    m_no.Set(values[0], units[0], GAS_NO);
    m_o3.Set(values[1], units[1], GAS_O3);
    return true;
}

EGasValue CStepGPT::GetNO() const {
    StateGuard guard(AppStateLock());
    return m_no;
}

void CStepGPT::SetNO(const EGasValue& value) {
    StateGuard guard(AppStateLock());
    m_no = value;
}

EGasValue CStepGPT::GetO3() const {
    StateGuard guard(AppStateLock());
    return m_o3;
}

void CStepGPT::SetO3(const EGasValue& value) {
    StateGuard guard(AppStateLock());
    m_o3 = value;
}

void CStepGPT::SerializeFields(CArchive& ar) {
    m_no.Serialize(ar);
    m_o3.Serialize(ar);
}
