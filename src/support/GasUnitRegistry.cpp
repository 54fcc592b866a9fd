#include "support/GasUnitRegistry.h"

#include "support/NamedObjectList.h"
#include "support/SupportLock.h"
#include "support/TypeRegistry.h"

#include <memory>

namespace {
std::unique_ptr<NamedObjectList> g_units;
std::unique_ptr<NamedObjectList> g_gases;

struct GasRow {
    uint32_t id;
    const char* name;
    float molecularWeight;
};
// In registration order.
const GasRow kGases[] = {
    {GAS_UNKNOWN, "UNKNOWN", 28.890188f},
    {GAS_ZERO, "ZERO", 28.890188f},
    {GAS_O2, "O2", 31.9988f},
    {GAS_O3, "O3", 47.9982f},
    {GAS_SO2, "SO2", 64.0588f},
    {GAS_H2S, "H2S", 34.07588f},
    {GAS_N2O, "N2O", 44.0128f},
    {GAS_NO, "NO", 30.0061f},
    {GAS_NO2, "NO2", 46.0055f},
    {GAS_NOX, "NOX", 42.00564f},
    {GAS_NH3, "NH3", 17.03052f},
    {GAS_CO, "CO", 28.0104f},
    {GAS_CO2, "CO2", 44.0098f},
    {GAS_HC, "HC", 28.890188f},
    {GAS_USER1, "USER1", 28.890188f},
    {GAS_USER2, "USER2", 28.890188f},
    {GAS_USER3, "USER3", 28.890188f},
    {GAS_USER4, "USER4", 28.890188f},
};

struct UnitRow {
    uint32_t id;
    const char* name;
    int decimals;
};
const UnitRow kUnits[] = {
    {UNIT_FRAC, "FRAC", 4}, {UNIT_PCT, "PCT", 3},   {UNIT_WTPCT, "WT%", 2}, {UNIT_PPT, "PPT", 2},
    {UNIT_PPM, "PPM", 1},   {UNIT_PPMW, "PPMW", 1}, {UNIT_PPHM, "PPHM", 0}, {UNIT_PPB, "PPB", 0},
    {UNIT_GM3, "GM3", 1},   {UNIT_MGM, "MGM", 1},   {UNIT_UGM, "UGM", 0},   {UNIT_NGM, "NGM", 0},
};

constexpr unsigned kIndexes = NamedObjectList::INDEX_BY_NAME | NamedObjectList::INDEX_BY_ID;
} // namespace

void RegisterUnitType() {
    SupportGuard guard(SupportLock());
    TypeRegistry::Global().RegisterType(TYPE_UNIT_DESC, "EUnitDesc", [] { return new EUnitDesc; });
    if (!g_units)
        g_units = std::make_unique<NamedObjectList>();
}

void RegisterGasType() {
    SupportGuard guard(SupportLock());
    TypeRegistry::Global().RegisterType(TYPE_GAS_DESC, "EGasDesc", [] { return new EGasDesc; });
    if (!g_gases)
        g_gases = std::make_unique<NamedObjectList>();
}

void RegisterUnits() {
    SupportGuard guard(SupportLock());
    if (!g_units || !g_units->IsEmpty())
        return;
    for (const UnitRow& row : kUnits) {
        auto unit = std::make_unique<EUnitDesc>(row.id, row.name, row.decimals);
        if (g_units->Append(unit.get()))
            unit.release();
    }
    g_units->BuildIndex(kIndexes);
}

void RegisterGases() {
    SupportGuard guard(SupportLock());
    if (!g_gases || !g_gases->IsEmpty())
        return;
    for (const GasRow& row : kGases) {
        auto gas = std::make_unique<EGasDesc>(row.id, row.name, row.molecularWeight);
        if (g_gases->Append(gas.get()))
            gas.release();
    }
    g_gases->BuildIndex(kIndexes);
}

void DestroyGases() {
    SupportGuard guard(SupportLock());
    g_gases.reset();
}

void DestroyUnits() {
    SupportGuard guard(SupportLock());
    g_units.reset();
}

EUnitDesc* FindUnit(uint32_t id) {
    SupportGuard guard(SupportLock());
    return g_units ? static_cast<EUnitDesc*>(g_units->FindById(id)) : nullptr;
}

EUnitDesc* FindUnitByName(const SupportString& name) {
    SupportGuard guard(SupportLock());
    return g_units ? static_cast<EUnitDesc*>(g_units->FindByName(name)) : nullptr;
}

EGasDesc* FindGas(uint32_t id) {
    SupportGuard guard(SupportLock());
    return g_gases ? static_cast<EGasDesc*>(g_gases->FindById(id)) : nullptr;
}

EGasDesc* FindGasByName(const SupportString& name) {
    SupportGuard guard(SupportLock());
    return g_gases ? static_cast<EGasDesc*>(g_gases->FindByName(name)) : nullptr;
}

const NamedObjectList* UnitList() {
    SupportGuard guard(SupportLock());
    return g_units.get();
}

const NamedObjectList* GasList() {
    SupportGuard guard(SupportLock());
    return g_gases.get();
}
