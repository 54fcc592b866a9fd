// The built-in modem transport's persistent form: the archive layouts of its schemas and its
// lines in the text file.

#include "connections/ModemConnection.h"
#include "connections/ModemSettings.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "support_lib/Fakes.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>

namespace {

TEST(ModemConnectionArchive, StoresSerialFieldsThenModemNumberAndTimeout) {
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

    CModemConnection back;
    CArchive in(out.Bytes());
    in.SetObjectSchema(1);
    back.Serialize(in);
    EXPECT_EQ(back.GetPortName(), "COM3");
    EXPECT_EQ(back.GetFlowControl(), 2);
    EXPECT_EQ(back.GetModemId(), 0xDEADBEEFu);
    EXPECT_EQ(back.GetTelephoneNumber(), "0171");
    EXPECT_EQ(back.GetConnectTimeout(), 45);
}

TEST(ModemConnectionArchive, SchemaZeroHasNoFlowControlCode) {
    TestApp app;
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
    EXPECT_EQ(back.GetFlowControl(), 0);
    EXPECT_EQ(back.GetModemId(), 77u);
    EXPECT_EQ(back.GetTelephoneNumber(), "555");
    EXPECT_EQ(back.GetConnectTimeout(), 30);
}

TEST(ModemConnectionArchive, SchemasAboveOneAreRefused) {
    TestApp app;
    CModemConnection link;
    CArchive out;
    link.Serialize(out);
    CModemConnection back;
    CArchive in(out.Bytes());
    in.SetObjectSchema(2);
    try {
        back.Serialize(in);
        ADD_FAILURE() << "schema 2 was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::BadSchema);
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

TEST(ModemConnectionText, WritesModemNameNumberTimeoutThenTheSerialLines) {
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
    EXPECT_EQ(out, "  SITE_MODEM = \"Hayes\"\r\n"
                   "  SITE_TELEPHONE = \"555 0100\"\r\n"
                   "  SITE_CONNECT_TIMEOUT = 60\r\n"
                   "  SITE_COMM_PORT = \"COM2\"\r\n"
                   "  SITE_BAUD_RATE = 19200\r\n"
                   "  SITE_PARITY_MODE = 0\r\n"
                   "  SITE_DATA_BITS = 8\r\n"
                   "  SITE_STOP_BITS = 0\r\n"
                   "  SITE_XON_XOFF = 0\r\n");

    // A definition that no longer exists is left out.
    link.SetModemId(m->GetId() + 1);
    out.clear();
    link.WriteConfig(out, modems);
    EXPECT_EQ(out.rfind("  SITE_TELEPHONE", 0), 0u);
    link.SetModemId(0);
    out.clear();
    link.WriteConfig(out, modems);
    EXPECT_EQ(out.find("SITE_MODEM"), std::string::npos);
}

TEST(ModemConnectionText, ReadsItsLinesInAnyOrderAndStopsAtTheNextBlock) {
    TestApp app;
    CNamedObjectList modems;
    auto* m = new CModemSettings;
    m->SetName("Hayes");
    modems.AddTail(m);
    ConfigText c("site_telephone = \"0171\"\r\n  SITE_COMM_PORT = 1\r\n"
                 "  SITE_MODEM = \"HAYES\"\r\n  SITE_CONNECT_TIMEOUT = 30\r\n"
                 "  SITE_BAUD_RATE = 2400\r\n  SITE_TELEPHONE = \"0172\"\r\n"
                 "\r\nSITE_NAME = \"Next\"\r\n");
    CModemConnection link;
    EXPECT_TRUE(link.ReadConfig(c.stream, modems));
    EXPECT_EQ(c.stream.GetTokenCode(), CFG_SITE_NAME);
    EXPECT_EQ(link.GetTelephoneNumber(), "0172"); // the last one wins
    EXPECT_EQ(link.GetPortName(), "COM2");
    EXPECT_EQ(link.GetModemId(), m->GetId()); // names compare without case
    EXPECT_EQ(link.GetConnectTimeout(), 30);
    EXPECT_EQ(link.GetBaudRate(), 2400u);
}

TEST(ModemConnectionText, UnknownModemNameLeavesTheReference) {
    TestApp app;
    CNamedObjectList modems;
    ConfigText c("SITE_MODEM = \"Missing\"\r\n");
    CModemConnection link;
    EXPECT_TRUE(link.ReadConfig(c.stream, modems));
    EXPECT_EQ(link.GetModemId(), 0u);
    EXPECT_EQ(c.stream.GetTokenCode(), TOKEN_END);
}

TEST(ModemConnectionText, NothingOfItsOwnIsNotTaken) {
    TestApp app;
    CNamedObjectList modems;
    ConfigText c("INST_ID = 4\r\n");
    CModemConnection link;
    EXPECT_FALSE(link.ReadConfig(c.stream, modems));
    EXPECT_EQ(c.stream.GetTokenCode(), CFG_INST_ID);
    EXPECT_EQ(c.stream.GetErrorCount(), 0u);
}

TEST(ModemConnectionText, WrongValueKindsAreSyntaxErrors) {
    TestApp app;
    CNamedObjectList modems;
    for (const char* text :
         {"SITE_MODEM = 3\r\n", "SITE_TELEPHONE = 555\r\n", "SITE_CONNECT_TIMEOUT = \"30\"\r\n",
          "SITE_TELEPHONE \"555\"\r\n", "SITE_BAUD_RATE = \"fast\"\r\n"}) {
        ConfigText c(text);
        CModemConnection link;
        EXPECT_FALSE(link.ReadConfig(c.stream, modems)) << text;
        EXPECT_GT(c.stream.GetErrorCount(), 0u) << text;
    }
}

TEST(ModemConnectionText, WrittenLinesReadBack) {
    TestApp app;
    CNamedObjectList modems;
    auto* m = new CModemSettings;
    m->SetName("Office");
    modems.AddTail(m);
    CModemConnection link;
    link.SetModemId(m->GetId());
    link.SetTelephoneNumber("9,555");
    link.SetConnectTimeout(90);
    link.SetPortName("/dev/ttyUSB0");
    link.SetFlowControl(2);
    link.SetParity(3);
    std::string out;
    link.WriteConfig(out, modems);
    ConfigText c(out);
    CModemConnection back;
    EXPECT_TRUE(back.ReadConfig(c.stream, modems));
    EXPECT_EQ(c.stream.GetTokenCode(), TOKEN_END);
    EXPECT_EQ(back.GetModemId(), m->GetId());
    EXPECT_EQ(back.GetTelephoneNumber(), "9,555");
    EXPECT_EQ(back.GetConnectTimeout(), 90);
    EXPECT_EQ(back.GetPortName(), "/dev/ttyUSB0");
    EXPECT_EQ(back.GetFlowControl(), 2);
    EXPECT_EQ(back.GetParity(), 3);
}

} // namespace
