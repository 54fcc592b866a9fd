#pragma once
// Start-up and shut-down of the text support: the support library, the gas and unit
// registries and the token-stream tables.

class CVANTIQApp;

// Adds the RegisterSupport, SortKeywordTables and FreeSupport hooks to the application.
void InstallTextSupport(CVANTIQApp& app);
