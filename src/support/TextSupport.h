#pragma once
// Start-up and shut-down of the support library (node pool, type registry, default name
// flags) and the gas and unit registries.

// In start-up order: node pool, type registry, default name flags, unit type, units, gas
// type, gases. Running it again changes nothing.
bool InitSupportLibrary();
// Gases, units, type registry, node pool.
void FreeSupportLibrary();
