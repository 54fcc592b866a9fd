#include "sequences/StepStatusBlock.h"

#include "base/StateLock.h"
#include "model/TextFlags.h"
#include "model/TokenStream.h"

std::string CStepStatusBlock::GetText(unsigned flags) const {
    StateGuard guard(AppStateLock());
    const bool script = (flags & TEXT_SCRIPT) != 0;
    return (script ? GetName() : std::string("SET STATUS BLOCK")) + " " +
           m_block1.Text(kWidth, script) + " " + m_block2.Text(kWidth, script);
}

bool CStepStatusBlock::Parse(TokenStream& ts) {
    ts.GetToken();
    CContactClosures block1 = GetBlock1(), block2 = GetBlock2();
    if (!ReadClosures(ts, block1, kWidth) || !ReadClosures(ts, block2, kWidth))
        return false;
    StateGuard guard(AppStateLock());
    m_block1 = block1;
    m_block2 = block2;
    return true;
}

CContactClosures CStepStatusBlock::GetBlock1() const {
    StateGuard guard(AppStateLock());
    return m_block1;
}

void CStepStatusBlock::SetBlock1(const CContactClosures& block) {
    StateGuard guard(AppStateLock());
    m_block1 = block;
}

CContactClosures CStepStatusBlock::GetBlock2() const {
    StateGuard guard(AppStateLock());
    return m_block2;
}

void CStepStatusBlock::SetBlock2(const CContactClosures& block) {
    StateGuard guard(AppStateLock());
    m_block2 = block;
}

void CStepStatusBlock::SerializeFields(CArchive& ar) {
    m_block1.Serialize(ar);
    m_block2.Serialize(ar);
}
