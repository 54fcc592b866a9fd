#include "support/DateFormat.h"
#include "support/DateTime.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTime, DefaultIsTheEpochOnAThursday) {
    DateTime d;
    EXPECT_TRUE(d.IsValid());
    EXPECT_EQ(d.GetSeconds(), 0u);
    EXPECT_EQ(d.GetYear(), 1970);
    EXPECT_EQ(d.GetWeekday(), 5);
    EXPECT_EQ(d.GetDayOfYear(), 1);
    EXPECT_STREQ(DateTime::WeekdayName(d.GetWeekday()), "THU");
}

TEST(DateTime, LeapDaysAndInvalidDates) {
    DateTime leap(2004, 2, 29);
    EXPECT_TRUE(leap.IsValid());
    EXPECT_EQ(leap.GetDayOfYear(), 60);
    DateTime notLeap(2005, 2, 29, 10, 11, 12);
    EXPECT_FALSE(notLeap.IsValid());
    EXPECT_EQ(notLeap.GetSeconds(), 0u);
    EXPECT_EQ(notLeap.GetWeekday(), 0);
    EXPECT_EQ(notLeap.GetDayOfYear(), 0);
    // The parts stay as given.
    EXPECT_EQ(notLeap.GetDay(), 29);
    EXPECT_EQ(notLeap.GetHour(), 10);
    EXPECT_FALSE(notLeap.IsBuilding());
    EXPECT_TRUE(DateTime(2000, 2, 29).IsValid()); // divisible by 400
    EXPECT_FALSE(DateTime(2004, 13, 1).IsValid());
    EXPECT_FALSE(DateTime(2004, 4, 31).IsValid());
    EXPECT_FALSE(DateTime(2004, 4, 1, 24, 0, 0).IsValid());
    EXPECT_FALSE(DateTime(2004, 4, 1, 0, 60, 0).IsValid());
    EXPECT_FALSE(DateTime(2004, 4, 1, 0, 0, 60).IsValid());
    EXPECT_FALSE(DateTime(2004, 4, 0).IsValid());
}

TEST(DateTime, TwoDigitYearsAndTheRange) {
    EXPECT_EQ(DateTime(4, 1, 1).GetYear(), 2004);
    EXPECT_EQ(DateTime(69, 1, 1).GetYear(), 2069);
    EXPECT_EQ(DateTime(70, 1, 1).GetYear(), 1970);
    EXPECT_EQ(DateTime(99, 12, 31).GetYear(), 1999);
    EXPECT_EQ(DateTime(2069, 1, 1).GetYear2(), 69);
    EXPECT_TRUE(DateTime(2105, 12, 31, 23, 59, 59).IsValid());
    EXPECT_FALSE(DateTime(2106, 1, 1).IsValid());
    EXPECT_FALSE(DateTime(1969, 12, 31).IsValid());
    EXPECT_FALSE(DateTime(100, 1, 1).IsValid()); // taken as the year 100
}

TEST(DateTime, TheYear2100IsNoLeapYear) {
    EXPECT_FALSE(DateTime(2100, 2, 29).IsValid());
    const DateTime start(2100, 1, 1);
    const DateTime next(2101, 1, 1);
    EXPECT_EQ((next - start).GetDays(), 365u);
    EXPECT_EQ(DateTime(2101, 3, 1).GetDayOfYear(), 60);
}

TEST(DateTime, KnownInstants) {
    EXPECT_EQ(DateTime(2000, 1, 1).GetSeconds(), 946684800u);
    EXPECT_EQ(DateTime(2004, 7, 4).GetWeekday(), 1); // a Sunday
    EXPECT_EQ(DateTime(2038, 1, 19, 3, 14, 8).GetSeconds(), 2147483648u);
    EXPECT_EQ(DateTime(2105, 12, 31, 23, 59, 59).GetSeconds(), 4291747199u);
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
                ASSERT_EQ(back.GetDayOfYear(), d.GetDayOfYear());
                ASSERT_EQ(back.GetWeekday(), d.GetWeekday());
                ASSERT_EQ(back.GetWeekday(), static_cast<int>((expectedDays + 4) % 7) + 1);
                ASSERT_EQ(back.GetHour(), 13);
                ASSERT_EQ(back.GetMinute(), 5);
                ASSERT_EQ(back.GetSecond(), 9);
            }
        }
    }
}

TEST(DateTime, SpansAddAndSubtract) {
    const TimeSpan span(1, 2, 3, 0);
    EXPECT_EQ(span.GetTotalSeconds(), 93780u);
    EXPECT_EQ(TimeSpan(93780).GetHours(), 2u);
    EXPECT_EQ(TimeSpan(0, 0, 90, 0).GetHours(), 1u); // parts carry over
    EXPECT_EQ(TimeSpan(0, 0, 90, 0).GetMinutes(), 30u);
    const DateTime d(2004, 2, 28, 23, 0, 0);
    const DateTime later = d + span;
    EXPECT_EQ(later.GetMonth(), 3);
    EXPECT_EQ(later.GetDay(), 1);
    EXPECT_EQ(later.GetHour(), 1);
    EXPECT_EQ(later.GetMinute(), 3);
    EXPECT_EQ(later - d, span);
}

TEST(DateTime, NowIsAValidCurrentDate) {
    const DateTime now = DateTime::Now();
    EXPECT_TRUE(now.IsValid());
    EXPECT_GE(now.GetYear(), 2024);
}

TEST(DateTime, NameTables) {
    EXPECT_STREQ(DateTime::MonthName(1), "JAN");
    EXPECT_STREQ(DateTime::MonthName(12), "DEC");
    EXPECT_STREQ(DateTime::MonthName(0), "UNK");
    EXPECT_STREQ(DateTime::MonthName(13), "UNK");
    EXPECT_STREQ(DateTime::WeekdayName(7), "SAT");
    EXPECT_STREQ(DateTime::WeekdayName(0), "UNK");
}

TEST(DateFormat, FixedCodes) {
    const DateTime d(2023, 1, 5, 7, 8, 9);
    EXPECT_EQ(Format(d, DATE_FMT_MMDDYYYY).str(), "01/05/2023");
    EXPECT_EQ(Format(d, DATE_FMT_MMDDYY).str(), "01/05/23");
    EXPECT_EQ(Format(d, DATE_FMT_DDMONYYYY).str(), "05-JAN-2023");
    EXPECT_EQ(Format(d, DATE_FMT_DDMONYY).str(), "05-JAN-23");
    EXPECT_EQ(Format(d, DATE_FMT_HHMM).str(), "07:08");
    EXPECT_EQ(Format(d, DATE_FMT_MMDDYYYY_HHMM).str(), "01/05/2023 07:08");
    EXPECT_EQ(Format(d, DATE_FMT_HHMMSS).str(), "07:08:09");
    EXPECT_EQ(Format(d, DATE_FMT_MMDDYYYY_HHMMSS).str(), "01/05/2023 07:08:09");
    EXPECT_EQ(Format(d, DATE_FMT_MMDDYY_HHMMSS).str(), "01/05/23 07:08:09");
    EXPECT_EQ(Format(d, DATE_FMT_DDMONYYYY_HHMMSS).str(), "05-JAN-2023 07:08:09");
    EXPECT_EQ(Format(d, DATE_FMT_DDMONYY_HHMMSS).str(), "05-JAN-23 07:08:09");
    // Day of the year three wide: two blanks before a one-digit day.
    EXPECT_EQ(Format(d, DATE_FMT_DDD_HHMM).str(), "  5:07:08");
    EXPECT_EQ(Format(DateTime(2023, 12, 31, 23, 59, 0), DATE_FMT_DDD_HHMM).str(), "365:23:59");
}

TEST(DateFormat, BitsCombineWithTheirSeparators) {
    const DateTime d(2004, 7, 4);
    EXPECT_EQ(Format(d, DATE_WEEKDAY | DATE_DATE | DATE_DAY_MONTH | DATE_YEAR4).str(),
              "SUN 04-JUL-2004");
    EXPECT_EQ(Format(d, DATE_DATE).str(), "04");
    EXPECT_EQ(Format(d, DATE_DATE | DATE_YEAR2).str(), "04/04");
    EXPECT_EQ(Format(d, DATE_WEEKDAY | DATE_HOUR).str(), "SUN 00");
    EXPECT_EQ(Format(d, DATE_DAY_OF_YEAR | DATE_DATE | DATE_MONTH_DAY).str(), "186:07/04");
    EXPECT_EQ(Format(d, DATE_SECOND).str(), "00");
    EXPECT_EQ(Format(d, 0).str(), "");
    // An invalid date still formats its parts.
    EXPECT_EQ(Format(DateTime(2005, 2, 29), DATE_FMT_MMDDYYYY).str(), "02/29/2005");
}

} // namespace
