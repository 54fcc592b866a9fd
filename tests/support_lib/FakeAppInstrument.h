#pragma once
// An instrument as the application object sees it: connected or not, and the timer ticks it got.

#include "base/AppInstrument.h"
#include "model/NamedObject.h"

#include <vector>

struct FakeAppInstrument : CNamedObject, AppInstrument {
    FakeAppInstrument(uint32_t id, bool connected)
        : CNamedObject("Inst", id), connected(connected) {}
    bool IsConnectedForApp() const override { return connected; }
    void OnAppTimer(unsigned id) override { timers.push_back(id); }
    bool connected;
    std::vector<unsigned> timers;
};
