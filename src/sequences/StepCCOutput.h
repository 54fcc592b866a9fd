#pragma once
// Set the contact-closure outputs (twelve closures, closure 1 first in the text).

#include "sequences/ContactClosures.h"
#include "sequences/Step.h"

class CStepCCOutput : public CStep {
public:
    static constexpr int kWidth = 12;

    CStepCCOutput() : CStep("SETCCOUTPUT"), m_outputs(0, true, false) {}
    const char* GetClassName() const override { return "CStepCCOutput"; }
    CStepCCOutput* Clone() const override { return new CStepCCOutput(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    bool Parse(TokenStream& ts) override;

    CContactClosures GetOutputs() const;
    void SetOutputs(const CContactClosures& outputs);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    CContactClosures m_outputs;
};
