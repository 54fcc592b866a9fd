#include "sequences/StepDelay.h"

#include "base/StateLock.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"

#include <cstdio>

std::string CStepDelay::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    char buffer[64];
    const double minutes = m_minutes;
    if (!(flags & TEXT_SCRIPT))
        std::snprintf(buffer, sizeof buffer, "DURATION %0.1f MIN", minutes);
    else if (flags & TEXT_STEP_NAMES)
        std::snprintf(buffer, sizeof buffer, "%s %0.1f", GetName().c_str(), minutes);
    else
        std::snprintf(buffer, sizeof buffer, "DELAY %0.1f", minutes);
    return buffer;
}

bool CStepDelay::Parse(TokenStream& ts) {
    double minutes = 0;
    if (!ReadNumber(ts, minutes))
        return false;
    ts.GetToken();
    SetMinutes(static_cast<float>(minutes));
    return true;
}

float CStepDelay::GetMinutes() const {
    StateGuard guard(AppStateLock());
    return m_minutes;
}

void CStepDelay::SetMinutes(float minutes) {
    StateGuard guard(AppStateLock());
    m_minutes = minutes;
}

void CStepDelay::SerializeFields(CArchive& ar) {
    ArchiveFloat(ar, m_minutes);
}
