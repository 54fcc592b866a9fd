// The direct cable over real pseudo-terminals and over an in-memory port:
// settings and their normalisation, exclusive open, and the archive and text
// forms of both transports.

#include "ConnTestSupport.h"

#include "model/ConfigKeywords.h"
#include "model/NamedObjectList.h"
#include "platform/SerialBaudRate.h"

using namespace conntest;

namespace {

// In-memory serial ports in place of the device files, for the life of the
// object: they record the settings applied and answer the output queue's counts
// in turn, then 0.
struct FakePorts {
    struct Port : SerialPort {
        Port(std::string name, FakePorts& f) : name(std::move(name)), fake(f) {}
        std::string GetName() const override { return name; }
        bool Open() override { return open = true; }
        bool IsOpen() const override { return open; }
        void Close() override { fake.closes += std::exchange(open, false); }
        int GetLastError() const override { return 13; }
        bool GetSettings(SerialSettings& s) override {
            return s = fake.initial, !fake.failGetSettings;
        }
        bool SetSettings(const SerialSettings& s) override { return fake.applied = s, true; }
        long InputWaiting() override { return 0; }
        long OutputWaiting() override {
            if (fake.outputQueue.empty())
                return 0;
            const long n = fake.outputQueue.front();
            fake.outputQueue.erase(fake.outputQueue.begin());
            return n;
        }
        long NonBlockingRead(char*, size_t) override { return 0; }
        bool BlockingWrite(const char*, size_t, unsigned) override { return true; }
        bool WaitForInput(unsigned) override { return false; }
        bool FlushInput() override { return true; }
        bool Drain() override { return true; }
        std::string name;
        FakePorts& fake;
        bool open = false;
    };
    FakePorts() {
        SerialPort::SetFactory(
            [this](const std::string& name) { return std::make_unique<Port>(name, *this); });
    }
    ~FakePorts() { SerialPort::SetFactory(nullptr); }
    SerialSettings initial, applied;
    bool failGetSettings = false;
    std::vector<long> outputQueue;
    int closes = 0;
};

auto Fields(const CCommPortConnection& c) {
    return std::tuple(c.GetPortName(), c.GetBaudRate(), c.GetParity(), c.GetDataBits(),
                      c.GetStopBits(), c.GetFlowControl());
}

TEST(CommPortSettings, ParityStopBitsAndPortNamesAreNormalised) {
    // Parity takes codes 0-4 and the letters N O E M S; anything else is none.
    // Two stop bits stay two; every other value is one stop bit (0).
    const std::pair<int, int> parity[] = {{'E', 2}, {2, 2}, {'O', 1}, {1, 1}, {'M', 3}, {3, 3},
                                          {'S', 4}, {4, 4}, {'N', 0}, {5, 0}, {'e', 0}, {-1, 0}};
    CCommPortConnection c;
    for (const auto& [in, stored] : parity) {
        c.SetParity(9);
        c.SetParity(in);
        EXPECT_EQ(c.GetParity(), stored) << "parity " << in;
    }
    for (const auto& [in, stored] : {std::pair{2, 2}, {1, 0}, {0, 0}, {3, 0}, {15, 0}, {-2, 0}}) {
        c.SetStopBits(in == 2 ? 0 : 2);
        c.SetStopBits(in);
        EXPECT_EQ(c.GetStopBits(), stored) << "stop bits " << in;
    }
    // clang-format off
    const std::pair<const char*, const char*> names[] = {
        {"COM1", "/dev/ttyS0"}, {"com10", "/dev/ttyS9"}, {"COM0", "COM0"}, {"COM", "COM"},
        {"COM1x", "COM1x"}, {"/dev/pts/7", "/dev/pts/7"}, {"COM99999999999", "COM99999999999"}};
    // clang-format on
    for (const auto& [name, path] : names)
        EXPECT_EQ(SerialPort::DevicePath(name), path) << name;
    const std::vector<std::string> ports = SerialPort::ListPorts();
    for (size_t i = 0; i < ports.size(); ++i)
        EXPECT_TRUE(ports[i].rfind("/dev/", 0) == 0 && (i == 0 || ports[i - 1] < ports[i]))
            << ports[i];
}

TEST(CommPortOpen, APortIsOpenedByOneConnectionOnly) {
    OpenCable cable;
    ASSERT_TRUE(cable.opened);
    CCommPortConnection other;
    other.SetPortName(cable.pty.Path());
    EXPECT_FALSE(other.Open(nullptr));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_NE(other.GetLastOpenError(), 0);
    // Closed once, the port is free again.
    EXPECT_TRUE(cable.conn.Close());
    EXPECT_TRUE(other.Open(nullptr));
    for (const char* name : {"/dev/gasquill-no-such-port", "/dev/null"}) {
        CCommPortConnection c;
        c.SetPortName(name);
        EXPECT_FALSE(c.Open(nullptr) || c.IsOpen()) << name;
    }
}

// A pseudo-terminal always carries eight data bits without parity (the kernel
// resets those bits), so data bits and parity are checked on the in-memory port.
TEST(CommPortOpen, LineSettingsReachTheTerminal) {
    struct Row {
        uint32_t baud;
        int stopBits, flow;
        bool cstopb, crtscts, xon;
    };
    for (const Row& r :
         {Row{9600, 2, 1, true, true, false}, Row{31250, 0, 2, false, false, true}}) {
        Pty pty;
        ASSERT_TRUE(pty.Ok());
        CCommPortConnection c;
        c.SetPortName(pty.Path());
        c.SetBaudRate(r.baud);
        c.SetStopBits(r.stopBits);
        c.SetFlowControl(r.flow);
        ASSERT_TRUE(c.Open(nullptr)) << r.baud;
        termios tio{};
        ASSERT_EQ(::tcgetattr(pty.Master(), &tio), 0);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, r.cstopb) << r.baud;
        EXPECT_EQ((tio.c_cflag & CRTSCTS) != 0, r.crtscts) << r.baud;
        EXPECT_EQ((tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF), r.xon) << r.baud;
        EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_FALSE(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
        EXPECT_FALSE(tio.c_oflag & OPOST);
        uint32_t baud = 0;
        ASSERT_TRUE(GetSerialBaudRate(pty.Master(), baud));
        EXPECT_EQ(baud, r.baud);
    }
}

TEST(CommPortSeam, LineSettingsAndFlowCodesReachThePortAndOtherCodesKeepItsHandshake) {
    struct Row {
        int code;
        bool cts, xonOut, xonIn;
        SerialRts rts;
    };
    const Row rows[] = {
        {0, false, false, false, SerialRts::Off},
        {1, true, false, false, SerialRts::Handshake},
        {2, false, true, true, SerialRts::Off},
        {7, true, true, false, SerialRts::On}, // as the port had them
    };
    for (const Row& k : rows) {
        SCOPED_TRACE(k.code);
        FakePorts fake;
        fake.initial.ctsOutput = fake.initial.xonXoffOutput = true;
        fake.initial.rts = SerialRts::On;
        CCommPortConnection c;
        c.SetFlowControl(k.code);
        c.SetBaudRate(1200);
        c.SetParity('O');
        c.SetStopBits(2);
        c.SetDataBits(7);
        ASSERT_TRUE(c.Open(nullptr));
        const SerialSettings& s = fake.applied;
        EXPECT_EQ(std::tuple(s.ctsOutput, s.xonXoffOutput, s.xonXoffInput, s.rts),
                  std::tuple(k.cts, k.xonOut, k.xonIn, k.rts));
        EXPECT_EQ(std::tuple(s.baudRate, s.parity, s.stopBits, s.dataBits),
                  std::tuple(1200u, SerialParity::Odd, 2, 7));
        // Close waits while the output queue empties, and stops when it cannot be read.
        fake.outputQueue = k.code == 7 ? std::vector<long>{-1, 50} : std::vector<long>{30, 10};
        EXPECT_TRUE(c.Close());
        EXPECT_EQ(fake.outputQueue.size(), k.code == 7 ? 1u : 0u);
        EXPECT_EQ(fake.closes, 1);
        // A port whose settings cannot be read is closed again.
        fake.failGetSettings = true;
        EXPECT_FALSE(c.Open(nullptr));
        EXPECT_EQ(fake.closes, 2);
    }
}

std::string Text(const CConnection& c) {
    std::string out;
    c.WriteConfig(out, CNamedObjectList());
    return out;
}

CCommPortConnection* Cable(int flow) {
    auto* c = new CCommPortConnection;
    c->SetPortName("COM2");
    c->SetBaudRate(9600);
    c->SetParity('E');
    c->SetDataBits(7);
    c->SetStopBits(2);
    c->SetFlowControl(flow);
    return c;
}

// Each transport's text lines, and what its copy, its archive record and its
// text read back as.
TEST(TransportForms, CopiesArchiveRecordsAndTextLinesKeepEverySetting) {
    SortTokenTables();
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("192.168.0.7");
    tcp->SetPort(3000);
    const std::string cable = "  SITE_COMM_PORT = \"COM2\"\r\n  SITE_BAUD_RATE = 9600\r\n"
                              "  SITE_PARITY_MODE = 2\r\n  SITE_DATA_BITS = 7\r\n"
                              "  SITE_STOP_BITS = 2\r\n";
    struct Row {
        std::unique_ptr<CConnection> conn;
        std::string text;
        size_t recordBytes; // the port name's length, its text and five words
    };
    std::vector<Row> rows;
    for (int flow : {0, 1, 2})
        rows.push_back({std::unique_ptr<CConnection>(Cable(flow)),
                        cable + "  SITE_XON_XOFF = " + std::to_string(flow) + "\r\n",
                        1 + 4 + 5 * 4});
    rows.push_back({std::unique_ptr<CConnection>(tcp),
                    "  SITE_TCPIP_ADDRESS = \"192.168.0.7\"\r\n  SITE_TCPIP_PORT = 3000\r\n",
                    1 + 11 + 4});
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(Text(*r.conn), r.text);
        EXPECT_EQ(Text(*std::unique_ptr<CConnection>(r.conn->Clone())), r.text);
        CArchive out;
        r.conn->Serialize(out);
        EXPECT_EQ(out.Bytes().size(), r.recordBytes);
        CArchive in(out.Bytes());
        in.SetObjectSchema(r.conn->GetSchema());
        std::unique_ptr<CConnection> fromRecord(r.conn->Clone());
        fromRecord->Serialize(in);
        EXPECT_EQ(Text(*fromRecord), r.text);
        ConfigText s(r.text + "INST_NAME = \"x\"\r\n");
        std::unique_ptr<CConnection> fromText(r.conn->Clone());
        EXPECT_TRUE(fromText->ReadConfig(*s, CNamedObjectList()));
        EXPECT_EQ(s->GetTokenCode(), CFG_INST_NAME);
        EXPECT_EQ(Text(*fromText), r.text);
    }
}

TEST(TransportForms, OlderCableRecordsHaveFiveFieldsAndUnknownSchemasAreRefused) {
    CArchive old;
    old.WriteString("COM2");
    for (uint32_t v : {2400u, 1u, 8u, 0u, 0xDEADBEEFu}) // the last is the next object's
        old.WriteUInt32(v);
    CArchive oldIn(old.Bytes());
    oldIn.SetObjectSchema(0);
    std::unique_ptr<CCommPortConnection> back(Cable(2));
    back->Serialize(oldIn);
    EXPECT_EQ(Fields(*back), std::tuple(std::string("COM2"), 2400u, 1, 8, 0, 0));
    EXPECT_EQ(oldIn.ReadUInt32(), 0xDEADBEEF);
    CArchive bad(old.Bytes());
    bad.SetObjectSchema(2);
    ExpectBadSchema([&] { back->Serialize(bad); }, "schema 2");
    // The TCP record does not depend on the schema.
    CArchive tcpRecord;
    tcpRecord.WriteString("h");
    tcpRecord.WriteUInt32(7);
    CArchive tcpIn(tcpRecord.Bytes());
    tcpIn.SetObjectSchema(3);
    CTCPConnection tcp;
    tcp.Serialize(tcpIn);
    EXPECT_EQ(std::pair(tcp.GetAddress(), tcp.GetPort()), std::pair(std::string("h"), 7u));
}

TEST(CommPortText, ValuesAreReadThroughTheSettersAndBadLinesAreErrorsAtTheirToken) {
    struct Row {
        const char* text;
        bool taken;
        unsigned errorLine; // 0: no error
        uint32_t baud;
        int parity, stopBits, flow;
    };
    // clang-format off
    const Row rows[] = {
        {"SITE_XON_XOFF = 5\r\n", true, 0, 19200, 0, 2, 1}, // codes not written: handshake
        {"SITE_PARITY_MODE = 69\r\nSITE_STOP_BITS = 1\r\n", true, 0, 19200, 2, 0, 0}, // 69 is 'E'
        {"SITE_TCPIP_PORT = 5\r\n", false, 0, 19200, 0, 2, 0}, // left for the next reader
        {"SITE_BAUD_RATE = 9600\r\nSITE_BAUD_RATE = \"fast\"\r\n", false, 2, 9600, 0, 2, 0},
        {"SITE_DATA_BITS 7\r\n", false, 1, 19200, 0, 2, 0},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        ConfigText s(r.text);
        CCommPortConnection c;
        c.SetStopBits(2);
        EXPECT_EQ(c.ReadConfig(*s, CNamedObjectList()), r.taken);
        EXPECT_EQ(s->GetErrorCount(), r.errorLine ? 1u : 0u);
        if (r.errorLine) {
            EXPECT_EQ(s->GetErrorLine(), r.errorLine);
        } else if (!r.taken) {
            EXPECT_EQ(s->GetTokenCode(), CFG_SITE_TCPIP_PORT);
        }
        EXPECT_EQ(std::tuple(c.GetBaudRate(), c.GetParity(), c.GetStopBits(), c.GetFlowControl(),
                             c.GetDataBits()),
                  std::tuple(r.baud, r.parity, r.stopBits, r.flow, 8));
    }
}

} // namespace
