#pragma once
// Generate a concentration of a gas; "ZERO" generates zero air.

#include "sequences/EGasValue.h"
#include "sequences/Step.h"

class CStepGenerate : public CStep {
public:
    // 0 PPB of "ZERO".
    CStepGenerate();
    const char* GetClassName() const override { return "CStepGenerate"; }
    CStepGenerate* Clone() const override { return new CStepGenerate(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // A number, a unit and a gas, or the gas "ZERO" alone.
    bool Parse(TokenStream& ts) override;

    EGasValue GetConcentration() const;
    void SetConcentration(const EGasValue& value);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    EGasValue m_concentration;
};
