#pragma once
// Start-up and shut-down of the text support: the support library (node pool, type
// registry, default name flags), the gas and unit registries and the token-stream tables.

class CVANTIQApp;

// In start-up order: node pool, type registry, default name flags, unit type, units, gas
// type, gases. Running it again changes nothing.
bool InitSupportLibrary();
// Gases, units, type registry, node pool.
void FreeSupportLibrary();

// Adds the RegisterSupport, SortKeywordTables and FreeSupport hooks to the application.
void InstallTextSupport(CVANTIQApp& app);
