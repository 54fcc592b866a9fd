#pragma once
// A gas: its id, name and molecular weight, with the conversions between a mole fraction and
// a value in any unit. Mass-based units (PPMW, WT%) and mass-per-volume units (UGM, MGM, GM3)
// depend on the gas; the others are plain scale factors.

#include "support/NamedObject.h"

#include <cstdint>

enum GasId : uint32_t {
    GAS_ZERO = 100,
    GAS_O3 = 101,
    GAS_SO2 = 102,
    GAS_NO = 103,
    GAS_NO2 = 104,
    GAS_CO = 105,
    GAS_HC = 106,
    GAS_USER1 = 107,
    GAS_USER2 = 108,
    GAS_USER3 = 109,
    GAS_USER4 = 110,
    GAS_NOX = 120,
    GAS_NH3 = 121,
    GAS_H2S = 122,
    GAS_N2O = 131,
    GAS_CO2 = 133,
    GAS_O2 = 134,
    GAS_UNKNOWN = 199,
};

class EGasDesc : public NamedObject {
public:
    // The carrier (air) molecular weight every gas is mixed into.
    static constexpr float kCarrierMolecularWeight = 28.890188f;

    // What the type registry makes: weight 1.0, coefficient 1.0, disabled.
    EGasDesc();
    // A built-in gas: enabled.
    EGasDesc(uint32_t id, const SupportString& name, float molecularWeight);

    // With DESC_DEFINITION: GASNAME "name" ["alternate"] id weight coefficient [DISABLE].
    SupportString GetDescription(unsigned flags) const override;
    // The named part, then weight and coefficient (32-bit floats) and enabled (16 bits).
    size_t SerializeTo(ByteStream& stream) override;
    bool AssignFrom(const RootObject& source, unsigned flags,
                    const TextSink* errors = nullptr) override;
    // Density in g/L from pressure, temperature and molecular weight.
    virtual void ComputeDensity();
    // The value in the unit of a mole fraction, and back. Unknown units are fractions.
    virtual double FromFraction(double fraction, uint32_t unitId) const;
    virtual double ToFraction(double value, uint32_t unitId) const;

    float GetMolecularWeight() const { return m_molecularWeight; }
    void SetMolecularWeight(float mw);
    float GetCarrierMolecularWeight() const { return m_carrierMolecularWeight; }
    float GetTemperature() const { return m_temperature; }
    void SetTemperature(float celsius);
    float GetPressure() const { return m_pressure; }
    void SetPressure(float atmospheres);
    float GetDensity() const { return m_density; }
    float GetCoefficient() const { return m_coefficient; }
    void SetCoefficient(float c) { m_coefficient = c; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // Mass fraction of a mole fraction in the carrier.
    double MassFraction(double fraction) const;
    // Mole fraction of a mass fraction, by fixed-point iteration.
    double MoleFraction(double massFraction) const;

private:
    float m_molecularWeight = 1.0f;
    float m_carrierMolecularWeight = kCarrierMolecularWeight;
    float m_temperature = 0.0f;
    float m_pressure = 1.0f;
    float m_density = 0.0f;
    float m_coefficient = 1.0f;
    bool m_enabled = false;
};
