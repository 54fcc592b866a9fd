#include "sim/SimState.h"

#include <cctype>
#include <ctime>

SimState::SimState(const SimConfig& c) : config(c) {
    variables[Upper(config.modeVarName)] = std::to_string(config.modeValue);
    if (config.hasDas) {
        variables["DAS_HOLD_OFF"] = "15.0";
        das = SimDasConfiguration::Default(CurrentTime().year);
        for (SimDasChannel& c : das.channels)
            c.stored = config.dasRecords > 0
                           ? config.dasRecords
                           : static_cast<uint32_t>(365 * 86400 / c.IntervalSeconds());
    }
}

std::string SimState::Upper(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

SimState::Now SimState::CurrentTime() const {
    std::tm tm{};
    if (config.clock) {
        tm.tm_year = config.clock->year - 1900;
        tm.tm_mon = config.clock->month - 1;
        tm.tm_mday = config.clock->day;
        tm.tm_hour = config.clock->hour;
        tm.tm_min = config.clock->minute;
        tm.tm_isdst = -1;
        std::time_t t = timegm(&tm);
        gmtime_r(&t, &tm);
    } else {
        std::time_t t = std::time(nullptr);
        localtime_r(&t, &tm);
    }
    return Now{tm.tm_yday + 1, tm.tm_hour, tm.tm_min, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

int64_t SimState::ClockSeconds() const {
    const Now now = CurrentTime();
    std::tm tm{};
    tm.tm_year = now.year - 1900;
    tm.tm_mon = now.month - 1;
    tm.tm_mday = now.day;
    tm.tm_hour = now.hour;
    tm.tm_min = now.minute;
    return static_cast<int64_t>(timegm(&tm));
}
