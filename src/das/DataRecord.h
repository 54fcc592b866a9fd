#pragma once
// One downloaded value of one parameter. Kept small and without a vtable: a parameter holds
// its records by value in one contiguous array, so a million records take 24 MB, not a heap
// object each.

#include <cstdint>
#include <string>

// Parts of a record's text, in the order they are written.
enum RecordTextFlags : unsigned {
    REC_TIME_LONG = 4,   // date format 245
    REC_TIME_DAY = 8,    // date format 608 (day of the year)
    REC_VALUE = 16,      // the value with the parameter's precision
    REC_SAMPLES = 32,    // the sample count
    REC_DATE_TIME = 128, // year/month/day,hour:minute
    REC_LABEL = 256,     // day-MON,hour:minute
};

class CDataRecord {
public:
    CDataRecord() = default;
    CDataRecord(double value, int32_t samples, uint32_t time, bool valid)
        : m_value(value), m_samples(samples), m_time(time), m_valid(valid) {}

    double GetValue() const { return m_value; }
    int32_t GetSamples() const { return m_samples; }
    uint32_t GetTime() const { return m_time; }
    bool IsValid() const { return m_valid; }
    void SetTime(uint32_t time) { m_time = time; }

    // The parts chosen by flags; an invalid record prints its stored zeros.
    std::string GetText(unsigned flags, int precision) const;
    // As GetText, appended to out (the writer's hot path: no temporary string).
    void AppendText(std::string& out, unsigned flags, int precision) const;

private:
    double m_value = 0.0;
    int32_t m_samples = 0;
    uint32_t m_time = 0;
    bool m_valid = false;
};

static_assert(sizeof(CDataRecord) <= 24, "a record must stay within 24 bytes");
