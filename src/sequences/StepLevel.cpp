#include "sequences/StepLevel.h"

#include "base/StateLock.h"
#include "model/Archive.h"
#include "model/TokenStream.h"

std::string CStepLevel::GetText(unsigned) const {
    StateGuard guard(AppStateLock());
    return GetName() + " " + std::to_string(m_level);
}

bool CStepLevel::Parse(TokenStream& ts) {
    if (ts.GetToken() != TOKEN_INTEGER || ts.GetIntValue() < 10 || ts.GetIntValue() > 99) {
        ts.NoteError();
        return false;
    }
    SetLevel(ts.GetIntValue());
    ts.GetToken();
    return true;
}

int32_t CStepLevel::GetLevel() const {
    StateGuard guard(AppStateLock());
    return m_level;
}

void CStepLevel::SetLevel(int32_t level) {
    StateGuard guard(AppStateLock());
    m_level = level;
}

void CStepLevel::SerializeFields(CArchive& ar) {
    if (ar.IsStoring())
        ar.WriteInt32(m_level);
    else
        m_level = ar.ReadInt32();
}
