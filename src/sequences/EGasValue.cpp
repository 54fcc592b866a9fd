#include "sequences/EGasValue.h"

#include "model/Archive.h"
#include "support/GasUnitRegistry.h"
#include "support/RootObject.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kInvalid = "INVALID";

unsigned NameFlags(bool alternate) {
    return alternate ? NAME_ALTERNATE : NAME_PLAIN;
}

} // namespace

void EGasValue::Set(double value, uint32_t unitId, uint32_t gasId) {
    m_unitId = unitId;
    m_gasId = gasId;
    const EGasDesc* gas = FindGas(gasId);
    m_fraction = static_cast<float>(gas ? gas->ToFraction(value, unitId) : value);
}

double EGasValue::Value(uint32_t unitId) const {
    const EGasDesc* gas = FindGas(m_gasId);
    return gas ? gas->FromFraction(m_fraction, unitId) : 0.0;
}

void EGasValue::SetValue(double value, uint32_t unitId) {
    if (const EGasDesc* gas = FindGas(m_gasId))
        m_fraction = static_cast<float>(gas->ToFraction(value, unitId));
}

bool EGasValue::SetGasByName(const std::string& name) {
    const EGasDesc* gas = FindGasByName(SupportString(name));
    if (gas)
        m_gasId = gas->GetId();
    return gas != nullptr;
}

bool EGasValue::SetUnitByName(const std::string& name) {
    const EUnitDesc* unit = FindUnitByName(SupportString(name));
    if (unit)
        m_unitId = unit->GetId();
    return unit != nullptr;
}

std::string EGasValue::UnitName(bool alternate) const {
    const EUnitDesc* unit = FindUnit(m_unitId);
    return unit ? unit->SelectName(NameFlags(alternate)).str() : kInvalid;
}

std::string EGasValue::GasName(bool alternate) const {
    const EGasDesc* gas = FindGas(m_gasId);
    return gas ? gas->SelectName(NameFlags(alternate)).str() : kInvalid;
}

std::string EGasValue::Text(unsigned flags) const {
    const bool alternate = (flags & TEXT_ALTERNATE) != 0;
    std::string text;
    auto append = [&text](const std::string& part) {
        if (!text.empty())
            text += ' ';
        text += part;
    };
    if ((flags & (TEXT_NUMBER | TEXT_UNIT)) && m_gasId != GAS_ZERO && m_gasId != GAS_UNKNOWN) {
        if (flags & TEXT_NUMBER) {
            int decimals = static_cast<int>(flags & TEXT_DECIMALS);
            if (flags & TEXT_UNIT_DECIMALS) {
                const EUnitDesc* unit = FindUnit(m_unitId);
                decimals = unit ? unit->GetDecimals() : 0;
            }
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.*f", decimals, Value(m_unitId));
            text += buffer;
        }
        if (flags & TEXT_UNIT)
            append(UnitName(alternate));
    }
    if (flags & TEXT_GAS)
        append(GasName(alternate));
    return text;
}

void EGasValue::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        const float value = static_cast<float>(Value(m_unitId));
        uint32_t bits;
        static_assert(sizeof bits == sizeof value);
        std::memcpy(&bits, &value, sizeof bits);
        ar.WriteUInt32(bits);
        ar.WriteUInt32(m_unitId);
        ar.WriteUInt32(m_gasId);
        return;
    }
    const uint32_t bits = ar.ReadUInt32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    const uint32_t unit = ar.ReadUInt32();
    const uint32_t gas = ar.ReadUInt32();
    Set(value, unit, gas);
}
