#pragma once
// Gas phase titration: an NO concentration and an O3 concentration.

#include "sequences/EGasValue.h"
#include "sequences/Step.h"

class CStepGPT : public CStep {
public:
    // 0 PPB of "NO" and 0 PPB of "O3".
    CStepGPT();
    const char* GetClassName() const override { return "CStepGPT"; }
    CStepGPT* Clone() const override { return new CStepGPT(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // Number, unit, number, unit: the NO and then the O3 concentration.
    bool Parse(TokenStream& ts) override;

    EGasValue GetNO() const;
    void SetNO(const EGasValue& value);
    EGasValue GetO3() const;
    void SetO3(const EGasValue& value);

protected:
    explicit CStepGPT(const char* keyword);
    // What the display text starts with.
    virtual const char* DisplayHead() const { return "GPT"; }
    void SerializeFields(CArchive& ar) override;

private:
    EGasValue m_no;
    EGasValue m_o3;
};
