#include "das/SelectionSet.h"

#include "model/Archive.h"
#include "support/DateTime.h"

#include <ctime>

namespace {

uint32_t NowSeconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}

// Whole periods of `length` seconds, counted back `count - 1` from the one holding now.
uint32_t PeriodStart(uint32_t now, uint32_t length, int32_t count) {
    const int64_t whole = now / length;
    const int64_t back = static_cast<int64_t>(count) - 1;
    return whole > back ? static_cast<uint32_t>((whole - back) * length) : 0;
}

} // namespace

CSelectionSet::CSelectionSet() : m_start(NowSeconds()), m_end(NowSeconds()) {}

uint32_t CSelectionSet::GetStartTime() const {
    return GetStartTime(NowSeconds());
}

uint32_t CSelectionSet::GetStartTime(uint32_t now) const {
    switch (m_type) {
    case SEL_HOURS:
        return PeriodStart(now, 3600, m_hours);
    case SEL_DAYS:
        return PeriodStart(now, 86400, m_days);
    case SEL_WEEKS: {
        // Weeks begin on Sunday 00:00; the first Sunday after the epoch is 1970-01-04.
        constexpr uint32_t kFirstSunday = 259200, kWeek = 604800;
        const uint32_t t = now >= kFirstSunday ? now - kFirstSunday : now;
        const int64_t w = t / kWeek;
        const int64_t back = static_cast<int64_t>(m_weeks) - 1;
        return w > back ? static_cast<uint32_t>((w - back) * kWeek + kFirstSunday) : kFirstSunday;
    }
    case SEL_MONTHS: {
        const DateTime today(now);
        int64_t m = static_cast<int64_t>(today.GetYear()) * 12 + today.GetMonth() - 1;
        const int64_t back = static_cast<int64_t>(m_months) - 1;
        m = m > back ? m - back : 0;
        const DateTime start(static_cast<int>(m / 12), static_cast<int>(m % 12) + 1, 1);
        return start.GetSeconds();
    }
    default:
        return 0;
    }
}

void CSelectionSet::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteInt32(m_type);
        ar.WriteUInt32(m_start);
        ar.WriteUInt32(m_end);
        ar.WriteInt32(m_records);
        ar.WriteInt32(m_hours);
        ar.WriteInt32(m_days);
        ar.WriteInt32(m_weeks);
        ar.WriteInt32(m_months);
        ar.WriteBool(m_useInstrumentDates);
        return;
    }
    m_type = ar.ReadInt32();
    m_start = ar.ReadUInt32();
    m_end = ar.ReadUInt32();
    m_records = ar.ReadInt32();
    m_hours = ar.ReadInt32();
    m_days = ar.ReadInt32();
    m_weeks = ar.ReadInt32();
    m_months = ar.ReadInt32();
    m_useInstrumentDates = ar.ReadBool();
}
