#include "app/ActivityLog.h"
#include "app/NetworkConfigText.h"
#include "base/EscapeText.h"
#include "config/ConfigFixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using namespace config_test;
using Result = CNetworkConfigText::LoadResult;

const char* const kNetworkText = "\r\nMODEM_NAME = \"Hayes\"\r\n"
                                 "  MODEM_TONE_DIAL = \"ATDT9,\"\r\n"
                                 "  MODEM_ESCAPE = \"+++\"\r\n"
                                 "  MODEM_HANGUP = \"ATH0\"\r\n"
                                 "  MODEM_INITIALIZATION_STRING = \"AT&F E0\"\r\n"
                                 "  MODEM_RESET = \"ATZ\"\r\n"
                                 "  MODEM_OK = \"OK\"\r\n"
                                 "  MODEM_CONNECT = \"CONNECT 9600\"\r\n"
                                 "\r\nSITE_NAME = \"Cable Site\"\r\n"
                                 "  SITE_CONN_TYPE = DIRECTCABLE\r\n"
                                 "  SITE_COMM_PORT = \"/dev/ttyUSB0\"\r\n"
                                 "  SITE_BAUD_RATE = 115200\r\n"
                                 "  SITE_PARITY_MODE = 2\r\n"
                                 "  SITE_DATA_BITS = 7\r\n"
                                 "  SITE_STOP_BITS = 2\r\n"
                                 "  SITE_XON_XOFF = 2\r\n"
                                 "\r\nSITE_NAME = \"Dial Site\"\r\n"
                                 "  SITE_CONN_TYPE = BUILTINMODEM\r\n"
                                 "  SITE_MODEM = \"Hayes\"\r\n"
                                 "  SITE_TELEPHONE = \"555-0199\"\r\n"
                                 "  SITE_CONNECT_TIMEOUT = 90\r\n"
                                 "  SITE_COMM_PORT = \"COM3\"\r\n"
                                 "  SITE_BAUD_RATE = 9600\r\n"
                                 "  SITE_PARITY_MODE = 0\r\n"
                                 "  SITE_DATA_BITS = 8\r\n"
                                 "  SITE_STOP_BITS = 0\r\n"
                                 "  SITE_XON_XOFF = 1\r\n"
                                 "\r\nSITE_NAME = \"Phone Site\"\r\n"
                                 "  SITE_CONN_TYPE = WINDOWSMODEM\r\n"
                                 "  SITE_MODEM = -19088744\r\n"
                                 "  SITE_TELEPHONE = \"1 800 555\"\r\n"
                                 "  SITE_CONNECT_TIMEOUT = 200\r\n"
                                 "\r\nSITE_NAME = \"Net Site\"\r\n"
                                 "  SITE_CONN_TYPE = TCPIP\r\n"
                                 "  SITE_TCPIP_ADDRESS = \"analyzer.example\"\r\n"
                                 "  SITE_TCPIP_PORT = 3000\r\n"
                                 "\r\nINST_NAME = \"T200 Stack\"\r\n"
                                 "  INST_ID = 700\r\n"
                                 "  INST_PORT = 2\r\n"
                                 "  INST_MODE_VAR_NAME = \"COM2_MODE\"\r\n"
                                 "  INST_SITE = \"Dial Site\"\r\n"
                                 "  INST_PASSWORD = 818\r\n"
                                 "  INST_AUTO_DISCONNECT = 15\r\n"
                                 "  INST_SELECT = \"\\x1B\\x41\\\\\\x22\\x00\\xFF\"\r\n"
                                 "  INST_DESELECT = \"\\x1B\\x42\"\r\n"
                                 "  INST_RECV_TIMEOUT = 4500\r\n"
                                 "  INST_XMIT_DELAY = 20\r\n"
                                 "\r\nINST_NAME = \"M300 Plain\"\r\n"
                                 "  INST_PORT = 0\r\n"
                                 "  INST_SITE = \"Net Site\"\r\n"
                                 "  INST_RECV_TIMEOUT = 2000\r\n"
                                 "  INST_XMIT_DELAY = 0\r\n";

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
CSiteConnection* Site(ConfigApp& t, size_t i) {
    return As<CSiteConnection>(t->Sites().At(i));
}
template <class T> T* Transport(ConfigApp& t, size_t i) {
    return As<T>(Site(t, i)->GetConnection());
}

// ---- writing ------------------------------------------------------------------------------

TEST(TextWrite, EveryBlockAndLineHasItsFormat) {
    ConfigApp t;
    BuildNetwork(*t);
    EXPECT_EQ(TextOf(*t), kNetworkText);
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

TEST(TextWrite, TheEmptyConfigurationIsAnEmptyFile) {
    TempFolder dir;
    const std::string path = dir.File("empty.cfx");
    ConfigApp t;
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, path, true, true));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    ConfigApp u;
    u->Sites().AddTail(new CSiteConnection);
    u->SetModified(true);
    ASSERT_TRUE(CNetworkConfiguration::LoadSave(*u, path, false, true));
    EXPECT_EQ(u.ObjectCount(), 0u);
    EXPECT_TRUE(u->IsNamed());
    EXPECT_FALSE(u->IsModified());
}

TEST(TextWrite, AnyNameButCfgIsTheTextForm) {
    TempFolder dir;
    ConfigApp t;
    BuildNetwork(*t);
    for (const char* name : {"net.txt", "net.cfx", "net", "net.cfg.bak"}) {
        const std::string path = dir.File(name);
        ASSERT_TRUE(CNetworkConfiguration::LoadSave(*t, path, true, true)) << name;
        EXPECT_EQ(ReadAll(path), kNetworkText) << name;
        ConfigApp u;
        ASSERT_TRUE(CNetworkConfiguration::LoadSave(*u, path, false, true)) << name;
        EXPECT_EQ(u.ObjectCount(), 7u) << name;
    }
}

// ---- strings the text form cannot hold ------------------------------------------------------

TEST(TextRefusal, AQuoteOrLineBreakInANameOrValueRefusesTheSave) {
    struct Case {
        const char* what;
        std::function<void(CVANTIQApp&)> spoil;
        std::string named;
    };
    const std::vector<Case> cases = {
        {"modem name", [](CVANTIQApp& a) { a.Modems().At(0)->SetName("Say \"hi\""); },
         "modem definition \"Say \"hi\"\""},
        {"modem string",
         [](CVANTIQApp& a) { As<CModemSettings>(a.Modems().At(0))->SetReset("AT\r\nZ"); },
         "modem definition \"Hayes\""},
        {"port name",
         [](CVANTIQApp& a) {
             As<CCommPortConnection>(As<CSiteConnection>(a.Sites().At(0))->GetConnection())
                 ->SetPortName("COM\"1");
         },
         "site \"Cable Site\""},
        {"telephone number holding a whole line",
         [](CVANTIQApp& a) {
             As<CModemConnection>(As<CSiteConnection>(a.Sites().At(1))->GetConnection())
                 ->SetTelephoneNumber("1\"\r\n  SITE_BAUD_RATE = 300\r\n  SITE_TELEPHONE = \"2");
         },
         "site \"Dial Site\""},
        {"mode variable",
         [](CVANTIQApp& a) {
             As<CInstrumentConnection>(a.Instruments().At(0))->SetModeVarName("A\"B");
         },
         "instrument \"T200 Stack\""},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const std::string path = dir.File("net.cfx");
        WriteAll(path, "previous contents");
        ConfigApp t;
        BuildNetwork(*t);
        t->SetModified(true);
        c.spoil(*t);
        EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, path, true, true)) << c.what;
        EXPECT_EQ(ReadAll(path), "previous contents") << c.what;
        EXPECT_TRUE(t->IsModified()) << c.what;
        ASSERT_EQ(t.prompt.asked.size(), 1u) << c.what;
        EXPECT_EQ(t.prompt.asked[0].caption, "Error");
        EXPECT_NE(t.prompt.asked[0].text.find(c.named), std::string::npos)
            << c.what << ": " << t.prompt.asked[0].text;
        EXPECT_NE(t.prompt.asked[0].text.find(path), std::string::npos) << c.what;
    }
}

TEST(TextRefusal, AValueThatIsNotWrittenDoesNotRefuseTheSave) {
    ConfigApp t;
    BuildNetwork(*t);
    // The mode variable name goes out only for the Custom port.
    As<CInstrumentConnection>(t->Instruments().At(1))->SetModeVarName("no \"quotes\" here");
    std::string text, refusal;
    EXPECT_TRUE(CNetworkConfigText::Write(*t, "x.cfx", text, refusal));
    EXPECT_EQ(text, kNetworkText);
}

// ---- select and deselect codes ------------------------------------------------------------

TEST(TextCodes, EveryByteOfACodeSurvivesSaveAndLoad) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    std::mt19937 random(7);
    std::vector<std::string> codes = {all,
                                      "\\",
                                      "\\\\x41",
                                      "\"",
                                      "\x1B"
                                      "1F",
                                      "a\\x",
                                      "\\\"",
                                      std::string(1, '\0')};
    // Short strings of the bytes that interact: backslashes, x, quotes, hex digits, controls.
    const std::string alphabet = "\\x\"AF09 \x1B\x7F\xC3";
    for (int i = 0; i < 200; ++i) {
        std::string s;
        const size_t n = random() % 12;
        for (size_t k = 0; k < n; ++k)
            s += alphabet[random() % alphabet.size()];
        codes.push_back(s);
    }
    for (const std::string& code : codes) {
        const std::string escaped = CNetworkConfigText::EscapeCode(code);
        EXPECT_EQ(UnescapeText(escaped), code);
        EXPECT_EQ(escaped.find('"'), std::string::npos);
        if (code.find('"') == std::string::npos) {
            EXPECT_EQ(escaped, EscapeText(code));
        }
    }
    ConfigApp t;
    for (const std::string& code : codes) {
        auto* inst = new CInstrumentConnection;
        inst->SetSelectCode(code);
        inst->SetUseSelect(true);
        inst->SetDeselectCode(code + "!");
        inst->SetUseDeselect(true);
        t->Instruments().AddTail(inst);
    }
    ConfigApp u;
    ASSERT_EQ(LoadText(u, TextOf(*t)), Result::Loaded);
    ASSERT_EQ(u->Instruments().GetCount(), codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(Inst(u, i)->GetSelectCode(), codes[i]) << i;
        EXPECT_EQ(Inst(u, i)->GetDeselectCode(), codes[i] + "!") << i;
    }
}

TEST(TextCodes, TypedEscapesAreReadAsTheInstrumentReadsThem) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "INST_NAME = \"I\" INST_SELECT = \"\\x1BA\" INST_DESELECT = "
                          "\"\\x1B\\x41\\101\\q\""),
              Result::Loaded);
    EXPECT_EQ(Inst(t, 0)->GetSelectCode(), "\xBA");
    EXPECT_EQ(Inst(t, 0)->GetDeselectCode(), "\x1B"
                                             "AAq");
    EXPECT_TRUE(Inst(t, 0)->GetUseSelect());
    EXPECT_TRUE(Inst(t, 0)->GetUseDeselect());
}

// ---- round trip ---------------------------------------------------------------------------

TEST(TextRoundTrip, NamesSettingsAndReferencesSurviveWithNewIds) {
    ConfigApp t;
    BuildNetwork(*t);
    const auto ids = [](ConfigApp& a) {
        std::set<uint32_t> out;
        for (CNamedObjectList* list : {&a->Modems(), &a->Sites(), &a->Instruments()})
            list->ForEach([&](CNamedObject* o) { out.insert(o->GetId()); });
        return out;
    };
    const std::set<uint32_t> oldIds = ids(t);

    // Reopened in the same application, as after a save: the objects read get IDs that
    // none of the objects they replace had.
    ConfigApp& u = t;
    ASSERT_EQ(LoadText(u, TextOf(*t)), Result::Loaded);
    EXPECT_EQ(TextOf(*u), kNetworkText);

    const std::set<uint32_t> newIds = ids(u);
    EXPECT_EQ(newIds.size(), 7u);
    EXPECT_EQ(newIds.count(0), 0u);
    for (uint32_t id : newIds)
        EXPECT_EQ(oldIds.count(id), 0u);
    // The load's own ID check ends with it.
    EXPECT_FALSE(CVANTIQApp::SetIdClaim(nullptr));

    EXPECT_EQ(Transport<CModemConnection>(u, 1)->GetModemId(), u->Modems().At(0)->GetId());
    EXPECT_EQ(Inst(u, 0)->GetSiteId(), u->Sites().At(1)->GetId());
    EXPECT_EQ(Inst(u, 1)->GetSiteId(), u->Sites().At(3)->GetId());
}

TEST(TextRoundTrip, NamesKeepEveryByteTheQuotesCanHold) {
    const std::vector<std::string> names = {
        "", " padded ", "tab\there", "\x01\xFF\x7F", "back\\slash", "=;[]", "MODEM_NAME", "0x1F"};
    ConfigApp t;
    for (const std::string& name : names) {
        auto* modem = new CModemSettings;
        modem->SetName(name);
        modem->SetOkResponse(name);
        t->Modems().AddTail(modem);
        auto* site = new CSiteConnection;
        site->SetName(name);
        t->Sites().AddTail(site);
    }
    ConfigApp u;
    ASSERT_EQ(LoadText(u, TextOf(*t)), Result::Loaded);
    ASSERT_EQ(u->Modems().GetCount(), names.size());
    ASSERT_EQ(u->Sites().GetCount(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(u->Modems().At(i)->GetName(), names[i]);
        EXPECT_EQ(As<CModemSettings>(u->Modems().At(i))->GetOkResponse(), names[i]);
        EXPECT_EQ(u->Sites().At(i)->GetName(), names[i]);
    }
}

TEST(TextRoundTrip, ExtremeNumbersKeepTheirBits) {
    ConfigApp t;
    auto* inst = new CInstrumentConnection;
    inst->SetPassword(0xFFFFFFFFu);
    inst->SetUsePassword(true);
    inst->SetInstrumentId(-2147483647 - 1);
    inst->SetUseInstrumentId(true);
    inst->SetReceiveTimeout(2147483647);
    t->Instruments().AddTail(inst);
    auto* site = new CSiteConnection;
    As<CCommPortConnection>(site->GetConnection())->SetBaudRate(4000000000u);
    t->Sites().AddTail(site);
    ConfigApp u;
    ASSERT_EQ(LoadText(u, TextOf(*t)), Result::Loaded);
    EXPECT_EQ(Inst(u, 0)->GetPassword(), 0xFFFFFFFFu);
    EXPECT_EQ(Inst(u, 0)->GetInstrumentId(), -2147483647 - 1);
    EXPECT_EQ(Inst(u, 0)->GetReceiveTimeout(), 2147483647);
    EXPECT_EQ(Transport<CCommPortConnection>(u, 0)->GetBaudRate(), 4000000000u);
}

// ---- reading ------------------------------------------------------------------------------

TEST(TextRead, AConnectionTypeAfterThePortLinesLosesThem) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "SITE_NAME = \"late\"\r\n  SITE_COMM_PORT = \"COM7\"\r\n"
                          "  SITE_BAUD_RATE = 1200\r\n  SITE_CONN_TYPE = BUILTINMODEM\r\n"
                          "SITE_NAME = \"same kind\"\r\n  SITE_COMM_PORT = \"COM8\"\r\n"
                          "  SITE_CONN_TYPE = DIRECTCABLE\r\n"),
              Result::Loaded);
    auto* modem = Transport<CModemConnection>(t, 0);
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(modem->GetPortName(), "COM1");
    EXPECT_EQ(modem->GetBaudRate(), 19200u);
    // The kind it already has keeps its settings.
    EXPECT_EQ(Transport<CCommPortConnection>(t, 1)->GetPortName(), "COM8");
}

TEST(TextRead, APortNumberNamesTheComPortAfterIt) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "SITE_NAME = \"a\" SITE_COMM_PORT = 0 SITE_NAME = \"b\" "
                          "SITE_COMM_PORT = 3 SITE_NAME = \"c\""),
              Result::Loaded);
    EXPECT_EQ(Transport<CCommPortConnection>(t, 0)->GetPortName(), "COM1");
    EXPECT_EQ(Transport<CCommPortConnection>(t, 1)->GetPortName(), "COM4");
    // Without SITE_CONN_TYPE a site is a default direct cable.
    EXPECT_EQ(Transport<CCommPortConnection>(t, 2)->GetPortName(), "COM1");
}

TEST(TextRead, NamesResolveOnlyAgainstWhatWasReadBefore) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "INST_NAME = \"early\" INST_SITE = \"Plant\"\r\n"
                          "SITE_NAME = \"Plant\" SITE_CONN_TYPE = BUILTINMODEM "
                          "SITE_MODEM = \"Hayes\"\r\n"
                          "MODEM_NAME = \"Hayes\"\r\n"
                          "SITE_NAME = \"Plant 2\" SITE_CONN_TYPE = BUILTINMODEM "
                          "SITE_MODEM = \"hAYES\"\r\n"
                          "INST_NAME = \"late\" INST_SITE = \"PLANT\"\r\n"
                          "INST_NAME = \"lost\" INST_SITE = \"Nowhere\"\r\n"),
              Result::Loaded);
    EXPECT_EQ(Inst(t, 0)->GetSiteId(), 0u);
    EXPECT_EQ(Transport<CModemConnection>(t, 0)->GetModemId(), 0u);
    EXPECT_EQ(Transport<CModemConnection>(t, 1)->GetModemId(), t->Modems().At(0)->GetId());
    EXPECT_EQ(Inst(t, 1)->GetSiteId(), t->Sites().At(0)->GetId());
    EXPECT_EQ(Inst(t, 2)->GetSiteId(), 0u);
}

TEST(TextRead, AssignmentsComeInAnyOrderAndTheLastWins) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "INST_NAME = \"i\"\r\n  INST_XMIT_DELAY = 5\r\n"
                          "  INST_MODE_VAR_NAME = \"LOST\"\r\n  INST_PORT = 2\r\n"
                          "  INST_XMIT_DELAY = 9\r\n"
                          "INST_NAME = \"j\" INST_PORT = 2 INST_MODE_VAR_NAME = \"KEPT\" "
                          "INST_PORT = 7\r\n"
                          "INST_NAME = \"k\" INST_PORT = 1 INST_MODE_VAR_NAME = \"KEPT\"\r\n"),
              Result::Loaded);
    EXPECT_EQ(Inst(t, 0)->GetTransmitDelay(), 9);
    EXPECT_EQ(Inst(t, 0)->GetModeVarName(), "COM1_MODE");
    EXPECT_EQ(Inst(t, 1)->GetModeVarName(), "RS232_MODE"); // a port resets the name
    EXPECT_EQ(Inst(t, 1)->GetPort(), 7);
    EXPECT_EQ(Inst(t, 2)->GetModeVarName(), "KEPT");
}

TEST(TextRead, ModemBlocksAcceptTheIgnoredKeywordsAndKeepDefaults) {
    ConfigApp t;
    ASSERT_EQ(LoadText(t, "MODEM_NAME = \"M\"\r\n  MODEM_COMMAND_PREFIX = \"AT\"\r\n"
                          "  MODEM_TIMEOUT = 30\r\n  MODEM_PULSE_DIAL = \"ATDP\"\r\n"
                          "  MODEM_VERBAL_RESPONSES = \"V1\"\r\n  MODEM_OK = \"0\"\r\n"),
              Result::Loaded);
    auto* modem = As<CModemSettings>(t->Modems().At(0));
    ASSERT_NE(modem, nullptr);
    EXPECT_EQ(modem->GetName(), "M");
    EXPECT_EQ(modem->GetOkResponse(), "0");
    EXPECT_EQ(modem->GetToneDial(), "ATDT");
    EXPECT_EQ(modem->GetInitialization(), "AT &F E0 M0 Q0 V1");
}

// ---- syntax errors ------------------------------------------------------------------------

TEST(TextSyntax, ErrorsNameTheTokenAndTheLine) {
    struct Case {
        std::string text;
        std::string token;
        int line;
    };
    const std::vector<Case> cases = {
        {"\r\nSITE_NAME = \"s\"\r\n  SITE_COMM_PORT = 1\r\n  INST_ID = 4\r\n", "INST_ID", 4},
        {"\r\nSITE_NAME = \"s\"\r\n  SPEED = 9600\r\n", "SPEED", 3},
        {"MODEM_NAME = \"m\"\r\n  SITE_COMM_PORT = 1\r\n", "SITE_COMM_PORT", 2},
        {"INST_NAME = \"i\"\r\n  INST_PORT = \"2\"\r\n", "2", 2},
        {"INST_NAME = \"i\"\r\n  INST_SITE 3\r\n", "3", 2},
        {"INST_NAME = \"i\"\r\n  MODEM_OK = \"OK\"\r\n", "MODEM_OK", 2},
        {"INST_NAME =\r\n", "<end of file>", 1},
        {"= \"x\"", "=", 1},
        {"\r\n\r\n\"loose\"", "loose", 3},
        {"MODEM_NAME = \"m\" MODEM_TIMEOUT = \"30\"", "30", 1},
        {"MODEM_NAME = \"m\"\r\n MODEM_OK = 5", "5", 2},
        {"SITE_NAME = \"s\" SITE_CONN_TYPE = SERIAL", "SERIAL", 1},
        {"SITE_NAME = \"s\" SITE_CONN_TYPE = 0", "0", 1},
        {"SITE_NAME = \"s\" SITE_TIMEOUT = \"x\"", "x", 1},
        {"SITE_NAME = 5", "5", 1},
        {"SITE_NAME = \"s\" SITE_CONN_TYPE = TCPIP SITE_COMM_PORT = 1", "SITE_COMM_PORT", 1},
        {"SITE_NAME = \"s\"\r\n SITE_TELEPHONE = \"1\"", "SITE_TELEPHONE", 2},
        {"INST_NAME = \"i\"\r\n INST_SELECT = \"open", "\"open", 2},
        {"INST_NAME = \"i\" INST_XMIT_DELAY = 1.5", "1.5", 1},
        {"INST_NAME = \"i\" ; ", ";", 1},
    };
    for (const Case& c : cases) {
        ConfigApp t;
        std::string message;
        EXPECT_EQ(LoadText(t, c.text, &message), Result::SyntaxError) << c.text;
        EXPECT_EQ(message, "Syntax error encountered at '" + c.token + "', on line " +
                               std::to_string(c.line) +
                               " of network configuration file /cfg/net.cfx. File not opened.")
            << c.text;
    }
}

TEST(TextSyntax, TheMessageNamesTheFileByItsFullPath) {
    ConfigApp t;
    std::string message;
    ASSERT_EQ(CNetworkConfigText::LoadBytes(*t, "x", "sub/rel.cfx", message), Result::SyntaxError);
    EXPECT_NE(message.find(" of network configuration file " +
                           fs::absolute("sub/rel.cfx").string() + ". File not opened."),
              std::string::npos)
        << message;
}

TEST(TextSyntax, AnErrorIsLoggedShownAndLeavesTheConfigurationLoaded) {
    TempFolder dir;
    const std::string path = dir.File("bad.cfx");
    WriteAll(path, "\r\nMODEM_NAME = \"new\"\r\n\r\nSITE_NAME = \"s\"\r\n  INST_ID = 4\r\n");
    ConfigApp t;
    t->Log().SetPath(dir.File("Log.txt"));
    t->SetLogFilters(false, false, true);
    t->OpenLog();
    BuildNetwork(*t);
    const uint32_t firstSite = t->Sites().At(0)->GetId();
    t->SetNamed(true);
    t->SetModified(true);
    EXPECT_FALSE(CNetworkConfiguration::LoadSave(*t, path, false, true));
    const std::string expected = "Syntax error encountered at 'INST_ID', on line 5 of network "
                                 "configuration file " +
                                 path + ". File not opened.";
    ASSERT_EQ(t.prompt.asked.size(), 1u);
    EXPECT_EQ(t.prompt.asked[0].text, expected);
    EXPECT_EQ(t.prompt.asked[0].caption, "Error");
    EXPECT_EQ(t.prompt.asked[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(t.ObjectCount(), 7u);
    EXPECT_EQ(t->Sites().At(0)->GetId(), firstSite);
    EXPECT_EQ(t->Modems().At(0)->GetName(), "Hayes");
    EXPECT_TRUE(t->IsModified());
    t->CloseLog();
    const std::string log = ReadAll(dir.File("Log.txt"));
    EXPECT_NE(log.find("Error       ,  " + expected), std::string::npos) << log;
}

TEST(TextSyntax, AFileCutAnywhereLoadsOrFailsWithTheConfigurationUnchanged) {
    const std::string full = kNetworkText;
    ConfigApp t;
    t->Instruments().AddTail(new CInstrumentConnection);
    const uint32_t kept = t->Instruments().At(0)->GetId();
    size_t loaded = 0;
    for (size_t n = 0; n <= full.size(); ++n) {
        std::string message;
        const Result r = LoadText(t, full.substr(0, n), &message);
        ASSERT_NE(r, Result::ReadError) << n;
        if (r == Result::Loaded) {
            ++loaded;
            // Put the marker back for the next cut.
            t->Instruments().DeleteAll();
            t->Modems().DeleteAll();
            t->Sites().DeleteAll();
            auto* marker = new CInstrumentConnection;
            marker->SetId(kept);
            t->Instruments().AddTail(marker);
        } else {
            ASSERT_FALSE(message.empty()) << n;
            ASSERT_EQ(t.ObjectCount(), 1u) << n;
            ASSERT_EQ(t->Instruments().At(0)->GetId(), kept) << n;
        }
    }
    EXPECT_GT(loaded, 0u);
    EXPECT_LT(loaded, full.size());
}

} // namespace
