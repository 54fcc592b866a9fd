#pragma once
// Set the calibrator's level (10 to 99).

#include "sequences/Step.h"

#include <cstdint>

class CStepLevel : public CStep {
public:
    CStepLevel() : CStep("LEVEL") {}
    const char* GetClassName() const override { return "CStepLevel"; }
    CStepLevel* Clone() const override { return new CStepLevel(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // An integer from 10 to 99.
    bool Parse(TokenStream& ts) override;

    int32_t GetLevel() const;
    void SetLevel(int32_t level);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    int32_t m_level = 10;
};
