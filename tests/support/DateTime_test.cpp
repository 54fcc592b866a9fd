#include "support/DateFormat.h"
#include "support/DateTime.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Parts become an instant and back: the range's ends, two-digit years, leap days (a century
// that leaps and one that does not), the end of a leap year and the 32-bit signed limit. An
// invalid date has no instant; its parts stay as given (the format table prints them).
TEST(DateTime, PartsAndInstantsTable) {
    // clang-format off
    const struct {
        int y, mo, d, h, mi, s;
        bool valid;
        int year, dayOfYear;
        uint32_t seconds;
        const char* weekday;
    } rows[] = {
        {70, 1, 1, 0, 0, 0, true, 1970, 1, 0, "THU"},
        {1972, 2, 29, 13, 5, 9, true, 1972, 60, 68216709, "TUE"},
        {1972, 12, 31, 23, 59, 59, true, 1972, 366, 94694399, "SUN"},
        {99, 12, 31, 0, 0, 0, true, 1999, 365, 946598400, "FRI"},
        {2000, 2, 29, 0, 0, 0, true, 2000, 60, 951782400, "TUE"},
        {2038, 1, 19, 3, 14, 8, true, 2038, 19, 2147483648u, "TUE"},
        {69, 1, 5, 0, 0, 0, true, 2069, 5, 3124569600u, "SAT"},
        {2100, 3, 1, 0, 0, 0, true, 2100, 60, 4107542400u, "MON"},
        {2101, 3, 1, 0, 0, 0, true, 2101, 60, 4139078400u, "TUE"},
        {2104, 12, 31, 6, 7, 8, true, 2104, 366, 4260146828u, "WED"},
        {2105, 12, 31, 23, 59, 59, true, 2105, 365, 4291747199u, "THU"},
        {2005, 2, 29, 10, 11, 12, false, 2005, 0, 0, "UNK"},
        {2100, 2, 29, 0, 0, 0, false, 2100, 0, 0, "UNK"},
        {2004, 13, 1, 0, 0, 0, false, 2004, 0, 0, "UNK"},
        {2004, 4, 31, 0, 0, 0, false, 2004, 0, 0, "UNK"},
        {2004, 4, 1, 24, 0, 0, false, 2004, 0, 0, "UNK"},
        {2004, 4, 1, 0, 60, 0, false, 2004, 0, 0, "UNK"},
        {2004, 4, 1, 0, 0, 60, false, 2004, 0, 0, "UNK"},
        {2004, 4, 0, 0, 0, 0, false, 2004, 0, 0, "UNK"},
        {2106, 1, 1, 0, 0, 0, false, 2106, 0, 0, "UNK"},
        {1969, 12, 31, 0, 0, 0, false, 1969, 0, 0, "UNK"},
        {100, 1, 1, 0, 0, 0, false, 100, 0, 0, "UNK"}, // taken as the year 100
    };
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.y << "-" << r.mo << "-" << r.d << " " << r.h);
        const DateTime d(r.y, r.mo, r.d, r.h, r.mi, r.s);
        EXPECT_EQ(std::tuple(d.IsValid(), d.GetYear(), d.GetDayOfYear(), d.GetSeconds()),
                  std::tuple(r.valid, r.year, r.dayOfYear, r.seconds));
        EXPECT_STREQ(DateTime::WeekdayName(d.GetWeekday()), r.weekday);
        if (r.valid) {
            const DateTime back(r.seconds);
            EXPECT_EQ(std::tuple(back.GetYear(), back.GetMonth(), back.GetDay(), back.GetHour(),
                                 back.GetMinute(), back.GetSecond(), back.GetDayOfYear()),
                      std::tuple(r.year, r.mo, r.d, r.h, r.mi, r.s, r.dayOfYear));
            EXPECT_STREQ(DateTime::WeekdayName(back.GetWeekday()), r.weekday);
        }
    }
    EXPECT_EQ(DateTime(2069, 1, 1).GetYear2(), 69);
    EXPECT_GE(DateTime::Now().GetYear(), 2024);
    const std::string names = std::string(DateTime::MonthName(1)) + DateTime::MonthName(12) +
                              DateTime::MonthName(0) + DateTime::MonthName(13) +
                              DateTime::WeekdayName(8);
    EXPECT_EQ(names, "JANDECUNKUNKUNK");
}

TEST(DateTime, SpansAddAndSubtract) {
    const TimeSpan span(1, 2, 3, 0);
    EXPECT_EQ(span.GetTotalSeconds(), 93780u);
    EXPECT_EQ(TimeSpan(0, 0, 90, 0).GetHours(), 1u); // parts carry over
    EXPECT_EQ(TimeSpan(0, 0, 90, 0).GetMinutes(), 30u);
    const DateTime d(2004, 2, 28, 23, 0, 0);
    EXPECT_EQ(Format(d + span, DATE_FMT_MMDDYYYY_HHMMSS).str(), "03/01/2004 01:03:00");
    EXPECT_EQ((d + span) - d, span);
}

TEST(DateFormat, CodeTable) {
    const DateTime d(2023, 1, 5, 7, 8, 9), jul(2004, 7, 4);
    const struct {
        DateTime when;
        unsigned code;
        const char* text;
    } rows[] = {
        {d, DATE_FMT_MMDDYYYY_HHMM, "01/05/2023 07:08"},
        {d, DATE_FMT_DDMONYY_HHMMSS, "05-JAN-23 07:08:09"},
        {d, DATE_FMT_DDD_HHMM, "  5:07:08"}, // the day of the year three wide
        {DateTime(2023, 12, 31, 23, 59, 0), DATE_FMT_DDD_HHMM, "365:23:59"},
        {jul, DATE_WEEKDAY | DATE_DATE | DATE_DAY_MONTH | DATE_YEAR4, "SUN 04-JUL-2004"},
        {jul, DATE_DATE, "04"},
        {jul, DATE_DATE | DATE_YEAR2, "04/04"},
        {jul, DATE_WEEKDAY | DATE_HOUR, "SUN 00"},
        {jul, DATE_DAY_OF_YEAR | DATE_DATE | DATE_MONTH_DAY, "186:07/04"},
        {jul, DATE_SECOND, "00"},
        {jul, 0, ""},
        {DateTime(2005, 2, 29), DATE_FMT_MMDDYYYY_HHMM, "02/29/2005 00:00"}, // invalid: its parts
    };
    for (const auto& r : rows)
        EXPECT_EQ(Format(r.when, r.code).str(), r.text) << r.text;
}

} // namespace
