// Modem definitions and the two modem transports without a modem: copies and the
// in-use count, their archive layouts, and the text lines only they read.

#include "ModemTestSupport.h"

#include "connections/TAPIModemConnection.h"
#include "model/ConfigKeywords.h"

#include <gtest/gtest.h>

using conntest::ConfigText;

namespace {

using Strings = std::vector<std::string>;

// In archive order: name, dial, escape, hang-up, initialisation, reset, OK,
// connect.
Strings AllStrings(const CModemSettings& m) {
    return {m.GetName(),           m.GetToneDial(), m.GetEscape(),     m.GetHangup(),
            m.GetInitialization(), m.GetReset(),    m.GetOkResponse(), m.GetConnectResponse()};
}

TEST(ModemDefinition, CopiesAndDefaultsKeepOrGiveIdsAndTheInUseCountStopsAtZero) {
    TestApp app;
    CModemSettings m;
    m.SetName("Hayes");
    m.SetReset("ATZ0");
    m.IncrementInUse();
    std::unique_ptr<CNamedObject> copy(m.Clone());
    auto& c = dynamic_cast<CModemSettings&>(*copy);
    EXPECT_EQ(AllStrings(c), AllStrings(m));
    EXPECT_NE(c.GetId(), m.GetId());
    EXPECT_FALSE(c.IsInUse());
    const uint32_t id = m.GetId();
    m.SetDefaults();
    EXPECT_EQ(AllStrings(m), (Strings{"Standard", "ATDT", "+++", "ATH0", "AT &F E0 M0 Q0 V1", "ATZ",
                                      "OK", "CONNECT"}));
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

// Writes obj, expects the bytes, and reads them back under schema into a fresh T
// that writes the same bytes again.
template <class T> void ExpectArchive(T& obj, const CArchive& expected, unsigned schema) {
    CArchive out;
    obj.Serialize(out);
    EXPECT_EQ(out.Bytes(), expected.Bytes());
    CArchive in(out.Bytes());
    in.SetObjectSchema(schema);
    T back;
    back.Serialize(in);
    CArchive again;
    back.Serialize(again);
    EXPECT_EQ(again.Bytes(), out.Bytes());
}

TEST(ModemArchive, DefinitionBuiltInAndWindowsModemLayouts) {
    TestApp app;
    {
        SCOPED_TRACE("definition: name, ID, then seven strings");
        CModemSettings m;
        const Strings s = {"Name", "Dial", "Escape", "Hangup", "Init", "Reset", "Ok", "Connect"};
        m.SetName(s[0]);
        m.SetToneDial(s[1]);
        m.SetEscape(s[2]);
        m.SetHangup(s[3]);
        m.SetInitialization(s[4]);
        m.SetReset(s[5]);
        m.SetOkResponse(s[6]);
        m.SetConnectResponse(s[7]);
        m.SetId(0x01020304);
        m.IncrementInUse(); // not stored
        CArchive expected;
        expected.WriteString(s[0]);
        expected.WriteUInt32(0x01020304);
        for (size_t i = 1; i < s.size(); ++i)
            expected.WriteString(s[i]);
        ExpectArchive(m, expected, 7);
    }
    {
        SCOPED_TRACE("built-in modem: the serial fields, then modem, number and timeout");
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
        CArchive expected;
        expected.WriteString("COM3");
        for (uint32_t v : {9600u, 1u, 7u, 2u, 2u, 0xDEADBEEFu})
            expected.WriteUInt32(v);
        expected.WriteString("0171");
        expected.WriteInt32(45);
        ExpectArchive(link, expected, 1);
    }
    {
        SCOPED_TRACE("Windows modem: device, number, timeout");
        CTAPIModemConnection link;
        link.SetTelephoneNumber("9,555");
        link.SetDeviceId(0xFFFFFFF0u);
        link.SetConnectTimeout(45);
        CArchive expected;
        expected.WriteUInt32(0xFFFFFFF0u);
        expected.WriteString("9,555");
        expected.WriteInt32(45);
        ExpectArchive(link, expected, 0);
        std::unique_ptr<CConnection> copy(link.Clone());
        CArchive copied;
        copy->Serialize(copied);
        EXPECT_EQ(copied.Bytes(), expected.Bytes());
    }
}

TEST(ModemText, AMissingDefinitionIsLeftOutAndWrongValueKindsAreSyntaxErrors) {
    TestApp app;
    CNamedObjectList modems;
    CModemConnection link;
    link.SetModemId(77); // no such definition
    std::string out;
    link.WriteConfig(out, modems);
    EXPECT_EQ(out.rfind("  SITE_TELEPHONE = \"\"\r\n", 0), 0u) << out;

    const struct {
        const char* reader;
        const char* text;
    } rows[] = {
        {"definition", "MODEM_RESET \"ATZ\"\r\n"},
        {"definition", "MODEM_ANSWER = = \"ATA\"\r\n"},
        {"built-in", "SITE_MODEM = 3\r\n"},
        {"built-in", "SITE_CONNECT_TIMEOUT = \"30\"\r\n"},
        {"built-in", "SITE_BAUD_RATE = \"fast\"\r\n"},
        {"Windows", "SITE_MODEM = \"Office\"\r\n"},
        {"Windows", "SITE_TELEPHONE = 5\r\n"},
        {"Windows", "SITE_CONNECT_TIMEOUT = = 5\r\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.reader) + ": " + r.text);
        ConfigText c(r.text);
        const std::string reader = r.reader;
        CModemSettings definition;
        CTAPIModemConnection windows;
        EXPECT_FALSE(reader == "definition" ? definition.ReadConfig(*c)
                     : reader == "built-in" ? link.ReadConfig(*c, modems)
                                            : windows.ReadConfig(*c, modems));
        EXPECT_GT(c->GetErrorCount(), 0u);
    }
    // Another block's key ends a transport's lines without an error.
    ConfigText serial("SITE_COMM_PORT = \"COM1\"\r\n");
    CTAPIModemConnection windows;
    EXPECT_FALSE(windows.ReadConfig(*serial, modems));
    EXPECT_EQ(serial->GetTokenCode(), CFG_SITE_COMM_PORT);
    EXPECT_EQ(serial->GetErrorCount(), 0u);
}

} // namespace
