#pragma once
// A duration in whole seconds, with its days, hours, minutes and seconds.

#include <cstdint>

class TimeSpan {
public:
    TimeSpan() = default;
    explicit TimeSpan(uint32_t totalSeconds);
    // Parts beyond their range carry over (90 minutes are 1 hour 30 minutes).
    TimeSpan(uint32_t days, uint32_t hours, uint32_t minutes, uint32_t seconds);

    uint32_t GetTotalSeconds() const { return m_total; }
    uint32_t GetDays() const { return m_days; }
    uint32_t GetHours() const { return m_hours; }
    uint32_t GetMinutes() const { return m_minutes; }
    uint32_t GetSeconds() const { return m_seconds; }

    bool operator==(const TimeSpan& other) const { return m_total == other.m_total; }

private:
    uint32_t m_total = 0;
    uint32_t m_days = 0;
    uint32_t m_hours = 0;
    uint32_t m_minutes = 0;
    uint32_t m_seconds = 0;
};
