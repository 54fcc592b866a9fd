#include "das/DASPoint.h"

#include "base/StateLock.h"
#include "model/Archive.h"

CDASPoint::CDASPoint(const std::string& name, int32_t number, const std::string& description,
                     int32_t level)
    : CNamedObject(name, 0), m_number(number), m_description(description), m_level(level) {}

void CDASPoint::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    CNamedObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteString(m_description);
        ar.WriteInt32(m_level);
    } else {
        m_description = ar.ReadString();
        m_level = ar.ReadInt32();
    }
}

CNamedObject* CDASPoint::Clone() const {
    StateGuard guard(AppStateLock());
    return new CDASPoint(*this);
}

int32_t CDASPoint::GetNumber() const {
    StateGuard guard(AppStateLock());
    return m_number;
}
void CDASPoint::SetNumber(int32_t number) {
    StateGuard guard(AppStateLock());
    m_number = number;
}
std::string CDASPoint::GetDescription() const {
    StateGuard guard(AppStateLock());
    return m_description;
}
void CDASPoint::SetDescription(const std::string& description) {
    StateGuard guard(AppStateLock());
    m_description = description;
}
int32_t CDASPoint::GetLevel() const {
    StateGuard guard(AppStateLock());
    return m_level;
}
void CDASPoint::SetLevel(int32_t level) {
    StateGuard guard(AppStateLock());
    m_level = level;
}

void CDASPoint::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CDASPoint", [] { return new CDASPoint; });
}
