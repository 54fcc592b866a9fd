#include "das/DataRecordSet.h"

#include "base/StateLock.h"
#include "das/Parameter.h"

#include <algorithm>
#include <climits>

CDataRecordSet::CDataRecordSet(int32_t capacity) : m_capacity(capacity) {
    m_entries.reserve(capacity > 0 ? static_cast<size_t>(capacity) : 0);
}

bool CDataRecordSet::Add(CParameter* parameter) {
    if (!parameter || GetCount() >= m_capacity)
        return false;
    StateGuard guard(AppStateLock());
    const size_t n = parameter->Records().size();
    if (n == 0)
        return false;
    const int32_t rows = n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
    m_rows = m_entries.empty() ? rows : std::min(m_rows, rows);
    m_entries.push_back(parameter);
    return true;
}

void CDataRecordSet::Clear() {
    m_entries.clear();
    m_rows = 0;
}

CParameter* CDataRecordSet::GetParameter(int32_t i) const {
    if (i < 0 || i >= GetCount())
        return nullptr;
    return m_entries[static_cast<size_t>(i)];
}

std::optional<CDataRecord> CDataRecordSet::GetRecord(int32_t row, int32_t i) const {
    if (row < 0 || row >= m_rows || i < 0 || i >= GetCount())
        return std::nullopt;
    StateGuard guard(AppStateLock());
    const auto& records = m_entries[static_cast<size_t>(i)]->Records();
    // The list may have been emptied by a later download since the set was filled.
    if (static_cast<size_t>(row) >= records.size())
        return std::nullopt;
    return records[static_cast<size_t>(row)];
}
