#include "app/NetworkConfigText.h"
#include "config/ConfigFixtures.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace config_test;
using Result = CNetworkConfigText::LoadResult;

std::string TextOf(CVANTIQApp& app) {
    std::string text, refusal;
    EXPECT_TRUE(CNetworkConfigText::Write(app, "net.cfx", text, refusal)) << refusal;
    return text;
}

Result LoadText(ConfigApp& t, const std::string& text, std::string* message = nullptr) {
    std::string m;
    const Result r = CNetworkConfigText::LoadBytes(*t, text, "/cfg/net.cfx", m);
    if (message)
        *message = m;
    return r;
}

CInstrumentConnection* Inst(ConfigApp& t, size_t i) {
    return As<CInstrumentConnection>(t->Instruments().At(i));
}
template <class T> T* Transport(ConfigApp& t, size_t i) {
    return As<T>(As<CSiteConnection>(t->Sites().At(i))->GetConnection());
}

std::set<uint32_t> Ids(ConfigApp& a) {
    std::set<uint32_t> out;
    for (CNamedObjectList* list : {&a->Modems(), &a->Sites(), &a->Instruments()})
        list->ForEach([&](CNamedObject* o) { out.insert(o->GetId()); });
    return out;
}

TEST(TextWrite, AnyNameButCfgGetsTheTextFormThatReadsBackWithNewIds) {
    TempFolder dir;
    ConfigApp t;
    BuildNetwork(*t);
    // The mode variable goes out only for the Custom port, so this one cannot refuse the save.
    Inst(t, 1)->SetModeVarName("no \"quotes\" here");
    const std::string path = dir.File("net.cfg.bak");
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, path, true, true));
    EXPECT_EQ(ReadAll(path), kNetworkText);
    // Reopened in the same application, as after a save: the objects read get IDs that none
    // of the objects they replace had, and the references follow them.
    const std::set<uint32_t> oldIds = Ids(t);
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, path, false, true));
    const std::set<uint32_t> newIds = Ids(t);
    EXPECT_EQ(newIds.size(), 7u);
    EXPECT_EQ(newIds.count(0), 0u);
    for (uint32_t id : newIds)
        EXPECT_EQ(oldIds.count(id), 0u);
    EXPECT_FALSE(CVANTIQApp::SetIdClaim(nullptr)); // the load's own ID check ends with it
    EXPECT_EQ(Transport<CModemConnection>(t, 1)->GetModemId(), t->Modems().At(0)->GetId());
    EXPECT_EQ(Inst(t, 0)->GetSiteId(), t->Sites().At(1)->GetId());
    EXPECT_EQ(Inst(t, 1)->GetSiteId(), t->Sites().At(3)->GetId());
}

TEST(TextWrite, OptionalInstrumentLinesFollowTheirFlags) {
    ConfigApp t;
    auto* inst = new CInstrumentConnection;
    inst->SetName("I");
    inst->SetPort(CInstrumentConnection::PORT_2);
    inst->SetSiteId(12345); // no such site: no INST_SITE line
    inst->SetInstrumentId(5);
    inst->SetPassword(3);
    inst->SetSelectCode("S");
    t->Instruments().AddTail(inst);
    EXPECT_EQ(TextOf(*t), "\r\nINST_NAME = \"I\"\r\n  INST_PORT = 1\r\n  INST_RECV_TIMEOUT = "
                          "2000\r\n  INST_XMIT_DELAY = 0\r\n");
}

TEST(TextWrite, TheEmptyConfigurationIsAnEmptyFileThatReadsBackEmpty) {
    ConfigApp t;
    EXPECT_EQ(TextOf(*t), "");
    BuildNetwork(*t);
    ASSERT_EQ(LoadText(t, ""), Result::Loaded);
    EXPECT_EQ(t.ObjectCount(), 0u);
}

// A quote or line break in a written name or value would change what the file says: the save
// is refused, naming the object and the file, and the old file is left alone.
TEST(TextWrite, AQuoteOrLineBreakRefusesTheSave) {
    const auto site = [](CVANTIQApp& a, size_t i) {
        return As<CSiteConnection>(a.Sites().At(i))->GetConnection();
    };
    const struct {
        std::function<void(CVANTIQApp&)> spoil;
        std::string named;
    } rows[] = {
        {[](CVANTIQApp& a) { a.Modems().At(0)->SetName("Say \"hi\""); },
         "modem definition \"Say \"hi\"\""},
        {[&](CVANTIQApp& a) { As<CModemConnection>(site(a, 1))->SetTelephoneNumber("1\r\n2"); },
         "site \"Dial Site\""},
        {[](CVANTIQApp& a) {
             As<CInstrumentConnection>(a.Instruments().At(0))->SetModeVarName("A\"B");
         },
         "instrument \"T200 Stack\""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.named);
        TempFolder dir;
        const std::string path = dir.File("net.cfx");
        WriteAll(path, "previous contents");
        ConfigApp t;
        BuildNetwork(*t);
        t->SetModified(true);
        r.spoil(*t);
        EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, path, true, true));
        EXPECT_EQ(ReadAll(path), "previous contents");
        EXPECT_TRUE(t->IsModified());
        ASSERT_EQ(t.prompt.asked.size(), 1u);
        EXPECT_NE(t.prompt.asked[0].text.find(r.named), std::string::npos);
        EXPECT_NE(t.prompt.asked[0].text.find(path), std::string::npos);
    }
}

// Codes may hold any byte; names and strings anything but a quote or a line break; numbers
// their whole range.
TEST(TextRoundTrip, EveryByteAndNumberAtItsEdgesSurvives) {
    // clang-format off
    std::vector<std::string> codes = {"\\", "\\\\x41", "\"", "\x1B" "1F", "a\\x", "\\\"",
                                      std::string(1, '\0'), std::string(256, '\0')};
    // clang-format on
    for (int c = 0; c < 256; ++c)
        codes.back()[c] = static_cast<char>(c);
    const std::vector<std::string> names = {
        "", " padded ", "tab\there", "\x01\xFF\x7F", "back\\slash", "=;[]", "MODEM_NAME", "0x1F"};
    ConfigApp t;
    for (const std::string& code : codes) {
        auto* inst = new CInstrumentConnection;
        inst->SetSelectCode(code);
        inst->SetUseSelect(true);
        t->Instruments().AddTail(inst);
    }
    for (const std::string& name : names) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        modem->SetOkResponse(name);
        t->Modems().AddTail(modem);
    }
    t->Sites().AddTail(new CSiteConnection);
    Inst(t, 0)->SetPassword(0xFFFFFFFFu);
    Inst(t, 0)->SetUsePassword(true);
    Inst(t, 0)->SetInstrumentId(-2147483647 - 1);
    Inst(t, 0)->SetUseInstrumentId(true);
    Inst(t, 0)->SetReceiveTimeout(2147483647);
    Transport<CCommPortConnection>(t, 0)->SetBaudRate(4000000000u);

    ConfigApp u;
    ASSERT_EQ(LoadText(u, TextOf(*t)), Result::Loaded);
    ASSERT_EQ(u->Instruments().GetCount(), codes.size());
    for (size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(Inst(u, i)->GetSelectCode(), codes[i]) << i;
    ASSERT_EQ(u->Modems().GetCount(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(u->Modems().At(i)->GetName(), names[i]);
        EXPECT_EQ(As<CModemSettings>(u->Modems().At(i))->GetOkResponse(), names[i]);
    }
    // A copied list holds copies of its own.
    const CNamedObjectList copy(u->Modems());
    ASSERT_EQ(copy.GetCount(), names.size());
    EXPECT_NE(copy.At(1), u->Modems().At(1));
    EXPECT_EQ(As<CModemSettings>(copy.At(1))->GetOkResponse(), names[1]);
    EXPECT_EQ(Inst(u, 0)->GetPassword(), 0xFFFFFFFFu);
    EXPECT_EQ(Inst(u, 0)->GetInstrumentId(), -2147483647 - 1);
    EXPECT_EQ(Inst(u, 0)->GetReceiveTimeout(), 2147483647);
    EXPECT_EQ(Transport<CCommPortConnection>(u, 0)->GetBaudRate(), 4000000000u);
}

// What a hand-edited file may do: assignments in any order (the last wins), keywords in any
// case and ones this program ignores, escapes as the instrument reads them, names of objects
// read before.
TEST(TextRead, HandEditedFiles) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "INST_NAME = \"i\"\r\n  INST_XMIT_DELAY = 5\r\n"
                          "  INST_MODE_VAR_NAME = \"LOST\"\r\n  INST_PORT = 2\r\n"
                          "  INST_XMIT_DELAY = 9\r\n  INST_SITE = \"Plant\"\r\n"
                          "INST_NAME = \"j\" INST_PORT = 2 INST_MODE_VAR_NAME = \"KEPT\" "
                          "INST_PORT = 7\r\n"
                          "INST_NAME = \"k\" INST_PORT = 1 INST_MODE_VAR_NAME = \"KEPT\"\r\n"
                          "INST_NAME = \"I\" INST_SELECT = \"\\x1BA\" INST_DESELECT = "
                          "\"\\x1B\\x41\\101\\q\"\r\n"
                          "site_name = \"Plant\" Site_Conn_Type = builtinmodem "
                          "SITE_MODEM = \"Hayes\"\r\n"
                          "MODEM_NAME = \"Hayes\"\r\n  MODEM_COMMAND_PREFIX = \"AT\"\r\n"
                          "  MODEM_TIMEOUT = 30\r\n  MODEM_PULSE_DIAL = \"ATDP\"\r\n"
                          "  MODEM_VERBAL_RESPONSES = \"V1\"\r\n  MODEM_OK = \"0\"\r\n"
                          "SITE_NAME = \"Plant 2\" SITE_CONN_TYPE = BUILTINMODEM "
                          "SITE_MODEM = \"hAYES\"\r\n"
                          "INST_NAME = \"late\" INST_SITE = \"PLANT\"\r\n"
                          "INST_NAME = \"lost\" INST_SITE = \"Nowhere\"\r\n"),
              Result::Loaded);
    EXPECT_EQ(Inst(t, 0)->GetTransmitDelay(), 9);
    EXPECT_EQ(Inst(t, 0)->GetModeVarName(), "COM1_MODE");
    EXPECT_EQ(Inst(t, 1)->GetModeVarName(), "RS232_MODE"); // a port resets the name
    EXPECT_EQ(Inst(t, 1)->GetPort(), 7);
    EXPECT_EQ(Inst(t, 2)->GetModeVarName(), "KEPT");
    EXPECT_EQ(Inst(t, 3)->GetSelectCode(), "\xBA");
    EXPECT_EQ(Inst(t, 3)->GetDeselectCode(), "\x1B"
                                             "AAq");
    EXPECT_TRUE(Inst(t, 3)->GetUseDeselect());
    auto* modem = As<CModemSettings>(t->Modems().At(0));
    EXPECT_EQ(modem->GetOkResponse(), "0");
    EXPECT_EQ(modem->GetToneDial(), "ATDT"); // the pulse-dial string is not the tone one
    // Names resolve, in any case, only against what was read before them.
    EXPECT_EQ(Inst(t, 0)->GetSiteId(), 0u);
    EXPECT_EQ(Transport<CModemConnection>(t, 0)->GetModemId(), 0u);
    EXPECT_EQ(Transport<CModemConnection>(t, 1)->GetModemId(), modem->GetId());
    EXPECT_EQ(Inst(t, 4)->GetSiteId(), t->Sites().At(0)->GetId());
    EXPECT_EQ(Inst(t, 5)->GetSiteId(), 0u);
}

TEST(TextRead, ConnectionTypesAndPortNumbers) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "SITE_NAME = \"late\" SITE_COMM_PORT = \"COM7\" "
                          "SITE_CONN_TYPE = BUILTINMODEM\r\n"
                          "SITE_NAME = \"same kind\" SITE_COMM_PORT = \"COM8\" "
                          "SITE_CONN_TYPE = DIRECTCABLE\r\n"
                          "SITE_NAME = \"b\" SITE_COMM_PORT = 3"),
              Result::Loaded);
    // A type after the port line replaces the transport, losing it; the kind a site already
    // has keeps its settings.
    auto* modem = Transport<CModemConnection>(t, 0);
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(modem->GetPortName(), "COM1");
    EXPECT_EQ(Transport<CCommPortConnection>(t, 1)->GetPortName(), "COM8");
    // Without a type a site is a cable; a port number names the COM port after it.
    EXPECT_EQ(Transport<CCommPortConnection>(t, 2)->GetPortName(), "COM4");
}

TEST(TextSyntax, ErrorsNameTheTokenAndTheLine) {
    // clang-format off
    const struct { std::string text, token; int line; } rows[] = {
        {"\r\nSITE_NAME = \"s\"\r\n  SITE_COMM_PORT = 1\r\n  INST_ID = 4\r\n", "INST_ID", 4},
        {"\r\nSITE_NAME = \"s\"\r\n  SPEED = 9600\r\n", "SPEED", 3},
        {"INST_NAME = \"i\"\r\n  INST_PORT = \"2\"\r\n", "2", 2},
        {"INST_NAME = \"i\"\r\n  INST_SITE 3\r\n", "3", 2},
        {"INST_NAME = \"i\"\r\n  MODEM_OK = \"OK\"\r\n", "MODEM_OK", 2},
        {"INST_NAME =\r\n", "<end of file>", 1}, {"= \"x\"", "=", 1}, {"\r\n\r\n\"x\"", "x", 3},
        {"MODEM_NAME = \"m\"\r\n MODEM_OK = 5", "5", 2},
        {"SITE_NAME = \"s\" SITE_CONN_TYPE = SERIAL", "SERIAL", 1},
        {"SITE_NAME = \"s\" SITE_CONN_TYPE = TCPIP SITE_COMM_PORT = 1", "SITE_COMM_PORT", 1},
        {"INST_NAME = \"i\"\r\n INST_SELECT = \"open", "\"open", 2},
    };
    // clang-format on
    for (const auto& r : rows) {
        ConfigApp t;
        std::string message;
        EXPECT_EQ(LoadText(t, r.text, &message), Result::SyntaxError) << r.text;
        EXPECT_EQ(message, "Syntax error encountered at '" + r.token + "', on line " +
                               std::to_string(r.line) +
                               " of network configuration file /cfg/net.cfx. File not opened.")
            << r.text;
    }
    // Through the application: shown with its full path, and the configuration stays.
    TempFolder dir;
    const std::string path = dir.File("bad.cfx");
    WriteAll(path, "x");
    ConfigApp t;
    BuildNetwork(*t);
    t->SetModified(true);
    const auto relative = fs::relative(path);
    EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, relative.string(), false, true));
    ASSERT_EQ(t.prompt.asked.size(), 1u);
    const std::string shown = " file " + fs::absolute(relative).string() + ". ";
    EXPECT_NE(t.prompt.asked[0].text.find(shown), std::string::npos);
    EXPECT_EQ(t.prompt.asked[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(t.ObjectCount(), 7u);
    EXPECT_TRUE(t->IsModified());
}

} // namespace
