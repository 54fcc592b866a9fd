#include "support/RootObject.h"

#include "support/ByteStream.h"

RootObject::~RootObject() = default;

SupportString RootObject::GetDescription(unsigned) const {
    return {};
}

void RootObject::WriteDefinition(const TextSink& sink, unsigned flags) const {
    if (sink)
        sink(GetDescription(flags | DESC_DEFINITION));
}

size_t RootObject::SerializeTo(ByteStream& stream) {
    if (stream.IsStoring())
        return stream.WriteWord(static_cast<uint16_t>(m_typeId));
    uint16_t type = 0;
    return stream.ReadWord(type);
}

bool RootObject::AssignFrom(const RootObject& source, unsigned, const TextSink*) {
    return source.m_typeId == m_typeId;
}
