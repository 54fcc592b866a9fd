#include "config/ConfigFixtures.h"
#include "model/Archive.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace config_test;
using Bytes = std::vector<uint8_t>;

void Named(CArchive& ar, const std::string& name, uint32_t id) {
    ar.WriteString(name);
    ar.WriteUInt32(id);
}

void Header(CArchive& ar) {
    ar.WriteUInt32(CNetworkConfiguration::kMagic);
    ar.WriteUInt32(CNetworkConfiguration::kVersion);
}

// The serial part of a direct-cable or built-in-modem record of schema 0 (no flow control).
void Serial(CArchive& ar, const std::string& port, uint32_t baud) {
    ar.WriteString(port);
    ar.WriteUInt32(baud);
    ar.WriteInt32(1); // parity
    ar.WriteInt32(7); // data bits
    ar.WriteInt32(2); // stop bits
}

bool Load(ConfigApp& t, const Bytes& b) {
    return CNetworkConfiguration::LoadStandard(*t, b);
}

TEST(StandardNetwork, TheSecondSiteAndItsTransportAreClassBackReferences) {
    ConfigApp t;
    for (const char* name : {"A", "B"}) {
        auto* site = new CSiteConnection;
        site->SetName(name);
        site->SetId(name[0]);
        t->Sites().AddTail(site);
    }
    const Bytes b = CNetworkConfiguration::SaveStandard(*t);
    // Header, no modems, two sites: the first site's class record (index 1, the site 2), its
    // transport's class record (index 3, the transport 4); the second site refers to class 1
    // and its transport to class 3.
    CArchive expected;
    Header(expected);
    expected.WriteCount(0);
    expected.WriteCount(2);
    const auto cable = [&] {
        expected.WriteString("COM1");
        for (uint32_t v : {19200u, 0u, 8u, 0u, 0u})
            expected.WriteUInt32(v);
    };
    expected.WriteObjectHeader("CSiteConnection", 6);
    Named(expected, "A", 'A');
    expected.WriteObjectHeader("CCommPortConnection", 1);
    cable();
    expected.WriteUInt16(0x8001);
    Named(expected, "B", 'B');
    expected.WriteUInt16(0x8003);
    cable();
    expected.WriteCount(0);
    EXPECT_EQ(b, expected.Bytes());
}

TEST(StandardNetwork, SaveAndLoadKeepEveryFieldAndEveryObjectId) {
    ConfigApp t;
    BuildNetwork(*t);
    auto* src = As<CInstrumentConnection>(t->Instruments().At(0));
    src->SetCapabilities(0x80000021u);
    src->SetShowSampleCounts(true);
    auto* bare = new CSiteConnection; // written with a default cable
    bare->SetConnection(nullptr);
    t->Sites().AddTail(bare);
    const Bytes b = CNetworkConfiguration::SaveStandard(*t);

    ConfigApp u;
    ASSERT_TRUE(Load(u, b));
    ASSERT_EQ(u.ObjectCount(), 8u);
    // Every field is set away from its default, so the same bytes written again show that
    // each one read back, the IDs and references (written with them) included.
    EXPECT_EQ(CNetworkConfiguration::SaveStandard(*u), b);
    EXPECT_EQ(As<CSiteConnection>(u->Sites().At(4))->GetConnection()->GetConnectionType(),
              CONN_DIRECTCABLE);
}

TEST(StandardSchemas, OlderRecordsOfEveryClassLoad) {
    CArchive ar;
    Header(ar);
    // Modem definition schema 6: one more string before the seven.
    ar.WriteCount(1);
    ar.WriteObjectHeader("CModemSettings", 6);
    Named(ar, "Old Modem", 0x51);
    ar.WriteString("discarded");
    for (const char* s : {"ATDP", "+++", "ATH", "ATI", "ATZ0", "OK", "CONNECT"})
        ar.WriteString(s);
    // Site schema 5 (one more word after the transport; the schema belongs to the class
    // record, so every site of the file has it) with a direct cable of schema 0 (no
    // flow-control code), and a built-in modem of schema 0.
    ar.WriteCount(2);
    ar.WriteObjectHeader("CSiteConnection", 5);
    Named(ar, "Old Cable", 0x61);
    ar.WriteObjectHeader("CCommPortConnection", 0);
    Serial(ar, "COM4", 2400);
    ar.WriteUInt32(0xDEADBEEF);
    ar.WriteObjectHeader("CSiteConnection", 5); // a class back-reference from here on
    Named(ar, "Old Modem Site", 0x62);
    ar.WriteObjectHeader("CModemConnection", 0);
    Serial(ar, "COM5", 1200);
    ar.WriteUInt32(0x51);
    ar.WriteString("555");
    ar.WriteInt32(45);
    ar.WriteUInt32(0);
    // Instrument schema 8 ends after the five flags (select, deselect, mode variable, site,
    // password, ID, port, minutes, flags).
    ar.WriteCount(1);
    ar.WriteObjectHeader("CInstrumentConnection", 8);
    Named(ar, "Old Inst", 0x1234);
    for (const char* s : {"\x02", "\x03", "COM1_MODE"})
        ar.WriteString(s);
    for (uint32_t v : {0x61u, 4242u, 17u, 2u, 9u, 1u, 0u, 1u, 1u, 0u})
        ar.WriteUInt32(v);

    ConfigApp t;
    ASSERT_TRUE(Load(t, ar.Bytes()));
    const auto transport = [&](size_t i) {
        return As<CSiteConnection>(t->Sites().At(i))->GetConnection();
    };
    // The field after each skipped or missing one shows the record was read in step.
    EXPECT_EQ(As<CModemSettings>(t->Modems().At(0))->GetConnectResponse(), "CONNECT");
    EXPECT_EQ(As<CCommPortConnection>(transport(0))->GetFlowControl(), 0);
    EXPECT_EQ(As<CModemConnection>(transport(1))->GetConnectTimeout(), 45);
    auto* inst = As<CInstrumentConnection>(t->Instruments().At(0));
    EXPECT_EQ(inst->GetSiteId(), 0x61u);
    EXPECT_FALSE(inst->GetUseDeselect());
    EXPECT_EQ(inst->GetReceiveTimeout(), 2000); // schema 8 has no time-outs
}

TEST(StandardSchemas, AnOlderFileWithoutTheHeaderStartsAfter28Bytes) {
    CArchive ar;
    ar.WriteUInt32(CNetworkConfiguration::kMagic); // the magic, but a version below 20
    ar.WriteUInt32(19);
    for (int i = 0; i < 5; ++i)
        ar.WriteUInt32(0xABABABAB);
    ar.WriteCount(0);
    ar.WriteCount(1);
    ar.WriteObjectHeader("CSiteConnection", 6);
    Named(ar, "Legacy", 3);
    ar.WriteNullObject(); // a site stored without a transport gets a direct cable
    ar.WriteCount(0);
    ConfigApp t;
    ASSERT_TRUE(Load(t, ar.Bytes()));
    ASSERT_EQ(t->Sites().GetCount(), 1u);
    EXPECT_EQ(t->Sites().At(0)->GetName(), "Legacy");
    EXPECT_EQ(As<CSiteConnection>(t->Sites().At(0))->GetConnection()->GetConnectionType(),
              CONN_DIRECTCABLE);
}

TEST(StandardSchemas, NumbersOutsideTheAcceptedSetsAreRefused) {
    ConfigApp source;
    BuildNetwork(*source);
    const Bytes good = CNetworkConfiguration::SaveStandard(*source);
    const std::pair<std::string, uint8_t> rows[] = {{"CModemSettings", 5},
                                                    {"CSiteConnection", 7},
                                                    {"CInstrumentConnection", 10},
                                                    {"CModemConnection", 2},
                                                    {"CCommPortConnection", 2}};
    for (const auto& [name, schema] : rows) {
        // A class record is 0xFFFF, the schema, the name's length and the name.
        Bytes b = good;
        const auto at = std::search(b.begin(), b.end(), name.begin(), name.end());
        ASSERT_NE(at, b.end()) << name;
        *(at - 4) = schema;
        ConfigApp t;
        t->Sites().AddTail(new CSiteConnection);
        EXPECT_FALSE(Load(t, b)) << name << " " << int(schema);
        EXPECT_EQ(t.ObjectCount(), 1u) << name << " " << int(schema);
    }
}

TEST(StandardDamage, AFileCutAtAnyByteFailsAndLeavesTheConfigurationAlone) {
    ConfigApp source;
    BuildNetwork(*source);
    const Bytes full = CNetworkConfiguration::SaveStandard(*source);
    ConfigApp t;
    t->Sites().AddTail(new CSiteConnection);
    const uint32_t keptId = t->Sites().At(0)->GetId();
    for (size_t n = 0; n < full.size(); ++n) {
        ASSERT_FALSE(Load(t, Bytes(full.begin(), full.begin() + n))) << n;
        ASSERT_EQ(t.ObjectCount(), 1u) << n;
        ASSERT_EQ(t->Sites().At(0)->GetId(), keptId) << n;
    }
    EXPECT_TRUE(Load(t, full));
    EXPECT_EQ(t.ObjectCount(), 7u);
}

} // namespace
