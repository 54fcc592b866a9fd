#pragma once
// Put the calibrator in standby: a step without parameters.

#include "sequences/Step.h"

class CStepStandby : public CStep {
public:
    CStepStandby() : CStep("STANDBY") {}
    const char* GetClassName() const override { return "CStepStandby"; }
    CStepStandby* Clone() const override { return new CStepStandby(*this); }
    // Nothing to read but the token after the keyword.
    bool Parse(TokenStream& ts) override;
};
