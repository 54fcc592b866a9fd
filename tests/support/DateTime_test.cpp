#include "support/DateFormat.h"
#include "support/DateTime.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTime, ValidityTable) {
    const struct {
        int y, mo, d, h, mi, s;
        bool valid;
        int year, dayOfYear;
    } rows[] = {
        {2004, 2, 29, 0, 0, 0, true, 2004, 60}, {2005, 2, 29, 10, 11, 12, false, 2005, 0},
        {2000, 2, 29, 0, 0, 0, true, 2000, 60}, {2100, 2, 29, 0, 0, 0, false, 2100, 0},
        {2101, 3, 1, 0, 0, 0, true, 2101, 60},  {2004, 13, 1, 0, 0, 0, false, 2004, 0},
        {2004, 4, 31, 0, 0, 0, false, 2004, 0}, {2004, 4, 1, 24, 0, 0, false, 2004, 0},
        {2004, 4, 1, 0, 60, 0, false, 2004, 0}, {2004, 4, 1, 0, 0, 60, false, 2004, 0},
        {2004, 4, 0, 0, 0, 0, false, 2004, 0},  {4, 1, 1, 0, 0, 0, true, 2004, 1},
        {69, 1, 1, 0, 0, 0, true, 2069, 1},     {70, 1, 1, 0, 0, 0, true, 1970, 1},
        {99, 12, 31, 0, 0, 0, true, 1999, 365}, {2105, 12, 31, 23, 59, 59, true, 2105, 365},
        {2106, 1, 1, 0, 0, 0, false, 2106, 0},  {1969, 12, 31, 0, 0, 0, false, 1969, 0},
        {100, 1, 1, 0, 0, 0, false, 100, 0}, // taken as the year 100
    };
    for (const auto& r : rows) {
        const DateTime d(r.y, r.mo, r.d, r.h, r.mi, r.s);
        SCOPED_TRACE(::testing::Message() << r.y << "-" << r.mo << "-" << r.d << " " << r.h);
        EXPECT_EQ(d.IsValid(), r.valid);
        EXPECT_EQ(d.GetYear(), r.year);
        EXPECT_EQ(d.GetDayOfYear(), r.dayOfYear);
        if (!r.valid) { // no instant; the parts stay as given (the format table prints them)
            EXPECT_EQ(d.GetSeconds(), 0u);
        }
    }
    EXPECT_EQ(DateTime(2069, 1, 1).GetYear2(), 69);
    EXPECT_EQ((DateTime(2101, 1, 1) - DateTime(2100, 1, 1)).GetDays(), 365u);
}

TEST(DateTime, KnownInstantsAndNames) {
    EXPECT_STREQ(DateTime::WeekdayName(DateTime().GetWeekday()), "THU"); // 1 January 1970
    EXPECT_EQ(DateTime(2000, 1, 1).GetSeconds(), 946684800u);
    EXPECT_EQ(DateTime(2038, 1, 19, 3, 14, 8).GetSeconds(), 2147483648u);
    EXPECT_EQ(DateTime(2105, 12, 31, 23, 59, 59).GetSeconds(), 4291747199u);
    EXPECT_GE(DateTime::Now().GetYear(), 2024);
    const std::string names = std::string(DateTime::MonthName(1)) + DateTime::MonthName(12) +
                              DateTime::MonthName(0) + DateTime::MonthName(13) +
                              DateTime::WeekdayName(7) + DateTime::WeekdayName(0);
    EXPECT_EQ(names, "JANDECUNKUNKSATUNK");
}

TEST(DateTime, SecondsAndPartsAgreeAcrossTheRange) {
    // Every day boundary from 1970 to 2105 at a few times of day, by walking the calendar.
    uint32_t expectedDays = 0;
    for (int year = 1970; year <= 2105; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DateTime::DaysInMonth(year, month); ++day, ++expectedDays) {
                const DateTime d(year, month, day, 13, 5, 9);
                ASSERT_TRUE(d.IsValid());
                ASSERT_EQ(d.GetSeconds(), expectedDays * 86400u + 13 * 3600 + 5 * 60 + 9)
                    << year << "-" << month << "-" << day;
                const DateTime back(d.GetSeconds());
                ASSERT_EQ(back.GetYear(), year);
                ASSERT_EQ(back.GetMonth(), month);
                ASSERT_EQ(back.GetDay(), day);
                ASSERT_EQ(back.GetWeekday(), static_cast<int>((expectedDays + 4) % 7) + 1);
                ASSERT_EQ(back.GetSecond(), 9);
            }
        }
    }
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
        {d, DATE_FMT_MMDDYYYY, "01/05/2023"},
        {d, DATE_FMT_MMDDYY, "01/05/23"},
        {d, DATE_FMT_DDMONYYYY, "05-JAN-2023"},
        {d, DATE_FMT_DDMONYY, "05-JAN-23"},
        {d, DATE_FMT_HHMM, "07:08"},
        {d, DATE_FMT_MMDDYYYY_HHMM, "01/05/2023 07:08"},
        {d, DATE_FMT_HHMMSS, "07:08:09"},
        {d, DATE_FMT_MMDDYYYY_HHMMSS, "01/05/2023 07:08:09"},
        {d, DATE_FMT_MMDDYY_HHMMSS, "01/05/23 07:08:09"},
        {d, DATE_FMT_DDMONYYYY_HHMMSS, "05-JAN-2023 07:08:09"},
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
        {DateTime(2005, 2, 29), DATE_FMT_MMDDYYYY, "02/29/2005"}, // invalid: still its parts
    };
    for (const auto& r : rows)
        EXPECT_EQ(Format(r.when, r.code).str(), r.text) << r.text;
}

} // namespace
