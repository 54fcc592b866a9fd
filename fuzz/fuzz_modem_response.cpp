// Arbitrary modem replies: every line through the result-code reader of the telephony layer,
// and the whole input as what a modem on a serial port answers the built-in modem transport
// while it resets, initialises, dials, counts down and hangs up. Each command the transport
// writes releases the next piece of the input, as a modem answers each command.
//
// Input: byte 0 picks the piece size, byte 1 the connect time-out (0..3 s) or the number of
// commands, byte 2 whether the definition has an OK response and whether the whole dialogue
// runs (one input in sixteen; the others talk to a link that stays open); the rest is what
// the modem says. Every wait runs on a clock of this target's own, whose sleeps and waits
// for input only move its time on.
#include "app/VANTIQApp.h"
#include "base/MemorySettingsStore.h"
#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "connections/ModemTimings.h"
#include "platform/LinkClock.h"
#include "platform/SerialPort.h"
#include "platform/TelephonyATBackend.h"
#include "platform/TelephonyClock.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct Script {
    std::string replies;
    size_t next = 0;
    size_t piece = 1;
    std::string pending;
};

Script* g_script = nullptr;
LinkClock::TimePoint g_now{};

void Advance(unsigned ms) {
    g_now += std::chrono::milliseconds(ms);
}

class ScriptPort : public SerialPort {
public:
    std::string GetName() const override { return "fuzz"; }
    bool Open() override { return m_open = true; }
    bool IsOpen() const override { return m_open; }
    void Close() override { m_open = false; }
    int GetLastError() const override { return 0; }
    bool GetSettings(SerialSettings&) override { return true; }
    bool SetSettings(const SerialSettings&) override { return true; }
    long InputWaiting() override { return static_cast<long>(g_script->pending.size()); }
    long OutputWaiting() override { return 0; }
    long NonBlockingRead(char* buffer, size_t size) override {
        std::string& p = g_script->pending;
        const size_t n = std::min(size, p.size());
        std::copy_n(p.data(), n, buffer);
        p.erase(0, n);
        return static_cast<long>(n);
    }
    bool BlockingWrite(const char*, size_t size, unsigned) override {
        Script& s = *g_script;
        if (s.next < s.replies.size()) {
            const size_t n = std::min(s.piece, s.replies.size() - s.next);
            s.pending.append(s.replies, s.next, n);
            s.next += n;
        }
        return size > 0;
    }
    bool WaitForInput(unsigned ms) override {
        if (!g_script->pending.empty())
            return true;
        Advance(ms); // nothing comes: the wait runs out at once
        return false;
    }
    bool FlushInput() override {
        g_script->pending.clear();
        return true;
    }
    bool Drain() override { return true; }

private:
    bool m_open = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemorySettingsStore settings;
    static CVANTIQApp app(settings);
    static const bool ready = [] {
        TelephonyClock::SetSleep(Advance);
        LinkClock::Set([] { return g_now; }, Advance);
        ModemTimings quick;
        quick.dialPauseMs = quick.guardMs = 0;
        quick.escapeReplyMs = quick.commandReplyMs = quick.connectStepMs = 0;
        ModemTimings::Set(quick);
        SerialPort::SetFactory([](const std::string&) { return std::make_unique<ScriptPort>(); });
        return true;
    }();
    (void)ready;
    if (size < 3)
        return 0;

    const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        TelephonyCallState state = TelephonyCallState::Dialing;
        if (TelephonyATBackend::ParseResultCode(text.substr(start, end - start), state) &&
            state == TelephonyCallState::Dialing)
            std::abort(); // a result code always names an outcome
        start = end + 1;
    }

    Script script;
    script.replies = text;
    script.piece = 1 + data[0] % 32;
    g_script = &script;

    if ((data[2] & 0x1E) != 0x1E) {
        // One link, opened on the first such input, answers a few commands each time.
        static CModemConnection* open = nullptr;
        if (!open) {
            auto* modem = new CModemSettings;
            modem->SetOkResponse("");
            app.Modems().AddTail(modem);
            open = new CModemConnection;
            open->SetModemId(modem->GetId());
            open->SetConnectTimeout(1);
            Script connect;
            // Reset, initialisation and dial each release one piece; the first two are
            // purged by the next command.
            connect.replies = std::string(18, '.') + "CONNECT\r\n";
            connect.piece = 9;
            g_script = &connect;
            if (!open->Open(nullptr))
                std::abort();
            g_script = &script;
        }
        for (int i = 0; i <= data[1] % 4; ++i) {
            open->SendModemCommand("AT", (data[2] & 1) == 0);
            open->WaitForResponse(i % 2 ? "OK" : "CONNECT", 0);
        }
        if (!open->IsOpen() || !open->HasModemAttached())
            std::abort();
        g_script = nullptr;
        return 0;
    }

    auto* modem = new CModemSettings;
    if (data[2] & 1)
        modem->SetOkResponse("");
    app.Modems().AddTail(modem);
    {
        CModemConnection link;
        link.SetModemId(modem->GetId());
        link.SetTelephoneNumber("5551234");
        link.SetConnectTimeout(data[1] % 4);
        if (link.Open(nullptr)) {
            if (!modem->IsInUse() || !link.IsOpen())
                std::abort();
            link.Close();
        }
        if (link.IsOpen() || modem->IsInUse() || link.HasModemAttached())
            std::abort();
    }
    app.Modems().Remove(modem);
    delete modem;
    g_script = nullptr;
    return 0;
}
