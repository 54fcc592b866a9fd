#pragma once
// An owning list of support objects: destroying it, or DestroyAll, destroys its objects.

#include "support/DoubleList.h"
#include "support/RootObject.h"

class RootObjectList : public RootObject, public DoubleList {
public:
    RootObjectList() : RootObject(TYPE_ROOT_OBJECT_LIST) {}
    RootObjectList(const RootObjectList&) = delete;
    RootObjectList& operator=(const RootObjectList&) = delete;
    ~RootObjectList() override;

    // Walks the objects (from the tail with WRITE_REVERSE) through ForEachWriteDefinition.
    void WriteDefinition(const TextSink& sink, unsigned flags) const override;
    // The type id, the count as 16 bits, then each object's own form. Reading with
    // ByteStream::MODE_CREATE makes the objects through the type registry and appends them;
    // without it the objects already in the list read themselves in order.
    size_t SerializeTo(ByteStream& stream) override;
    // With ASSIGN_DEEP: the own objects are replaced by copies of the source's, made through
    // the type registry. False on a type mismatch or when a copy cannot be made or added.
    bool AssignFrom(const RootObject& source, unsigned flags,
                    const TextSink* errors = nullptr) override;
    virtual void ForEachWriteDefinition(const TextSink& sink, unsigned flags) const;

    // The list takes ownership; false (and the caller keeps the object) when the node pool
    // is exhausted or the list does not hold objects of that kind.
    bool Append(RootObject* object);
    // Takes the object out without destroying it; false if it is not in the list.
    bool Remove(RootObject* object);
    // Takes the object out and destroys it.
    bool Destroy(RootObject* object);
    void DestroyAll();

protected:
    // Whether an object of this kind may be held (named lists hold named objects only).
    virtual bool AcceptsObject(const RootObject& object) const;
};
