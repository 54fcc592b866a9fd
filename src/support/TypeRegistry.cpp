#include "support/TypeRegistry.h"

#include "support/NamedObject.h"
#include "support/NamedObjectList.h"
#include "support/RootObject.h"
#include "support/RootObjectList.h"
#include "support/SupportLock.h"

#include <algorithm>

TypeRegistry& TypeRegistry::Global() {
    static TypeRegistry* registry = new TypeRegistry;
    return *registry;
}

void TypeRegistry::CreateRegistry() {
    TypeRegistry& r = Global();
    r.RegisterType(TYPE_ROOT_OBJECT, "RootObject", [] { return new RootObject; });
    r.RegisterType(TYPE_ROOT_OBJECT_LIST, "RootObjectList", [] { return new RootObjectList; });
    r.RegisterType(TYPE_NAMED_OBJECT, "NamedObject", [] { return new NamedObject; });
    r.RegisterType(TYPE_NAMED_OBJECT_LIST, "NamedObjectList", [] { return new NamedObjectList; });
}

void TypeRegistry::DestroyRegistry() {
    Global().Clear();
}

uint32_t TypeRegistry::ProbeStep(uint32_t id) {
    return std::max<uint32_t>(1, (id >> 8) % 48);
}

int TypeRegistry::Probe(uint32_t id, bool& free) const {
    const uint32_t start = HomeSlot(id);
    const uint32_t step = ProbeStep(id);
    uint32_t slot = start;
    do {
        const Entry& e = m_slots[slot];
        if (!e.used) {
            free = true;
            return static_cast<int>(slot);
        }
        if (e.id == id) {
            free = false;
            return static_cast<int>(slot);
        }
        slot = (slot + step) % kSlots;
    } while (slot != start);
    free = false;
    return -1;
}

const TypeRegistry::Entry* TypeRegistry::RegisterType(uint32_t id, const SupportString& name,
                                                      Factory factory) {
    SupportGuard guard(SupportLock());
    bool free = false;
    const int slot = Probe(id, free);
    if (slot < 0)
        return nullptr;
    Entry& e = m_slots[static_cast<size_t>(slot)];
    if (free) {
        e.id = id;
        e.name = name;
        e.factory = std::move(factory);
        e.used = true;
    }
    return &e;
}

const TypeRegistry::Entry* TypeRegistry::Find(uint32_t id) const {
    SupportGuard guard(SupportLock());
    bool free = false;
    const int slot = Probe(id, free);
    if (slot < 0 || free)
        return nullptr;
    return &m_slots[static_cast<size_t>(slot)];
}

int TypeRegistry::SlotOf(uint32_t id) const {
    SupportGuard guard(SupportLock());
    bool free = false;
    const int slot = Probe(id, free);
    return (slot < 0 || free) ? -1 : slot;
}

RootObject* TypeRegistry::Create(uint32_t id) const {
    Factory factory;
    {
        SupportGuard guard(SupportLock());
        const Entry* e = Find(id);
        if (!e || !e->factory)
            return nullptr;
        factory = e->factory;
    }
    return factory();
}

uint32_t TypeRegistry::Count() const {
    SupportGuard guard(SupportLock());
    return static_cast<uint32_t>(
        std::count_if(m_slots.begin(), m_slots.end(), [](const Entry& e) { return e.used; }));
}

void TypeRegistry::Clear() {
    SupportGuard guard(SupportLock());
    m_slots.fill(Entry{});
}
