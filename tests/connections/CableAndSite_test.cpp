// The direct cable on pseudo-terminals and in-memory ports: its settings, old flow codes in files,
// and a site whose port cannot be opened. (The rest of the text block is tested with the files.)

#include "ConnTestSupport.h"

#include "model/ConfigKeywords.h"
#include "model/NamedObjectList.h"
#include "platform/PosixSerialPort.h"
#include "platform/SerialBaudRate.h"
#include "support_lib/Fakes.h"

#include <cerrno>

using namespace conntest;

namespace {

// In-memory serial ports in place of the device files, for the life of the object: they record the
// settings applied and answer the output queue's counts in turn, then 0.
struct FakePorts {
    struct Port : SerialPort {
        explicit Port(FakePorts& f) : fake(f) {}
        std::string GetName() const override { return "fake"; }
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
        FakePorts& fake;
        bool open = false;
    };
    FakePorts() {
        SerialPort::SetFactory(
            [this](const std::string&) { return std::make_unique<Port>(*this); });
    }
    ~FakePorts() { SerialPort::SetFactory(nullptr); }
    SerialSettings initial, applied;
    bool failGetSettings = false;
    std::vector<long> outputQueue;
    int closes = 0;
};

TEST(CommPortSettings, ParityStopBitsAndPortNamesAreNormalised) {
    // Parity takes codes 0-4 and the letters N O E M S; anything else is none. Two stop bits stay
    // two; every other value is one stop bit (0).
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
}

// A pseudo-terminal always carries eight data bits without parity (the kernel resets those bits),
// so data bits and parity are checked on the in-memory port.
TEST(CommPortOpen, LineSettingsReachTheTerminal) {
    for (const int flow : {CCommPortConnection::FLOW_RTSCTS, CCommPortConnection::FLOW_XONXOFF}) {
        const bool hardware = flow == CCommPortConnection::FLOW_RTSCTS;
        SCOPED_TRACE(flow);
        Pty pty;
        ASSERT_TRUE(pty.Ok());
        CCommPortConnection c;
        c.SetPortName(pty.Path());
        c.SetBaudRate(hardware ? 9600 : 31250);
        c.SetStopBits(hardware ? 2 : 0);
        c.SetFlowControl(flow);
        ASSERT_TRUE(c.Open(nullptr));
        termios tio{};
        ASSERT_EQ(::tcgetattr(pty.Master(), &tio), 0);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, hardware);
        EXPECT_EQ((tio.c_cflag & CRTSCTS) != 0, hardware);
        EXPECT_EQ((tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF), !hardware);
        EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_FALSE(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
        EXPECT_FALSE(tio.c_oflag & OPOST);
        uint32_t baud = 0;
        ASSERT_TRUE(GetSerialBaudRate(pty.Master(), baud));
        EXPECT_EQ(baud, hardware ? 9600u : 31250u);
    }
}

// The handshakes themselves are checked on the terminal above.
TEST(CommPortSeam, LineSettingsAndNoHandshakeReachThePortAndOtherCodesKeepItsHandshake) {
    for (const int code : {int(CCommPortConnection::FLOW_NONE), 7}) {
        SCOPED_TRACE(code);
        const bool keeps = code == 7;
        FakePorts fake;
        fake.initial.ctsOutput = fake.initial.xonXoffOutput = true;
        fake.initial.rts = SerialRts::On;
        CCommPortConnection c;
        c.SetFlowControl(code);
        c.SetBaudRate(1200);
        c.SetParity('O');
        c.SetStopBits(2);
        c.SetDataBits(7);
        ASSERT_TRUE(c.Open(nullptr));
        const SerialSettings& s = fake.applied;
        EXPECT_EQ(std::tuple(s.ctsOutput, s.xonXoffOutput, s.xonXoffInput, s.rts),
                  std::tuple(keeps, keeps, false, keeps ? SerialRts::On : SerialRts::Off));
        EXPECT_EQ(std::tuple(s.baudRate, s.parity, s.stopBits, s.dataBits),
                  std::tuple(1200u, SerialParity::Odd, 2, 7));
        // Close waits while the output queue empties, and stops when it cannot be read.
        fake.outputQueue = keeps ? std::vector<long>{-1, 50} : std::vector<long>{30, 10};
        EXPECT_TRUE(c.Close());
        EXPECT_EQ(fake.outputQueue.size(), keeps ? 1u : 0u);
        EXPECT_EQ(fake.closes, 1);
        // A port whose settings cannot be read is closed again.
        fake.failGetSettings = true;
        EXPECT_FALSE(c.Open(nullptr));
        EXPECT_EQ(fake.closes, 2);
    }
}

// Older files wrote any non-zero flow code for the handshake; another key is left for the next
// reader.
TEST(CommPortText, OldFlowCodesMeanTheHandshakeAndOtherKeysAreLeft) {
    ConfigText s("SITE_XON_XOFF = 5\r\nSITE_TCPIP_PORT = 5\r\n");
    CCommPortConnection c;
    EXPECT_TRUE(c.ReadConfig(*s, CNamedObjectList()));
    EXPECT_EQ(c.GetFlowControl(), int(CCommPortConnection::FLOW_RTSCTS));
    EXPECT_EQ(s->GetTokenCode(), int(CFG_SITE_TCPIP_PORT));
    EXPECT_FALSE(c.ReadConfig(*s, CNamedObjectList()));
    EXPECT_EQ(s->GetErrorCount(), 0u);
}

// ---- sites

// A site whose cable cannot be opened shows why on the display's second line.
TEST(SiteOpen, ASiteThatCannotOpenItsPortSaysWhy) {
    TestApp app;
    Pty pty;
    PosixSerialPort holder(pty.Path()); // another opener holds the port
    ASSERT_TRUE(holder.Open());
    const std::pair<std::string, std::string> rows[] = {
        {pty.Path(), "Port busy: another program holds it."},
        {"/dev/gasquill-no-such-port", "No such port: is the adapter plugged in?"},
    };
    for (const auto& [port, second] : rows) {
        SCOPED_TRACE(port);
        CSiteConnection site;
        site.SetName("Bench");
        auto* cable = new CCommPortConnection;
        cable->SetPortName(port);
        site.SetConnection(cable);
        CInstrumentConnection inst;
        site.OpenLink(&inst);
        const std::string first = "Unable to connect to site Bench.";
        EXPECT_EQ(inst.GetDisplayText(), first + std::string(40 - first.size(), ' ') + second);
    }
    // Let go by the other opener, the port is free again.
    holder.Close();
    CCommPortConnection cable;
    cable.SetPortName(pty.Path());
    EXPECT_TRUE(cable.Open(nullptr));
    // Run as root here, so the permission case is only asked of the hint itself.
    EXPECT_EQ(SerialPort::OpenErrorHint(EACCES), "No permission: join the dialout group.");
    EXPECT_EQ(SerialPort::OpenErrorHint(EIO), "");
}

} // namespace
