#pragma once
// Start-up and shut-down of the telephony layer. The lines are the AT-command modems the user
// lists in the settings group "Telephony", numbered from 1 without gaps:
//   Line<n>Name    the name shown in the Windows-modem site's modem list (default: the device)
//   Line<n>Device  the serial device path, for example "/dev/ttyUSB0" (required; the first
//                  number without one ends the list)
//   Line<n>Speed   the port speed in bits per second (default 19200)
// With no lines the device list stays empty, as on a system without a telephone service,
// and Windows-modem sites never connect.

#include "platform/TelephonyATBackend.h"

#include <vector>

class CVANTIQApp;
class SettingsStore;

std::vector<TelephonyLineConfig> ReadTelephonyLines(SettingsStore& settings);

// Adds the StartTelephony hook (builds the service and fills the device list) and the
// StopTelephony hook (drops every call and shuts the service down).
void InstallTelephony(CVANTIQApp& app);
