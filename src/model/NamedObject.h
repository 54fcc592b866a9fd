#pragma once
// The base of every listable model object: a display name and a 32-bit object ID.
// Every accessor takes the application state lock.

#include <cstdint>
#include <string>

class CArchive;

class CNamedObject {
public:
    CNamedObject() = default;
    CNamedObject(std::string name, uint32_t id);
    // The name is the text of string number resourceId.
    CNamedObject(unsigned resourceId, uint32_t id);
    CNamedObject(const CNamedObject& other);
    CNamedObject& operator=(const CNamedObject& other);
    virtual ~CNamedObject() = default;

    // The class name under which the object is archived, and its current schema.
    virtual const char* GetClassName() const { return "CNamedObject"; }
    virtual unsigned GetSchema() const { return 0; }

    // Stores or loads the name, then the ID.
    virtual void Serialize(CArchive& ar);
    // A heap copy; the caller owns it. Kinds that keep IDs unique give the copy a fresh ID.
    virtual CNamedObject* Clone() const;
    virtual void SetName(const std::string& name);

    std::string GetName() const;
    uint32_t GetId() const;
    void SetId(uint32_t id);

private:
    std::string m_name;
    uint32_t m_id = 0;
};
