// Sites without their worker: the transport kinds, a port that cannot be
// opened, the archive record and the text block.

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
    EXPECT_EQ(site.GetDisplayName(), "Local Site");
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
    // Run as root here, so the permission case is only asked of the hint itself.
    EXPECT_EQ(SerialPort::OpenErrorHint(EACCES), "No permission: join the dialout group.");
    EXPECT_EQ(SerialPort::OpenErrorHint(EIO), "");
}

std::unique_ptr<CSiteConnection> ReadSite(CArchive& in) {
    return std::unique_ptr<CSiteConnection>(
        dynamic_cast<CSiteConnection*>(ArchiveClassRegistry<CNamedObject>::Read(in)));
}

TEST(SiteArchive, SchemaSixHoldsNameIdAndTheTransportRecord) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CSiteConnection site;
    site.SetName("Valley");
    site.SetId(0x01020304);
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("a");
    tcp->SetPort(5);
    site.SetConnection(tcp);
    CArchive out;
    out.WriteObject(static_cast<CNamedObject*>(&site));
    // clang-format off
    const std::vector<uint8_t> want = {
        0xFF, 0xFF, 6, 0, 15, 0, 'C', 'S', 'i', 't', 'e', 'C', 'o', 'n', 'n', 'e', 'c', 't', 'i',
        'o', 'n', 6, 'V', 'a', 'l', 'l', 'e', 'y', 4, 3, 2, 1,
        // the transport: a new class record, then address and port
        0xFF, 0xFF, 0, 0, 14, 0, 'C', 'T', 'C', 'P', 'C', 'o', 'n', 'n', 'e', 'c', 't', 'i', 'o',
        'n', 1, 'a', 5, 0, 0, 0};
    // clang-format on
    EXPECT_EQ(out.Bytes(), want);
    // A second site of the same kinds refers back to the classes: class 1 is the site.
    CSiteConnection second;
    const size_t first = out.Bytes().size();
    out.WriteObject(static_cast<CNamedObject*>(&second));
    EXPECT_EQ(out.Bytes()[first], 0x01);
    EXPECT_EQ(out.Bytes()[first + 1], 0x80);
    CArchive in(out.Bytes());
    auto back = ReadSite(in);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::pair(back->GetName(), back->GetId()),
              std::pair(std::string("Valley"), 0x01020304u));
    auto* t = dynamic_cast<CTCPConnection*>(back->GetConnection());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::pair(t->GetAddress(), t->GetPort()), std::pair(std::string("a"), 5u));
    EXPECT_EQ(ReadSite(in)->GetId(), second.GetId());
}

void WriteSiteRecord(CArchive& ar, unsigned schema, bool withTransport) {
    ar.WriteObjectHeader("CSiteConnection", schema);
    ar.WriteString("Old");
    ar.WriteUInt32(77);
    if (withTransport) {
        CCommPortConnection cable;
        cable.SetPortName("COM9");
        ar.WriteObject(static_cast<CConnection*>(&cable));
    } else {
        ar.WriteNullObject();
    }
}

TEST(SiteArchive, OlderSchemasAndMissingTransports) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    // Schema 5 has one more word after the transport, which is skipped.
    CArchive out;
    WriteSiteRecord(out, 5, true);
    out.WriteUInt32(0xABCDEF01);
    out.WriteUInt32(0x12345678); // what follows the record
    CArchive in(out.Bytes());
    auto site = ReadSite(in);
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->GetId(), 77u);
    auto* cable = dynamic_cast<CCommPortConnection*>(site->GetConnection());
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->GetPortName(), "COM9");
    EXPECT_EQ(in.ReadUInt32(), 0x12345678u);

    CArchive empty;
    WriteSiteRecord(empty, 6, false);
    CArchive emptyIn(empty.Bytes());
    EXPECT_EQ(Kind(*ReadSite(emptyIn)), CONN_DIRECTCABLE);

    for (unsigned schema : {0u, 1u, 2u, 3u, 4u, 7u}) {
        CArchive bad;
        WriteSiteRecord(bad, schema, true);
        CArchive badIn(bad.Bytes());
        ExpectBadSchema([&] { ReadSite(badIn); }, "schema " + std::to_string(schema));
    }
}

TEST(SiteText, WritesTheBlockThatReadsBack) {
    TestApp app;
    SortTokenTables();
    CSiteConnection site;
    site.SetName("North");
    auto* tcp = new CTCPConnection;
    tcp->SetAddress("host");
    tcp->SetPort(23);
    site.SetConnection(tcp);
    std::string out;
    site.WriteConfig(out, CNamedObjectList());
    EXPECT_EQ(out, "\r\nSITE_NAME = \"North\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                   "  SITE_TCPIP_ADDRESS = \"host\"\r\n  SITE_TCPIP_PORT = 23\r\n");
    ConfigText s(out + "\r\nINST_NAME = \"i\"\r\n");
    CSiteConnection back;
    ASSERT_TRUE(back.ReadConfig(*s, CNamedObjectList()));
    EXPECT_EQ(s->GetTokenCode(), CFG_INST_NAME);
    EXPECT_EQ(back.GetName(), "North");
    auto* t = dynamic_cast<CTCPConnection*>(back.GetConnection());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::pair(t->GetAddress(), t->GetPort()), std::pair(std::string("host"), 23u));
}

TEST(SiteText, MalformedBlocksAreOneErrorAtTheirLine) {
    TestApp app;
    const std::pair<const char*, unsigned> rows[] = {
        {"SITE_NAME = \"S\"\r\n  SITE_COMM_PORT = 1\r\n  INST_ID = 4\r\n", 3},
        {"SITE_NAME = \"S\"\r\n  SITE_CONN_TYPE = TCPIP\r\n  SITE_TCPIP_PORT = x\r\n", 3},
        {"SITE_NAME = \"S\"\r\n  SITE_CONN_TYPE = 3\r\n", 2},
    };
    for (const auto& [text, line] : rows) {
        SCOPED_TRACE(text);
        ConfigText bad(text);
        CSiteConnection s2;
        EXPECT_FALSE(s2.ReadConfig(*bad, CNamedObjectList()));
        EXPECT_EQ(bad->GetErrorCount(), 1u);
        EXPECT_EQ(bad->GetErrorLine(), line);
    }
}

} // namespace
