#pragma once
// Date and time texts chosen by a bit-coded format code. The bits select the parts, written
// in a fixed order, each after the separator the previous part left (a blank at first).

#include "support/DateTime.h"
#include "support/SupportString.h"

enum DateFormatBits : unsigned {
    DATE_YEAR4 = 0x01,     // the year in four digits
    DATE_YEAR2 = 0x02,     // the year in two digits (unless DATE_YEAR4)
    DATE_MONTH_DAY = 0x04, // MM/DD
    DATE_DAY_MONTH = 0x08, // DD-MON (before DATE_MONTH_DAY)
    DATE_DATE = 0x10,      // the date part; DD alone without the two above
    DATE_HOUR = 0x20,
    DATE_MINUTE = 0x40,
    DATE_SECOND = 0x80,
    DATE_WEEKDAY = 0x100,
    DATE_DAY_OF_YEAR = 0x200, // "%3d"
};

enum DateFormatCode : unsigned {
    DATE_FMT_MMDDYYYY = 21,
    DATE_FMT_MMDDYY = 22,
    DATE_FMT_DDMONYYYY = 25,
    DATE_FMT_DDMONYY = 26,
    DATE_FMT_HHMM = 96,
    DATE_FMT_MMDDYYYY_HHMM = 117, // sequence timer starts
    DATE_FMT_HHMMSS = 224,
    DATE_FMT_MMDDYYYY_HHMMSS = 245, // activity log stamps
    DATE_FMT_MMDDYY_HHMMSS = 246,
    DATE_FMT_DDMONYYYY_HHMMSS = 249,
    DATE_FMT_DDMONYY_HHMMSS = 250,
    DATE_FMT_DDD_HHMM = 608, // DAS day-of-year times
};

SupportString Format(const DateTime& when, unsigned code);
