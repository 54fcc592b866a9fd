#pragma once
// Gas phase titration with the preset: the same fields as the GPT step.

#include "sequences/StepGPT.h"

class CStepGPTPreset : public CStepGPT {
public:
    CStepGPTPreset() : CStepGPT("GPTPS") {}
    const char* GetClassName() const override { return "CStepGPTPreset"; }
    CStepGPTPreset* Clone() const override { return new CStepGPTPreset(*this); }

protected:
    const char* DisplayHead() const override { return "GPT PRESET"; }
};
