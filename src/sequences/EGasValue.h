#pragma once
// A concentration of a named gas: stored as a mole fraction with the unit it was entered in
// and the gas, converted to and from any unit through the registered gas. A gas that is not
// registered keeps the raw value as its fraction.

#include <cstdint>
#include <string>

class CArchive;

class EGasValue {
public:
    // Bits of Text.
    enum : unsigned {
        TEXT_DECIMALS = 0x07,      // a fixed number of decimals
        TEXT_UNIT_DECIMALS = 0x08, // the unit's own decimals instead
        TEXT_NUMBER = 0x10,
        TEXT_UNIT = 0x20,
        TEXT_GAS = 0x40,
        TEXT_ALTERNATE = 0x200, // the names' alternate forms
    };

    // Fraction 0 of the gas "UNKNOWN", entered as "FRAC".
    EGasValue() = default;
    EGasValue(double value, uint32_t unitId, uint32_t gasId) { Set(value, unitId, gasId); }

    void Set(double value, uint32_t unitId, uint32_t gasId);
    // The value in unitId; 0 when the gas is not registered.
    double Value(uint32_t unitId) const;
    double Value() const { return Value(m_unitId); }
    // A new value in unitId, converted through the gas (nothing when it is not registered).
    void SetValue(double value, uint32_t unitId);
    // The ids stay as they are when the name is not registered; true when it is.
    bool SetGasByName(const std::string& name);
    bool SetUnitByName(const std::string& name);
    void SetGasId(uint32_t id) { m_gasId = id; }
    void SetUnitId(uint32_t id) { m_unitId = id; }

    // The registered names, or "INVALID".
    std::string UnitName(bool alternate = false) const;
    std::string GasName(bool alternate = false) const;
    // Number, unit and gas as the bits ask; "ZERO" and "UNKNOWN" never show a number or unit.
    std::string Text(unsigned flags) const;

    float GetFraction() const { return m_fraction; }
    uint32_t GetUnitId() const { return m_unitId; }
    uint32_t GetGasId() const { return m_gasId; }

    // Value in the unit (32-bit float), unit id, gas id; read back through Set.
    void Serialize(CArchive& ar);

    bool operator==(const EGasValue& o) const {
        return m_fraction == o.m_fraction && m_unitId == o.m_unitId && m_gasId == o.m_gasId;
    }

private:
    float m_fraction = 0.0f;
    uint32_t m_unitId = 299; // FRAC
    uint32_t m_gasId = 199;  // UNKNOWN
};
