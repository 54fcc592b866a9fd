#pragma once
// One data point as the instrument lists it ("DATAPOINT"): what a parameter can record.

#include "model/NamedObject.h"

#include <cstdint>
#include <string>

class CDASPoint : public CNamedObject {
public:
    CDASPoint() = default;
    CDASPoint(const std::string& name, int32_t number, const std::string& description,
              int32_t level);

    const char* GetClassName() const override { return "CDASPoint"; }
    unsigned GetSchema() const override { return 1; }
    // The name part, description, level; the number is not archived.
    void Serialize(CArchive& ar) override;
    CNamedObject* Clone() const override;

    int32_t GetNumber() const;
    void SetNumber(int32_t number);
    std::string GetDescription() const;
    void SetDescription(const std::string& description);
    int32_t GetLevel() const;
    void SetLevel(int32_t level);

    static void RegisterClass();

private:
    int32_t m_number = 0;
    std::string m_description;
    int32_t m_level = 0;
};
