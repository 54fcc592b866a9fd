#pragma once
// Maps type ids to type names and factories: an open hash table of 97 slots. The slot of an
// id is id mod 97; a taken slot is passed by steps of max(1, (id >> 8) mod 48) until a free
// slot, or the start slot again (the table is then full for that id).

#include "support/SupportString.h"

#include <array>
#include <cstdint>
#include <functional>

class RootObject;

class TypeRegistry {
public:
    using Factory = std::function<RootObject*()>;
    struct Entry {
        uint32_t id = 0;
        SupportString name;
        Factory factory;
        bool used = false;
    };
    static constexpr uint32_t kSlots = 97;

    // The process-wide registry.
    static TypeRegistry& Global();
    // Start-up: registers RootObject, RootObjectList, NamedObject and NamedObjectList.
    static void CreateRegistry();
    // Shut-down: forgets every type.
    static void DestroyRegistry();

    // The entry of the id: the existing one if the id is registered, else a new one; null
    // when no slot on the id's probe path is free.
    const Entry* RegisterType(uint32_t id, const SupportString& name, Factory factory);
    const Entry* Find(uint32_t id) const;
    // A default object of the type (the caller owns it), or null.
    RootObject* Create(uint32_t id) const;
    // The slot that holds the id, or -1.
    int SlotOf(uint32_t id) const;
    uint32_t Count() const;
    void Clear();

    static uint32_t HomeSlot(uint32_t id) { return id % kSlots; }
    static uint32_t ProbeStep(uint32_t id);

private:
    // The slot that holds the id, or the first free one on its path (free set), or -1.
    int Probe(uint32_t id, bool& free) const;

    std::array<Entry, kSlots> m_slots;
};
