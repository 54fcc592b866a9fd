#include "model/ArchiveList.h"

void WriteObjectList(CArchive& ar, const CNamedObjectList& list) {
    ar.WriteCount(list.GetCount());
    for (const CNamedObject* obj : list)
        ar.WriteObject(obj);
}

void ReadObjectList(CArchive& ar, CNamedObjectList& into, const char* expectedClass) {
    const size_t count = ar.ReadCount();
    for (size_t i = 0; i < count; ++i) {
        CNamedObject* obj = ArchiveClassRegistry<CNamedObject>::Read(ar, expectedClass);
        if (!obj)
            throw CArchiveException(CArchiveException::Generic, "empty reference in a list");
        into.AddTail(obj);
    }
}
