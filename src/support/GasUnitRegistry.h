#pragma once
// The process-wide gas and unit registries: filled once at start-up with the built-in tables,
// indexed by name and id, and not changed again until shut-down. Lookups take the support
// lock; name lookups ignore ASCII case.

#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"
#include "support/SupportString.h"

#include <cstdint>

class NamedObjectList;

// Register the type with the type registry and create the empty list (once).
void RegisterUnitType();
void RegisterGasType();
// Fill an empty list with the built-in table and index it.
void RegisterUnits();
void RegisterGases();
// Destroy the list and its objects.
void DestroyGases();
void DestroyUnits();

EUnitDesc* FindUnit(uint32_t id);
EUnitDesc* FindUnitByName(const SupportString& name);
EGasDesc* FindGas(uint32_t id);
EGasDesc* FindGasByName(const SupportString& name);

// The lists themselves (null before registration or after destruction).
const NamedObjectList* UnitList();
const NamedObjectList* GasList();
