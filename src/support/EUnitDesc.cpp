#include "support/EUnitDesc.h"

#include "support/ByteStream.h"

SupportString EUnitDesc::GetDescription(unsigned flags) const {
    if (!(flags & DESC_DEFINITION))
        return NamedObject::GetDescription(flags);
    SupportString line = SupportString::Format("GASUNIT \"%S\"", GetName());
    if (!GetAltName().IsEmpty())
        line += SupportString::Format(" \"%S\"", GetAltName());
    line += SupportString::Format(" %d %d", static_cast<int>(GetId()), m_decimals);
    return line;
}

size_t EUnitDesc::SerializeTo(ByteStream& stream) {
    if (stream.IsStoring())
        return WriteNamedParts(stream) + stream.WriteWord(static_cast<uint16_t>(m_decimals));
    NamedParts parts;
    bool complete = false;
    size_t n = ReadNamedParts(stream, parts, complete);
    if (!complete)
        return n;
    uint16_t decimals = 0;
    const size_t got = stream.ReadWord(decimals);
    n += got;
    if (got == 2) {
        ApplyNamedParts(parts);
        m_decimals = static_cast<int16_t>(decimals);
    }
    return n;
}

bool EUnitDesc::AssignFrom(const RootObject& source, unsigned flags, const TextSink* errors) {
    if (!NamedObject::AssignFrom(source, flags, errors))
        return false;
    if (const auto* unit = dynamic_cast<const EUnitDesc*>(&source))
        m_decimals = unit->m_decimals;
    return true;
}
