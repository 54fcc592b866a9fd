#include "das/Parameter.h"

#include "base/StateLock.h"
#include "model/Archive.h"

CParameter::CParameter(const CParameter& other) : CNamedObject(other) {
    StateGuard guard(AppStateLock());
    m_description = other.m_description;
    m_setNumber = other.m_setNumber;
    m_selected = other.m_selected;
}

void CParameter::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    CNamedObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteString(m_description);
        ar.WriteBool(m_selected);
    } else {
        m_description = ar.ReadString();
        m_selected = ar.ReadBool();
    }
}

std::string CParameter::GetDescription() const {
    StateGuard guard(AppStateLock());
    return m_description;
}
void CParameter::SetDescription(const std::string& description) {
    StateGuard guard(AppStateLock());
    m_description = description;
}
int32_t CParameter::GetSetNumber() const {
    StateGuard guard(AppStateLock());
    return m_setNumber;
}
void CParameter::SetSetNumber(int32_t number) {
    StateGuard guard(AppStateLock());
    m_setNumber = number;
}
bool CParameter::IsSelected() const {
    StateGuard guard(AppStateLock());
    return m_selected;
}
void CParameter::SetSelected(bool selected) {
    StateGuard guard(AppStateLock());
    m_selected = selected;
}

std::string CParameter::GetDisplayName() const {
    StateGuard guard(AppStateLock());
    const std::string name = GetName();
    return m_description.empty() ? name : name + " (" + m_description + ")";
}

size_t CParameter::GetRecordCount() const {
    StateGuard guard(AppStateLock());
    return m_records.size();
}

std::optional<CDataRecord> CParameter::GetRecord(size_t index) const {
    StateGuard guard(AppStateLock());
    if (index >= m_records.size())
        return std::nullopt;
    return m_records[index];
}

void CParameter::AddRecord(const CDataRecord& record) {
    StateGuard guard(AppStateLock());
    m_records.push_back(record);
}

void CParameter::ClearRecords() {
    StateGuard guard(AppStateLock());
    std::vector<CDataRecord>().swap(m_records);
}

void CParameter::ReserveRecords(size_t n) {
    StateGuard guard(AppStateLock());
    m_records.reserve(n);
}

void CParameter::CompactRecords() {
    StateGuard guard(AppStateLock());
    if (m_records.capacity() > m_records.size())
        m_records.shrink_to_fit();
}

size_t CParameter::GetRecordMemory() const {
    StateGuard guard(AppStateLock());
    return m_records.capacity() * sizeof(CDataRecord);
}
