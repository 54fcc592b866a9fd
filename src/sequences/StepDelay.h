#pragma once
// Wait a number of minutes. Named "DURATION"; the script keyword is "DELAY" unless the
// instrument knows the step by its name.

#include "sequences/Step.h"

class CStepDelay : public CStep {
public:
    CStepDelay() : CStep("DURATION") {}
    const char* GetClassName() const override { return "CStepDelay"; }
    CStepDelay* Clone() const override { return new CStepDelay(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // The minutes; no range check.
    bool Parse(TokenStream& ts) override;

    float GetMinutes() const;
    void SetMinutes(float minutes);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    float m_minutes = 0;
};
