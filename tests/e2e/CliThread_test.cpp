// gasquill-cli as a child process against the simulated instrument (in this
// process, over loopback TCP or a pseudo-terminal): its output, its exit
// status, its messages, the files it writes and the commands that reached the
// instrument.

#include "E2ESupport.h"

#include <gtest/gtest.h>

// Table rows name only the simulator settings they change; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using e2e::RunCli;
using e2e::RunResult;
using e2e::Sim;
using e2e::Strings;

// The commands of a session on the wire, without their frame, after checking that the
// session began with the wake-up.
Strings Commands(const std::string& wire) {
    EXPECT_EQ(wire.rfind(e2e::kWakeUp, 0), 0u) << wire;
    Strings out;
    for (size_t at = e2e::kWakeUp.size(), end; (end = wire.find("\r\n", at)) != std::string::npos;
         at = end + 2)
        out.push_back(wire.substr(at + 1, end - at - 1));
    return out;
}

// What the program prints for the display after each of the keys (none: once), as a
// reference copy of the simulated instrument shows it.
std::string Shown(const SimConfig& config, const std::vector<int>& keys) {
    SimInstrument reference(config);
    auto show = [&] {
        const std::string d = reference.DisplayContents();
        return d.substr(0, 40) + "\n" + d.substr(40, 40) + "\n";
    };
    std::string text = keys.empty() ? show() : "";
    for (int key : keys) {
        reference.Receive("\x03k " + std::to_string(key - 1) + "\r\n");
        text += show();
    }
    return text;
}

TEST(CliSession, DisplayKeysAndFailuresWithTheirOutputAndCommands) {
    constexpr auto pty = SimConfig::Link::Pty;
    const Strings connect = {"v RS232_MODE", "/ k disp", "v das_hold_off", "v config"};
    auto plus = [](Strings before, const Strings& more) {
        before.insert(before.end(), more.begin(), more.end());
        return before;
    };
    auto each = [](const Strings& commands, int times) {
        Strings out;
        for (const std::string& c : commands)
            out.insert(out.end(), static_cast<size_t>(times), c);
        return out;
    };
    // Each command of a connect whose every reply ends without an answer, tried three times.
    const Strings unanswered =
        each({"v RS232_MODE", "/ k disp", "k disp", "v das_hold_off", "v config"}, 3);
    const std::string ended = "The instrument's reply ended without its display.\n";
    struct Row {
        const char* name;
        SimConfig config;
        Strings args;
        std::vector<int> keys; // the displays printed after them
        std::string err;       // a failure's whole message; exit status 1
        Strings commands;
    };
    // clang-format off
    const Row rows[] = {
        {"display through garbage", {.fault = SimFault::Garbage}, {"display"}, {}, "", connect},
        {"every command answered only when repeated", {.fault = SimFault::SecondTry}, {"display"}, {}, "", each(connect, 2)},
        // Each attempt ends at the blank line, not at the time-out.
        {"every reply blank at once", {.fault = SimFault::BlankFirst}, {"display"}, {}, ended, unanswered},
        {"no password for an instrument that wants one", {.password = 5}, {"display"}, {}, ended, unanswered},
        {"display with an ID over a slow terminal", {.instrumentId = 200, .replyDelayMs = 20, .link = pty}, {"--id", "200", "display"}, {}, "",
         {"v 200 RS232_MODE", "/ 200 k disp", "v 200 das_hold_off", "v 200 config"}},
        {"keys in order", {}, {"key", "INSTRUMENT", "8", "1", "8", "2"}, {8, 1, 8, 2}, "",
         plus(connect, {"/ k 7", "/ k 0", "/ k 7", "/ k 1"})},
        {"odd display lines skipped", {.fault = SimFault::OddDisplay}, {"display"}, {}, "", connect},
        {"key in the plain form with an ID", {.instrumentId = 200, .slashKeyboard = false}, {"--id", "200", "key", "3"}, {3}, "",
         {"v 200 RS232_MODE", "/ 200 k disp", "/ 200 k disp", "/ 200 k disp", "k 200 disp", "v 200 das_hold_off", "v 200 config", "k 200 2"}},
        // Bit 12 of the mode is cleared and bit 1 added for the session, the rest kept; a
        // mode that needs no change is not written.
        {"mode changed and restored", {.modeValue = 0x1041}, {"display"}, {}, "",
         {"v RS232_MODE", "v RS232_MODE=67", "/ k disp", "v das_hold_off", "v config", "v RS232_MODE=4161"}},
        // The mode change ends the session; the restored mode ends it again, so no log-off.
        {"password and port mode changed and restored", {.password = 42, .modeVarName = "RS232_MODE2", .modeValue = 0x1003},
         {"--password", "42", "--port-mode", "2", "display"}, {}, "",
         {"logon 42", "v RS232_MODE2", "v RS232_MODE2=3", "logon 42", "/ k disp", "v das_hold_off", "v config", "v RS232_MODE2=4099"}},
        {"password and a port mode by name", {.password = 9, .modeVarName = "COM1_MODE"},
         {"--password", "9", "--port-mode", "COM1_MODE", "display"}, {}, "",
         {"logon 9", "v COM1_MODE", "/ k disp", "v das_hold_off", "v config", "logoff "}},
        // Nothing else is asked of an instrument that did not let us in.
        {"refused password", {.password = 1}, {"--password", "2", "display"}, {}, "Unable to log on to instrument.\n",
         {"logon 2", "logon 2", "logon 2"}},
        {"closes during the log-on", {.password = 2, .fault = SimFault::CloseAfter}, {"--password", "2", "display"}, {},
         "Unable to log on to instrument.\n", {"logon 2"}},
        {"closes the link", {.fault = SimFault::CloseAfter}, {"display"}, {}, "The instrument closed the link.\n",
         {"v RS232_MODE"}},
        // An unanswered key is not pressed again, nor is the next one.
        {"key not answered", {.fault = SimFault::Silent, .faultAfter = 4, .link = pty}, {"key", "1", "2"}, {},
         "Timed out waiting for response from instrument.\n", plus(connect, {"/ k 0"})},
    };
    // clang-format on
    TempDir dir; // the simulator also records every session in a file
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimConfig config = row.config;
        config.recordPath = dir.File(row.name);
        const Sim sim(config);
        const RunResult r = sim.Cli(row.args);
        EXPECT_EQ(r.exitCode, row.err.empty() ? 0 : 1);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(r.out, row.err.empty() ? Shown(row.config, row.keys) : "");
        const std::string wire = sim.Wire("\x03" + row.commands.back() + "\r\n");
        EXPECT_EQ(Commands(wire), row.commands);
        EXPECT_EQ(ReadAll(config.recordPath), wire);
    }
    Sim gone;
    gone.server->Stop();
    const RunResult r = gone.Cli({"display"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to connect to site Command Line.\n");
}

TEST(CliInfo, LinesInTheirOrderAndFormat) {
    const RunResult r =
        Sim({.type = "Calibrator", .libraryRevision = "2.3", .serialNumber = "ABC 0042"})
            .Cli({"info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The serial number is the rest of its line, blanks kept.
    EXPECT_EQ(r.out, "Instrument Type: Calibrator\nSerial Number: ABC 0042\n"
                     "Firmware Revision: E.7\nLibrary Revision: 2.3 \nHas AMX: No\n"
                     "Has DAS: Yes\nHas New DAS: No\nHas DAS Hex Command: Yes\n"
                     "Has DAS From/To Commands: No\nHas DAS Records Command: No\n"
                     "Has DAS Script Command: Yes\nHas DAS Event/Parameter Commands: No\n"
                     "Has Calibrator Script Command: Yes\nHas Calibrator Duration Command: Yes\n"
                     "Has Calibrator Level Command: No\nHas Keyboard Slash Command: Yes\n"
                     "Has XON/XOFF Flow Control: No\n");
}

TEST(CliConfiguration, ListFindAndRefuseInstrumentsOfAFile) {
    TempDir dir;
    Sim sim;
    const std::string path = dir.File("sites.cfx");
    WriteAll(path, "\r\nMODEM_NAME = \"Hayes\"\r\n" + sim.NetworkFile() +
                       "\r\nSITE_NAME = \"Lab\"\r\n\r\nINST_NAME = \"Orphan\"\r\n");
    RunResult r = RunCli({"-c", path, "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "modem\tHayes\nsite\tSim\tTCP/IP\nsite\tLab\tDirect Cable\n"
                     "instrument\tOzone\tSim\ninstrument\tOrphan\tLocal Site\n");
    r = RunCli({"--config", path, "--log", dir.File("all.log"), "display", "OZONE"}); // any case
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Shown(sim.config, {}));
    for (const char* category : {"Command", "Response"})
        EXPECT_NE(ReadAll(dir.File("all.log")).find(category), std::string::npos) << category;

    const std::string lonely = dir.File("lonely.cfx");
    WriteAll(lonely, "\r\nINST_NAME = \"Lonely\"\r\n");
    const std::pair<Strings, std::string> failures[] = {
        {{"--config", lonely, "display", "lonely"},
         "Unable to connect to Lonely because the site is invalid.\n"},
        {{"-c", dir.File("none.cfx"), "list"},
         "Unable to load network configuration file " + dir.File("none.cfx") + ".\n"},
    };
    for (const auto& [args, err] : failures) {
        r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << err;
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
    }
}

TEST(CliConvert, TextToStandardAndBackKeepsTheFileAndASyntaxErrorLeavesTheOutputAlone) {
    TempDir dir;
    const std::string text = "\r\nSITE_NAME = \"North\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                             "  SITE_TCPIP_ADDRESS = \"10.0.0.7\"\r\n  SITE_TCPIP_PORT = 3000\r\n"
                             "\r\nINST_NAME = \"Ozone\"\r\n  INST_ID = 200\r\n  INST_PORT = 0\r\n"
                             "  INST_SITE = \"North\"\r\n  INST_RECV_TIMEOUT = 3000\r\n"
                             "  INST_XMIT_DELAY = 10\r\n";
    WriteAll(dir.File("in.cfx"), text);
    RunResult r = RunCli({"convert", dir.File("in.cfx"), dir.File("standard.cfg")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunCli({"convert", dir.File("standard.cfg"), dir.File("back.cfx")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(dir.File("back.cfx")), text);

    WriteAll(dir.File("bad.cfx"), "\r\nSITE_NAME = \"A\"\r\n  X\r\n");
    WriteAll(dir.File("kept.cfx"), "kept");
    r = RunCli({"--log", dir.File("convert.log"), "--log-errors", "convert", dir.File("bad.cfx"),
                dir.File("kept.cfx")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Syntax error encountered at 'X', on line 3"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(dir.File("kept.cfx")), "kept");
    EXPECT_NE(ReadAll(dir.File("convert.log")).find("Error       ,  Syntax error encountered"),
              std::string::npos);
}

// Usage errors exit with 2 and a message on stderr that names the problem;
// help exits with 0 and shows the usage on stdout. No row reaches an instrument.
TEST(CliUsage, MessagesAndHelp) {
    const std::string link = "127.0.0.1:1";
    struct Row {
        Strings args;
        int exit;
        std::string text; // in the first line of stderr, or anywhere on stdout for help
    };
    // clang-format off
    const Row rows[] = {
        {{}, 2, "no command given"},
        {{"bogus"}, 2, "unknown command bogus"},
        {{"--bogus", "display"}, 2, "unknown option --bogus"},
        {{"--tcp", link, "--timeout", "10001", "display"}, 2, "--timeout"},
        {{"--tcp", link, "key"}, 2, ""},
        {{"--tcp", link, "key", "9"}, 2, ""},
        {{"--tcp", "127.0.0.1", "display"}, 2, ""},
        {{"--serial", "/dev/null:19200:8X1", "display"}, 2, ""},
        {{"--id", "3", "display"}, 2, ""},
        {{"--tcp", link, "--serial", "/dev/null", "display"}, 2, ""},
        {{"--tcp", link, "display", "a", "b"}, 2, ""},
        {{"--tcp", link, "display", "Other"}, 2, ""},
        {{"--tcp", link, "das", "download", "--select", "records=0"}, 2, ""},
        {{"--tcp", link, "das", "download", "--select", "months=13"}, 2, ""},
        {{"--tcp", link, "das", "download", "--select", "between=2024-02-30T00:00,2024-03-01T00:00"}, 2, ""},
        {{"--tcp", link, "das", "download", "--select", "since"}, 2, ""},
        {{"--tcp", link, "das", "download", "--channel", "a", "--channel", "b", "-o", "one.txt"}, 2, ""},
        {{"--tcp", link, "das", "download", "--select", "between=2106-01-01T00:00,1969-01-01T00:00"}, 2,
         "Starting year of 2106 is not supported by the instrument. Please make sure the year is between 1970 and 2105.\nEnding year of 1969 is not supported"},
        {{"--tcp", link, "seq", "fetch"}, 2, "A subcommand is required\nTry gasquill-cli seq --help.\n"},
        {{"--tcp", link, "list", "a"}, 2, "list takes no arguments"},
        {{"--help"}, 0, "key [INSTRUMENT] KEY..."},
        {{"key", "--help"}, 0, "usage: gasquill-cli [GLOBAL OPTIONS] key [INSTRUMENT] KEY...\n"},
    };
    // clang-format on
    for (const Row& row : rows) {
        std::string shown;
        for (const std::string& a : row.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const RunResult r = RunCli(row.args);
        EXPECT_EQ(r.exitCode, row.exit) << r.err;
        const std::string& where = row.exit == 0 ? r.out : r.err;
        EXPECT_EQ(row.exit == 0 ? r.err : r.out, "");
        EXPECT_TRUE(row.exit == 0 || r.err.rfind("gasquill-cli: ", 0) == 0) << r.err;
        EXPECT_NE(where.find(row.text), std::string::npos) << where;
    }
}

} // namespace
