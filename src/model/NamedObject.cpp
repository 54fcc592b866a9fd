#include "model/NamedObject.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "model/Archive.h"

CNamedObject::CNamedObject(std::string name, uint32_t id) : m_name(std::move(name)), m_id(id) {}

CNamedObject::CNamedObject(unsigned resourceId, uint32_t id)
    : m_name(LoadString(resourceId)), m_id(id) {}

CNamedObject::CNamedObject(const CNamedObject& other) {
    StateGuard guard(AppStateLock());
    m_name = other.m_name;
    m_id = other.m_id;
}

CNamedObject& CNamedObject::operator=(const CNamedObject& other) {
    StateGuard guard(AppStateLock());
    m_name = other.m_name;
    m_id = other.m_id;
    return *this;
}

void CNamedObject::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    if (ar.IsStoring()) {
        ar.WriteString(m_name);
        ar.WriteUInt32(m_id);
    } else {
        m_name = ar.ReadString();
        m_id = ar.ReadUInt32();
    }
}

CNamedObject* CNamedObject::Clone() const {
    return new CNamedObject(*this);
}

void CNamedObject::SetName(const std::string& name) {
    StateGuard guard(AppStateLock());
    m_name = name;
}

std::string CNamedObject::GetName() const {
    StateGuard guard(AppStateLock());
    return m_name;
}

uint32_t CNamedObject::GetId() const {
    StateGuard guard(AppStateLock());
    return m_id;
}

void CNamedObject::SetId(uint32_t id) {
    StateGuard guard(AppStateLock());
    m_id = id;
}
