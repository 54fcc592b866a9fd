// The two modem transports without a modem (their text lines, the Windows modem's record); the
// Windows-modem transport against a scripted telephony service; the AT layer's result codes and
// lines, the device list and start-up.

#include "ModemTestSupport.h"

#include "app/TAPIStartup.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TAPIModemDevice.h"
#include "model/ConfigKeywords.h"
#include "platform/TelephonyATBackend.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;
using S = TelephonyCallState;
using conntest::ConfigText;

// The Windows-modem record of the configuration file (the other modem records' fields are
// pinned by the older layouts the file still reads).
TEST(ModemArchive, TheWindowsModemRecordIsDeviceNumberAndTimeOut) {
    CTAPIModemConnection link;
    link.SetDeviceId(0xFFFFFFF0u);
    link.SetTelephoneNumber("9,555");
    link.SetConnectTimeout(45);
    CArchive written, expected;
    link.Serialize(written);
    expected.WriteUInt32(0xFFFFFFF0u);
    expected.WriteString("9,555");
    expected.WriteInt32(45);
    EXPECT_EQ(written.Bytes(), expected.Bytes());
}

TEST(ModemText, AMissingDefinitionIsLeftOutAndWrongValueKindsAreSyntaxErrors) {
    TestApp app;
    CNamedObjectList modems;
    CModemConnection link;
    link.SetModemId(77); // no such definition
    std::string out;
    link.WriteConfig(out, modems);
    EXPECT_EQ(out.rfind("  SITE_TELEPHONE = \"\"\r\n", 0), 0u) << out;

    const std::pair<bool, const char*> rows[] = {
        {true, "SITE_MODEM = 3\r\n"},
        {true, "SITE_CONNECT_TIMEOUT = \"30\"\r\n"},
        {true, "SITE_BAUD_RATE = \"fast\"\r\n"},
        {false, "SITE_MODEM = \"Office\"\r\n"},
        {false, "SITE_TELEPHONE = 5\r\n"},
        {false, "SITE_CONNECT_TIMEOUT = = 5\r\n"},
    };
    for (const auto& [builtIn, text] : rows) {
        SCOPED_TRACE(text);
        ConfigText c(text);
        CTAPIModemConnection windows;
        EXPECT_FALSE(builtIn ? link.ReadConfig(*c, modems) : windows.ReadConfig(*c, modems));
        EXPECT_GT(c->GetErrorCount(), 0u);
    }
    // Another block's key ends a transport's lines without an error.
    ConfigText serial("SITE_COMM_PORT = \"COM1\"\r\n");
    CTAPIModemConnection windows;
    EXPECT_FALSE(windows.ReadConfig(*serial, modems));
    EXPECT_EQ(serial->GetTokenCode(), CFG_SITE_COMM_PORT);
    EXPECT_EQ(serial->GetErrorCount(), 0u);
}

TEST(ModemResultCodes, EachCodeGivesItsCallStateAndOtherLinesNone) {
    // clang-format off
    const std::pair<const char*, S> codes[] = {
        {"connect 9600", S::Connected}, {"  CONNECT 33600/ARQ\r", S::Connected},
        {"busy\r\n", S::Busy}, {"NO CARRIER", S::Disconnected}, {"NO DIALTONE", S::Disconnected},
        {"NO DIAL TONE", S::Disconnected}, {"NO ANSWER", S::Disconnected}, {"ERROR", S::Disconnected}};
    // clang-format on
    for (const auto& [text, want] : codes) {
        S got = S::Dialing;
        EXPECT_TRUE(TelephonyATBackend::ParseResultCode(text, got)) << text;
        EXPECT_EQ(got, want) << text;
    }
    for (const char* text : {"", "   ", "OK", "BUSY SIGNAL", "ERRORS", "NO", "RINGING"}) {
        S got = S::Dialing;
        EXPECT_FALSE(TelephonyATBackend::ParseResultCode(text, got)) << text;
        EXPECT_EQ(got, S::Dialing) << text;
    }
}

TEST(TelephonyLines, IdentifiersFollowTheNameAndBadIndexesDevicesAndHandlesAreRefused) {
    EXPECT_NE(TelephonyATBackend::PermanentIdFor(""), 0u);
    TelephonyATBackend backend(
        {{"Same", "/nonexistent/ttyS9", 19200}, {"Same", "/dev/null", 19200}});
    TelephonyLineInfo a, b;
    ASSERT_TRUE(backend.GetLineInfo(0, a) && backend.GetLineInfo(1, b));
    EXPECT_EQ(a.permanentId, TelephonyATBackend::PermanentIdFor("Same"));
    EXPECT_NE(a.permanentId, b.permanentId); // two lines of one name still differ
    EXPECT_FALSE(backend.GetLineInfo(2, a));
    uint32_t line = 99, call = 99;
    EXPECT_EQ(backend.OpenLine(2, line), TelephonyService::ERR_BAD_INDEX);
    EXPECT_EQ(line, 0u);
    EXPECT_EQ(backend.OpenLine(0, line), TelephonyService::ERR_DEVICE);
    EXPECT_EQ(backend.OpenLine(1, line), TelephonyService::ERR_DEVICE); // not a terminal
    EXPECT_EQ(backend.MakeCall(1, "555", call), TelephonyService::ERR_BAD_LINE);
    EXPECT_EQ(backend.Drop(1), TelephonyService::ERR_BAD_CALL);
}

TEST(TelephonyStartup, LinesAreReadUntilAGapAndOnlyDataModemsWithAsciiNamesAreListed) {
    MemorySettingsStore s;
    s.WriteString("Telephony", "Line1Device", "/dev/ttyUSB0");
    s.WriteString("Telephony", "Line1Name", "Office");
    s.WriteInt("Telephony", "Line1Speed", 57600);
    s.WriteString("Telephony", "Line2Device", "/dev/ttyACM0");
    s.WriteInt("Telephony", "Line2Speed", -5);
    s.WriteString("Telephony", "Line4Device", "/dev/ttyS3");
    const std::vector<TelephonyLineConfig> lines = ReadTelephonyLines(s);
    ASSERT_EQ(lines.size(), 2u); // line 4, after a gap, is not read
    EXPECT_EQ(std::tuple(lines[0].name, lines[0].device, lines[0].speed),
              std::tuple(std::string("Office"), std::string("/dev/ttyUSB0"), 57600u));
    // Named after its device; an impossible speed gives the default.
    EXPECT_EQ(std::tuple(lines[1].name, lines[1].speed),
              std::tuple(std::string("/dev/ttyACM0"), 19200u));

    TestApp app;
    ScriptedTelephony service;
    service.lines = {{"Fax only", 11, false, true},
                     {"Office", 22, true, true},
                     {"Unicode", 33, true, false},
                     {"Lab", 44, true, true}};
    CNamedObjectList list;
    EXPECT_EQ(CTAPIModemDevice::FillDeviceList(list, &service), 2u);
    auto& office = dynamic_cast<CTAPIModemDevice&>(*list.At(0));
    auto& lab = dynamic_cast<CTAPIModemDevice&>(*list.At(1));
    EXPECT_EQ(std::tuple(office.GetName(), office.GetId(), office.GetDeviceIndex()),
              std::tuple(std::string("Office"), 22u, 1u));
    EXPECT_EQ(lab.GetDeviceIndex(), 3u);
    EXPECT_EQ(lab.GetApiVersion(), TelephonyService::kApiVersion);
    EXPECT_EQ(CTAPIModemDevice::FillDeviceList(list, nullptr), 0u);
}

// The listed lines becoming devices is seen with a real line in the threaded tests.
TEST(TelephonyStartup, NoLinesGiveNoService) {
    TestApp app;
    InstallTelephony(*app);
    const char* argv[] = {"gasquill"};
    ASSERT_TRUE(app->InitInstance(1, argv));
    EXPECT_EQ(app->TelephonyDevices().GetCount(), 0u);
    EXPECT_EQ(TelephonyService::Current(), nullptr);
    EXPECT_EQ(app->GetTelephonyHandle(), 0u);
    app->ExitInstance();
}

// ---- the transport against the scripted service
// ---------------------------------------------

class TAPILink : public ::testing::Test {
protected:
    void SetUp() override {
        TelephonyClock::SetSleep([](unsigned) {});
        ModemTimings::Reset();
        service.lines = {{"Lab", 0x1111, true, true}, {"Office", 0x2222, true, true}};
        CTAPIModemDevice::FillDeviceList(app->TelephonyDevices(), &service);
        TelephonyService::SetCurrent(&service);
        link.SetTelephoneNumber("5551234");
        link.SetDeviceId(0x2222);
    }
    void TearDown() override {
        link.Close();
        TelephonyService::SetCurrent(nullptr);
        TelephonyClock::SetSleep(nullptr);
        ModemTimings::Reset();
    }
    static void QuickNotices(unsigned ms) {
        ModemTimings t;
        t.callNoticeMs = ms;
        ModemTimings::Set(t);
    }
    TestApp app;
    ScriptedTelephony service;
    CInstrumentConnection inst;
    CTAPIModemConnection link;
};

// Only notices of this call after it was placed count: not another call's (before or during
// it) nor stale ones with the very handles this call gets.
TEST_F(TAPILink, TheCallsOutcomeDecidesAndAFailedCallIsDroppedAndItsLineClosed) {
    const auto placed = [](Log tail) {
        Log log = {"open 1", "call 5 5551234"}; // by identifier: the second device
        log.insert(log.end(), tail.begin(), tail.end());
        return log;
    };
    const Log ended = placed({"drop 70", "close 5"});
    const Log connected = placed({"stream 70"});
    struct Row {
        const char* name;
        std::function<void(ScriptedTelephony&)> setUp;
        bool opens;
        Log log;
        const char* display;
        uint32_t otherCall = 0; // whose notice is left for it
    };
    const auto nothing = [](ScriptedTelephony& s) { s.notices.clear(); };
    // clang-format off
    const Row rows[] = {
        {"connect", [](auto&) {}, true, connected, nullptr},
        {"dialing notice first", [](auto& s) { s.notices = {S::Dialing, S::Connected}; }, true, connected, nullptr},
        {"other and stale notices", [](auto& s) { s.Notice(9, 99, S::Connected); s.Notice(5, 70, S::Busy); s.othersDuringCall = {{9, 98, S::Busy}}; }, true, connected, nullptr, 98},
        // Busy ends it at once: no countdown step was taken.
        {"busy", [&](auto& s) { s.notices = {S::Busy}; link.SetConnectTimeout(300); }, false, ended, "Dialing 5551234..."},
        {"no stream", [](auto& s) { s.giveStream = false; }, false, placed({"stream 70", "drop 70", "close 5"}), nullptr},
        {"timeout 0", [&](auto& s) { nothing(s); link.SetConnectTimeout(0); }, false, ended, "Dialing 5551234..."},
        {"silence", [&](auto& s) { nothing(s); QuickNotices(30); link.SetConnectTimeout(3); }, false, ended, "Waiting to connect...1"},
        {"disconnect requested", [&](auto& s) { nothing(s); inst.SetDisconnectRequested(true); }, false, ended, "Dialing 5551234..."},
        {"device by index, not identifier", [&](auto&) { link.SetDeviceId(1); }, false, {}, nullptr},
        {"line not opened", [](auto& s) { s.openResult = TelephonyService::ERR_DEVICE; }, false, {"open 1"}, nullptr},
        {"call refused", [](auto& s) { s.makeCallResult = 0; }, false, placed({"close 5"}), nullptr},
        {"no service", [](auto&) { TelephonyService::SetCurrent(nullptr); }, false, {}, nullptr},
    };
    // clang-format on
    for (const Row& r : rows) {
        ScriptedTelephony script; // an untouched script for every row
        script.lines = service.lines;
        TelephonyService::SetCurrent(&script);
        link.SetConnectTimeout(120);
        link.SetDeviceId(0x2222);
        inst.SetDisconnectRequested(false);
        ModemTimings::Reset();
        r.setUp(script);
        EXPECT_EQ(link.Open(&inst), r.opens) << r.name;
        EXPECT_EQ(link.IsOpen(), r.opens) << r.name;
        EXPECT_EQ(script.log, r.log) << r.name;
        EXPECT_TRUE(!r.display || inst.GetDisplayText() == r.display) << r.name;
        TelephonyMessage m;
        EXPECT_TRUE(!r.otherCall || script.GetMessage(m, 0, r.otherCall)) << r.name;
        link.Close();
        TelephonyService::SetCurrent(&service); // the row's script is about to go
    }
}

// Writing and reading through a real line is seen in the threaded tests.
TEST_F(TAPILink, AConnectedCallCarriesDataAsTheDirectCable) {
    service.earlyData = "AB"; // read by the service before it handed over the stream
    ASSERT_TRUE(link.Open(&inst));
    ASSERT_TRUE(link.Write("k disp\r"));
    EXPECT_EQ(service.peer.Take(7), "k disp\r");
    service.peer.Feed("CD\r");
    EXPECT_EQ(link.ReadString(5000, '\r'), "ABCD\r");
    link.Close();
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(link.Purge()); // the early bytes go with the rest
    service.peer.Feed("E\r");
    EXPECT_EQ(link.ReadString(5000, '\r'), "E\r");
}

TEST_F(TAPILink, CloseDropsTheCallWaitsForItsEndAndClosesTheLine) {
    ASSERT_TRUE(link.Open(&inst));
    service.Notice(9, 99, S::Busy); // another line's: discarded too
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(service.log, (Log{"open 1", "call 5 5551234", "stream 70", "drop 70", "close 5"}));
    TelephonyMessage m;
    EXPECT_FALSE(service.GetMessage(m, 0)); // and the disconnected notice was taken
    char c;
    EXPECT_EQ(link.Read(&c, 1, 0, -1), 0u);
    EXPECT_TRUE(link.Close()); // always true
    // Without a notice after the drop, close stops after one quiet wait.
    service.noticeOnDrop = false;
    QuickNotices(30);
    std::unique_ptr<CConnection> open(link.Clone()); // a copy dials the same way
    ASSERT_TRUE(open->Open(&inst));
    open.reset(); // destroying a connected transport hangs up
    EXPECT_EQ(service.log.back(), "close 6");
}

} // namespace
