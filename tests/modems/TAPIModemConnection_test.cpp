#include "app/TAPIStartup.h"
#include "connections/ModemTimings.h"
#include "connections/TAPIModemConnection.h"
#include "connections/TAPIModemDevice.h"
#include "instruments/InstrumentConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "modems/ScriptedTelephony.h"
#include "platform/TelephonyATBackend.h"
#include "platform/TelephonyClock.h"
#include "support_lib/Fakes.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;
using Outcome = ScriptedTelephony::Outcome;

// ---- the shared notice queue ------------------------------------------------------------------

class QueueOnly : public ScriptedTelephony {
public:
    using ScriptedTelephony::Notice;
};

TEST(TelephonyNotices, OldestFirstAndEachTakenOnce) {
    QueueOnly q;
    q.Notice(1, 10, TelephonyCallState::Dialing);
    q.Notice(1, 10, TelephonyCallState::Connected);
    TelephonyMessage m;
    ASSERT_TRUE(q.GetMessage(m, 0));
    EXPECT_EQ(m.state, TelephonyCallState::Dialing);
    ASSERT_TRUE(q.GetMessage(m, 0));
    EXPECT_EQ(m.state, TelephonyCallState::Connected);
    EXPECT_EQ(m.line, 1u);
    EXPECT_EQ(m.call, 10u);
    EXPECT_FALSE(q.GetMessage(m, 0));
}

TEST(TelephonyNotices, ACallerWaitingForItsCallLeavesTheOthersQueued) {
    QueueOnly q;
    q.Notice(1, 10, TelephonyCallState::Busy);
    q.Notice(2, 20, TelephonyCallState::Connected);
    TelephonyMessage m;
    ASSERT_TRUE(q.GetMessage(m, 0, 20));
    EXPECT_EQ(m.call, 20u);
    EXPECT_FALSE(q.GetMessage(m, 0, 20));
    ASSERT_TRUE(q.GetMessage(m, 0, 10));
    EXPECT_EQ(m.state, TelephonyCallState::Busy);
}

TEST(TelephonyNotices, DiscardTakesOneLineOrAll) {
    QueueOnly q;
    q.Notice(1, 10, TelephonyCallState::Busy);
    q.Notice(2, 20, TelephonyCallState::Busy);
    q.Notice(1, 11, TelephonyCallState::Busy);
    q.DiscardMessages(1);
    TelephonyMessage m;
    ASSERT_TRUE(q.GetMessage(m, 0));
    EXPECT_EQ(m.line, 2u);
    EXPECT_FALSE(q.GetMessage(m, 0));
    q.Notice(3, 30, TelephonyCallState::Busy);
    q.Notice(4, 40, TelephonyCallState::Busy);
    q.DiscardMessages();
    EXPECT_FALSE(q.GetMessage(m, 0));
}

// ---- modem result codes and line identifiers --------------------------------------------------

TEST(ModemResultCodes, EachCodeGivesItsCallState) {
    const std::pair<const char*, TelephonyCallState> codes[] = {
        {"CONNECT", TelephonyCallState::Connected},
        {"connect 9600", TelephonyCallState::Connected},
        {"  CONNECT 33600/ARQ\r", TelephonyCallState::Connected},
        {"BUSY", TelephonyCallState::Busy},
        {"busy\r\n", TelephonyCallState::Busy},
        {"NO CARRIER", TelephonyCallState::Disconnected},
        {"NO DIALTONE", TelephonyCallState::Disconnected},
        {"NO DIAL TONE", TelephonyCallState::Disconnected},
        {"NO ANSWER", TelephonyCallState::Disconnected},
        {"ERROR", TelephonyCallState::Disconnected},
    };
    for (const auto& [text, want] : codes) {
        TelephonyCallState got = TelephonyCallState::Dialing;
        EXPECT_TRUE(TelephonyATBackend::ParseResultCode(text, got)) << text;
        EXPECT_EQ(got, want) << text;
    }
}

TEST(ModemResultCodes, OtherLinesAreNoCallState) {
    for (const char* text : {"", "\r", "   ", "OK", "RING", "ATDT5551234", "BUSY SIGNAL", "ERRORS",
                             "NO", "CARRIER", "RINGING"}) {
        TelephonyCallState got = TelephonyCallState::Dialing;
        EXPECT_FALSE(TelephonyATBackend::ParseResultCode(text, got)) << text;
        EXPECT_EQ(got, TelephonyCallState::Dialing) << text;
    }
}

TEST(TelephonyLines, PermanentIdentifierDependsOnlyOnTheNameAndIsNeverZero) {
    EXPECT_EQ(TelephonyATBackend::PermanentIdFor("Office modem"),
              TelephonyATBackend::PermanentIdFor("Office modem"));
    EXPECT_NE(TelephonyATBackend::PermanentIdFor("Office modem"),
              TelephonyATBackend::PermanentIdFor("Lab modem"));
    EXPECT_NE(TelephonyATBackend::PermanentIdFor(""), 0u);
}

TEST(TelephonyLines, TwoLinesOfOneNameStillHaveDistinctIdentifiers) {
    TelephonyATBackend backend({{"Same", "/dev/null", 19200}, {"Same", "/dev/zero", 19200}});
    TelephonyLineInfo a, b;
    ASSERT_TRUE(backend.GetLineInfo(0, a));
    ASSERT_TRUE(backend.GetLineInfo(1, b));
    EXPECT_EQ(a.permanentId, TelephonyATBackend::PermanentIdFor("Same"));
    EXPECT_NE(a.permanentId, b.permanentId);
    EXPECT_NE(b.permanentId, 0u);
    EXPECT_FALSE(backend.GetLineInfo(2, a));
}

TEST(TelephonyLines, RefusesBadIndexesDevicesAndNumbers) {
    TelephonyATBackend backend(
        {{"Nowhere", "/nonexistent/ttyS9", 19200}, {"Not a terminal", "/dev/null", 19200}});
    uint32_t line = 99;
    EXPECT_EQ(backend.OpenLine(2, line), TelephonyService::ERR_BAD_INDEX);
    EXPECT_EQ(line, 0u);
    EXPECT_EQ(backend.OpenLine(0, line), TelephonyService::ERR_DEVICE);
    EXPECT_EQ(backend.OpenLine(1, line), TelephonyService::ERR_DEVICE);
    uint32_t call = 99;
    EXPECT_EQ(backend.MakeCall(1, "555", call), TelephonyService::ERR_BAD_LINE);
    EXPECT_EQ(backend.Drop(1), TelephonyService::ERR_BAD_CALL);
    EXPECT_EQ(backend.CloseLine(1), TelephonyService::ERR_BAD_LINE);
    EXPECT_EQ(backend.GetCallStream(1), nullptr);
}

// ---- the device list and start-up -------------------------------------------------------------

TEST(TelephonySettings, LinesAreReadUntilTheFirstWithoutADevice) {
    MemorySettingsStore s;
    EXPECT_TRUE(ReadTelephonyLines(s).empty());
    s.WriteString("Telephony", "Line1Device", "/dev/ttyUSB0");
    s.WriteString("Telephony", "Line1Name", "Office");
    s.WriteInt("Telephony", "Line1Speed", 57600);
    s.WriteString("Telephony", "Line2Device", "/dev/ttyACM0");
    s.WriteInt("Telephony", "Line2Speed", -5);
    s.WriteString("Telephony", "Line4Device", "/dev/ttyS3"); // after a gap: not read
    const std::vector<TelephonyLineConfig> lines = ReadTelephonyLines(s);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].name, "Office");
    EXPECT_EQ(lines[0].device, "/dev/ttyUSB0");
    EXPECT_EQ(lines[0].speed, 57600u);
    EXPECT_EQ(lines[1].name, "/dev/ttyACM0"); // named after its device
    EXPECT_EQ(lines[1].speed, 19200u);        // an impossible speed gives the default
}

TEST(TelephonyDevices, OnlyDataModemLinesWithAsciiNamesAreListed) {
    TestApp app;
    ScriptedTelephony service;
    service.lines = {{"Fax only", 11, false, true},
                     {"Office", 22, true, true},
                     {"Unicode", 33, true, false},
                     {"Lab", 44, true, true}};
    CNamedObjectList list;
    EXPECT_EQ(CTAPIModemDevice::FillDeviceList(list, &service), 2u);
    ASSERT_EQ(list.GetCount(), 2u);
    auto* office = dynamic_cast<CTAPIModemDevice*>(list.At(0));
    auto* lab = dynamic_cast<CTAPIModemDevice*>(list.At(1));
    ASSERT_NE(office, nullptr);
    ASSERT_NE(lab, nullptr);
    EXPECT_EQ(office->GetName(), "Office");
    EXPECT_EQ(office->GetId(), 22u);
    EXPECT_EQ(office->GetDeviceIndex(), 1u);
    EXPECT_EQ(lab->GetDeviceIndex(), 3u);
    EXPECT_EQ(lab->GetApiVersion(), TelephonyService::kApiVersion);
    EXPECT_EQ(CTAPIModemDevice::FillDeviceList(list, nullptr), 0u);
}

TEST(TelephonyStartup, NoLinesGiveAnEmptyListAndAWindowsModemThatNeverConnects) {
    TestApp app;
    InstallTelephony(*app);
    const char* argv[] = {"gasquill"};
    ASSERT_TRUE(app->InitInstance(1, argv));
    EXPECT_EQ(app->TelephonyDevices().GetCount(), 0u);
    EXPECT_EQ(app->GetTelephonyHandle(), 0u);
    EXPECT_EQ(TelephonyService::Current(), nullptr);

    CInstrumentConnection inst;
    CTAPIModemConnection link;
    link.SetTelephoneNumber("5551234");
    link.SetDeviceId(TelephonyATBackend::PermanentIdFor("Office"));
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_FALSE(link.IsOpen());
    app->ExitInstance();
}

TEST(TelephonyStartup, ListedLinesBecomeDevicesAndShutDownStopsTheService) {
    TestApp app;
    app.settings.WriteString("Telephony", "Line1Device", "/dev/null");
    app.settings.WriteString("Telephony", "Line1Name", "Office");
    app.settings.WriteString("Telephony", "Line2Device", "/dev/zero");
    InstallTelephony(*app);
    const char* argv[] = {"gasquill"};
    ASSERT_TRUE(app->InitInstance(1, argv));
    ASSERT_EQ(app->TelephonyDevices().GetCount(), 2u);
    EXPECT_EQ(app->TelephonyDevices().At(0)->GetName(), "Office");
    EXPECT_EQ(app->TelephonyDevices().At(0)->GetId(), TelephonyATBackend::PermanentIdFor("Office"));
    EXPECT_EQ(app->TelephonyDevices().At(1)->GetName(), "/dev/zero");
    EXPECT_NE(app->GetTelephonyHandle(), 0u);
    EXPECT_EQ(app->GetTelephonyDeviceCount(), 2u);
    EXPECT_NE(TelephonyService::Current(), nullptr);
    app->ExitInstance();
    EXPECT_EQ(TelephonyService::Current(), nullptr);
    EXPECT_EQ(app->TelephonyDevices().GetCount(), 0u);
}

// ---- the Windows-modem transport --------------------------------------------------------------

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

TEST_F(TAPILink, DeviceIsFoundByItsPermanentIdentifierNotItsIndex) {
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(service.Log(), (Log{"open 1", "call 5 5551234", "stream 70"}));
}

TEST_F(TAPILink, StoredDeviceIdThatMatchesNoDeviceFails) {
    link.SetDeviceId(1); // the index of "Office", not an identifier
    EXPECT_FALSE(link.Open(&inst));
    link.SetDeviceId(0);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_TRUE(service.Log().empty());
}

TEST_F(TAPILink, BusyEndsOpenAtOnce) {
    service.outcome = Outcome::Busy;
    link.SetConnectTimeout(300);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_FALSE(link.IsOpen());
    // No countdown step was taken: the busy notice decided it.
    EXPECT_EQ(inst.GetDisplayText(), "Dialing 5551234...");
    EXPECT_EQ(service.Log(), (Log{"open 1", "call 5 5551234", "drop 70", "close 5"}));
}

TEST_F(TAPILink, DisconnectedCallFailsAndIsDropped) {
    service.outcome = Outcome::Disconnect;
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(service.Log(), (Log{"open 1", "call 5 5551234", "drop 70", "close 5"}));
}

TEST_F(TAPILink, ConnectedCallWithoutAByteStreamLeavesIsOpenFalse) {
    service.giveStream = false;
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.Write("k disp\r"));
    EXPECT_EQ(service.Log(), (Log{"open 1", "call 5 5551234", "stream 70", "drop 70", "close 5"}));
}

TEST_F(TAPILink, ConnectTimeoutZeroFailsAfterTheCallIsPlacedAndDropsIt) {
    service.outcome = Outcome::Nothing;
    link.SetConnectTimeout(0);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(service.Log(), (Log{"open 1", "call 5 5551234", "drop 70", "close 5"}));
    EXPECT_EQ(inst.GetDisplayText(), "Dialing 5551234...");
}

TEST_F(TAPILink, SilentCallIsCountedDownThenDropped) {
    service.outcome = Outcome::Nothing;
    QuickNotices(30);
    link.SetConnectTimeout(3);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Waiting to connect...1");
    EXPECT_EQ(service.Log().back(), "close 5");
}

TEST_F(TAPILink, NoticesOtherThanTheEndsAreIgnored) {
    service.outcome = Outcome::DialingThenConnect;
    EXPECT_TRUE(link.Open(&inst));
}

TEST_F(TAPILink, NoticesQueuedBeforeTheCallAreDiscardedWhateverTheirLineOrCall) {
    service.Notice(9, 99, TelephonyCallState::Connected);
    // Stale notices with the very handles this call gets must not decide it either.
    service.Notice(5, 70, TelephonyCallState::Busy);
    service.Notice(5, 70, TelephonyCallState::Disconnected);
    EXPECT_TRUE(link.Open(&inst));
    TelephonyMessage m;
    EXPECT_FALSE(service.GetMessage(m, 0));
}

TEST_F(TAPILink, ANoticeOfAnotherCallArrivingDuringTheWaitIsLeftForIt) {
    service.othersDuringCall = {{9, 99, TelephonyCallState::Busy}};
    EXPECT_TRUE(link.Open(&inst));
    TelephonyMessage m;
    ASSERT_TRUE(service.GetMessage(m, 0, 99));
    EXPECT_EQ(m.state, TelephonyCallState::Busy);
}

TEST_F(TAPILink, FailuresOfTheServiceFailOpen) {
    service.openResult = TelephonyService::ERR_DEVICE;
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(service.Log(), (Log{"open 1"}));

    service.openResult = 0;
    service.makeCallResult = 0; // no request made
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(service.Log().back(), "close 5");

    service.makeCallResult = 1;
    TelephonyService::SetCurrent(nullptr);
    EXPECT_FALSE(link.Open(&inst));
}

TEST_F(TAPILink, DisconnectRequestedStopsTheWait) {
    service.outcome = Outcome::Nothing;
    inst.SetDisconnectRequested(true);
    EXPECT_FALSE(link.Open(&inst));
    EXPECT_EQ(inst.GetDisplayText(), "Dialing 5551234...");
    EXPECT_EQ(service.Log().back(), "close 5");
}

TEST_F(TAPILink, ConnectedCallCarriesDataAsTheDirectCable) {
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_FALSE(link.Open(&inst)); // already open
    ASSERT_TRUE(link.Write("k disp\r"));
    EXPECT_EQ(service.PeerRead(7), "k disp\r");
    EXPECT_FALSE(link.Write(""));
    ASSERT_TRUE(service.PeerWrite("LINE ONE\rLINE TWO\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "LINE ONE\r");
    char c[3];
    EXPECT_EQ(link.Read(c, 3, 5000, -1), 3u); // max reached before the terminator
    EXPECT_EQ(std::string(c, 3), "LIN");
    EXPECT_EQ(link.ReadString(5000, '\r'), "E TWO\r");
    EXPECT_EQ(link.ReadString(0, '\r'), "");
}

TEST_F(TAPILink, BytesTheServiceReadBeforeHandingOverTheStreamAreReadFirst) {
    service.earlyData = "AB";
    ASSERT_TRUE(link.Open(&inst));
    ASSERT_TRUE(service.PeerWrite("CD\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "ABCD\r");
    link.Close();

    // A purge discards them with the rest.
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(link.Purge());
    ASSERT_TRUE(service.PeerWrite("E\r"));
    EXPECT_EQ(link.ReadString(5000, '\r'), "E\r");
}

TEST_F(TAPILink, CloseDropsTheCallWaitsForItsEndAndClosesTheLine) {
    ASSERT_TRUE(link.Open(&inst));
    service.Notice(9, 99, TelephonyCallState::Busy); // another line's: discarded too
    EXPECT_TRUE(link.Close());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(service.Log(), (Log{"open 1", "call 5 5551234", "stream 70", "drop 70", "close 5"}));
    TelephonyMessage m;
    EXPECT_FALSE(service.GetMessage(m, 0)); // and the disconnected notice was taken
    char c;
    EXPECT_EQ(link.Read(&c, 1, 0, -1), 0u);
    EXPECT_FALSE(link.Purge());
    EXPECT_TRUE(link.Close()); // always true
}

TEST_F(TAPILink, CloseWithoutANoticeStopsAfterOneQuietWait) {
    service.noticeOnDrop = false;
    QuickNotices(30);
    ASSERT_TRUE(link.Open(&inst));
    EXPECT_TRUE(link.Close());
    EXPECT_EQ(service.Log().back(), "close 5");
}

TEST_F(TAPILink, DestroyingAConnectedTransportHangsUp) {
    auto open = std::make_unique<CTAPIModemConnection>(link);
    ASSERT_TRUE(open->Open(&inst));
    open.reset();
    EXPECT_EQ(service.Log().back(), "close 5");
}

// ---- fields, copies, archive and text form ----------------------------------------------------

TEST(TAPIModemFields, CloneTakesNumberDeviceAndTimeoutAndStartsClosed) {
    TestApp app;
    CTAPIModemConnection link;
    link.SetTelephoneNumber("0171");
    link.SetDeviceId(0x80000001u);
    link.SetConnectTimeout(300);
    std::unique_ptr<CConnection> copy(link.Clone());
    auto* c = dynamic_cast<CTAPIModemConnection*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetTelephoneNumber(), "0171");
    EXPECT_EQ(c->GetDeviceId(), 0x80000001u);
    EXPECT_EQ(c->GetConnectTimeout(), 300);
    EXPECT_FALSE(c->IsOpen());
}

TEST(TAPIModemFields, ArchiveHoldsDeviceNumberAndTimeoutWhateverTheSchema) {
    TestApp app;
    CTAPIModemConnection link;
    link.SetTelephoneNumber("555");
    link.SetDeviceId(0xCAFEF00Du);
    link.SetConnectTimeout(15);
    CArchive out;
    link.Serialize(out);
    CArchive expected;
    expected.WriteUInt32(0xCAFEF00Du);
    expected.WriteString("555");
    expected.WriteInt32(15);
    EXPECT_EQ(out.Bytes(), expected.Bytes());
    for (unsigned schema : {0u, 3u}) {
        CArchive in(out.Bytes());
        in.SetObjectSchema(schema);
        CTAPIModemConnection back;
        back.Serialize(in);
        EXPECT_EQ(back.GetDeviceId(), 0xCAFEF00Du);
        EXPECT_EQ(back.GetTelephoneNumber(), "555");
        EXPECT_EQ(back.GetConnectTimeout(), 15);
    }
}

struct ConfigText {
    explicit ConfigText(const std::string& text) : file(text), stream(file.get()) {
        InitSupportLibrary();
        stream.SetSpanLines(true);
        stream.GetToken();
    }
    TempTextFile file;
    ConfigFileTokenStream stream;
};

TEST(TAPIModemText, WritesTheDeviceAsANumberAndReadsItBack) {
    TestApp app;
    CNamedObjectList modems;
    CTAPIModemConnection link;
    link.SetDeviceId(0xFFFFFFF0u); // beyond the signed range: written as a negative number
    link.SetTelephoneNumber("9,555");
    link.SetConnectTimeout(45);
    std::string out;
    link.WriteConfig(out, modems);
    EXPECT_EQ(out, "  SITE_MODEM = -16\r\n  SITE_TELEPHONE = \"9,555\"\r\n"
                   "  SITE_CONNECT_TIMEOUT = 45\r\n");
    ConfigText c(out + "\r\nINST_NAME = \"x\"\r\n");
    CTAPIModemConnection back;
    EXPECT_TRUE(back.ReadConfig(c.stream, modems));
    EXPECT_EQ(c.stream.GetTokenCode(), CFG_INST_NAME);
    EXPECT_EQ(back.GetDeviceId(), 0xFFFFFFF0u);
    EXPECT_EQ(back.GetTelephoneNumber(), "9,555");
    EXPECT_EQ(back.GetConnectTimeout(), 45);
}

TEST(TAPIModemText, SerialLinesAndWrongValueKindsAreNotItsOwn) {
    TestApp app;
    CNamedObjectList modems;
    {
        ConfigText c("SITE_COMM_PORT = \"COM1\"\r\n");
        CTAPIModemConnection link;
        EXPECT_FALSE(link.ReadConfig(c.stream, modems));
        EXPECT_EQ(c.stream.GetTokenCode(), CFG_SITE_COMM_PORT);
        EXPECT_EQ(c.stream.GetErrorCount(), 0u);
    }
    for (const char* text : {"SITE_MODEM = \"Office\"\r\n", "SITE_TELEPHONE = 5\r\n",
                             "SITE_CONNECT_TIMEOUT = = 5\r\n"}) {
        ConfigText c(text);
        CTAPIModemConnection link;
        EXPECT_FALSE(link.ReadConfig(c.stream, modems)) << text;
        EXPECT_GT(c.stream.GetErrorCount(), 0u) << text;
    }
}

} // namespace
