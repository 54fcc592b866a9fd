// Sites without their worker: the transport kinds, copies, the archive record and the text
// block.

#include "connections/CommPortConnection.h"
#include "connections/SiteConnection.h"
#include "connections/TCPConnection.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "model/InstrumentKeywords.h"
#include "model/NamedObjectList.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// A modem kind for the factory seam.
class FakeModem : public CCommPortConnection {
public:
    const char* GetClassName() const override { return "FakeModem"; }
    int GetConnectionType() const override { return CONN_BUILTINMODEM; }
    CConnection* Clone() const override { return new FakeModem(*this); }
};

TEST(SiteKinds, ANewSiteIsALocalSiteOnADefaultDirectCable) {
    TestApp app;
    CSiteConnection site;
    EXPECT_EQ(site.GetName(), "Local Site");
    EXPECT_NE(site.GetId(), 0u);
    auto* cable = dynamic_cast<CCommPortConnection*>(site.GetConnection());
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->GetPortName(), "COM1");
    EXPECT_EQ(site.GetConnectionTypeIndex(), CSiteConnection::TYPE_DIRECTCABLE);
    EXPECT_FALSE(site.IsConnected());
    EXPECT_FALSE(site.IsBusy());
    EXPECT_TRUE(site.IsStopped());
    EXPECT_FALSE(site.Purge());
    EXPECT_FALSE(site.ReleaseLink(true));
}

TEST(SiteKinds, TheSameKindKeepsItsSettings) {
    TestApp app;
    CSiteConnection site;
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site.GetConnection());
    ASSERT_NE(tcp, nullptr);
    tcp->SetAddress("10.0.0.9");
    tcp->SetPort(7000);
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    EXPECT_EQ(site.GetConnection(), tcp);
    EXPECT_EQ(tcp->GetAddress(), "10.0.0.9");

    site.SetConnectionType(CSiteConnection::TYPE_DIRECTCABLE);
    auto* cable = dynamic_cast<CCommPortConnection*>(site.GetConnection());
    ASSERT_NE(cable, nullptr);
    cable->SetBaudRate(1200);
    site.SetConnectionType(0);
    EXPECT_EQ(site.GetConnection(), cable);
    EXPECT_EQ(cable->GetBaudRate(), 1200u);
}

TEST(SiteKinds, UnknownIndexesMeanADefaultDirectCable) {
    TestApp app;
    CSiteConnection site;
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    site.SetConnectionType(7);
    auto* cable = dynamic_cast<CCommPortConnection*>(site.GetConnection());
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->GetConnectionType(), CONN_DIRECTCABLE);
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    site.SetConnectionType(-1);
    EXPECT_EQ(site.GetConnection()->GetConnectionType(), CONN_DIRECTCABLE);
}

TEST(SiteKinds, TheModemKindsComeFromTheirRegisteredFactories) {
    TestApp app;
    CSiteConnection::RegisterTransportFactory(CSiteConnection::TYPE_BUILTINMODEM,
                                              [] { return new FakeModem; });
    CSiteConnection site;
    site.SetConnectionType(CSiteConnection::TYPE_BUILTINMODEM);
    auto* modem = dynamic_cast<FakeModem*>(site.GetConnection());
    ASSERT_NE(modem, nullptr);
    modem->SetPortName("COM5");
    site.SetConnectionType(CSiteConnection::TYPE_BUILTINMODEM);
    EXPECT_EQ(site.GetConnection(), modem);
    EXPECT_EQ(site.GetConnectionTypeIndex(), CSiteConnection::TYPE_BUILTINMODEM);
    // The direct cable is not the built-in modem, although the modem is a serial port too.
    site.SetConnectionType(CSiteConnection::TYPE_DIRECTCABLE);
    EXPECT_EQ(dynamic_cast<FakeModem*>(site.GetConnection()), nullptr);
}

TEST(SiteKinds, KindCodesMapToIndexes) {
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(139), 0);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(140), 1);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(141), 2);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(142), 3);
    EXPECT_EQ(CSiteConnection::TypeIndexOfKind(143), -1);
}

TEST(SiteCopies, CloneTakesNameAndATransportCopyWithAFreshId) {
    TestApp app;
    CSiteConnection site;
    site.SetName("Ridge");
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    dynamic_cast<CTCPConnection*>(site.GetConnection())->SetPort(9);
    std::unique_ptr<CNamedObject> copy(site.Clone());
    auto* s = dynamic_cast<CSiteConnection*>(copy.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetName(), "Ridge");
    EXPECT_NE(s->GetId(), site.GetId());
    EXPECT_NE(s->GetConnection(), site.GetConnection());
    auto* tcp = dynamic_cast<CTCPConnection*>(s->GetConnection());
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(tcp->GetPort(), 9u);
    EXPECT_FALSE(s->IsConnected());
}

TEST(SiteCopies, SettingANullTransportInstallsADefaultCable) {
    TestApp app;
    CSiteConnection site;
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    site.SetConnection(nullptr);
    ASSERT_NE(site.GetConnection(), nullptr);
    EXPECT_EQ(site.GetConnection()->GetConnectionType(), CONN_DIRECTCABLE);
}

// ---- archive --------------------------------------------------------------------------------

std::unique_ptr<CSiteConnection> RoundTrip(const CArchive& out) {
    CArchive in(out.Bytes());
    return std::unique_ptr<CSiteConnection>(
        dynamic_cast<CSiteConnection*>(ArchiveClassRegistry<CNamedObject>::Read(in)));
}

TEST(SiteArchive, SchemaSixHoldsNameIdAndTheTransportRecord) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CSiteConnection site;
    site.SetName("Valley");
    site.SetId(0x01020304);
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site.GetConnection());
    tcp->SetAddress("a");
    tcp->SetPort(5);
    CArchive out;
    out.WriteObject(static_cast<CNamedObject*>(&site));
    const std::vector<uint8_t> want = {0xFF, 0xFF, 6, 0, 15, 0, 'C', 'S', 'i', 't', 'e', 'C', 'o',
                                       'n', 'n', 'e', 'c', 't', 'i', 'o', 'n', 6, 'V', 'a', 'l',
                                       'l', 'e', 'y', 4, 3, 2, 1,
                                       // the transport: a new class record, then address and port
                                       0xFF, 0xFF, 0, 0, 14, 0, 'C', 'T', 'C', 'P', 'C', 'o', 'n',
                                       'n', 'e', 'c', 't', 'i', 'o', 'n', 1, 'a', 5, 0, 0, 0};
    EXPECT_EQ(out.Bytes(), want);
    auto back = RoundTrip(out);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetName(), "Valley");
    EXPECT_EQ(back->GetId(), 0x01020304u);
    auto* t = dynamic_cast<CTCPConnection*>(back->GetConnection());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetAddress(), "a");
    EXPECT_EQ(t->GetPort(), 5u);
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

TEST(SiteArchive, SchemaFiveHasOneMoreWordThatIsSkipped) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CArchive out;
    WriteSiteRecord(out, 5, true);
    out.WriteUInt32(0xABCDEF01);
    out.WriteUInt32(0x12345678); // what follows the record
    CArchive in(out.Bytes());
    std::unique_ptr<CNamedObject> obj(ArchiveClassRegistry<CNamedObject>::Read(in));
    auto* site = dynamic_cast<CSiteConnection*>(obj.get());
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->GetName(), "Old");
    EXPECT_EQ(site->GetId(), 77u);
    auto* cable = dynamic_cast<CCommPortConnection*>(site->GetConnection());
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->GetPortName(), "COM9");
    EXPECT_EQ(in.ReadUInt32(), 0x12345678u);
}

TEST(SiteArchive, AnEmptyTransportReferenceGivesADefaultCable) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CArchive out;
    WriteSiteRecord(out, 6, false);
    auto back = RoundTrip(out);
    ASSERT_NE(back, nullptr);
    ASSERT_NE(back->GetConnection(), nullptr);
    EXPECT_EQ(back->GetConnection()->GetConnectionType(), CONN_DIRECTCABLE);
}

TEST(SiteArchive, OlderAndUnknownSchemasAreRefused) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    for (unsigned schema : {0u, 1u, 2u, 3u, 4u, 7u}) {
        CArchive out;
        WriteSiteRecord(out, schema, true);
        CArchive in(out.Bytes());
        try {
            delete ArchiveClassRegistry<CNamedObject>::Read(in);
            ADD_FAILURE() << "schema " << schema << " was read";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.GetCause(), CArchiveException::BadSchema) << schema;
        }
    }
}

TEST(SiteArchive, ASecondSiteOfTheSameKindsUsesClassBackReferences) {
    TestApp app;
    CSiteConnection::RegisterClasses();
    CSiteConnection a, b;
    CArchive out;
    out.WriteObject(static_cast<CNamedObject*>(&a));
    const size_t first = out.Bytes().size();
    out.WriteObject(static_cast<CNamedObject*>(&b));
    const std::vector<uint8_t>& bytes = out.Bytes();
    // Class 1 is the site, object 2 the first site, class 3 the cable, object 4 its cable.
    EXPECT_EQ(bytes[first], 0x01);
    EXPECT_EQ(bytes[first + 1], 0x80);
    CArchive in(bytes);
    std::unique_ptr<CNamedObject> ra(ArchiveClassRegistry<CNamedObject>::Read(in));
    std::unique_ptr<CNamedObject> rb(ArchiveClassRegistry<CNamedObject>::Read(in));
    EXPECT_EQ(ra->GetId(), a.GetId());
    EXPECT_EQ(rb->GetId(), b.GetId());
}

// ---- text block -----------------------------------------------------------------------------

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

TEST(SiteText, WritesTheBlockThatReadsBack) {
    TestApp app;
    SortTokenTables();
    CSiteConnection site;
    site.SetName("North");
    site.SetConnectionType(CSiteConnection::TYPE_TCPIP);
    auto* tcp = dynamic_cast<CTCPConnection*>(site.GetConnection());
    tcp->SetAddress("host");
    tcp->SetPort(23);
    std::string out;
    site.WriteConfig(out, CNamedObjectList());
    EXPECT_EQ(out, "\r\nSITE_NAME = \"North\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                   "  SITE_TCPIP_ADDRESS = \"host\"\r\n  SITE_TCPIP_PORT = 23\r\n");
    TextStream s(out + "\r\nINST_NAME = \"i\"\r\n");
    CSiteConnection back;
    ASSERT_TRUE(back.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetTokenCode(), CFG_INST_NAME);
    EXPECT_EQ(back.GetName(), "North");
    auto* t = dynamic_cast<CTCPConnection*>(back.GetConnection());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetAddress(), "host");
    EXPECT_EQ(t->GetPort(), 23u);
}

TEST(SiteText, AConnectionTypeAfterThePortLinesLosesThem) {
    TestApp app;
    TextStream s("SITE_NAME = \"S\"\r\n  SITE_BAUD_RATE = 1200\r\n  SITE_TIMEOUT = 5\r\n"
                 "  site_conn_type = directcable\r\n  SITE_CONN_TYPE = TCPIP\r\n");
    CSiteConnection site;
    ASSERT_TRUE(site.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetTokenCode(), TOKEN_END);
    EXPECT_EQ(site.GetConnection()->GetConnectionType(), CONN_TCPIP);

    TextStream s2("SITE_NAME = \"S\"\r\n  SITE_BAUD_RATE = 1200\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                  "  SITE_CONN_TYPE = DIRECTCABLE\r\n");
    CSiteConnection site2;
    ASSERT_TRUE(site2.ReadConfig(*s2.ts, CNamedObjectList()));
    auto* cable = dynamic_cast<CCommPortConnection*>(site2.GetConnection());
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->GetBaudRate(), 19200u);
}

TEST(SiteText, AKeyOfAnotherBlockKindIsASyntaxErrorAtThatToken) {
    TestApp app;
    TextStream s("SITE_NAME = \"S\"\r\n  SITE_COMM_PORT = 1\r\n  INST_ID = 4\r\n");
    CSiteConnection site;
    EXPECT_FALSE(site.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetErrorCount(), 1u);
    EXPECT_EQ(s.ts->GetErrorLine(), 3u);
    EXPECT_EQ(s.ts->GetErrorText(), "INST_ID");
}

TEST(SiteText, ATransportsMalformedLineIsReportedOnce) {
    TestApp app;
    TextStream s("SITE_NAME = \"S\"\r\n  SITE_CONN_TYPE = TCPIP\r\n  SITE_TCPIP_PORT = x\r\n");
    CSiteConnection site;
    EXPECT_FALSE(site.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetErrorCount(), 1u);
    EXPECT_EQ(s.ts->GetErrorLine(), 3u);
}

TEST(SiteText, AConnectionTypeThatIsNoKindIsASyntaxError) {
    TestApp app;
    TextStream s("SITE_NAME = \"S\"\r\n  SITE_CONN_TYPE = 3\r\n");
    CSiteConnection site;
    EXPECT_FALSE(site.ReadConfig(*s.ts, CNamedObjectList()));
    EXPECT_EQ(s.ts->GetErrorCount(), 1u);
}

} // namespace
