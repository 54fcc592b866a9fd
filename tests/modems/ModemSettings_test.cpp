#include "connections/ModemSettings.h"
#include "model/Archive.h"
#include "model/ConfigFileTokenStream.h"
#include "model/ConfigKeywords.h"
#include "support_lib/Fakes.h"
#include "text/TextStreams.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using Strings = std::vector<std::string>;

Strings AllStrings(const CModemSettings& m) {
    return {m.GetName(),           m.GetToneDial(), m.GetEscape(),     m.GetHangup(),
            m.GetInitialization(), m.GetReset(),    m.GetOkResponse(), m.GetConnectResponse()};
}

const Strings kDefaults = {"Standard",          "ATDT", "+++", "ATH0",
                           "AT &F E0 M0 Q0 V1", "ATZ",  "OK",  "CONNECT"};

void SetAll(CModemSettings& m, const std::string& tag) {
    m.SetName("Name " + tag);
    m.SetToneDial("Dial " + tag);
    m.SetEscape("Escape " + tag);
    m.SetHangup("Hangup " + tag);
    m.SetInitialization("Init " + tag);
    m.SetReset("Reset " + tag);
    m.SetOkResponse("Ok " + tag);
    m.SetConnectResponse("Connect " + tag);
}

// ---- defaults, copies and the in-use count ------------------------------------------------------

TEST(ModemDefinition, NewDefinitionHasTheStandardStringsAndAFreshId) {
    TestApp app;
    CModemSettings a, b;
    EXPECT_EQ(AllStrings(a), kDefaults);
    EXPECT_NE(a.GetId(), 0u);
    EXPECT_NE(a.GetId(), b.GetId()); // a second "Standard": names need not be unique
    EXPECT_EQ(b.GetName(), "Standard");
    EXPECT_FALSE(a.IsInUse());
    EXPECT_STREQ(a.GetClassName(), "CModemSettings");
    EXPECT_EQ(a.GetSchema(), 7u);
}

TEST(ModemDefinition, DefaultsPutBackEveryStringAndTheName) {
    TestApp app;
    CModemSettings m;
    SetAll(m, "x");
    const uint32_t id = m.GetId();
    m.SetDefaults();
    EXPECT_EQ(AllStrings(m), kDefaults);
    EXPECT_EQ(m.GetId(), id);
}

TEST(ModemDefinition, CopyTakesNameAndStringsWithAFreshIdAndNotInUse) {
    TestApp app;
    CModemSettings m;
    SetAll(m, "1");
    m.IncrementInUse();
    std::unique_ptr<CNamedObject> copy(m.Clone());
    auto* c = dynamic_cast<CModemSettings*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(AllStrings(*c), AllStrings(m));
    EXPECT_NE(c->GetId(), m.GetId());
    EXPECT_NE(c->GetId(), 0u);
    EXPECT_FALSE(c->IsInUse());
    EXPECT_EQ(c->GetDisplayName(), "Name 1");
}

TEST(ModemDefinition, InUseCountNeverGoesBelowZero) {
    TestApp app;
    CModemSettings m;
    m.DecrementInUse();
    EXPECT_EQ(m.GetInUseCount(), 0);
    m.IncrementInUse();
    m.IncrementInUse();
    EXPECT_EQ(m.GetInUseCount(), 2);
    m.DecrementInUse();
    EXPECT_TRUE(m.IsInUse());
    m.DecrementInUse();
    m.DecrementInUse();
    EXPECT_EQ(m.GetInUseCount(), 0);
    m.IncrementInUse();
    EXPECT_EQ(m.GetInUseCount(), 1); // one increment after the floor counts as one
}

TEST(ModemDefinition, DisplayNameShowsInUseOnlyWhileHeld) {
    TestApp app;
    CModemSettings m;
    m.SetName("Hayes");
    EXPECT_EQ(m.GetDisplayName(), "Hayes");
    m.IncrementInUse();
    EXPECT_EQ(m.GetDisplayName(), "Hayes (In use)");
    EXPECT_EQ(m.GetName(), "Hayes");
    m.DecrementInUse();
    EXPECT_EQ(m.GetDisplayName(), "Hayes");
}

// ---- the archive -----------------------------------------------------------------------------

TEST(ModemDefinitionArchive, NameIdThenTheSevenStringsInOrder) {
    TestApp app;
    CModemSettings m;
    SetAll(m, "a");
    m.SetId(0x01020304);
    CArchive out;
    m.Serialize(out);
    CArchive expected;
    expected.WriteString("Name a");
    expected.WriteUInt32(0x01020304);
    for (const char* s :
         {"Dial a", "Escape a", "Hangup a", "Init a", "Reset a", "Ok a", "Connect a"})
        expected.WriteString(s);
    EXPECT_EQ(out.Bytes(), expected.Bytes());

    CModemSettings back;
    back.IncrementInUse();
    CArchive in(out.Bytes());
    in.SetObjectSchema(7);
    back.Serialize(in);
    EXPECT_EQ(AllStrings(back), AllStrings(m));
    EXPECT_EQ(back.GetId(), 0x01020304u); // the standard file keeps object IDs
    EXPECT_FALSE(back.IsInUse());
}

TEST(ModemDefinitionArchive, SchemaSixHasOneMoreStringThatIsSkipped) {
    TestApp app;
    CArchive old;
    old.WriteString("Old");
    old.WriteUInt32(42);
    old.WriteString("AT"); // the string dropped in schema 7
    for (const char* s : {"ATDP", "+++", "ATH", "ATE0", "ATZ0", "OK", "CONNECT"})
        old.WriteString(s);
    CModemSettings back;
    CArchive in(old.Bytes());
    in.SetObjectSchema(6);
    back.Serialize(in);
    EXPECT_EQ(AllStrings(back),
              (Strings{"Old", "ATDP", "+++", "ATH", "ATE0", "ATZ0", "OK", "CONNECT"}));
    EXPECT_EQ(back.GetId(), 42u);
}

TEST(ModemDefinitionArchive, OtherSchemasAreRefusedAsBadSchemas) {
    TestApp app;
    CModemSettings m;
    CArchive out;
    m.Serialize(out);
    for (unsigned schema : {0u, 2u, 3u, 4u, 5u, 8u}) {
        CModemSettings back;
        CArchive in(out.Bytes());
        in.SetObjectSchema(schema);
        try {
            back.Serialize(in);
            ADD_FAILURE() << "schema " << schema << " was read";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.GetCause(), CArchiveException::BadSchema) << schema;
        }
    }
}

// ---- the text form
// -------------------------------------------------------------------------------

struct ConfigText {
    explicit ConfigText(const std::string& text) : file(text), stream(file.get()) {
        InitSupportLibrary();
        stream.SetSpanLines(true);
        stream.GetToken();
    }
    TempTextFile file;
    ConfigFileTokenStream stream;
};

TEST(ModemDefinitionText, BlockIsAnEmptyLineNameAndSevenIndentedLines) {
    TestApp app;
    CModemSettings m;
    m.SetName("Office");
    std::string out;
    m.WriteConfig(out);
    EXPECT_EQ(out, "\r\nMODEM_NAME = \"Office\"\r\n"
                   "  MODEM_TONE_DIAL = \"ATDT\"\r\n"
                   "  MODEM_ESCAPE = \"+++\"\r\n"
                   "  MODEM_HANGUP = \"ATH0\"\r\n"
                   "  MODEM_INITIALIZATION_STRING = \"AT &F E0 M0 Q0 V1\"\r\n"
                   "  MODEM_RESET = \"ATZ\"\r\n"
                   "  MODEM_OK = \"OK\"\r\n"
                   "  MODEM_CONNECT = \"CONNECT\"\r\n");
}

TEST(ModemDefinitionText, WrittenBlockReadsBack) {
    TestApp app;
    CModemSettings m;
    SetAll(m, "t");
    std::string out;
    m.WriteConfig(out);
    ConfigText c(out);
    ASSERT_EQ(c.stream.GetTokenCode(), CFG_MODEM_NAME);
    // The block's reader starts after the name line.
    ASSERT_EQ(c.stream.GetToken(), CFG_EQUALS);
    ASSERT_EQ(c.stream.GetToken(), TOKEN_STRING);
    c.stream.GetToken();
    CModemSettings back;
    EXPECT_TRUE(back.ReadConfig(c.stream));
    EXPECT_EQ(c.stream.GetTokenCode(), TOKEN_END);
    Strings got = AllStrings(back);
    Strings want = AllStrings(m);
    got.erase(got.begin()); // the name is the caller's to set
    want.erase(want.begin());
    EXPECT_EQ(got, want);
}

TEST(ModemDefinitionText, IgnoredKeysAreTakenAndUnsetStringsKeepTheDefaults) {
    TestApp app;
    ConfigText c("MODEM_COMMAND_PREFIX = \"AT\"\r\n  modem_timeout = 30\r\n"
                 "  MODEM_PULSE_DIAL = \"ATDP\"\r\n  MODEM_HANGUP = \"ATH\"\r\n"
                 "  MODEM_ECHO_OFF = \"E0\"\r\n  MODEM_VERBAL_RESPONSES = \"V1\"\r\n"
                 "  MODEM_HANGUP = \"ATH1\"\r\n\r\nSITE_NAME = \"Plant\"\r\n");
    CModemSettings m;
    EXPECT_TRUE(m.ReadConfig(c.stream));
    EXPECT_EQ(c.stream.GetTokenCode(), CFG_SITE_NAME);
    Strings want = kDefaults;
    want[3] = "ATH1"; // the last one wins
    EXPECT_EQ(AllStrings(m), want);
}

TEST(ModemDefinitionText, WrongValueKindsAreSyntaxErrors) {
    TestApp app;
    for (const char* text : {"MODEM_OK = 5\r\n", "MODEM_TIMEOUT = \"30\"\r\n",
                             "MODEM_RESET \"ATZ\"\r\n", "MODEM_ANSWER = = \"ATA\"\r\n"}) {
        ConfigText c(text);
        CModemSettings m;
        EXPECT_FALSE(m.ReadConfig(c.stream)) << text;
        EXPECT_GT(c.stream.GetErrorCount(), 0u) << text;
    }
}

} // namespace
