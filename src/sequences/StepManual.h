#pragma once
// Manual control: a gas with calibration and diluent flows and the O3 generator's mode.

#include "sequences/Step.h"

#include <cstdint>

class CStepManual : public CStep {
public:
    enum Mode : int32_t { MODE_OFF = 0, MODE_CONST = 1, MODE_REF = 2, MODE_BENCH = 3 };

    // "ZERO", no flow, generator off.
    CStepManual() : CStep("MANUAL") {}
    const char* GetClassName() const override { return "CStepManual"; }
    CStepManual* Clone() const override { return new CStepManual(*this); }
    bool IsEditable() const override { return true; }
    std::string GetText(unsigned flags) const override;
    // Gas, calibration flow, diluent flow, then OFF or CONST / REF / BENCH and a setpoint.
    bool Parse(TokenStream& ts) override;

    uint32_t GetGasId() const;
    void SetGasId(uint32_t id);
    float GetCalFlow() const; // litres per minute
    void SetCalFlow(float lpm);
    float GetDiluentFlow() const; // litres per minute
    void SetDiluentFlow(float lpm);
    int32_t GetMode() const;
    void SetMode(int32_t mode);
    float GetSetpoint() const; // PPB in bench feedback, mV otherwise
    void SetSetpoint(float setpoint);

protected:
    void SerializeFields(CArchive& ar) override;

private:
    uint32_t m_gasId = 100; // ZERO
    float m_calFlow = 0;
    float m_diluentFlow = 0;
    int32_t m_mode = MODE_OFF;
    float m_setpoint = 0;
};
