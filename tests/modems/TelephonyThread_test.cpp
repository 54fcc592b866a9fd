// The telephony layer over an AT-command modem: every call runs on a thread of its own, and its
// notices arrive through the shared queue; and the Windows-modem transport over it (a disconnect
// request from another thread is seen with the built-in modem).

#include "ModemTestSupport.h"

#include "app/TAPIStartup.h"
#include "connections/TAPIModemConnection.h"
#include "platform/TelephonyATBackend.h"

#include <gtest/gtest.h>

namespace {

using S = TelephonyCallState;

class ATLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.Ready());
        TelephonyClock::SetSleep([](unsigned) {});
        backend = std::make_unique<TelephonyATBackend>(
            std::vector<TelephonyLineConfig>{{"Office", fake.Path(), 12345}});
        ASSERT_EQ(backend->OpenLine(0, line), 0);
    }
    void TearDown() override {
        backend.reset();
        TelephonyClock::SetSleep(nullptr);
    }
    // Places a call and returns its first notice that is not "dialing" (Dialing
    // if none).
    S Call(uint32_t& call, const std::string& answer = dial::kConnect) {
        fake.SetDialAnswer(answer);
        EXPECT_GT(backend->MakeCall(line, "5551234", call), 0);
        return Outcome(call);
    }
    S Outcome(uint32_t call) {
        TelephonyMessage m;
        while (backend->GetMessage(m, 20000, call)) {
            EXPECT_EQ(m.line, line);
            if (m.state != S::Dialing)
                return m.state;
        }
        return S::Dialing;
    }
    std::string ReadStream(TelephonyStream& stream, size_t count) {
        std::string got;
        char buffer[16];
        for (long n; got.size() < count && stream.WaitReadable(5000) &&
                     (n = stream.ReadQueued(buffer, sizeof buffer)) > 0;)
            got.append(buffer, static_cast<size_t>(n));
        return got;
    }

    FakeModem fake;
    std::unique_ptr<TelephonyATBackend> backend;
    uint32_t line = 0;
};

// A connect hands the port over (data right behind a connect ended by a lone CR reaches
// the stream); a drop hangs up.
TEST_F(ATLine, EachAnswerGivesItsNoticeAndOnlyAConnectAStream) {
    const std::tuple<std::string, S, std::string> rows[] = {
        {dial::kConnect, S::Connected, ""},
        {dial::kRingThenConnect, S::Connected, ""},
        {"\rCONNECT 9600\rHELLO", S::Connected, "HELLO"}, // lines ended by a lone CR
        {dial::kBusy, S::Busy, ""},
        {dial::kNoCarrier, S::Disconnected, ""}};
    for (const auto& [answer, want, early] : rows) {
        uint32_t call = 0;
        EXPECT_EQ(Call(call, answer), want) << answer;
        std::unique_ptr<TelephonyStream> stream = backend->GetCallStream(call);
        EXPECT_EQ(stream != nullptr, want == S::Connected) << answer;
        EXPECT_EQ(stream ? ReadStream(*stream, early.size()) : "", early) << answer;
        if (answer == dial::kConnect) {
            ASSERT_TRUE(stream->WriteAll("ping\r"));
            EXPECT_EQ(ReadStream(*stream, 5), "ping\r"); // the echo
            uint32_t again = 0;                          // a line has one call at a time
            EXPECT_EQ(backend->MakeCall(line, "5550000", again), TelephonyService::ERR_IN_USE);
        }
        stream.reset();
        backend->Drop(call);
        EXPECT_EQ(Outcome(call), S::Disconnected) << answer;
    }
    EXPECT_EQ(fake.CountCommand("ATD5551234"), std::size(rows));
    EXPECT_TRUE(fake.WaitForCommand("ATH0"));
    EXPECT_EQ(fake.CountCommand("+++"), 3u);
    uint32_t baud = 0; // the line's rate has no standard code
    ASSERT_TRUE(fake.LineSpeed(baud));
    EXPECT_EQ(baud, 12345u);
}

TEST_F(ATLine, DropsWhileDialingEvenFromTwoThreadsAtOnceEndTheCall) {
    fake.SetDialAnswer(dial::kSilent);
    uint32_t call = 0;
    ASSERT_GT(backend->MakeCall(line, "5551234", call), 0);
    ASSERT_TRUE(fake.WaitForCommand("ATD"));
    EXPECT_EQ(backend->GetCallStream(call), nullptr);
    int32_t a = 0, b = 0;
    std::thread t1([&] { a = backend->Drop(call); });
    std::thread t2([&] { b = backend->Drop(call); });
    t1.join();
    t2.join();
    EXPECT_GT(a, 0);
    EXPECT_GT(b, 0);
    EXPECT_NE(a, b); // two requests
    EXPECT_EQ(Outcome(call), S::Disconnected);
    EXPECT_TRUE(fake.WaitForCommand("ATH0"));
}

TEST_F(ATLine, NumbersThatCouldCarryACommandAreRefusedAndClosingEndsTheCall) {
    uint32_t call = 7;
    for (const char* number : {"", "555\rATH"})
        EXPECT_EQ(backend->MakeCall(line, number, call), TelephonyService::ERR_INVALID) << number;
    EXPECT_EQ(call, 0u);
    EXPECT_TRUE(fake.Commands().empty());
    ASSERT_EQ(Call(call), S::Connected);
    EXPECT_EQ(backend->CloseLine(line), 0);
    EXPECT_EQ(backend->GetCallStream(call), nullptr);
    EXPECT_EQ(backend->Drop(call), TelephonyService::ERR_BAD_CALL);
    uint32_t again = 0;
    ASSERT_EQ(backend->OpenLine(0, again), 0);
    EXPECT_NE(again, line); // handles are never reused
}

// ---- the Windows-modem transport over the AT-command layer
// ------------------------------------

class WindowsModemSite : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake.Ready());
        TelephonyClock::SetSleep([](unsigned) {});
        app.settings.WriteString("Telephony", "Line1Name", "Office");
        app.settings.WriteString("Telephony", "Line1Device", fake.Path());
        InstallTelephony(*app);
        const char* argv[] = {"gasquill"};
        ASSERT_TRUE(app->InitInstance(1, argv));
        ASSERT_EQ(app->TelephonyDevices().GetCount(), 1u);
        EXPECT_NE(app->GetTelephonyHandle(), 0u);
        link.SetDeviceId(TelephonyATBackend::PermanentIdFor("Office"));
        link.SetTelephoneNumber("5551234");
        link.SetConnectTimeout(300);
    }
    void TearDown() override {
        link.Close();
        app->ExitInstance();
        EXPECT_EQ(TelephonyService::Current(), nullptr);
        EXPECT_EQ(app->TelephonyDevices().GetCount(), 0u);
        TelephonyClock::SetSleep(nullptr);
        ModemTimings::Reset();
    }
    TestApp app;
    FakeModem fake;
    CInstrumentConnection inst;
    CTAPIModemConnection link;
};

TEST_F(WindowsModemSite, BusyFailsAtOnceWithoutPilingUpNoticesAndThenCallsCarryData) {
    // Each failed call leaves its closing notice behind (it comes once the
    // transport has stopped listening); the next call clears it, so it never
    // grows past one.
    fake.SetDialAnswer(dial::kBusy);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Dialing 5551234...");
    TelephonyService* service = TelephonyService::Current();
    ASSERT_NE(service, nullptr);
    size_t left = 0;
    for (TelephonyMessage m; service->GetMessage(m, 0);)
        ++left;
    EXPECT_EQ(left, 1u);
    EXPECT_FALSE(link.Open(&inst));
    fake.SetDialAnswer(dial::kConnect); // the line is free again for the next try
    ASSERT_TRUE(link.Open(&inst));
    ASSERT_TRUE(link.Write("k disp\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "k disp\r");
    EXPECT_TRUE(link.Close());
    TelephonyMessage m;
    EXPECT_FALSE(service->GetMessage(m, 0));
}

} // namespace
