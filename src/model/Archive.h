#pragma once
// The binary object archive of the standard configuration file: little-endian integers,
// length-prefixed strings and element counts. A storing archive collects bytes in memory;
// a loading archive reads from a byte buffer and throws CArchiveException at its end.

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

class CArchiveException : public std::runtime_error {
public:
    enum Cause { EndOfFile, BadSchema, BadClass, BadIndex, Generic };
    CArchiveException(Cause cause, const std::string& what)
        : std::runtime_error(what), m_cause(cause) {}
    Cause GetCause() const { return m_cause; }

private:
    Cause m_cause;
};

class CArchive {
public:
    // A storing archive.
    CArchive();
    // A loading archive over a copy of data.
    explicit CArchive(std::vector<uint8_t> data);
    virtual ~CArchive() = default;

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    void WriteUInt8(uint8_t v);
    void WriteUInt16(uint16_t v);
    void WriteUInt32(uint32_t v);
    void WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }
    void WriteBool(bool v) { WriteUInt32(v ? 1 : 0); }
    void WriteString(const std::string& s);
    void WriteCount(size_t count);
    void WriteBytes(const void* data, size_t size);

    uint8_t ReadUInt8();
    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
    bool ReadBool() { return ReadUInt32() != 0; }
    std::string ReadString();
    size_t ReadCount();
    void ReadBytes(void* data, size_t size);
    void Skip(size_t size);

    // Object references. Storing: a class record the first time a class is written, a class
    // back-reference after that, then the caller writes the payload. Every object is written
    // once, so no object back-references are written. Classes and objects share one index
    // counter, counting from 1.
    void WriteNullObject() { WriteUInt16(0); }
    void WriteObjectHeader(const std::string& className, unsigned schema);

    // Loading: the class and schema of the next object reference; null for an empty one.
    // A reference back to an object already read is refused (an owning list can hold an
    // object only once).
    struct ObjectHeader {
        bool null = true;
        std::string className;
        unsigned schema = 0;
    };
    ObjectHeader ReadObjectHeader();

    template <class T> void WriteObject(const T* object) {
        if (!object) {
            WriteNullObject();
            return;
        }
        WriteObjectHeader(object->GetClassName(), object->GetSchema());
        const_cast<T*>(object)->Serialize(*this);
    }

    // The schema of the object whose payload is being read.
    unsigned GetObjectSchema() const { return m_currentSchema; }
    void SetObjectSchema(unsigned schema) { m_currentSchema = schema; }

    // Storing: the bytes written so far. Loading: the bytes not yet read.
    const std::vector<uint8_t>& Bytes() const { return m_data; }
    size_t Position() const { return m_pos; }
    void Seek(size_t pos);

private:
    void WriteTag(uint32_t index, bool isClass);

    bool m_storing;
    std::vector<uint8_t> m_data;
    size_t m_pos = 0;
    uint32_t m_nextIndex = 1;
    std::map<std::string, uint32_t> m_classIndex;                   // storing
    std::map<uint32_t, std::pair<std::string, unsigned>> m_classes; // loading
    unsigned m_currentSchema = 0;
};

// Makes the objects of one base type from their archived class names.
template <class Base> class ArchiveClassRegistry {
public:
    using Factory = std::function<Base*()>;
    static void Register(const std::string& className, Factory factory) {
        Table()[className] = std::move(factory);
    }
    static bool Has(const std::string& className) { return Table().count(className) != 0; }
    // Reads one object reference and its payload; null for an empty reference. Throws
    // BadClass for a class that is not registered.
    static Base* Read(CArchive& ar) { return Read(ar, nullptr); }
    // As Read, but only an object of the class named expectedClass (any registered class when
    // null) is accepted: a list of sites must not come back holding a modem definition that a
    // damaged file put there.
    static Base* Read(CArchive& ar, const char* expectedClass) {
        const CArchive::ObjectHeader h = ar.ReadObjectHeader();
        if (h.null)
            return nullptr;
        if (expectedClass && h.className != expectedClass)
            throw CArchiveException(CArchiveException::BadClass, "unexpected class " + h.className);
        auto it = Table().find(h.className);
        if (it == Table().end())
            throw CArchiveException(CArchiveException::BadClass, "unknown class " + h.className);
        Base* object = it->second();
        // A nested object sets its own schema; the enclosing payload may still ask for its own
        // after reading it.
        const unsigned enclosing = ar.GetObjectSchema();
        try {
            ar.SetObjectSchema(h.schema);
            object->Serialize(ar);
        } catch (...) {
            delete object;
            throw;
        }
        ar.SetObjectSchema(enclosing);
        return object;
    }

private:
    static std::map<std::string, Factory>& Table() {
        static std::map<std::string, Factory> table;
        return table;
    }
};
