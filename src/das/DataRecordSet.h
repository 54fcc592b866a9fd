#pragma once
// An aligned row view over the records of a channel's parameters: row r of entry i is the
// r-th record of that parameter; rows line up by position, not by time. Rows are the fewest
// records of any entry. Any row is reached at once, whatever row was read before.

#include "das/DataRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class CParameter;

class CDataRecordSet {
public:
    static constexpr int32_t kDefaultCapacity = 20;

    explicit CDataRecordSet(int32_t capacity = kDefaultCapacity);

    // Adds the parameter while there is room and it has at least one record; false otherwise.
    bool Add(CParameter* parameter);
    void Clear();

    int32_t GetCapacity() const { return m_capacity; }
    int32_t GetCount() const { return static_cast<int32_t>(m_entries.size()); }
    // Fixed when the entries were added.
    int32_t GetRows() const { return m_rows; }
    // None outside 0..count-1.
    CParameter* GetParameter(int32_t i) const;
    // Record (row, i), or none when either index is out of range.
    std::optional<CDataRecord> GetRecord(int32_t row, int32_t i) const;

private:
    int32_t m_capacity;
    std::vector<CParameter*> m_entries;
    int32_t m_rows = 0;
};
