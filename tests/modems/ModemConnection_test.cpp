// Modem definitions and the built-in modem transport without a modem: copies,
// the in-use count, the archive layouts of their schemas and their lines in the
// text file; and sites whose link is one of the modem kinds.

#include "ModemTestSupport.h"

#include "app/TAPIStartup.h"
#include "connections/TAPIModemConnection.h"
#include "model/ConfigKeywords.h"

#include <gtest/gtest.h>

using namespace conntest;

namespace {

using Strings = std::vector<std::string>;

// In archive order: name, dial, escape, hang-up, initialisation, reset, OK,
// connect.
Strings AllStrings(const CModemSettings& m) {
    return {m.GetName(),           m.GetToneDial(), m.GetEscape(),     m.GetHangup(),
            m.GetInitialization(), m.GetReset(),    m.GetOkResponse(), m.GetConnectResponse()};
}
const Strings kDefaults = {"Standard",          "ATDT", "+++", "ATH0",
                           "AT &F E0 M0 Q0 V1", "ATZ",  "OK",  "CONNECT"};
void SetAll(CModemSettings& m, const std::string& tag) {
    m.SetName("Name " + tag);
    m.SetToneDial("Dial " + tag);
    m.SetEscape("Escape " + tag);
    m.SetHangup("Hangup " + tag);
    m.SetInitialization("Init " + tag);
    m.SetReset("Reset " + tag);
    m.SetOkResponse("Ok " + tag);
    m.SetConnectResponse("Connect " + tag);
}

TEST(ModemDefinition, CopiesAndDefaultsKeepOrGiveIdsAndTheInUseCountStopsAtZero) {
    TestApp app;
    CModemSettings m;
    SetAll(m, "1");
    m.IncrementInUse();
    std::unique_ptr<CNamedObject> copy(m.Clone());
    auto& c = dynamic_cast<CModemSettings&>(*copy);
    EXPECT_EQ(AllStrings(c), AllStrings(m));
    EXPECT_NE(c.GetId(), m.GetId());
    EXPECT_FALSE(c.IsInUse());
    const uint32_t id = m.GetId();
    m.SetDefaults();
    EXPECT_EQ(AllStrings(m), kDefaults);
    EXPECT_EQ(m.GetId(), id);

    m.SetName("Hayes");
    EXPECT_EQ(m.GetDisplayName(), "Hayes (In use)");
    for (int step : {-1, -1, -1, +1, +1})
        step > 0 ? m.IncrementInUse() : m.DecrementInUse();
    EXPECT_EQ(m.GetInUseCount(), 2); // the decrements stopped at zero
    m.DecrementInUse();
    m.DecrementInUse();
    EXPECT_EQ(m.GetDisplayName(), "Hayes");
}

TEST(ModemDefinition, ArchiveIsNameIdThenSevenStringsAndSchemaSixHasOneMore) {
    TestApp app;
    CModemSettings m;
    SetAll(m, "a");
    m.SetId(0x01020304);
    CArchive out;
    m.Serialize(out);
    CArchive expected;
    expected.WriteString("Name a");
    expected.WriteUInt32(0x01020304);
    for (const char* s :
         {"Dial a", "Escape a", "Hangup a", "Init a", "Reset a", "Ok a", "Connect a"})
        expected.WriteString(s);
    EXPECT_EQ(out.Bytes(), expected.Bytes());
    CModemSettings back;
    back.IncrementInUse();
    CArchive in(out.Bytes());
    in.SetObjectSchema(7);
    back.Serialize(in);
    EXPECT_EQ(AllStrings(back), AllStrings(m));
    EXPECT_EQ(back.GetId(), 0x01020304u);
    EXPECT_FALSE(back.IsInUse());

    CArchive old;
    old.WriteString("Old");
    old.WriteUInt32(42);
    old.WriteString("AT"); // the string dropped in schema 7
    for (const char* s : {"ATDP", "+++", "ATH", "ATE0", "ATZ0", "OK", "CONNECT"})
        old.WriteString(s);
    CArchive oldIn(old.Bytes());
    oldIn.SetObjectSchema(6);
    back.Serialize(oldIn);
    EXPECT_EQ(AllStrings(back),
              (Strings{"Old", "ATDP", "+++", "ATH", "ATE0", "ATZ0", "OK", "CONNECT"}));
    for (unsigned schema : {0u, 5u, 8u}) {
        CArchive bad(out.Bytes());
        bad.SetObjectSchema(schema);
        ExpectBadSchema([&] { back.Serialize(bad); }, "schema " + std::to_string(schema));
    }
}

TEST(ModemDefinition, TextBlockIsWrittenAndReadBackWithIgnoredKeysTaken) {
    TestApp app;
    CModemSettings m;
    m.SetName("Office");
    std::string out;
    m.WriteConfig(out);
    EXPECT_EQ(out, "\r\nMODEM_NAME = \"Office\"\r\n  MODEM_TONE_DIAL = \"ATDT\"\r\n"
                   "  MODEM_ESCAPE = \"+++\"\r\n  MODEM_HANGUP = \"ATH0\"\r\n"
                   "  MODEM_INITIALIZATION_STRING = \"AT &F E0 M0 Q0 V1\"\r\n"
                   "  MODEM_RESET = \"ATZ\"\r\n  MODEM_OK = \"OK\"\r\n"
                   "  MODEM_CONNECT = \"CONNECT\"\r\n");
    SetAll(m, "t");
    out.clear();
    m.WriteConfig(out);
    // The block's reader starts after the name line, which is the caller's.
    const size_t body = out.find("  MODEM_TONE_DIAL");
    ConfigText c(out.substr(body) + "  MODEM_COMMAND_PREFIX = \"AT\"\r\n  modem_timeout = 30\r\n"
                                    "  MODEM_PULSE_DIAL = \"ATDP\"\r\n  MODEM_ECHO_OFF = \"E0\"\r\n"
                                    "  MODEM_VERBAL_RESPONSES = \"V1\"\r\n"
                                    "  MODEM_HANGUP = \"ATH1\"\r\n\r\nSITE_NAME = \"Plant\"\r\n");
    CModemSettings back;
    EXPECT_TRUE(back.ReadConfig(*c));
    EXPECT_EQ(c->GetTokenCode(), CFG_SITE_NAME);
    Strings want = AllStrings(m);
    want[0] = "Standard";
    want[3] = "ATH1"; // the last one wins
    EXPECT_EQ(AllStrings(back), want);
    for (const char* text : {"MODEM_OK = 5\r\n", "MODEM_TIMEOUT = \"30\"\r\n",
                             "MODEM_RESET \"ATZ\"\r\n", "MODEM_ANSWER = = \"ATA\"\r\n"}) {
        ConfigText bad(text);
        EXPECT_FALSE(back.ReadConfig(*bad)) << text;
        EXPECT_GT(bad->GetErrorCount(), 0u) << text;
    }
}

// ---- the built-in modem transport
// -----------------------------------------------------------

TEST(ModemConnectionArchive, SerialFieldsThenModemNumberAndTimeoutAndSchemaZeroHasNoFlowCode) {
    TestApp app;
    CModemConnection link;
    link.SetPortName("COM3");
    link.SetBaudRate(9600);
    link.SetParity(1);
    link.SetDataBits(7);
    link.SetStopBits(2);
    link.SetFlowControl(2);
    link.SetModemId(0xDEADBEEF);
    link.SetTelephoneNumber("0171");
    link.SetConnectTimeout(45);
    CArchive out;
    link.Serialize(out);
    CArchive expected;
    expected.WriteString("COM3");
    for (uint32_t v : {9600u, 1u, 7u, 2u, 2u, 0xDEADBEEFu})
        expected.WriteUInt32(v);
    expected.WriteString("0171");
    expected.WriteInt32(45);
    EXPECT_EQ(out.Bytes(), expected.Bytes());

    CArchive old;
    old.WriteString("COM2");
    for (uint32_t v : {1200u, 0u, 8u, 0u, 77u})
        old.WriteUInt32(v); // four serial integers, then the modem definition ID
    old.WriteString("555");
    old.WriteInt32(30);
    CModemConnection back;
    CArchive in(old.Bytes());
    in.SetObjectSchema(0);
    back.Serialize(in);
    EXPECT_EQ(std::tuple(back.GetFlowControl(), back.GetModemId(), back.GetTelephoneNumber(),
                         back.GetConnectTimeout()),
              std::tuple(0, 77u, std::string("555"), 30));
    CArchive bad(out.Bytes());
    bad.SetObjectSchema(2);
    ExpectBadSchema([&] { back.Serialize(bad); }, "schema 2");
}

TEST(ModemConnectionText, WritesModemNameNumberTimeoutThenTheSerialLinesAndReadsThemBack) {
    TestApp app;
    CNamedObjectList modems;
    auto* m = new CModemSettings;
    m->SetName("Hayes");
    modems.AddTail(m);
    CModemConnection link;
    link.SetModemId(m->GetId());
    link.SetTelephoneNumber("555 0100");
    link.SetConnectTimeout(60);
    link.SetPortName("COM2");
    std::string out;
    link.WriteConfig(out, modems);
    EXPECT_EQ(out, "  SITE_MODEM = \"Hayes\"\r\n  SITE_TELEPHONE = \"555 0100\"\r\n"
                   "  SITE_CONNECT_TIMEOUT = 60\r\n  SITE_COMM_PORT = \"COM2\"\r\n"
                   "  SITE_BAUD_RATE = 19200\r\n  SITE_PARITY_MODE = 0\r\n"
                   "  SITE_DATA_BITS = 8\r\n  SITE_STOP_BITS = 0\r\n  SITE_XON_XOFF = "
                   "0\r\n");
    // A definition that no longer exists is left out.
    for (uint32_t id : {m->GetId() + 1, 0u}) {
        std::string without;
        link.SetModemId(id);
        link.WriteConfig(without, modems);
        EXPECT_EQ(without.find("SITE_MODEM"), std::string::npos) << id;
    }
    // Any order, names without case, the last line wins, up to the next block.
    ConfigText c("site_telephone = \"0171\"\r\n  SITE_COMM_PORT = 1\r\n"
                 "  SITE_MODEM = \"HAYES\"\r\n  SITE_CONNECT_TIMEOUT = 30\r\n"
                 "  SITE_BAUD_RATE = 2400\r\n  SITE_TELEPHONE = \"0172\"\r\n"
                 "\r\nSITE_NAME = \"Next\"\r\n");
    CModemConnection back;
    EXPECT_TRUE(back.ReadConfig(*c, modems));
    EXPECT_EQ(c->GetTokenCode(), CFG_SITE_NAME);
    EXPECT_EQ(std::tuple(back.GetTelephoneNumber(), back.GetPortName(), back.GetModemId(),
                         back.GetConnectTimeout(), back.GetBaudRate()),
              std::tuple(std::string("0172"), std::string("COM2"), m->GetId(), 30, 2400u));
    ConfigText missing("SITE_MODEM = \"Missing\"\r\n");
    CModemConnection unknown;
    EXPECT_TRUE(unknown.ReadConfig(*missing, modems));
    EXPECT_EQ(unknown.GetModemId(), 0u);
}

TEST(ModemConnectionText, OtherKeysAreLeftAndWrongValueKindsAreSyntaxErrors) {
    TestApp app;
    CNamedObjectList modems;
    ConfigText other("INST_ID = 4\r\n");
    CModemConnection link;
    EXPECT_FALSE(link.ReadConfig(*other, modems));
    EXPECT_EQ(other->GetTokenCode(), CFG_INST_ID);
    EXPECT_EQ(other->GetErrorCount(), 0u);
    for (const char* text :
         {"SITE_MODEM = 3\r\n", "SITE_TELEPHONE = 555\r\n", "SITE_CONNECT_TIMEOUT = \"30\"\r\n",
          "SITE_TELEPHONE \"555\"\r\n", "SITE_BAUD_RATE = \"fast\"\r\n"}) {
        ConfigText c(text);
        EXPECT_FALSE(link.ReadConfig(*c, modems)) << text;
        EXPECT_GT(c->GetErrorCount(), 0u) << text;
    }
}

// ---- sites on a modem
// -----------------------------------------------------------------------

TEST(ModemSiteKinds, TypesOneAndTwoAreTheModemsAndTheSiteArchiveKeepsTheirSettings) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CModemConnection::RegisterClass();
    CTAPIModemConnection::RegisterClass();
    std::unique_ptr<CConnection> windows(CSiteConnection::CreateTransport(2));
    EXPECT_NE(dynamic_cast<CTAPIModemConnection*>(windows.get()), nullptr);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(windows->GetConnectionType()), 2);
    CSiteConnection site;
    site.SetConnectionType(CSiteConnection::TYPE_BUILTINMODEM);
    auto* modem = dynamic_cast<CModemConnection*>(site.GetConnection());
    ASSERT_NE(modem, nullptr);
    modem->SetModemId(1234);
    modem->SetTelephoneNumber("0171 555");
    modem->SetConnectTimeout(75);
    CArchive out;
    out.WriteObject<CNamedObject>(&site);
    CArchive in(out.Bytes());
    std::unique_ptr<CNamedObject> back(ArchiveClassRegistry<CNamedObject>::Read(in));
    auto* m =
        dynamic_cast<CModemConnection*>(dynamic_cast<CSiteConnection&>(*back).GetConnection());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(std::tuple(m->GetModemId(), m->GetTelephoneNumber(), m->GetConnectTimeout()),
              std::tuple(1234u, std::string("0171 555"), 75));
}

TEST(ModemSiteKinds, WindowsModemSiteWithoutTelephonyNeverConnects) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CTAPIModemConnection::RegisterClass();
    InstallTelephony(*app);
    const char* argv[] = {"gasquill"};
    ASSERT_TRUE(app->InitInstance(1, argv));
    {
        CSiteConnection site;
        site.SetName("Remote");
        site.SetConnectionType(CSiteConnection::TYPE_WINDOWSMODEM);
        CInstrumentConnection inst;
        site.OpenLink(&inst);
        EXPECT_FALSE(site.IsConnected());
        EXPECT_EQ(inst.GetDisplayText(), "Unable to connect to site Remote.");
    }
    app->ExitInstance();
}

} // namespace
