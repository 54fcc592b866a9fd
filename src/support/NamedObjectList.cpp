#include "support/NamedObjectList.h"

#include "support/ListIterator.h"

#include <algorithm>

namespace {
const SupportString& LookupName(const NamedObject* o) {
    return o->SelectName(NAME_PLAIN);
}

// Lookups ignore case whatever the strings' case flags say.
int CompareNames(const SupportString& a, const SupportString& b) {
    return a.CompareIgnoringCase(b);
}
} // namespace

bool NamedObjectList::AcceptsObject(const RootObject& object) const {
    return dynamic_cast<const NamedObject*>(&object) != nullptr;
}

bool NamedObjectList::IsIndexCurrent(unsigned flag) const {
    return (m_indexFlags & flag) && m_indexedCount == GetCount() &&
           m_indexedChanges == GetChangeCount();
}

void NamedObjectList::BuildIndex(unsigned flags) {
    m_indexFlags = flags & (INDEX_BY_NAME | INDEX_BY_ID);
    m_byName.clear();
    m_byId.clear();
    std::vector<NamedObject*> all;
    ListIterator it(*this);
    for (RootObject* o = it.First(); o; o = it.Next())
        all.push_back(static_cast<NamedObject*>(o));
    // Stable sorts keep equal keys in list order, so a bisection finds the one nearest the
    // head, as a scan would.
    if (m_indexFlags & INDEX_BY_NAME) {
        m_byName = all;
        std::stable_sort(m_byName.begin(), m_byName.end(), [](NamedObject* a, NamedObject* b) {
            return CompareNames(LookupName(a), LookupName(b)) < 0;
        });
    }
    if (m_indexFlags & INDEX_BY_ID) {
        m_byId = all;
        std::stable_sort(m_byId.begin(), m_byId.end(),
                         [](NamedObject* a, NamedObject* b) { return a->GetId() < b->GetId(); });
    }
    m_indexedCount = GetCount();
    m_indexedChanges = GetChangeCount();
}

NamedObject* NamedObjectList::FindByName(const SupportString& text) const {
    if (IsIndexCurrent(INDEX_BY_NAME)) {
        auto it = std::lower_bound(m_byName.begin(), m_byName.end(), text,
                                   [](NamedObject* o, const SupportString& t) {
                                       return CompareNames(LookupName(o), t) < 0;
                                   });
        if (it != m_byName.end() && CompareNames(LookupName(*it), text) == 0)
            return *it;
        return nullptr;
    }
    ListIterator it(*this);
    for (RootObject* o = it.First(); o; o = it.Next()) {
        auto* named = static_cast<NamedObject*>(o);
        if (CompareNames(LookupName(named), text) == 0)
            return named;
    }
    return nullptr;
}

NamedObject* NamedObjectList::FindById(uint32_t id) const {
    if (IsIndexCurrent(INDEX_BY_ID)) {
        auto it = std::lower_bound(m_byId.begin(), m_byId.end(), id,
                                   [](NamedObject* o, uint32_t v) { return o->GetId() < v; });
        if (it != m_byId.end() && (*it)->GetId() == id)
            return *it;
        return nullptr;
    }
    ListIterator it(*this);
    for (RootObject* o = it.First(); o; o = it.Next()) {
        auto* named = static_cast<NamedObject*>(o);
        if (named->GetId() == id)
            return named;
    }
    return nullptr;
}

bool NamedObjectList::CopyFrom(const NamedObjectList& source, const TextSink* errors) {
    if (&source == this)
        return true;
    ListNode* placed = nullptr;
    ListIterator it(source);
    for (RootObject* o = it.First(); o; o = it.Next()) {
        const auto* from = static_cast<const NamedObject*>(o);
        // Only objects not yet placed are candidates, so a repeated id matches the next one.
        ListNode* node = placed ? placed->next : Head();
        for (; node; node = node->next)
            if (static_cast<NamedObject*>(node->object)->GetId() == from->GetId())
                break;
        if (!node)
            continue;
        if (!node->object->AssignFrom(*from, 0, errors))
            return false;
        MoveAfter(node, placed);
        placed = node;
    }
    return true;
}

bool NamedObjectList::AssignFrom(const RootObject& source, unsigned flags, const TextSink* errors) {
    if (flags & ASSIGN_DEEP)
        return RootObjectList::AssignFrom(source, flags, errors);
    const auto* list = dynamic_cast<const NamedObjectList*>(&source);
    if (!list || source.GetTypeId() != m_typeId)
        return false;
    return CopyFrom(*list, errors);
}
