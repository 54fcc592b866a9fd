#pragma once
// A support object with a name, an alternate name, a description and a numeric id. Which
// name is shown or looked up is chosen by name flags.

#include "support/RootObject.h"

#include <cstdint>
#include <string>

// The name flags used where a caller gives none; NAME_PLAIN from start-up.
unsigned DefaultNameFlags();
void SetDefaultNameFlags(unsigned flags);

class NamedObject : public RootObject {
public:
    NamedObject() : RootObject(TYPE_NAMED_OBJECT) {}
    NamedObject(const SupportString& name, uint32_t id, uint32_t typeId = TYPE_NAMED_OBJECT)
        : RootObject(typeId), m_name(name), m_id(id) {}

    // Name selection: with neither NAME_PLAIN, NAME_ALTERNATE nor bit 0 in flags, the
    // default flags; the alternate name only with NAME_ALTERNATE and when it is not empty.
    SupportString GetDescription(unsigned flags) const override;
    // The type id, the id as 16 bits, then the name and the alternate name.
    size_t SerializeTo(ByteStream& stream) override;
    // Copies id and names from an object of the same type; otherwise reports the mismatch
    // to errors and returns false.
    bool AssignFrom(const RootObject& source, unsigned flags,
                    const TextSink* errors = nullptr) override;

    const SupportString& SelectName(unsigned flags) const;
    const SupportString& GetName() const { return m_name; }
    void SetName(const SupportString& name) { m_name = name; }
    const SupportString& GetAltName() const { return m_altName; }
    void SetAltName(const SupportString& name) { m_altName = name; }
    const SupportString& GetDescriptionText() const { return m_description; }
    void SetDescriptionText(const SupportString& text) { m_description = text; }
    uint32_t GetId() const { return m_id; }
    void SetId(uint32_t id) { m_id = id; }

protected:
    // The serialised part of a named object, read whole before anything is changed.
    struct NamedParts {
        uint32_t id = 0;
        std::string name;
        std::string altName;
    };
    size_t WriteNamedParts(ByteStream& stream) const;
    size_t ReadNamedParts(ByteStream& stream, NamedParts& parts, bool& complete) const;
    void ApplyNamedParts(NamedParts& parts);

private:
    SupportString m_name;
    SupportString m_altName;
    SupportString m_description;
    uint32_t m_id = 0;
};
