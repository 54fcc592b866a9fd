// Sites without their worker: the transport kinds and a port that cannot be
// opened. The archive record and the text block are tested with the
// configuration files.

#include "ConnTestSupport.h"

#include "model/ConfigKeywords.h"
#include "model/NamedObjectList.h"
#include "platform/PosixSerialPort.h"
#include "support_lib/Fakes.h"

#include <cerrno>

using namespace conntest;

namespace {

// A modem kind for the factory seam.
class FakeModem : public CCommPortConnection {
public:
    const char* GetClassName() const override { return "FakeModem"; }
    int GetConnectionType() const override { return CONN_BUILTINMODEM; }
    CConnection* Clone() const override { return new FakeModem(*this); }
};

int Kind(CSiteConnection& site) {
    return site.GetConnection()->GetConnectionType();
}

TEST(SiteKinds, UnknownKindsGiveADefaultCableAndTheSameKindKeepsTheTransport) {
    TestApp app;
    CSiteConnection::RegisterTransportFactory(CSiteConnection::TYPE_BUILTINMODEM,
                                              [] { return new FakeModem; });
    CSiteConnection site;
    EXPECT_EQ(Kind(site), CONN_DIRECTCABLE);
    EXPECT_FALSE(site.IsConnected() || site.IsBusy() || site.Purge() || site.ReleaseLink(true));
    for (int index : {7, -1}) {
        site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
        site.SetConnectionType(index);
        EXPECT_EQ(Kind(site), CONN_DIRECTCABLE) << index;
    }
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    site.SetConnection(nullptr);
    EXPECT_EQ(Kind(site), CONN_DIRECTCABLE);
    for (const auto& [kind, index] : {std::pair{139, 0}, {140, 1}, {141, 2}, {142, 3}, {143, -1}})
        EXPECT_EQ(CSiteConnection::TypeIndexOfKind(kind), index) << kind;
    for (int type : {CSiteConnection::TYPE_TCPIP, CSiteConnection::TYPE_DIRECTCABLE,
                     CSiteConnection::TYPE_BUILTINMODEM}) {
        site.SetConnectionType(type);
        CConnection* first = site.GetConnection();
        site.SetConnectionType(type);
        EXPECT_EQ(site.GetConnection(), first) << type;
        EXPECT_EQ(site.GetConnectionTypeIndex(), type);
    }
    EXPECT_NE(dynamic_cast<FakeModem*>(site.GetConnection()), nullptr);
    // The direct cable is not the built-in modem, although the modem is a serial port too.
    site.SetConnectionType(CSiteConnection::TYPE_DIRECTCABLE);
    EXPECT_EQ(dynamic_cast<FakeModem*>(site.GetConnection()), nullptr);
}

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
        EXPECT_FALSE(site.IsConnected());
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
