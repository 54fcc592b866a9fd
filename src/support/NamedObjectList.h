#pragma once
// An owning list of named support objects with optional sorted indexes by name and by id.
// An index is used only while the list is as it was when the index was built; after any
// change the lookups scan the list until BuildIndex runs again.

#include "support/NamedObject.h"
#include "support/RootObjectList.h"

#include <cstdint>
#include <vector>

class NamedObjectList : public RootObjectList {
public:
    enum IndexFlags : unsigned {
        INDEX_BY_NAME = 1,
        INDEX_BY_ID = 2,
    };

    NamedObjectList() { m_typeId = TYPE_NAMED_OBJECT_LIST; }

    // Without ASSIGN_DEEP: CopyFrom.
    bool AssignFrom(const RootObject& source, unsigned flags,
                    const TextSink* errors = nullptr) override;

    // Only named objects are taken.
    bool Append(NamedObject* object) { return RootObjectList::Append(object); }
    void BuildIndex(unsigned flags);
    // The first object whose plain name equals text ignoring ASCII case, or null.
    NamedObject* FindByName(const SupportString& text) const;
    // The first object with this id, or null.
    NamedObject* FindById(uint32_t id) const;
    // For each source object that has an own object with the same id: that object is
    // assigned from it and moved so that the matched objects follow the source's order.
    bool CopyFrom(const NamedObjectList& source, const TextSink* errors = nullptr);

    // Whether the index of that kind is in use now.
    bool IsIndexCurrent(unsigned flag) const;

protected:
    bool AcceptsObject(const RootObject& object) const override;

private:
    unsigned m_indexFlags = 0;
    uint32_t m_indexedCount = 0;
    uint64_t m_indexedChanges = 0;
    std::vector<NamedObject*> m_byName;
    std::vector<NamedObject*> m_byId;
};
