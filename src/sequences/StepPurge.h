#pragma once
// Purge the calibrator: a step without parameters.

#include "sequences/Step.h"

class CStepPurge : public CStep {
public:
    CStepPurge() : CStep("PURGE") {}
    const char* GetClassName() const override { return "CStepPurge"; }
    CStepPurge* Clone() const override { return new CStepPurge(*this); }
    // Nothing to read but the token after the keyword.
    bool Parse(TokenStream& ts) override;
};
