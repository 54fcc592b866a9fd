#include "support/EGasDesc.h"

#include "support/ByteStream.h"
#include "support/EUnitDesc.h"

#include <cmath>
#include <cstring>

namespace {
uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}
float BitsFloat(uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}
} // namespace

EGasDesc::EGasDesc() : NamedObject(SupportString(), 0, TYPE_GAS_DESC) {
    ComputeDensity();
}

EGasDesc::EGasDesc(uint32_t id, const SupportString& name, float molecularWeight)
    : NamedObject(name, id, TYPE_GAS_DESC), m_molecularWeight(molecularWeight), m_enabled(true) {
    ComputeDensity();
}

void EGasDesc::SetMolecularWeight(float mw) {
    m_molecularWeight = mw;
    ComputeDensity();
}

void EGasDesc::SetTemperature(float celsius) {
    m_temperature = celsius;
    ComputeDensity();
}

void EGasDesc::SetPressure(float atmospheres) {
    m_pressure = atmospheres;
    ComputeDensity();
}

void EGasDesc::ComputeDensity() {
    const double volume = (m_temperature + 273.15) * 0.082057;
    m_density = volume > 0.0 ? static_cast<float>(m_pressure / volume * m_molecularWeight) : 0.0f;
}

SupportString EGasDesc::GetDescription(unsigned flags) const {
    if (!(flags & DESC_DEFINITION))
        return NamedObject::GetDescription(flags);
    SupportString line = SupportString::Format("GASNAME \"%S\"", GetName());
    if (!GetAltName().IsEmpty())
        line += SupportString::Format(" \"%S\"", GetAltName());
    line += SupportString::Format(" %d %0.2f %0.2f", static_cast<int>(GetId()),
                                  static_cast<double>(m_molecularWeight),
                                  static_cast<double>(m_coefficient));
    if (!m_enabled)
        line += SupportString(" DISABLE");
    return line;
}

size_t EGasDesc::SerializeTo(ByteStream& stream) {
    if (stream.IsStoring()) {
        size_t n = WriteNamedParts(stream);
        n += stream.WriteLong(FloatBits(m_molecularWeight));
        n += stream.WriteLong(FloatBits(m_coefficient));
        n += stream.WriteWord(m_enabled ? 1 : 0);
        return n;
    }
    NamedParts parts;
    bool complete = false;
    size_t n = ReadNamedParts(stream, parts, complete);
    if (!complete)
        return n;
    uint32_t mw = 0;
    uint32_t coefficient = 0;
    uint16_t enabled = 0;
    size_t got = stream.ReadLong(mw);
    n += got;
    if (got < 4)
        return n;
    got = stream.ReadLong(coefficient);
    n += got;
    if (got < 4)
        return n;
    got = stream.ReadWord(enabled);
    n += got;
    if (got < 2)
        return n;
    ApplyNamedParts(parts);
    m_molecularWeight = BitsFloat(mw);
    m_coefficient = BitsFloat(coefficient);
    m_enabled = enabled != 0;
    ComputeDensity();
    return n;
}

bool EGasDesc::AssignFrom(const RootObject& source, unsigned flags, const TextSink* errors) {
    if (!NamedObject::AssignFrom(source, flags, errors))
        return false;
    if (const auto* gas = dynamic_cast<const EGasDesc*>(&source)) {
        m_temperature = gas->m_temperature;
        m_pressure = gas->m_pressure;
        m_coefficient = gas->m_coefficient;
        m_enabled = gas->m_enabled;
        m_molecularWeight = gas->m_molecularWeight;
        ComputeDensity();
    }
    return true;
}

double EGasDesc::MassFraction(double f) const {
    const double mw = m_molecularWeight;
    const double mc = m_carrierMolecularWeight;
    const double total = (1.0 - f) * mc + mw * f;
    return total != 0.0 ? mw * f / total : 0.0;
}

double EGasDesc::MoleFraction(double w) const {
    const double mw = m_molecularWeight;
    const double mc = m_carrierMolecularWeight;
    if (mw == 0.0)
        return 0.0;
    double x = w;
    for (int round = 0; round < 50; ++round) {
        const double next = x * w * (mw - mc) / mw + w * mc / mw;
        const bool settled = std::fabs(next - x) <= 1e-6;
        x = next;
        if (settled)
            break;
    }
    return x;
}

double EGasDesc::FromFraction(double f, uint32_t unitId) const {
    const double density = m_density;
    switch (unitId) {
    case UNIT_PCT:
        return f * 100.0f;
    case UNIT_WTPCT:
        return MassFraction(f) * 100.0f;
    case UNIT_PPT:
        return f * 1000.0f;
    case UNIT_PPM:
        return f * 1e6f;
    case UNIT_PPMW:
        return MassFraction(f) * 1e6f;
    case UNIT_PPHM:
        return f * 1e8f;
    case UNIT_PPB:
        return f * 1e9f;
    case UNIT_GM3:
        return density * f * 1000.0f;
    case UNIT_MGM:
        return density * f * 1e6f;
    case UNIT_UGM:
        return density * f * 1e9f;
    case UNIT_NGM:
        return f * 1e9f;
    default:
        return f;
    }
}

double EGasDesc::ToFraction(double v, uint32_t unitId) const {
    const double density = m_density;
    // A gas without a density (no weight) has no mass-per-volume value but zero.
    auto perDensity = [&](double scale) { return density != 0.0 ? v / (density * scale) : 0.0; };
    switch (unitId) {
    case UNIT_PPB:
    case UNIT_NGM:
        return v * 1e-9;
    case UNIT_PPM:
        return v * 1e-6;
    case UNIT_UGM:
        return perDensity(1e9);
    case UNIT_MGM:
        return perDensity(1e6);
    case UNIT_PCT:
        return v * 0.01;
    case UNIT_PPT:
        return v * 0.001;
    case UNIT_PPHM:
        return v * 1e-8;
    case UNIT_GM3:
        return perDensity(1000.0);
    case UNIT_PPMW:
        return MoleFraction(v * 1e-6);
    case UNIT_WTPCT:
        return MoleFraction(v * 0.01);
    default:
        return v;
    }
}
