#pragma once
// A concentration unit: its id, its name and the number of decimals its values are shown
// with. Conversions that depend on the unit live with the gas (EGasDesc).

#include "support/NamedObject.h"

#include <cstdint>

enum UnitId : uint32_t {
    UNIT_PPB = 200,
    UNIT_PPM = 201,
    UNIT_UGM = 202,
    UNIT_MGM = 203,
    UNIT_PCT = 204,
    UNIT_NGM = 205,
    UNIT_PPT = 206,
    UNIT_PPMW = 220,
    UNIT_PPHM = 221,
    UNIT_WTPCT = 225,
    UNIT_GM3 = 226,
    UNIT_FRAC = 299,
};

class EUnitDesc : public NamedObject {
public:
    EUnitDesc() : NamedObject(SupportString(), 0, TYPE_UNIT_DESC) {}
    EUnitDesc(uint32_t id, const SupportString& name, int decimals)
        : NamedObject(name, id, TYPE_UNIT_DESC), m_decimals(decimals) {}

    // With DESC_DEFINITION: GASUNIT "name" ["alternate"] id decimals.
    SupportString GetDescription(unsigned flags) const override;
    // The named part, then the decimals as 16 bits.
    size_t SerializeTo(ByteStream& stream) override;
    bool AssignFrom(const RootObject& source, unsigned flags,
                    const TextSink* errors = nullptr) override;

    int GetDecimals() const { return m_decimals; }
    void SetDecimals(int decimals) { m_decimals = decimals; }

private:
    int m_decimals = 0;
};
