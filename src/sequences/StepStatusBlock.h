#pragma once
// Set the two eight-bit status blocks (highest bit first in the text).

#include "sequences/ContactClosures.h"
#include "sequences/Step.h"

class CStepStatusBlock : public CStep {
public:
    static constexpr int kWidth = 8;

    CStepStatusBlock()
        : CStep("SETSTATUSBLOCK"), m_block1(0, true, true), m_block2(0, true, true) {}
    const char* GetClassName() const override { return "CStepStatusBlock"; }
    CStepStatusBlock* Clone() const override { return new CStepStatusBlock(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    bool Parse(TokenStream& ts) override;

    CContactClosures GetBlock1() const;
    void SetBlock1(const CContactClosures& block);
    CContactClosures GetBlock2() const;
    void SetBlock2(const CContactClosures& block);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    CContactClosures m_block1;
    CContactClosures m_block2;
};
