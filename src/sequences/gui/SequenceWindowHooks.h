#pragma once
// Lets the front panel's command in its sequence mode open the sequence configuration window
// (the property sheet's configuration button is shared with the DAS window and set up with it).

void InstallSequenceWindow();
