#pragma once
// An owning list of named objects: whatever is in it when it is emptied or destroyed is
// deleted. Every operation takes the application state lock; a walk over the elements
// (begin/end, At) must hold it for the whole walk.

#include "model/NamedObject.h"

#include <cstddef>
#include <functional>
#include <list>
#include <string>
#include <vector>

class CNamedObjectList {
public:
    using Container = std::list<CNamedObject*>;
    using iterator = Container::iterator;
    using const_iterator = Container::const_iterator;

    explicit CNamedObjectList(unsigned blockSize = 10);
    CNamedObjectList(const CNamedObjectList& source);
    CNamedObjectList& operator=(const CNamedObjectList&) = delete;
    virtual ~CNamedObjectList();

    unsigned GetBlockSize() const { return m_blockSize; }

    // Clones every element of source, in order, and appends the clones.
    void CopyFrom(const CNamedObjectList& source);
    // First element from the head whose name equals text, folding only A-Z to a-z.
    CNamedObject* FindByName(const std::string& text) const;
    CNamedObject* FindById(uint32_t id) const;
    void DeleteAll();

    // The list takes ownership.
    void AddTail(CNamedObject* object);
    void AddHead(CNamedObject* object);
    void InsertAt(size_t index, CNamedObject* object);
    // Takes the object out without deleting it; false if it is not in the list.
    bool Remove(CNamedObject* object);
    // Takes the object out and deletes it.
    bool Delete(CNamedObject* object);
    CNamedObject* RemoveHead();

    size_t GetCount() const;
    bool IsEmpty() const;
    CNamedObject* At(size_t index) const;
    // Index of the object, or -1.
    long IndexOf(const CNamedObject* object) const;
    bool Contains(const CNamedObject* object) const { return IndexOf(object) >= 0; }
    // A snapshot of the element pointers, taken under the lock.
    std::vector<CNamedObject*> Snapshot() const;
    // Calls fn for every element with the lock held for the whole walk.
    void ForEach(const std::function<void(CNamedObject*)>& fn) const;

    iterator begin() { return m_items.begin(); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    // Names compare equal when they match byte for byte with A-Z folded to a-z.
    static bool NamesEqual(const std::string& a, const std::string& b);

private:
    unsigned m_blockSize;
    Container m_items;
};

// Duplicating an object in the editing windows: a clone named "Copy of " and the name.
CNamedObject* DuplicateNamedObject(const CNamedObject& source);
