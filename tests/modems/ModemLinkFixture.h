#pragma once
// A built-in-modem link to a fake AT modem: an application with one modem definition, an
// instrument to receive the status texts, and a sleep that records the pauses instead of
// taking them.

#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/ModemTimings.h"
#include "instruments/InstrumentConnection.h"
#include "modems/FakeModem.h"
#include "platform/TelephonyClock.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

class ModemLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.Ready());
        TelephonyClock::SetSleep([this](unsigned ms) {
            std::lock_guard<std::mutex> guard(m_sleepLock);
            m_sleeps.push_back(ms);
        });
        ModemTimings::Reset();
        modem = new CModemSettings;
        app->Modems().AddTail(modem);
        link.SetPortName(fake.Path());
        link.SetModemId(modem->GetId());
        link.SetTelephoneNumber("5551234");
    }
    void TearDown() override {
        if (link.IsOpen())
            link.Close();
        TelephonyClock::SetSleep(nullptr);
        ModemTimings::Reset();
    }

    // Shortens the waits in which the modem is expected to stay silent.
    static void QuickSteps(unsigned connectStepMs, unsigned commandReplyMs = 1000) {
        ModemTimings t;
        t.connectStepMs = connectStepMs;
        t.commandReplyMs = commandReplyMs;
        ModemTimings::Set(t);
    }

    std::vector<unsigned> Sleeps() {
        std::lock_guard<std::mutex> guard(m_sleepLock);
        return m_sleeps;
    }

    TestApp app;
    FakeModem fake;
    CModemSettings* modem = nullptr; // owned by the application's list
    CInstrumentConnection inst;
    CModemConnection link;

private:
    std::mutex m_sleepLock;
    std::vector<unsigned> m_sleeps;
};
