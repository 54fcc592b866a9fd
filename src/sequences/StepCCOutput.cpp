#include "sequences/StepCCOutput.h"

#include "base/StateLock.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"

std::string CStepCCOutput::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    if (flags & TEXT_SCRIPT)
        return GetName() + " " + m_outputs.Text(kWidth, true);
    return "SET CC OUTPUT " + m_outputs.Text(kWidth, false);
}

bool CStepCCOutput::Parse(TokenStream& ts) {
    ts.GetToken();
    CContactClosures outputs = GetOutputs();
    if (!ReadClosures(ts, outputs, kWidth))
        return false;
    SetOutputs(outputs);
    return true;
}

CContactClosures CStepCCOutput::GetOutputs() const {
    StateGuard guard(AppStateLock());
    return m_outputs;
}

void CStepCCOutput::SetOutputs(const CContactClosures& outputs) {
    StateGuard guard(AppStateLock());
    m_outputs = outputs;
}

void CStepCCOutput::SerializeFields(CArchive& ar) {
    m_outputs.Serialize(ar);
}
