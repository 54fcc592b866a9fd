// Modem definitions and the two modem transports without a modem: the in-use
// count, their archive layouts, and the text lines only they read.

#include "ModemTestSupport.h"

#include "connections/TAPIModemConnection.h"
#include "model/ConfigKeywords.h"

#include <gtest/gtest.h>

using conntest::ConfigText;

namespace {

TEST(ModemDefinition, ACopyIsNotInUseAndTheInUseCountStopsAtZero) {
    TestApp app;
    CModemSettings m;
    m.SetName("Hayes");
    m.IncrementInUse();
    std::unique_ptr<CNamedObject> copy(m.Clone());
    EXPECT_NE(copy->GetId(), m.GetId());
    EXPECT_FALSE(dynamic_cast<CModemSettings&>(*copy).IsInUse());
    EXPECT_EQ(m.GetDisplayName(), "Hayes (In use)");
    for (int step : {-1, -1, -1, +1, +1})
        step > 0 ? m.IncrementInUse() : m.DecrementInUse();
    EXPECT_EQ(m.GetInUseCount(), 2); // the decrements stopped at zero
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
        m.SetName("Name");
        m.SetToneDial("Dial");
        m.SetEscape("Escape");
        m.SetHangup("Hangup");
        m.SetInitialization("Init");
        m.SetReset("Reset");
        m.SetOkResponse("Ok");
        m.SetConnectResponse("Connect");
        m.SetId(0x01020304);
        m.IncrementInUse(); // not stored
        CArchive expected;
        expected.WriteString("Name");
        expected.WriteUInt32(0x01020304);
        for (const char* s : {"Dial", "Escape", "Hangup", "Init", "Reset", "Ok", "Connect"})
            expected.WriteString(s);
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

} // namespace
