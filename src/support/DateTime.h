#pragma once
// A civil date and time without a time zone, counted in seconds from 1970-01-01 00:00:00 of
// whatever local calendar it was built from. Years 1970 to 2105 are representable.

#include "support/TimeSpan.h"

#include <cstdint>

class DateTime {
public:
    static constexpr int kFirstYear = 1970;
    static constexpr int kLastYear = 2105;

    // 1970-01-01 00:00:00, a Thursday.
    DateTime() = default;
    // Years 0..69 mean 2000..2069 and 70..99 mean 1970..1999. An impossible date is kept as
    // given but is not valid (seconds, weekday and day of the year are 0).
    DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    explicit DateTime(uint32_t seconds);

    // The platform clock's local time.
    static DateTime Now();

    static bool IsLeapYear(int year);
    // 28..31; 0 for a month outside 1..12.
    static int DaysInMonth(int year, int month);
    // "JAN".."DEC", "SUN".."SAT"; "UNK" outside the range.
    static const char* MonthName(int month);
    static const char* WeekdayName(int weekday);

    DateTime operator+(const TimeSpan& span) const;
    TimeSpan operator-(const DateTime& other) const;
    bool operator==(const DateTime& other) const { return m_seconds == other.m_seconds; }

    uint32_t GetSeconds() const { return m_seconds; }
    int GetYear() const { return m_year; }
    int GetYear2() const { return m_year2; }
    int GetMonth() const { return m_month; }
    int GetDay() const { return m_day; }
    int GetHour() const { return m_hour; }
    int GetMinute() const { return m_minute; }
    int GetSecond() const { return m_second; }
    // 1 = Sunday .. 7 = Saturday.
    int GetWeekday() const { return m_weekday; }
    int GetDayOfYear() const { return m_dayOfYear; }
    bool IsValid() const { return m_valid; }
    // Set only while the value is being computed from its parts.
    bool IsBuilding() const { return m_building; }

private:
    void FromParts();
    void FromSeconds();

    uint32_t m_seconds = 0;
    int m_year = 1970;
    int m_year2 = 70;
    int m_month = 1;
    int m_day = 1;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    int m_weekday = 5;
    int m_dayOfYear = 1;
    bool m_valid = true;
    bool m_building = false;
};
