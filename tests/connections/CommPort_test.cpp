// The direct cable over real pseudo-terminals and over the in-memory port: settings and
// their normalisation, exclusive open, the read loop's limits, write, purge, close, and the
// archive and text forms.

#include "ConnTestSupport.h"

#include "connections/CommPortConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "model/NamedObjectList.h"
#include "platform/PosixSerialPort.h"
#include "platform/SerialBaudRate.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <termios.h>

using conntest::FakePorts;
using conntest::Pty;

namespace {

// A direct cable on a fresh pseudo-terminal, opened.
struct OpenCable {
    Pty pty;
    CCommPortConnection conn;
    OpenCable() {
        conn.SetPortName(pty.Path());
        opened = pty.Ok() && conn.Open(nullptr);
    }
    bool opened = false;
};

std::string ReadSome(CConnection& c, size_t max, unsigned timeoutMs, int terminator) {
    std::vector<char> buf(max + 1);
    const size_t n = c.Read(buf.data(), max, timeoutMs, terminator);
    return std::string(buf.data(), n);
}

// ---- setters --------------------------------------------------------------------------------

TEST(CommPortSettings, DefaultsAreCom1At19200EightNoneOneWithoutFlowControl) {
    CCommPortConnection c;
    EXPECT_EQ(c.GetPortName(), "COM1");
    EXPECT_EQ(c.GetBaudRate(), 19200u);
    EXPECT_EQ(c.GetParity(), 0);
    EXPECT_EQ(c.GetDataBits(), 8);
    EXPECT_EQ(c.GetStopBits(), 0);
    EXPECT_EQ(c.GetFlowControl(), 0);
    EXPECT_EQ(c.GetConnectionType(), CONN_DIRECTCABLE);
    EXPECT_FALSE(c.IsOpen());
}

TEST(CommPortSettings, ParityTakesCodesAndLettersAndAnythingElseIsNone) {
    CCommPortConnection c;
    const std::pair<int, int> cases[] = {{'E', 2}, {2, 2}, {'O', 1}, {1, 1}, {'M', 3}, {3, 3},
                                         {'S', 4}, {4, 4}, {'N', 0}, {5, 0}, {'e', 0}, {-1, 0}};
    for (const auto& [in, stored] : cases) {
        c.SetParity(9); // a known state that is not the expected one
        c.SetParity(in);
        EXPECT_EQ(c.GetParity(), stored) << "parity input " << in;
    }
}

TEST(CommPortSettings, StopBitsTwoStaysTwoAndEveryOtherValueIsOneStopBit) {
    CCommPortConnection c;
    c.SetStopBits(2);
    EXPECT_EQ(c.GetStopBits(), 2);
    for (int v : {1, 0, 3, 15, -2}) {
        c.SetStopBits(2);
        c.SetStopBits(v);
        EXPECT_EQ(c.GetStopBits(), 0) << v;
    }
}

TEST(CommPortSettings, CloneCopiesTheSettingsAndStartsClosed) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.conn.SetBaudRate(57600);
    cable.conn.SetParity('M');
    cable.conn.SetDataBits(7);
    cable.conn.SetStopBits(2);
    cable.conn.SetFlowControl(2);
    std::unique_ptr<CConnection> copy(cable.conn.Clone());
    auto* c = dynamic_cast<CCommPortConnection*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(c->IsOpen());
    EXPECT_EQ(c->GetPortName(), cable.pty.Path());
    EXPECT_EQ(c->GetBaudRate(), 57600u);
    EXPECT_EQ(c->GetParity(), 3);
    EXPECT_EQ(c->GetDataBits(), 7);
    EXPECT_EQ(c->GetStopBits(), 2);
    EXPECT_EQ(c->GetFlowControl(), 2);
}

// ---- port names -----------------------------------------------------------------------------

TEST(SerialPortNames, ComNamesMapToTtySAndOtherNamesArePaths) {
    EXPECT_EQ(SerialPort::DevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialPort::DevicePath("com10"), "/dev/ttyS9");
    EXPECT_EQ(SerialPort::DevicePath("COM0"), "COM0");
    EXPECT_EQ(SerialPort::DevicePath("COM"), "COM");
    EXPECT_EQ(SerialPort::DevicePath("COM1x"), "COM1x");
    EXPECT_EQ(SerialPort::DevicePath("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(SerialPort::DevicePath("COM99999999999"), "COM99999999999");
}

TEST(SerialPortNames, ListedPortsAreDeviceFilesInOrder) {
    const std::vector<std::string> ports = SerialPort::ListPorts();
    for (size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].rfind("/dev/", 0), 0u) << ports[i];
        if (i > 0) {
            EXPECT_LT(ports[i - 1], ports[i]);
        }
    }
}

// ---- open -----------------------------------------------------------------------------------

TEST(CommPortOpen, OpeningAnOpenPortFailsAndLeavesItOpen) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    EXPECT_FALSE(cable.conn.Open(nullptr));
    EXPECT_TRUE(cable.conn.IsOpen());
    cable.pty.Feed("x");
    EXPECT_EQ(ReadSome(cable.conn, 1, 2000, -1), "x");
}

TEST(CommPortOpen, ASecondConnectionCannotOpenAPortInUse) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    CCommPortConnection other;
    other.SetPortName(cable.pty.Path());
    EXPECT_FALSE(other.Open(nullptr));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_NE(other.GetLastOpenError(), 0);
    // Once the first lets go, the port is free again.
    EXPECT_TRUE(cable.conn.Close());
    EXPECT_TRUE(other.Open(nullptr));
}

TEST(CommPortOpen, AMissingDeviceOrAFileThatIsNoTerminalDoesNotOpen) {
    CCommPortConnection c;
    c.SetPortName("/dev/gasquill-no-such-port");
    EXPECT_FALSE(c.Open(nullptr));
    EXPECT_FALSE(c.IsOpen());
    c.SetPortName("/dev/null");
    EXPECT_FALSE(c.Open(nullptr));
    EXPECT_FALSE(c.IsOpen());
}

// A pseudo-terminal always carries eight data bits without parity (the kernel resets those
// bits), so data bits and parity are checked through the in-memory port below.
TEST(CommPortOpen, LineSettingsReachTheTerminal) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    CCommPortConnection c;
    c.SetPortName(pty.Path());
    c.SetBaudRate(9600);
    c.SetStopBits(2);
    c.SetFlowControl(1);
    ASSERT_TRUE(c.Open(nullptr));
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.Master(), &tio), 0);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_FALSE(tio.c_oflag & OPOST);
    uint32_t baud = 0;
    ASSERT_TRUE(GetSerialBaudRate(pty.Master(), baud));
    EXPECT_EQ(baud, 9600u);
}

TEST(CommPortOpen, XonXoffOneStopBitAndANonStandardRate) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    CCommPortConnection c;
    c.SetPortName(pty.Path());
    c.SetBaudRate(31250);
    c.SetFlowControl(2);
    ASSERT_TRUE(c.Open(nullptr));
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.Master(), &tio), 0);
    EXPECT_FALSE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    uint32_t baud = 0;
    ASSERT_TRUE(GetSerialBaudRate(pty.Master(), baud));
    EXPECT_EQ(baud, 31250u);
}

TEST(CommPortOpen, PortLayerReadsBackWhatItSet) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    PosixSerialPort port(pty.Path());
    ASSERT_TRUE(port.Open());
    SerialSettings s;
    s.baudRate = 4800;
    s.stopBits = 2;
    s.xonXoffOutput = true;
    ASSERT_TRUE(port.SetSettings(s));
    SerialSettings back;
    ASSERT_TRUE(port.GetSettings(back));
    EXPECT_EQ(back.baudRate, 4800u);
    EXPECT_EQ(back.stopBits, 2);
    EXPECT_TRUE(back.xonXoffOutput);
    EXPECT_FALSE(back.xonXoffInput);
    EXPECT_FALSE(back.ctsOutput);
    EXPECT_EQ(port.InputWaiting(), 0);
    pty.Feed("abc");
    ASSERT_TRUE(port.WaitForInput(2000));
    ASSERT_TRUE(conntest::WaitUntil([&] { return port.InputWaiting() == 3; }));
    char buf[8];
    EXPECT_EQ(port.NonBlockingRead(buf, sizeof buf), 3);
    EXPECT_EQ(port.NonBlockingRead(buf, sizeof buf), 0);
    EXPECT_FALSE(port.Open());
}

// ---- the read loop --------------------------------------------------------------------------

TEST(CommPortRead, MaxOneReturnsOneByteAndKeepsTheRestForLaterReads) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed("abc");
    EXPECT_EQ(ReadSome(cable.conn, 1, 2000, -1), "a");
    EXPECT_EQ(ReadSome(cable.conn, 1, 2000, -1), "b");
    EXPECT_EQ(ReadSome(cable.conn, 5, 0, -1), "c");
}

TEST(CommPortRead, TerminatorIsStoredAndCountedAndTheRestStays) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed("OK\r\nNEXT\r\n");
    EXPECT_EQ(ReadSome(cable.conn, 100, 2000, '\n'), "OK\r\n");
    EXPECT_EQ(ReadSome(cable.conn, 100, 2000, '\n'), "NEXT\r\n");
}

TEST(CommPortRead, TerminatorMinusOneNeverEndsAReadEarly) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed("a\nb\nc");
    // Ends only at the maximum count, although two line ends came first.
    EXPECT_EQ(ReadSome(cable.conn, 5, 5000, -1), "a\nb\nc");
}

TEST(CommPortRead, ATerminatorAboveTheByteRangeMatchesNothing) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed(std::string("\xFF\x0A", 2));
    EXPECT_EQ(ReadSome(cable.conn, 2, 2000, 0x1FF), std::string("\xFF\x0A", 2));
}

TEST(CommPortRead, HighBytesEndAReadAsTheirUnsignedValue) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed(std::string("ab\xFE"
                               "cd",
                               5));
    EXPECT_EQ(ReadSome(cable.conn, 10, 2000, 0xFE), std::string("ab\xFE", 3));
    EXPECT_EQ(ReadSome(cable.conn, 10, 0, 0xFE), "cd");
}

TEST(CommPortRead, TimeOutZeroReturnsWhatIsAlreadyQueued) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed("xyz");
    ASSERT_TRUE(cable.pty.SlaveHasInput(2000));
    EXPECT_EQ(ReadSome(cable.conn, 10, 0, -1), "xyz");
    // Nothing queued: returns empty.
    EXPECT_EQ(ReadSome(cable.conn, 10, 0, -1), "");
}

TEST(CommPortRead, ReadStringHoldsExactlyTheBytesRead) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed(std::string("a\0b\r\n", 5));
    EXPECT_EQ(cable.conn.ReadString(2000, '\n'), std::string("a\0b\r\n", 5));
    EXPECT_EQ(cable.conn.ReadString(0, '\n'), "");
}

TEST(CommPortRead, ReadStringClearsACancelLeftFromBefore) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.conn.CancelRead();
    cable.pty.Feed("late\n");
    EXPECT_EQ(cable.conn.ReadString(5000, '\n'), "late\n");
}

TEST(CommPortRead, ACancelledReadReturnsWhatItHas) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed("ab");
    ASSERT_TRUE(cable.pty.SlaveHasInput(2000));
    cable.conn.CancelRead();
    // Would wait a minute for the terminator; the cancel ends it after the first pass.
    EXPECT_EQ(ReadSome(cable.conn, 10, 60000, '\n'), "ab");
}

TEST(CommPortRead, AClosedPortReadsNothingAndRefusesEverything) {
    CCommPortConnection c;
    char buf[4];
    EXPECT_EQ(c.Read(buf, sizeof buf, 0, -1), 0u);
    EXPECT_EQ(c.ReadString(0, -1), "");
    EXPECT_FALSE(c.Write("x"));
    EXPECT_FALSE(c.Purge());
    EXPECT_FALSE(c.Close());
}

TEST(CommPortRead, AHungUpLineGivesTheBufferedBytesThenTimesOutAndStaysOpen) {
    auto pty = std::make_unique<Pty>();
    ASSERT_TRUE(pty->Ok());
    CCommPortConnection c;
    c.SetPortName(pty->Path());
    ASSERT_TRUE(c.Open(nullptr));
    pty->Feed("xyz");
    EXPECT_EQ(ReadSome(c, 1, 2000, -1), "x"); // "yz" stays in the receive buffer
    pty.reset();                              // the other end goes away
    EXPECT_EQ(ReadSome(c, 10, 30, -1), "yz");
    EXPECT_EQ(ReadSome(c, 10, 30, -1), "");
    EXPECT_TRUE(c.IsOpen());
    EXPECT_TRUE(c.Close());
}

// ---- write, purge, close --------------------------------------------------------------------

TEST(CommPortWrite, AnEmptyStringIsRefusedAndSendsNothing) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    EXPECT_FALSE(cable.conn.Write(""));
    EXPECT_TRUE(cable.conn.Write("k disp\r"));
    EXPECT_EQ(cable.pty.Take(7), "k disp\r");
}

TEST(CommPortPurge, DiscardsBufferedAndQueuedInputOnly) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    cable.pty.Feed("abc");
    EXPECT_EQ(ReadSome(cable.conn, 1, 2000, -1), "a"); // "bc" now buffered
    cable.pty.Feed("def");
    ASSERT_TRUE(conntest::WaitUntil([&] { return cable.pty.SlaveHasInput(0); }));
    EXPECT_TRUE(cable.conn.Purge());
    EXPECT_EQ(ReadSome(cable.conn, 10, 0, -1), "");
    cable.pty.Feed("g\n");
    EXPECT_EQ(ReadSome(cable.conn, 10, 2000, '\n'), "g\n");
    EXPECT_TRUE(cable.conn.Write("out"));
    EXPECT_EQ(cable.pty.Take(3), "out");
}

TEST(CommPortClose, ClosesOnceAndFreesThePort) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    EXPECT_TRUE(cable.conn.Close());
    EXPECT_FALSE(cable.conn.IsOpen());
    EXPECT_FALSE(cable.conn.Close());
    EXPECT_TRUE(cable.conn.Open(nullptr));
}

// ---- the in-memory port ---------------------------------------------------------------------

TEST(CommPortSeam, CloseWaitsForTheOutputQueueToEmpty) {
    FakePorts fake;
    CCommPortConnection c;
    c.SetPortName("COM3");
    ASSERT_TRUE(c.Open(nullptr));
    fake.shared.outputQueue = {30, 20, 10};
    fake.shared.calls.clear();
    EXPECT_TRUE(c.Close());
    int queries = 0;
    for (const auto& call : fake.shared.calls)
        queries += call == "OutputWaiting";
    EXPECT_EQ(queries, 4); // three non-empty answers, then the empty one
    EXPECT_EQ(fake.shared.closes, 1);
}

TEST(CommPortSeam, CloseStopsWaitingWhenTheQueueCannotBeRead) {
    FakePorts fake;
    CCommPortConnection c;
    ASSERT_TRUE(c.Open(nullptr));
    fake.shared.outputQueue = {-1, 50, 50};
    fake.shared.calls.clear();
    EXPECT_TRUE(c.Close());
    EXPECT_EQ(fake.shared.outputQueue.size(), 2u);
}

TEST(CommPortSeam, FailingToReadTheSettingsClosesThePortAgain) {
    FakePorts fake;
    fake.shared.failGetSettings = true;
    CCommPortConnection c;
    EXPECT_FALSE(c.Open(nullptr));
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(fake.shared.opens, 1);
    EXPECT_EQ(fake.shared.closes, 1);
}

TEST(CommPortSeam, TheNameGoesToThePortLayerUnchanged) {
    FakePorts fake;
    CCommPortConnection c;
    c.SetPortName("com7");
    ASSERT_TRUE(c.Open(nullptr));
    ASSERT_FALSE(fake.shared.calls.empty());
    EXPECT_EQ(fake.shared.calls.front(), "Open com7");
}

TEST(CommPortSeam, FlowCodesSetTheHandshakeBitsAndOtherCodesKeepThePorts) {
    struct Case {
        int code;
        bool cts, xonOut, xonIn;
        SerialRts rts;
    };
    const Case cases[] = {
        {0, false, false, false, SerialRts::Off},
        {1, true, false, false, SerialRts::Handshake},
        {2, false, true, true, SerialRts::Off},
        {7, true, true, false, SerialRts::On}, // as the port had them
    };
    for (const Case& k : cases) {
        FakePorts fake;
        fake.shared.initial.ctsOutput = true;
        fake.shared.initial.xonXoffOutput = true;
        fake.shared.initial.xonXoffInput = false;
        fake.shared.initial.rts = SerialRts::On;
        CCommPortConnection c;
        c.SetFlowControl(k.code);
        c.SetBaudRate(1200);
        c.SetParity('O');
        c.SetStopBits(2);
        c.SetDataBits(7);
        ASSERT_TRUE(c.Open(nullptr));
        const SerialSettings& s = fake.shared.applied;
        EXPECT_EQ(s.ctsOutput, k.cts) << k.code;
        EXPECT_EQ(s.xonXoffOutput, k.xonOut) << k.code;
        EXPECT_EQ(s.xonXoffInput, k.xonIn) << k.code;
        EXPECT_EQ(s.rts, k.rts) << k.code;
        EXPECT_EQ(s.baudRate, 1200u);
        EXPECT_EQ(s.parity, SerialParity::Odd);
        EXPECT_EQ(s.stopBits, 2);
        EXPECT_EQ(s.dataBits, 7);
    }
}

TEST(CommPortSeam, AFailedWriteIsReported) {
    FakePorts fake;
    CCommPortConnection c;
    ASSERT_TRUE(c.Open(nullptr));
    EXPECT_TRUE(c.Write("a"));
    fake.shared.failWrite = true;
    EXPECT_FALSE(c.Write("b"));
    EXPECT_EQ(fake.shared.written, "a");
}

TEST(CommPortSeam, PurgeFlushesTheDriverInput) {
    FakePorts fake;
    CCommPortConnection c;
    ASSERT_TRUE(c.Open(nullptr));
    fake.shared.input = "stale";
    EXPECT_TRUE(c.Purge());
    EXPECT_EQ(fake.shared.input, "");
    EXPECT_EQ(fake.shared.calls.back(), "FlushInput");
}

// ---- archive and text form ------------------------------------------------------------------

CArchive Loading(const CArchive& stored) {
    return CArchive(stored.Bytes());
}

TEST(CommPortArchive, StoresSixFieldsAndReadsThemBack) {
    CCommPortConnection c;
    c.SetPortName("/dev/ttyUSB0");
    c.SetBaudRate(115200);
    c.SetParity(2);
    c.SetDataBits(7);
    c.SetStopBits(2);
    c.SetFlowControl(1);
    CArchive out;
    c.Serialize(out);
    EXPECT_EQ(out.Bytes().size(), 1 + 12 + 5 * 4u);
    CArchive in = Loading(out);
    in.SetObjectSchema(1);
    CCommPortConnection back;
    back.Serialize(in);
    EXPECT_EQ(back.GetPortName(), "/dev/ttyUSB0");
    EXPECT_EQ(back.GetBaudRate(), 115200u);
    EXPECT_EQ(back.GetParity(), 2);
    EXPECT_EQ(back.GetDataBits(), 7);
    EXPECT_EQ(back.GetStopBits(), 2);
    EXPECT_EQ(back.GetFlowControl(), 1);
}

TEST(CommPortArchive, SchemaZeroHasNoFlowCodeAndOtherSchemasAreRefused) {
    CArchive out;
    out.WriteString("COM2");
    out.WriteUInt32(2400);
    out.WriteInt32(1);
    out.WriteInt32(8);
    out.WriteInt32(0);
    out.WriteUInt32(0xDEADBEEF); // the next object's bytes, not a flow code
    CArchive in = Loading(out);
    in.SetObjectSchema(0);
    CCommPortConnection back;
    back.SetFlowControl(2);
    back.Serialize(in);
    EXPECT_EQ(back.GetPortName(), "COM2");
    EXPECT_EQ(back.GetBaudRate(), 2400u);
    EXPECT_EQ(back.GetFlowControl(), 0);
    EXPECT_EQ(in.ReadUInt32(), 0xDEADBEEF);

    CArchive bad = Loading(out);
    bad.SetObjectSchema(2);
    try {
        back.Serialize(bad);
        ADD_FAILURE() << "schema 2 was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::BadSchema);
    }
}

TEST(CommPortArchive, TheRegistryMakesTheClassFromItsName) {
    CCommPortConnection::RegisterClass();
    CCommPortConnection c;
    c.SetPortName("COM4");
    CArchive out;
    out.WriteObject(static_cast<CConnection*>(&c));
    CArchive in = Loading(out);
    std::unique_ptr<CConnection> back(ArchiveClassRegistry<CConnection>::Read(in));
    auto* cp = dynamic_cast<CCommPortConnection*>(back.get());
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(cp->GetPortName(), "COM4");
}

// A configuration token stream over text.
struct TextStream {
    std::string text;
    std::FILE* file;
    std::unique_ptr<ConfigFileTokenStream> ts;
    explicit TextStream(std::string t) : text(std::move(t)) {
        SortTokenTables();
        file = ::fmemopen(text.data(), text.size(), "r");
        ts = std::make_unique<ConfigFileTokenStream>(file);
        ts->SetSpanLines(true);
        ts->GetToken();
    }
    ~TextStream() {
        ts.reset();
        std::fclose(file);
    }
};

TEST(CommPortText, WritesTheSixLines) {
    SortTokenTables();
    CCommPortConnection c;
    c.SetPortName("COM2");
    c.SetBaudRate(9600);
    c.SetParity('E');
    c.SetDataBits(7);
    c.SetStopBits(2);
    c.SetFlowControl(2);
    std::string out;
    c.WriteConfig(out, CNamedObjectList());
    EXPECT_EQ(out, "  SITE_COMM_PORT = \"COM2\"\r\n"
                   "  SITE_BAUD_RATE = 9600\r\n"
                   "  SITE_PARITY_MODE = 2\r\n"
                   "  SITE_DATA_BITS = 7\r\n"
                   "  SITE_STOP_BITS = 2\r\n"
                   "  SITE_XON_XOFF = 2\r\n");
}

TEST(CommPortText, WrittenLinesReadBackAndTheNextKeyIsLeftCurrent) {
    CCommPortConnection c;
    c.SetPortName("/dev/ttyACM0");
    c.SetBaudRate(38400);
    c.SetParity(4);
    c.SetDataBits(6);
    c.SetStopBits(2);
    for (int flow : {0, 1, 2}) {
        c.SetFlowControl(flow);
        std::string out;
        c.WriteConfig(out, CNamedObjectList());
        TextStream s(out + "INST_NAME = \"x\"\r\n");
        CCommPortConnection back;
        EXPECT_TRUE(back.ReadConfig(*s.ts, CNamedObjectList()));
        EXPECT_EQ(s.ts->GetTokenCode(), CFG_INST_NAME);
        EXPECT_EQ(back.GetPortName(), "/dev/ttyACM0");
        EXPECT_EQ(back.GetBaudRate(), 38400u);
        EXPECT_EQ(back.GetParity(), 4);
        EXPECT_EQ(back.GetDataBits(), 6);
        EXPECT_EQ(back.GetStopBits(), 2);
        EXPECT_EQ(back.GetFlowControl(), flow);
    }
}

TEST(CommPortText, APortNumberNamesTheComPortAfterIt) {
    TextStream s("SITE_COMM_PORT = 0\r\nsite_comm_port = 0\r\n");
    CCommPortConnection c;
    c.SetPortName("x");
    ASSERT_TRUE(c.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(c.GetPortName(), "COM1");
    TextStream s2("SITE_COMM_PORT = 3\r\n");
    ASSERT_TRUE(c.ReadConfig(*s2.ts, CNamedObjectList()));
    EXPECT_EQ(c.GetPortName(), "COM4");
}

TEST(CommPortText, FlowCodesOtherThanTheWrittenOnesReadAsHandshake) {
    TextStream s("SITE_XON_XOFF = 5\r\n");
    CCommPortConnection c;
    ASSERT_TRUE(c.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(c.GetFlowControl(), 1);
}

TEST(CommPortText, ValuesGoThroughTheSetters) {
    TextStream s("SITE_PARITY_MODE = 69\r\nSITE_STOP_BITS = 1\r\n");
    CCommPortConnection c;
    ASSERT_TRUE(c.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(c.GetParity(), 2); // 69 is 'E'
    EXPECT_EQ(c.GetStopBits(), 0);
}

TEST(CommPortText, AKeyOfAnotherKindIsNotTaken) {
    TextStream s("SITE_TCPIP_PORT = 5\r\n");
    CCommPortConnection c;
    EXPECT_FALSE(c.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetTokenCode(), CFG_SITE_TCPIP_PORT);
    EXPECT_EQ(s.ts->GetErrorCount(), 0u);
}

TEST(CommPortText, AWrongValueTypeIsASyntaxErrorAtThatToken) {
    TextStream s("SITE_BAUD_RATE = 9600\r\nSITE_BAUD_RATE = \"fast\"\r\n");
    CCommPortConnection c;
    EXPECT_FALSE(c.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetErrorCount(), 1u);
    EXPECT_EQ(s.ts->GetErrorLine(), 2u);
    EXPECT_EQ(s.ts->GetErrorText(), "fast");
    EXPECT_EQ(c.GetBaudRate(), 9600u);
}

TEST(CommPortText, AMissingEqualsSignIsASyntaxError) {
    TextStream s("SITE_DATA_BITS 7\r\n");
    CCommPortConnection c;
    EXPECT_FALSE(c.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetErrorCount(), 1u);
    EXPECT_EQ(c.GetDataBits(), 8);
}

} // namespace
