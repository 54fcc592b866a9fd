#include "support/NamedObject.h"

#include "support/ByteStream.h"

#include <atomic>

namespace {
std::atomic<unsigned> g_defaultNameFlags{NAME_PLAIN};
} // namespace

unsigned DefaultNameFlags() {
    return g_defaultNameFlags.load();
}

void SetDefaultNameFlags(unsigned flags) {
    g_defaultNameFlags.store(flags);
}

const SupportString& NamedObject::SelectName(unsigned flags) const {
    if ((flags & NAME_SELECT_MASK) == 0)
        flags = DefaultNameFlags();
    if ((flags & NAME_ALTERNATE) && !m_altName.IsEmpty())
        return m_altName;
    return m_name;
}

SupportString NamedObject::GetDescription(unsigned flags) const {
    return SelectName(flags);
}

size_t NamedObject::WriteNamedParts(ByteStream& stream) const {
    size_t n = stream.WriteWord(static_cast<uint16_t>(m_typeId));
    n += stream.WriteWord(static_cast<uint16_t>(m_id));
    n += m_name.WriteTo(stream);
    n += m_altName.WriteTo(stream);
    return n;
}

size_t NamedObject::ReadNamedParts(ByteStream& stream, NamedParts& parts, bool& complete) const {
    complete = false;
    uint16_t type = 0;
    uint16_t id = 0;
    size_t n = stream.ReadWord(type);
    if (n < 2)
        return n;
    const size_t got = stream.ReadWord(id);
    n += got;
    if (got < 2)
        return n;
    parts.id = id;
    bool whole = false;
    n += SupportString::ReadString(stream, parts.name, whole);
    if (!whole)
        return n;
    n += SupportString::ReadString(stream, parts.altName, whole);
    complete = whole;
    return n;
}

void NamedObject::ApplyNamedParts(NamedParts& parts) {
    m_id = parts.id;
    m_name = SupportString(std::move(parts.name));
    m_altName = SupportString(std::move(parts.altName));
}

size_t NamedObject::SerializeTo(ByteStream& stream) {
    if (stream.IsStoring())
        return WriteNamedParts(stream);
    NamedParts parts;
    bool complete = false;
    const size_t n = ReadNamedParts(stream, parts, complete);
    if (complete)
        ApplyNamedParts(parts);
    return n;
}

bool NamedObject::AssignFrom(const RootObject& source, unsigned flags, const TextSink* errors) {
    const auto* named = dynamic_cast<const NamedObject*>(&source);
    if (!RootObject::AssignFrom(source, flags, errors) || !named) {
        if (errors && *errors) {
            const SupportString sourceName = named ? named->GetName() : SupportString();
            (*errors)(SupportString::Format("Error: source object \"%S\" and destination object "
                                            "\"%S\" are different types (4738)\n",
                                            sourceName, m_name));
        }
        return false;
    }
    if (named == this)
        return true;
    m_id = named->m_id;
    m_name = named->m_name;
    m_altName = named->m_altName;
    m_description = named->m_description;
    return true;
}
