#include "CliSelection.h"

#include "base/Strings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct CountedType {
    const char* name;
    int type;
    int max;
};

// The ranges the Select Records dialog accepts.
constexpr CountedType kCounted[] = {
    {"records", CliSelection::Records, 10000}, {"hours", CliSelection::Hours, 24},
    {"days", CliSelection::Days, 366},         {"weeks", CliSelection::Weeks, 52},
    {"months", CliSelection::Months, 12},
};

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2105;

bool ParseCount(const std::string& text, int max, int& out) {
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < 1 || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

struct Stamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

bool ParseStamp(const std::string& text, Stamp& s) {
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%n", &s.year, &s.month, &s.day, &s.hour,
                    &s.minute, &used) != 5)
        return false;
    if (static_cast<size_t>(used) != text.size()) {
        int more = 0;
        if (std::sscanf(text.c_str() + used, ":%2d%n", &s.second, &more) != 1 ||
            static_cast<size_t>(used + more) != text.size())
            return false;
    }
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (text.size() < 16 || text[4] != '-' || text[7] != '-' || s.month < 1 || s.month > 12 ||
        s.day < 1 || s.day > days[s.month - 1] || s.hour < 0 || s.hour > 23 || s.minute < 0 ||
        s.minute > 59 || s.second < 0 || s.second > 59)
        return false;
    const bool leap = (s.year % 4 == 0 && s.year % 100 != 0) || s.year % 400 == 0;
    return !(s.month == 2 && s.day == 29 && !leap);
}

int64_t Seconds(const Stamp& s) {
    std::tm tm{};
    tm.tm_year = s.year - 1900;
    tm.tm_mon = s.month - 1;
    tm.tm_mday = s.day;
    tm.tm_hour = s.hour;
    tm.tm_min = s.minute;
    tm.tm_sec = s.second;
    return static_cast<int64_t>(timegm(&tm));
}

std::string YearText(unsigned id, int year) {
    char buf[256];
    std::snprintf(buf, sizeof buf, LoadString(id).c_str(), year, kFirstYear, kLastYear);
    return buf;
}

} // namespace

bool ParseCliSelection(const std::string& text, CliSelection& selection, std::string& error) {
    CliSelection s;
    if (text == "all") {
        selection = s;
        return true;
    }
    if (text == "since-last") {
        s.type = CliSelection::SinceLast;
        selection = s;
        return true;
    }
    const size_t eq = text.find('=');
    const std::string key = text.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : text.substr(eq + 1);
    for (const CountedType& c : kCounted) {
        if (key != c.name || eq == std::string::npos)
            continue;
        if (!ParseCount(value, c.max, s.count)) {
            error = std::string(c.name) + "=N needs N from 1 to " + std::to_string(c.max) +
                    ", not \"" + value + "\"";
            return false;
        }
        s.type = c.type;
        selection = s;
        return true;
    }
    if (key == "between" && eq != std::string::npos) {
        const size_t comma = value.find(',');
        Stamp from, to;
        if (comma == std::string::npos || !ParseStamp(value.substr(0, comma), from) ||
            !ParseStamp(value.substr(comma + 1), to)) {
            error = "between= needs two times YYYY-MM-DDTHH:MM[:SS] separated by a comma";
            return false;
        }
        // Both years are checked, as the Select Records dialog shows both messages.
        error.clear();
        if (from.year < kFirstYear || from.year > kLastYear)
            error = YearText(61294, from.year);
        if (to.year < kFirstYear || to.year > kLastYear)
            error += (error.empty() ? "" : "\n") + YearText(61295, to.year);
        if (!error.empty())
            return false;
        s.type = CliSelection::Between;
        s.start = Seconds(from);
        s.end = Seconds(to);
        selection = s;
        return true;
    }
    error = "bad selection \"" + text +
            "\" (all, since-last, records=N, hours=N, days=N, weeks=N, months=N or "
            "between=FROM,TO)";
    return false;
}
