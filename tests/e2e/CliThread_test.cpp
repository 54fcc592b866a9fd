// gasquill-cli as a child process against the simulated instrument (in this
// process, over loopback TCP or a pseudo-terminal): its output, its exit
// status, its messages and the bytes that reached the instrument.

#include "E2ESupport.h"

#include <gtest/gtest.h>

namespace {

using e2e::Count;
using e2e::kWakeUp;
using e2e::Lines;
using e2e::RunCli;
using e2e::RunResult;
using Strings = std::vector<std::string>;

struct Sim {
    explicit Sim(SimConfig c = {}, SimConfig::Link link = SimConfig::Link::Tcp) : config(c) {
        config.link = link;
        server = std::make_unique<SimServer>(config);
        std::string error;
        EXPECT_TRUE(server->Start(error)) << error;
    }
    std::string Tcp() const { return "127.0.0.1:" + std::to_string(server->Port()); }
    std::string Serial() const { return server->PtyPath() + ":19200:8N1:none"; }
    // Everything the instrument received, once the bytes ending the session are
    // there.
    std::string Wire(const std::string& last) {
        server->WaitForReceived(last, e2e::kWaitLimitMs);
        return server->Received();
    }
    SimConfig config;
    std::unique_ptr<SimServer> server;
};

TEST(CliDisplay, PrintsTheTwoDisplayLinesAndSendsOnlyTheConnectCommands) {
    Sim sim;
    RunResult r = RunCli({"--tcp", sim.Tcp(), "display"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), e2e::DisplayAfterKeys(sim.config, {}));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(sim.Wire("config\r\n"), kWakeUp + "\x03v RS232_MODE\r\n\x03/ k disp\r\n"
                                                "\x03v das_hold_off\r\n\x03v config\r\n");
    // Garbage before every reply still gives the display.
    SimConfig c;
    c.fault = SimFault::Garbage;
    Sim garbage(c);
    r = RunCli({"--tcp", garbage.Tcp(), "display"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), e2e::DisplayAfterKeys(c, {}));
}

TEST(CliDisplay, OverAPseudoTerminalWithAnInstrumentId) {
    SimConfig c;
    c.instrumentId = 200;
    Sim sim(c, SimConfig::Link::Pty);
    const RunResult r = RunCli({"--serial", sim.Serial(), "--id", "200", "display"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), e2e::DisplayAfterKeys(sim.config, {}));
    const std::string wire = sim.Wire("\x03v 200 config\r\n");
    EXPECT_NE(wire.find("\x03/ 200 k disp\r\n"), std::string::npos) << wire;
    EXPECT_NE(wire.find("\x03v 200 RS232_MODE\r\n"), std::string::npos) << wire;
}

TEST(CliKey, PrintsTheDisplayAfterEveryPressInOrder) {
    Sim sim;
    const RunResult r = RunCli({"--tcp", sim.Tcp(), "key", "INSTRUMENT", "8", "1", "8", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Strings expected;
    std::vector<int> pressed;
    for (int key : {8, 1, 8, 2}) {
        pressed.push_back(key);
        for (const std::string& line : e2e::DisplayAfterKeys(sim.config, pressed))
            expected.push_back(line);
    }
    EXPECT_EQ(Lines(r.out), expected);
    std::string keys;
    const std::string wire = sim.Wire("\x03/ k 1\r\n");
    for (size_t at = wire.find("\x03/ k "); at != std::string::npos;
         at = wire.find("\x03/ k ", at + 1))
        keys += wire.substr(at + 5, wire.find('\r', at) - at - 5) + ";";
    EXPECT_EQ(keys, "disp;7;0;7;1;") << wire;
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

TEST(CliInfo, CalibratorAndMonitorLinesInTheirOrderAndFormat) {
    SimConfig c;
    c.type = "Calibrator";
    c.softwareRevision = "E.7";
    c.libraryRevision = "2.3";
    c.serialNumber = "4711";
    Sim sim(c);
    RunResult r = RunCli({"--tcp", sim.Tcp(), "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Strings lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 17u) << r.out;
    lines.erase(lines.begin() + 11);
    lines.erase(lines.begin() + 9);
    EXPECT_EQ(
        lines,
        (Strings{"Instrument Type: Calibrator", "Serial Number: 4711", "Firmware Revision: E.7",
                 "Library Revision: 2.3 ", "Has AMX: No", "Has DAS: Yes", "Has New DAS: No",
                 "Has DAS Hex Command: Yes", "Has DAS From/To Commands: No",
                 "Has DAS Script Command: Yes", "Has Calibrator Script Command: Yes",
                 "Has Calibrator Duration Command: Yes", "Has Calibrator Level Command: No",
                 "Has Keyboard Slash Command: Yes", "Has XON/XOFF Flow Control: No"}));
    c = {};
    c.hasDas = false;
    c.libraryRevision = "2.8";
    Sim monitor(c);
    r = RunCli({"--tcp", monitor.Tcp(), "info"});
    lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 17u) << r.out;
    EXPECT_EQ(lines[0], "Instrument Type: Monitor");
    for (size_t i = 4; i < 15; ++i)
        EXPECT_EQ(lines[i].substr(lines[i].size() - 4), ": No") << lines[i];
    EXPECT_EQ(lines[16], "Has XON/XOFF Flow Control: Yes");
}

TEST(CliInfo, PasswordAndPortModeChangeAndRestore) {
    SimConfig c;
    c.password = 42;
    c.modeVarName = "RS232_MODE2";
    c.modeValue = 0x1003;
    Sim sim(c);
    RunResult r = RunCli(
        {"--tcp", sim.Tcp(), "--password", "42", "--port-mode", "2", "--timeout", "500", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string wire = sim.Wire("\x03v RS232_MODE2=4099\r\n");
    EXPECT_EQ(wire.find(kWakeUp + "\x03logon 42\r\n"), 0u) << wire;
    EXPECT_EQ(Count(wire, "\x03logon 42\r\n"),
              2u); // the mode change ends the session
    EXPECT_LT(wire.find("\x03v RS232_MODE2=3\r\n"), wire.find("\x03v RS232_MODE2=4099\r\n"));
    EXPECT_EQ(wire.find("logoff"), std::string::npos);

    c.password = 9;
    c.modeVarName = "COM1_MODE";
    c.modeValue = 3;
    Sim custom(c);
    r = RunCli({"--tcp", custom.Tcp(), "--password", "9", "--port-mode", "COM1_MODE", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    wire = custom.Wire("\x03logoff \r\n");
    EXPECT_NE(wire.find("\x03v COM1_MODE\r\n"), std::string::npos);
    EXPECT_EQ(wire.substr(wire.size() - 10), std::string("\x03logoff \r\n"));
}

TEST(CliFailures, EachFaultEndsWithExitOneAndItsMessage) {
    struct Row {
        const char* name;
        SimFault fault;
        unsigned after;
        int password;
        SimConfig::Link link;
        Strings args;
        std::string err;
    };
    const std::string timedOut = "Timed out waiting for response from instrument.\n";
    const Row rows[] = {
        {"refused password",
         SimFault::None,
         0,
         1,
         SimConfig::Link::Tcp,
         {"--password", "2", "display"},
         "Unable to log on to instrument.\n"},
        {"closes the link",
         SimFault::CloseAfter,
         0,
         0,
         SimConfig::Link::Tcp,
         {"display"},
         "The instrument closed the link.\n"},
        // The second key is never sent once the first went unanswered.
        {"key not answered",
         SimFault::Silent,
         4,
         0,
         SimConfig::Link::Pty,
         {"key", "1", "2"},
         timedOut},
        {"nobody listening",
         SimFault::None,
         0,
         0,
         SimConfig::Link::Tcp,
         {"display"},
         "Unable to connect to site Command Line.\n"},
    };
    for (const Row& row : rows) {
        SimConfig c;
        c.fault = row.fault;
        c.faultAfter = row.after;
        if (row.password)
            c.password = row.password;
        Sim sim(c, row.link);
        Strings args = {row.link == SimConfig::Link::Tcp ? "--tcp" : "--serial",
                        row.link == SimConfig::Link::Tcp ? sim.Tcp() : sim.Serial(), "--timeout",
                        "500"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        if (std::string(row.name) == "nobody listening")
            sim.server->Stop();
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << row.name;
        EXPECT_EQ(r.err, row.err) << row.name;
        EXPECT_EQ(r.out, "") << row.name;
        const std::string wire = sim.server->Received();
        EXPECT_EQ(Count(wire, "\x03logon 2\r\n"), row.password ? 3u : 0u) << row.name;
        EXPECT_EQ(wire.find("\x03/ k 1\r\n"), std::string::npos) << row.name;
    }
}

// ---- configuration files and usage
// ---------------------------------------------------------

TEST(CliConfiguration, ListFindAndRefuseInstrumentsOfAFile) {
    conntest::ScratchDir dir;
    Sim sim;
    const std::string path = dir.Write(
        "sites.cfx", "\r\nMODEM_NAME = \"Hayes\"\r\n\r\nSITE_NAME = \"North\"\r\n"
                     "  SITE_CONN_TYPE = TCPIP\r\n  SITE_TCPIP_ADDRESS = \"127.0.0.1\"\r\n"
                     "  SITE_TCPIP_PORT = " +
                         std::to_string(sim.server->Port()) +
                         "\r\n\r\nSITE_NAME = \"Lab\"\r\n\r\nINST_NAME = \"Ozone "
                         "Analyzer\"\r\n"
                         "  INST_PORT = 0\r\n  INST_SITE = \"North\"\r\n"
                         "\r\nINST_NAME = \"Orphan\"\r\n");
    RunResult r = RunCli({"-c", path, "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out),
              (Strings{"modem\tHayes", "site\tNorth\tTCP/IP", "site\tLab\tDirect Cable",
                       "instrument\tOzone Analyzer\tNorth", "instrument\tOrphan\tLocal Site"}));
    r = RunCli({"--config", path, "display", "OZONE analyzer"}); // names ignore case
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 2u);

    const std::string lonely = dir.Write("lonely.cfx", "\r\nINST_NAME = \"Lonely\"\r\n");
    const std::string bad = dir.Write("bad.cfx", "\r\nSITE_NAME = \"A\"\r\n  INST_ID = 3\r\n");
    const std::pair<Strings, std::string> failures[] = {
        {{"--config", lonely, "display", "lonely"},
         "Unable to connect to Lonely because the site is invalid.\n"},
        {{"-c", dir.Path("none.cfx"), "list"},
         "Unable to load network configuration file " + dir.Path("none.cfx") + ".\n"},
        {{"-c", bad, "list"}, "Syntax error encountered at 'INST_ID', on line 3"},
    };
    for (const auto& [args, err] : failures) {
        r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << err;
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
    }
}

TEST(CliConvert, TextToStandardAndBackKeepsTheFileAndASyntaxErrorLeavesTheOutputAlone) {
    conntest::ScratchDir dir;
    const std::string text = "\r\nMODEM_NAME = \"Hayes\"\r\n  MODEM_TONE_DIAL = \"ATDT\"\r\n"
                             "  MODEM_ESCAPE = \"+++\"\r\n  MODEM_HANGUP = \"ATH0\"\r\n"
                             "  MODEM_INITIALIZATION_STRING = \"AT&F\"\r\n"
                             "  MODEM_RESET = \"ATZ\"\r\n  MODEM_OK = \"OK\"\r\n"
                             "  MODEM_CONNECT = \"CONNECT\"\r\n"
                             "\r\nSITE_NAME = \"North\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                             "  SITE_TCPIP_ADDRESS = \"10.0.0.7\"\r\n  SITE_TCPIP_PORT = 3000\r\n"
                             "\r\nINST_NAME = \"Ozone\"\r\n  INST_ID = 200\r\n  INST_PORT = 0\r\n"
                             "  INST_SITE = \"North\"\r\n  INST_RECV_TIMEOUT = 3000\r\n"
                             "  INST_XMIT_DELAY = 10\r\n";
    const std::string in = dir.Write("in.cfx", text);
    RunResult r = RunCli({"convert", in, dir.Path("standard.cfg")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(e2e::ReadFile(dir.Path("standard.cfg")).substr(0, 8),
              std::string("\xB4\xD0\x54\xA5\x14\0\0\0", 8));
    r = RunCli({"convert", dir.Path("standard.cfg"), dir.Path("back.cfx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(e2e::ReadFile(dir.Path("back.cfx")), text);

    const std::string bad = dir.Write("bad.cfx", "\r\nSITE_NAME = \"A\"\r\n  X\r\n");
    const std::string kept = dir.Write("kept.cfx", "kept");
    r = RunCli({"--log", dir.Path("convert.log"), "--log-errors", "convert", bad, kept});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Syntax error encountered at 'X', on line 3"), std::string::npos) << r.err;
    EXPECT_EQ(e2e::ReadFile(kept), "kept");
    EXPECT_NE(e2e::ReadFile(dir.Path("convert.log"))
                  .find("Error       ,  Syntax error encountered at 'X'"),
              std::string::npos);
}

TEST(CliUsage, UsageErrorsExitWithTwoAndHelpListsEveryCommand) {
    const std::vector<Strings> cases = {
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
    conntest::ScratchDir dir;
    Sim sim;
    ASSERT_EQ(RunCli({"--tcp", sim.Tcp(), "--log", dir.Path("all.log"), "display"}).exitCode, 0);
    ASSERT_EQ(
        RunCli({"--tcp", sim.Tcp(), "--log", dir.Path("errors.log"), "--log-errors", "display"})
            .exitCode,
        0);
    const std::string all = e2e::ReadFile(dir.Path("all.log"));
    const std::string errors = e2e::ReadFile(dir.Path("errors.log"));
    for (const char* category : {"Command", "Response"}) {
        EXPECT_NE(all.find(category), std::string::npos) << all;
        EXPECT_EQ(errors.find(category), std::string::npos) << errors;
    }
}

} // namespace
