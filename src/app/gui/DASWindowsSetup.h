#pragma once
// Puts the DAS windows behind the places that open them: the front panel's DAS command, the
// instrument property sheet's configuration button, the channel and parameter editors, the
// data view, graph and data files; and gives the DAS window the application's check box
// option and the global record selection ("DAS Settings").

class CVANTIQApp;

void InstallDASWindows(CVANTIQApp& app);
