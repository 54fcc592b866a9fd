#pragma once
// One trigger event as the instrument lists it ("EVENT" or "TIMEREVENT").

#include "model/NamedObject.h"

#include <cstdint>

class CDASEvent : public CNamedObject {
public:
    CDASEvent() = default;
    CDASEvent(const std::string& name, int32_t number, bool timerEvent, int32_t level);

    const char* GetClassName() const override { return "CDASEvent"; }
    unsigned GetSchema() const override { return 1; }
    // The name part, timer event, level; the number is not archived. Every schema number is
    // read with this layout.
    void Serialize(CArchive& ar) override;
    CNamedObject* Clone() const override;

    int32_t GetNumber() const;
    void SetNumber(int32_t number);
    bool IsTimerEvent() const;
    void SetTimerEvent(bool timer);
    // The keyword code of "LOW", "MED" or "HIGH".
    int32_t GetLevel() const;
    void SetLevel(int32_t level);

    static void RegisterClass();

private:
    int32_t m_number = 0;
    bool m_timerEvent = false;
    int32_t m_level = 0;
};
