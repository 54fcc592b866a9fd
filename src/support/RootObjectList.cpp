#include "support/RootObjectList.h"

#include "support/ByteStream.h"
#include "support/ListIterator.h"
#include "support/TypeRegistry.h"

#include <memory>

RootObjectList::~RootObjectList() {
    DestroyAll();
}

void RootObjectList::WriteDefinition(const TextSink& sink, unsigned flags) const {
    ForEachWriteDefinition(sink, flags);
}

void RootObjectList::ForEachWriteDefinition(const TextSink& sink, unsigned flags) const {
    ListIterator it(*this, (flags & WRITE_REVERSE) != 0);
    for (RootObject* o = it.First(); o; o = it.Next())
        o->WriteDefinition(sink, flags);
}

bool RootObjectList::AcceptsObject(const RootObject&) const {
    return true;
}

bool RootObjectList::Append(RootObject* object) {
    return object && object != this && AcceptsObject(*object) && AddTail(object);
}

bool RootObjectList::Remove(RootObject* object) {
    ListNode* node = FindNode(object);
    if (!node)
        return false;
    RemoveNode(node);
    return true;
}

bool RootObjectList::Destroy(RootObject* object) {
    if (!Remove(object))
        return false;
    delete object;
    return true;
}

void RootObjectList::DestroyAll() {
    while (ListNode* head = Head())
        delete RemoveNode(head);
}

size_t RootObjectList::SerializeTo(ByteStream& stream) {
    size_t n = RootObject::SerializeTo(stream);
    if (stream.IsStoring()) {
        n += stream.WriteWord(static_cast<uint16_t>(GetCount()));
        ListIterator it(*this);
        for (RootObject* o = it.First(); o; o = it.Next())
            n += o->SerializeTo(stream);
        return n;
    }
    if (n < 2)
        return n;
    uint16_t count = 0;
    const size_t got = stream.ReadWord(count);
    n += got;
    if (got < 2)
        return n;
    if (stream.CreatesObjects()) {
        for (uint16_t i = 0; i < count; ++i) {
            uint16_t type = 0;
            const size_t t = stream.ReadWord(type);
            if (t < 2) {
                stream.Seek(-static_cast<long>(t));
                break;
            }
            stream.Seek(-2);
            std::unique_ptr<RootObject> object(TypeRegistry::Global().Create(type));
            if (!object)
                break;
            stream.ClearExhausted();
            n += object->SerializeTo(stream);
            // An object cut short by the end of the stream is not kept.
            if (stream.IsExhausted())
                break;
            if (!Append(object.get()))
                break;
            object.release();
        }
        return n;
    }
    ListIterator it(*this);
    RootObject* o = it.First();
    for (uint16_t i = 0; i < count && o; ++i, o = it.Next())
        n += o->SerializeTo(stream);
    return n;
}

bool RootObjectList::AssignFrom(const RootObject& source, unsigned flags, const TextSink* errors) {
    if (!RootObject::AssignFrom(source, flags, errors))
        return false;
    const auto* list = dynamic_cast<const RootObjectList*>(&source);
    if (!list)
        return false;
    if (!(flags & ASSIGN_DEEP) || list == this)
        return true;
    DestroyAll();
    ListIterator it(*list);
    for (RootObject* o = it.First(); o; o = it.Next()) {
        std::unique_ptr<RootObject> copy(TypeRegistry::Global().Create(o->GetTypeId()));
        if (!copy || !copy->AssignFrom(*o, flags, errors) || !Append(copy.get()))
            return false;
        copy.release();
    }
    return true;
}
