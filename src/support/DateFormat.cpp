#include "support/DateFormat.h"

#include <cstdio>

SupportString Format(const DateTime& when, unsigned code) {
    std::string out;
    char separator = ' ';
    char part[32];
    auto put = [&](char next) {
        if (!out.empty())
            out += separator;
        out += part;
        separator = next;
    };

    if (code & DATE_WEEKDAY) {
        std::snprintf(part, sizeof part, "%s", DateTime::WeekdayName(when.GetWeekday()));
        put(' ');
    }
    if (code & DATE_DAY_OF_YEAR) {
        std::snprintf(part, sizeof part, "%3d", when.GetDayOfYear());
        put(':');
    }
    if (code & DATE_DATE) {
        if (code & DATE_DAY_MONTH) {
            std::snprintf(part, sizeof part, "%02d-%s", when.GetDay(),
                          DateTime::MonthName(when.GetMonth()));
            put('-');
        } else if (code & DATE_MONTH_DAY) {
            std::snprintf(part, sizeof part, "%02d/%02d", when.GetMonth(), when.GetDay());
            put('/');
        } else {
            std::snprintf(part, sizeof part, "%02d", when.GetDay());
            put('/');
        }
    }
    if (code & (DATE_YEAR4 | DATE_YEAR2)) {
        if (code & DATE_YEAR4)
            std::snprintf(part, sizeof part, "%04d", when.GetYear());
        else
            std::snprintf(part, sizeof part, "%02d", when.GetYear2());
        put(' ');
    }
    if (code & DATE_HOUR) {
        std::snprintf(part, sizeof part, "%02d", when.GetHour());
        put(':');
    }
    if (code & DATE_MINUTE) {
        std::snprintf(part, sizeof part, "%02d", when.GetMinute());
        put(':');
    }
    if (code & DATE_SECOND) {
        std::snprintf(part, sizeof part, "%02d", when.GetSecond());
        put(':');
    }
    return SupportString(std::move(out));
}
