#include "support/DateTime.h"

#include <ctime>

namespace {
const int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
const char* const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kWeekdays[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

int LeapDaysBefore(int year) {
    if (year <= 1972)
        return 0;
    if (year <= 2100)
        return (year - 1973) / 4 + 1;
    return (year - 1973) / 4; // 2100 is not a leap year
}
} // namespace

bool DateTime::IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DateTime::DaysInMonth(int year, int month) {
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month - 1];
}

const char* DateTime::MonthName(int month) {
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "UNK";
}

const char* DateTime::WeekdayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? kWeekdays[weekday - 1] : "UNK";
}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second)
    : m_year(year), m_month(month), m_day(day), m_hour(hour), m_minute(minute), m_second(second) {
    FromParts();
}

DateTime::DateTime(uint32_t seconds) : m_seconds(seconds) {
    FromSeconds();
}

void DateTime::FromParts() {
    m_building = true;
    if (m_year >= 0 && m_year <= 69)
        m_year += 2000;
    else if (m_year >= 70 && m_year <= 99)
        m_year += 1900;
    m_year2 = ((m_year % 100) + 100) % 100;
    m_valid = m_year >= kFirstYear && m_year <= kLastYear && m_month >= 1 && m_month <= 12 &&
              m_day >= 1 && m_day <= DaysInMonth(m_year, m_month) && m_hour >= 0 && m_hour <= 23 &&
              m_minute >= 0 && m_minute <= 59 && m_second >= 0 && m_second <= 59;
    if (!m_valid) {
        m_seconds = 0;
        m_weekday = 0;
        m_dayOfYear = 0;
        m_building = false;
        return;
    }
    m_dayOfYear = kDaysBefore[m_month - 1] + m_day + (m_month > 2 && IsLeapYear(m_year) ? 1 : 0);
    const uint32_t days = 365u * static_cast<uint32_t>(m_year - 1970) +
                          static_cast<uint32_t>(LeapDaysBefore(m_year) + m_dayOfYear - 1);
    m_weekday = static_cast<int>((days + 4) % 7) + 1;
    m_seconds =
        ((days * 24u + static_cast<uint32_t>(m_hour)) * 60u + static_cast<uint32_t>(m_minute)) *
            60u +
        static_cast<uint32_t>(m_second);
    m_building = false;
}

void DateTime::FromSeconds() {
    const uint32_t s = m_seconds;
    m_hour = static_cast<int>(s % 86400 / 3600);
    m_minute = static_cast<int>(s % 3600 / 60);
    m_second = static_cast<int>(s % 60);
    uint32_t days = s / 86400;
    m_weekday = static_cast<int>((days + 4) % 7) + 1;
    int year = 1970;
    for (;;) {
        const uint32_t length = IsLeapYear(year) ? 366 : 365;
        if (days < length)
            break;
        days -= length;
        ++year;
    }
    m_year = year;
    m_year2 = year % 100;
    m_dayOfYear = static_cast<int>(days) + 1;
    int month = 1;
    while (month < 12 && m_dayOfYear > kDaysBefore[month] + (month >= 2 && IsLeapYear(year)))
        ++month;
    m_month = month;
    m_day = m_dayOfYear - kDaysBefore[month - 1] - (month > 2 && IsLeapYear(year) ? 1 : 0);
    m_valid = true;
    m_building = false;
}

DateTime DateTime::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    if (localtime_r(&now, &tm))
        return DateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec);
    return DateTime(static_cast<uint32_t>(now));
}

DateTime DateTime::operator+(const TimeSpan& span) const {
    return DateTime(m_seconds + span.GetTotalSeconds());
}

TimeSpan DateTime::operator-(const DateTime& other) const {
    return TimeSpan(m_seconds - other.m_seconds);
}
