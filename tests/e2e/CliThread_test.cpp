// gasquill-cli as a child process against the simulated instrument (in this process, over
// loopback TCP or a pseudo-terminal): its output, its exit status, its messages and the
// bytes that reached the instrument.

#include "E2ESupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

using e2e::Count;
using e2e::Lines;
using e2e::RunCli;
using e2e::RunResult;

const std::string kWakeUp("\x03\x03\r\n\r\n", 6);

struct Sim {
    explicit Sim(SimConfig c, SimConfig::Link link = SimConfig::Link::Tcp) : config(c) {
        config.link = link;
        server = std::make_unique<SimServer>(config);
        std::string error;
        started = server->Start(error);
        EXPECT_TRUE(started) << error;
    }
    std::string Tcp() const { return "127.0.0.1:" + std::to_string(server->Port()); }
    std::string Serial() const { return server->PtyPath() + ":19200:8N1:none"; }
    // Everything the instrument received, once the bytes ending the session are there.
    std::string Wire(const std::string& last) {
        server->WaitForReceived(last, e2e::kWaitLimitMs);
        return server->Received();
    }

    SimConfig config;
    std::unique_ptr<SimServer> server;
    bool started = false;
};

std::string Top(const std::string& display) {
    return display.substr(0, 40);
}
std::string Bottom(const std::string& display) {
    return display.substr(40, 40);
}

std::string WriteConfig(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// ---- display and key -----------------------------------------------------------------------

TEST(CliDisplay, PrintsTheTwoDisplayLinesAndSendsOnlyTheConnectCommands) {
    Sim sim(SimConfig{});
    ASSERT_TRUE(sim.started);
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "display"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string display = e2e::DisplayAfterKeys(sim.config, {});
    EXPECT_EQ(r.out, Top(display) + "\n" + Bottom(display) + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(sim.Wire("config\r\n"),
              kWakeUp + "\x03v RS232_MODE\r\n\x03/ k disp\r\n\x03v das_hold_off\r\n"
                        "\x03v config\r\n");
}

TEST(CliDisplay, OverAPseudoTerminalWithAnInstrumentId) {
    SimConfig c;
    c.instrumentId = 200;
    Sim sim(c, SimConfig::Link::Pty);
    ASSERT_TRUE(sim.started);
    const RunResult r = RunCli({"--serial", sim.Serial(), "--id", "200", "display"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string display = e2e::DisplayAfterKeys(sim.config, {});
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Top(display), Bottom(display)}));
    const std::string wire = sim.Wire("\x03v 200 config\r\n");
    EXPECT_NE(wire.find("\x03/ 200 k disp\r\n"), std::string::npos) << wire;
    EXPECT_NE(wire.find("\x03v 200 RS232_MODE\r\n"), std::string::npos) << wire;
}

TEST(CliKey, PrintsTheDisplayAfterEveryPressInOrder) {
    Sim sim(SimConfig{});
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "key", "8", "1", "8", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> expected;
    std::vector<int> pressed;
    for (int key : {8, 1, 8, 2}) {
        pressed.push_back(key);
        const std::string d = e2e::DisplayAfterKeys(sim.config, pressed);
        expected.push_back(Top(d));
        expected.push_back(Bottom(d));
    }
    EXPECT_EQ(Lines(r.out), expected);
    const std::string wire = sim.Wire("\x03/ k 1\r\n");
    const size_t a = wire.find("\x03/ k 7\r\n");
    const size_t b = wire.find("\x03/ k 0\r\n");
    const size_t c = wire.rfind("\x03/ k 7\r\n");
    const size_t d = wire.find("\x03/ k 1\r\n");
    ASSERT_NE(a, std::string::npos) << wire;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_LT(c, d);
}

TEST(CliKey, KeyThreeInThePlainFormOverAPseudoTerminal) {
    SimConfig c;
    c.slashKeyboard = false;
    Sim sim(c, SimConfig::Link::Pty);
    const RunResult r = RunCli({"--serial", sim.Serial(), "key", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string wire = sim.Wire("\x03k 2\r\n");
    EXPECT_EQ(wire.substr(wire.size() - 6), std::string("\x03k 2\r\n"));
    EXPECT_EQ(Count(wire, "\x03/ k disp\r\n"), 3u);
}

TEST(CliKey, TheInstrumentNameMayComeFirst) {
    Sim sim(SimConfig{});
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "key", "INSTRUMENT", "8"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 2u);
}

// ---- info --------------------------------------------------------------------------------

TEST(CliInfo, CalibratorLinesInTheWindowsOrderAndFormat) {
    SimConfig c;
    c.type = "Calibrator";
    c.softwareRevision = "E.7";
    c.libraryRevision = "2.3";
    c.serialNumber = "4711";
    Sim sim(c);
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 17u) << r.out;
    EXPECT_EQ(lines[0], "Instrument Type: Calibrator");
    EXPECT_EQ(lines[1], "Serial Number: 4711");
    EXPECT_EQ(lines[2], "Firmware Revision: E.7");
    EXPECT_EQ(lines[3], "Library Revision: 2.3 ");
    EXPECT_EQ(lines[4], "Has AMX: No");
    EXPECT_EQ(lines[5], "Has DAS: Yes");
    EXPECT_EQ(lines[6], "Has New DAS: No");
    EXPECT_EQ(lines[7], "Has DAS Hex Command: Yes");
    EXPECT_EQ(lines[8], "Has DAS From/To Commands: No");
    EXPECT_EQ(lines[10], "Has DAS Script Command: Yes");
    EXPECT_EQ(lines[12], "Has Calibrator Script Command: Yes");
    EXPECT_EQ(lines[13], "Has Calibrator Duration Command: Yes");
    EXPECT_EQ(lines[14], "Has Calibrator Level Command: No");
    EXPECT_EQ(lines[15], "Has Keyboard Slash Command: Yes");
    EXPECT_EQ(lines[16], "Has XON/XOFF Flow Control: No");
}

TEST(CliInfo, MonitorWithoutDasSaysNoEverywhereButSlashAndFlowControl) {
    SimConfig c;
    c.hasDas = false;
    c.libraryRevision = "2.8";
    c.softwareRevision = "F.0";
    Sim sim(c);
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], "Instrument Type: Monitor");
    EXPECT_EQ(lines[2], "Firmware Revision: F.0");
    for (size_t i = 4; i < 15; ++i)
        EXPECT_EQ(lines[i].substr(lines[i].size() - 4), ": No") << lines[i];
    EXPECT_EQ(lines[15], "Has Keyboard Slash Command: Yes");
    EXPECT_EQ(lines[16], "Has XON/XOFF Flow Control: Yes");
}

TEST(CliInfo, PasswordAndPortTwoModeChangeAndRestore) {
    SimConfig c;
    c.password = 42;
    c.modeVarName = "RS232_MODE2";
    c.modeValue = 0x1003;
    Sim sim(c);
    const RunResult r = RunCli(
        {"--tcp", sim.Tcp(), "--password", "42", "--port-mode", "2", "--timeout", "500", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string wire = sim.Wire("\x03v RS232_MODE2=4099\r\n");
    EXPECT_EQ(wire.find(kWakeUp + "\x03logon 42\r\n"), 0u) << wire;
    EXPECT_EQ(Count(wire, "\x03logon 42\r\n"), 2u);
    EXPECT_LT(wire.find("\x03v RS232_MODE2=3\r\n"), wire.find("\x03v RS232_MODE2=4099\r\n"));
    EXPECT_EQ(wire.find("logoff"), std::string::npos);
}

TEST(CliInfo, CustomModeVariableAndLogOffAtTheEnd) {
    SimConfig c;
    c.password = 9;
    c.modeVarName = "COM1_MODE";
    Sim sim(c);
    const RunResult r =
        RunCli({"--tcp", sim.Tcp(), "--password", "9", "--port-mode", "COM1_MODE", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string wire = sim.Wire("\x03logoff \r\n");
    EXPECT_NE(wire.find("\x03v COM1_MODE\r\n"), std::string::npos);
    EXPECT_EQ(wire.substr(wire.size() - 10), std::string("\x03logoff \r\n"));
}

// ---- failures ------------------------------------------------------------------------------

TEST(CliFailures, ARefusedPasswordIsReportedWithTheProgramsText) {
    SimConfig c;
    c.password = 1;
    Sim sim(c);
    const RunResult r =
        RunCli({"--tcp", sim.Tcp(), "--password", "2", "--timeout", "500", "display"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to log on to instrument.\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Count(sim.Wire("logon 2"), "\x03logon 2\r\n"), 3u);
}

TEST(CliFailures, NobodyListening) {
    Sim sim(SimConfig{});
    const std::string address = sim.Tcp();
    sim.server->Stop();
    const RunResult r = RunCli({"--tcp", address, "display"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to connect to site Command Line.\n");
}

TEST(CliFailures, AnInstrumentThatClosesTheLinkEndsInATimeOutMessage) {
    SimConfig c;
    c.fault = SimFault::CloseAfter;
    Sim sim(c);
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "--timeout", "500", "display"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Timed out waiting for response from instrument.\n");
    EXPECT_EQ(r.out, "");
}

TEST(CliFailures, AKeyThatIsNotAnsweredStopsThePresses) {
    SimConfig c;
    c.fault = SimFault::Silent;
    c.faultAfter = 4;
    Sim sim(c, SimConfig::Link::Pty);
    const RunResult r = RunCli({"--serial", sim.Serial(), "--timeout", "500", "key", "1", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Timed out waiting for response from instrument.\n");
    EXPECT_EQ(r.out, "");
    // The second key is never sent once the first went unanswered.
    const std::string wire = sim.Wire("\x03/ k 0\r\n");
    EXPECT_EQ(wire.find("\x03/ k 1\r\n"), std::string::npos);
}

TEST(CliFailures, GarbageBeforeEveryReplyStillGivesTheDisplay) {
    SimConfig c;
    c.fault = SimFault::Garbage;
    Sim sim(c);
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "display"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string display = e2e::DisplayAfterKeys(sim.config, {});
    EXPECT_EQ(r.out, Top(display) + "\n" + Bottom(display) + "\n");
}

// ---- configuration files and usage ---------------------------------------------------------

TEST(CliConfiguration, ListShowsModemsSitesAndInstruments) {
    const std::string path = WriteConfig("e2e_list.cfx", "\r\nMODEM_NAME = \"Hayes\"\r\n"
                                                         "\r\nSITE_NAME = \"North\"\r\n"
                                                         "  SITE_CONN_TYPE = TCPIP\r\n"
                                                         "  SITE_TCPIP_ADDRESS = \"127.0.0.1\"\r\n"
                                                         "  SITE_TCPIP_PORT = 5000\r\n"
                                                         "\r\nSITE_NAME = \"Lab\"\r\n"
                                                         "\r\nINST_NAME = \"Ozone\"\r\n"
                                                         "  INST_PORT = 0\r\n"
                                                         "  INST_SITE = \"North\"\r\n"
                                                         "\r\nINST_NAME = \"Orphan\"\r\n");
    const RunResult r = RunCli({"-c", path, "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                                "modem\tHayes", "site\tNorth\tTCP/IP", "site\tLab\tDirect Cable",
                                "instrument\tOzone\tNorth", "instrument\tOrphan\tLocal Site"}));
}

TEST(CliConfiguration, AnInstrumentIsFoundByNameIgnoringCase) {
    Sim sim(SimConfig{});
    const std::string path =
        WriteConfig("e2e_named.cfx", "\r\nSITE_NAME = \"Sim\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                                     "  SITE_TCPIP_ADDRESS = \"127.0.0.1\"\r\n"
                                     "  SITE_TCPIP_PORT = " +
                                         std::to_string(sim.server->Port()) +
                                         "\r\n\r\nINST_NAME = \"Ozone Analyzer\"\r\n"
                                         "  INST_SITE = \"Sim\"\r\n");
    const RunResult r = RunCli({"--config", path, "display", "OZONE analyzer"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 2u);
}

TEST(CliConfiguration, AnInstrumentWithoutASiteIsRefused) {
    const std::string path = WriteConfig("e2e_nosite.cfx", "\r\nINST_NAME = \"Lonely\"\r\n");
    const RunResult r = RunCli({"--config", path, "display", "lonely"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to connect to Lonely because the site is invalid.\n");
}

TEST(CliConfiguration, AMissingFileIsReported) {
    const std::string path = ::testing::TempDir() + "e2e_no_such_file.cfx";
    std::remove(path.c_str());
    const RunResult r = RunCli({"-c", path, "list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to load network configuration file " + path + ".\n");
}

TEST(CliConfiguration, ASyntaxErrorIsReported) {
    const std::string path =
        WriteConfig("e2e_bad.cfx", "\r\nSITE_NAME = \"A\"\r\n  INST_ID = 3\r\n");
    const RunResult r = RunCli({"-c", path, "list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Syntax error encountered at 'INST_ID', on line 3"), std::string::npos)
        << r.err;
}

TEST(CliConvert, TextToStandardAndBackKeepsTheConfiguration) {
    const std::string text = "\r\nMODEM_NAME = \"Hayes\"\r\n"
                             "  MODEM_TONE_DIAL = \"ATDT\"\r\n"
                             "  MODEM_ESCAPE = \"+++\"\r\n"
                             "  MODEM_HANGUP = \"ATH0\"\r\n"
                             "  MODEM_INITIALIZATION_STRING = \"AT&F\"\r\n"
                             "  MODEM_RESET = \"ATZ\"\r\n"
                             "  MODEM_OK = \"OK\"\r\n"
                             "  MODEM_CONNECT = \"CONNECT\"\r\n"
                             "\r\nSITE_NAME = \"North\"\r\n"
                             "  SITE_CONN_TYPE = TCPIP\r\n"
                             "  SITE_TCPIP_ADDRESS = \"10.0.0.7\"\r\n"
                             "  SITE_TCPIP_PORT = 3000\r\n"
                             "\r\nINST_NAME = \"Ozone\"\r\n"
                             "  INST_ID = 200\r\n"
                             "  INST_PORT = 0\r\n"
                             "  INST_SITE = \"North\"\r\n"
                             "  INST_RECV_TIMEOUT = 3000\r\n"
                             "  INST_XMIT_DELAY = 10\r\n";
    const std::string in = WriteConfig("e2e_convert_in.cfx", text);
    const std::string standard = ::testing::TempDir() + "e2e_convert.cfg";
    const std::string back = ::testing::TempDir() + "e2e_convert_back.cfx";
    std::remove(standard.c_str());
    std::remove(back.c_str());
    RunResult r = RunCli({"convert", in, standard});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(e2e::ReadFile(standard).substr(0, 8), std::string("\xB4\xD0\x54\xA5\x14\0\0\0", 8));
    r = RunCli({"convert", standard, back});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(e2e::ReadFile(back), text);
}

TEST(CliConvert, ASyntaxErrorLeavesTheOutputAloneAndReachesTheLog) {
    const std::string in = WriteConfig("e2e_convert_bad.cfx", "\r\nSITE_NAME = \"A\"\r\n  X\r\n");
    const std::string out = WriteConfig("e2e_convert_keep.cfx", "kept");
    const std::string log = ::testing::TempDir() + "e2e_convert.log";
    std::remove(log.c_str());
    const RunResult r = RunCli({"--log", log, "--log-errors", "convert", in, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Syntax error encountered at 'X', on line 3"), std::string::npos) << r.err;
    EXPECT_EQ(e2e::ReadFile(out), "kept");
    const std::string logged = e2e::ReadFile(log);
    EXPECT_NE(logged.find("Error       ,  Syntax error encountered at 'X'"), std::string::npos)
        << logged;
}

TEST(CliUsage, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"--tcp", "127.0.0.1:1", "key"},
        {"--tcp", "127.0.0.1:1", "key", "9"},
        {"--tcp", "127.0.0.1:1", "key", "0"},
        {"--tcp", "127.0.0.1:1", "--timeout", "400", "display"},
        {"--tcp", "127.0.0.1:1", "--timeout", "10001", "display"},
        {"--tcp", "127.0.0.1:1", "--id", "10000", "display"},
        {"--tcp", "127.0.0.1:1", "--password", "1000000", "display"},
        {"--tcp", "127.0.0.1", "display"},
        {"--serial", "/dev/null:19200:8X1", "display"},
        {"--serial", "/dev/null:19200:8N1:maybe", "display"},
        {"--id", "3", "display"},
        {"--tcp", "127.0.0.1:1", "--serial", "/dev/null", "display"},
        {"--tcp", "127.0.0.1:1", "display", "a", "b"},
        {"--tcp", "127.0.0.1:1", "list", "x"},
        {"--tcp", "127.0.0.1:1", "display", "Other"},
    };
    for (const auto& args : cases) {
        const RunResult r = RunCli(args);
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(r.exitCode, 2) << shown << r.err;
        EXPECT_NE(r.err.find("gasquill-cli: "), std::string::npos) << shown;
        EXPECT_EQ(r.out, "") << shown;
    }
}

TEST(CliUsage, HelpListsEveryCommand) {
    const RunResult r = RunCli({"--help"});
    ASSERT_EQ(r.exitCode, 0);
    for (const char* command : {"list", "info [INSTRUMENT]", "display [INSTRUMENT]",
                                "key [INSTRUMENT] KEY...", "--serial SETTINGS", "--port-mode"})
        EXPECT_NE(r.out.find(command), std::string::npos) << command;
}

TEST(CliUsage, EveryCommandHasItsOwnHelp) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"list", "list"},
        {"info", "info [INSTRUMENT]"},
        {"display", "display [INSTRUMENT]"},
        {"key", "key [INSTRUMENT] KEY..."},
        {"convert", "convert IN OUT"},
    };
    for (const auto& [command, usage] : cases) {
        const RunResult r = RunCli({command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_NE(r.out.find("usage: gasquill-cli [GLOBAL OPTIONS] " + usage + "\n"),
                  std::string::npos)
            << command << ": " << r.out;
        EXPECT_EQ(r.err, "") << command;
    }
}

TEST(CliUsage, TheMessageComesFirstAndNamesTheProblem) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--timeout", "400", "--tcp", "127.0.0.1:1", "display"}, "--timeout"},
        {{"--bogus", "display"}, "unknown option --bogus"},
        {{"bogus"}, "unknown command bogus"},
        {{}, "no command given"},
    };
    for (const auto& [args, what] : cases) {
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << what;
        EXPECT_EQ(r.err.find("gasquill-cli: "), 0u) << r.err;
        EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(what), std::string::npos) << r.err;
    }
}

TEST(CliLog, FiltersChooseTheCategories) {
    Sim sim(SimConfig{});
    const std::string all = ::testing::TempDir() + "e2e_all.log";
    const std::string errors = ::testing::TempDir() + "e2e_errors.log";
    std::remove(all.c_str());
    std::remove(errors.c_str());
    ASSERT_EQ(RunCli({"--tcp", sim.Tcp(), "--log", all, "display"}).exitCode, 0);
    ASSERT_EQ(RunCli({"--tcp", sim.Tcp(), "--log", errors, "--log-errors", "display"}).exitCode, 0);
    const std::string a = e2e::ReadFile(all), e = e2e::ReadFile(errors);
    EXPECT_NE(a.find("Command"), std::string::npos) << a;
    EXPECT_NE(a.find("Response"), std::string::npos) << a;
    EXPECT_EQ(e.find("Command"), std::string::npos) << e;
    EXPECT_EQ(e.find("Response"), std::string::npos) << e;
}

} // namespace
