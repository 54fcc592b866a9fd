#pragma once
// Which records a download fetches: all, since the last download, the most recent records,
// hours, days, weeks or months, or those between two times. Times are seconds since
// 1970-01-01 00:00 UTC. The owner guards it with the application state lock.

#include <cstdint>

class CArchive;

class CSelectionSet {
public:
    enum Type : int32_t {
        SEL_ALL = 0,
        SEL_SINCE_LAST = 1,
        SEL_RECORDS = 2,
        SEL_HOURS = 3,
        SEL_DAYS = 4,
        SEL_WEEKS = 5,
        SEL_MONTHS = 6,
        SEL_BETWEEN = 7,
    };
    static constexpr int32_t kMaxRecords = 10000, kMaxHours = 24, kMaxDays = 366, kMaxWeeks = 52,
                             kMaxMonths = 12;

    // Start and end are now.
    CSelectionSet();

    int32_t GetType() const { return m_type; }
    // A type outside 0..7 becomes 0.
    void SetType(int32_t type) { m_type = (type >= 0 && type <= 7) ? type : 0; }
    uint32_t GetStart() const { return m_start; }
    void SetStart(uint32_t t) { m_start = t; }
    uint32_t GetEnd() const { return m_end; }
    void SetEnd(uint32_t t) { m_end = t; }
    int32_t GetRecords() const { return m_records; }
    void SetRecords(int32_t n) { m_records = n; }
    int32_t GetHours() const { return m_hours; }
    void SetHours(int32_t n) { m_hours = n; }
    int32_t GetDays() const { return m_days; }
    void SetDays(int32_t n) { m_days = n; }
    int32_t GetWeeks() const { return m_weeks; }
    void SetWeeks(int32_t n) { m_weeks = n; }
    int32_t GetMonths() const { return m_months; }
    void SetMonths(int32_t n) { m_months = n; }
    bool GetUseInstrumentDateSelection() const { return m_useInstrumentDates; }
    void SetUseInstrumentDateSelection(bool use) { m_useInstrumentDates = use; }

    // The first second a type 3..6 selection keeps, counted back from now; 0 for other types.
    uint32_t GetStartTime(uint32_t now) const;
    uint32_t GetStartTime() const;

    // The type is stored as read, even outside 0..7 (such a selection downloads everything).
    void Serialize(CArchive& ar);

private:
    int32_t m_type = SEL_ALL;
    uint32_t m_start;
    uint32_t m_end;
    int32_t m_records = 1;
    int32_t m_hours = 1;
    int32_t m_days = 1;
    int32_t m_weeks = 1;
    int32_t m_months = 1;
    bool m_useInstrumentDates = true;
};
