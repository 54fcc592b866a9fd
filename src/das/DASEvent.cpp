#include "das/DASEvent.h"

#include "base/StateLock.h"
#include "model/Archive.h"

CDASEvent::CDASEvent(const std::string& name, int32_t number, bool timerEvent, int32_t level)
    : CNamedObject(name, 0), m_number(number), m_timerEvent(timerEvent), m_level(level) {}

void CDASEvent::Serialize(CArchive& ar) {
    StateGuard guard(AppStateLock());
    CNamedObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteBool(m_timerEvent);
        ar.WriteInt32(m_level);
    } else {
        m_timerEvent = ar.ReadBool();
        m_level = ar.ReadInt32();
    }
}

CNamedObject* CDASEvent::Clone() const {
    StateGuard guard(AppStateLock());
    return new CDASEvent(*this);
}

int32_t CDASEvent::GetNumber() const {
    StateGuard guard(AppStateLock());
    return m_number;
}
void CDASEvent::SetNumber(int32_t number) {
    StateGuard guard(AppStateLock());
    m_number = number;
}
bool CDASEvent::IsTimerEvent() const {
    StateGuard guard(AppStateLock());
    return m_timerEvent;
}
void CDASEvent::SetTimerEvent(bool timer) {
    StateGuard guard(AppStateLock());
    m_timerEvent = timer;
}
int32_t CDASEvent::GetLevel() const {
    StateGuard guard(AppStateLock());
    return m_level;
}
void CDASEvent::SetLevel(int32_t level) {
    StateGuard guard(AppStateLock());
    m_level = level;
}

void CDASEvent::RegisterClass() {
    ArchiveClassRegistry<CNamedObject>::Register("CDASEvent", [] { return new CDASEvent; });
}
