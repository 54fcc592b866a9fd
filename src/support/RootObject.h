#pragma once
// The root of the support library's objects: a type id that the type registry maps to a name
// and a factory. Objects describe themselves in a text line, copy themselves from an object
// of the same type and read and write themselves through a byte stream.

#include "support/SupportString.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class ByteStream;

// Receives definition lines and error messages.
using TextSink = std::function<void(const SupportString&)>;

enum SupportTypeId : uint32_t {
    TYPE_ROOT_OBJECT = 4211,
    TYPE_ROOT_OBJECT_LIST = 4987,
    TYPE_NAMED_OBJECT = 4757,
    TYPE_NAMED_OBJECT_LIST = 20404,
    TYPE_GAS_DESC = 7027,
    TYPE_UNIT_DESC = 16805,
};

// Flags of GetDescription, WriteDefinition and AssignFrom.
enum SupportFlags : unsigned {
    DESC_DEFINITION = 0x1,     // the definition line rather than the name
    ASSIGN_DEEP = 0x1,         // lists: replace the objects by copies of the source's
    WRITE_REVERSE = 0x200,     // lists: write the objects from the tail
    NAME_PLAIN = 0x800,        // the name
    NAME_ALTERNATE = 0x1000,   // the alternate name when there is one
    NAME_SELECT_MASK = 0x1801, // flags without any of these bits use DefaultNameFlags()
};

class RootObject {
public:
    explicit RootObject(uint32_t typeId = TYPE_ROOT_OBJECT) : m_typeId(typeId) {}
    RootObject(const RootObject&) = default;
    RootObject& operator=(const RootObject&) = default;
    virtual ~RootObject();

    virtual SupportString GetDescription(unsigned flags) const;
    // Hands the definition line (GetDescription with DESC_DEFINITION) to the sink.
    virtual void WriteDefinition(const TextSink& sink, unsigned flags) const;
    // Writes or reads (by the stream's mode) the object; returns the bytes moved, short when
    // the stream ended early.
    virtual size_t SerializeTo(ByteStream& stream);
    // True when the source has the same type id.
    virtual bool AssignFrom(const RootObject& source, unsigned flags,
                            const TextSink* errors = nullptr);

    uint32_t GetTypeId() const { return m_typeId; }

protected:
    uint32_t m_typeId;
};
