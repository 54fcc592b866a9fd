#include "support/TimeSpan.h"

TimeSpan::TimeSpan(uint32_t totalSeconds)
    : m_total(totalSeconds), m_days(totalSeconds / 86400), m_hours(totalSeconds % 86400 / 3600),
      m_minutes(totalSeconds % 3600 / 60), m_seconds(totalSeconds % 60) {}

TimeSpan::TimeSpan(uint32_t days, uint32_t hours, uint32_t minutes, uint32_t seconds)
    : TimeSpan(((days * 24u + hours) * 60u + minutes) * 60u + seconds) {}
