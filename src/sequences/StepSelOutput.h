#pragma once
// Send the calibrator's output to port A (0) or port B (1).

#include "sequences/Step.h"

#include <cstdint>

class CStepSelOutput : public CStep {
public:
    CStepSelOutput() : CStep("SELOUTPUT") {}
    const char* GetClassName() const override { return "CStepSelOutput"; }
    CStepSelOutput* Clone() const override { return new CStepSelOutput(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // The string "A" or "B", in either case.
    bool Parse(TokenStream& ts) override;

    int32_t GetOutput() const;
    void SetOutput(int32_t output);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    int32_t m_output = 0;
};
