#pragma once
// What the simulated instrument knows and remembers, shared by its protocol modules.

#include "sim/SimConfig.h"
#include "sim/SimDasConfiguration.h"

#include <cstdint>
#include <map>
#include <string>

struct SimState {
    explicit SimState(const SimConfig& config);

    SimConfig config;
    bool loggedOn = false;
    // Integer and real variables by upper-case name; the mode variable lives here too.
    std::map<std::string, std::string> variables;
    int screen = 0;           // the display module's current screen
    int screenItem = 0;       // which test value or listing line that screen shows
    bool faultActive = false; // the configured fault applies to the command being answered
    SimDasConfiguration das;

    // The reply header's time: day of year (1..366), hours, minutes, and the year.
    struct Now {
        int dayOfYear, hour, minute, year, month, day;
    };
    Now CurrentTime() const;
    // The same clock in seconds since 1970, its local time read as UTC (as the DAS stamps
    // its records).
    int64_t ClockSeconds() const;

    static std::string Upper(const std::string& s);
};
