#pragma once
// Lets the front panel's command (in its sequence mode) and the instrument property sheet's
// configuration button open the sequence configuration window.

void InstallSequenceWindow();
