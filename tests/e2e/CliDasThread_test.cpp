// gasquill-cli das ... as a child process against the simulated instrument over loopback TCP
// and a pseudo-terminal: the bytes on the wire, the script and data files byte for byte, and
// the configuration file that remembers the last download only after a complete one.

#include "E2ESupport.h"

#include "sim/SimDasRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <sstream>

namespace {

using e2e::Count;
using e2e::RunCli;
using e2e::RunResult;
using e2e::Sim;
using e2e::Strings;

constexpr auto kTcp = SimConfig::Link::Tcp;
constexpr auto kPty = SimConfig::Link::Pty;

SimConfig Das(const std::string& library, SimConfig::Link link = kTcp, int year = 2024) {
    SimConfig c;
    c.libraryRevision = library;
    c.clock = SimConfig::Clock{year, 2, 3, 14, 5};
    c.dasRecords = 30;
    c.link = link;
    return c;
}

// The DAS commands on the wire, in order, without the connect and disconnect.
std::string DasWire(const Sim& sim) {
    std::istringstream wire(sim.server->Received());
    std::string out;
    for (std::string line; std::getline(wire, line);)
        if (line.rfind(std::string(1, '\x03') + "d ", 0) == 0)
            out += line.substr(1) + "\n";
    return out;
}

void SetFault(Sim& sim, SimFault fault) {
    sim.server->WithInstrument([fault](SimInstrument& i) { i.State().config.fault = fault; });
}

// The data file the program should write for a channel's records, from the simulator's own
// values: header, then "yyyy/mm/dd,hh:mm", values left-aligned in 10 with the precision,
// sample counts right-aligned in 10 after ", "; a missing value prints its zeros.
std::string ExpectedFile(const SimConfig& config, const std::string& channelName,
                         const Strings& header, uint32_t first, uint32_t end, bool samples,
                         bool compact) {
    SimState state(config);
    const SimDasChannel& c = *state.das.FindChannel(channelName);
    const SimDasRecords records(c, state.das.IsTimerChannel(c), state.ClockSeconds());
    std::string text = "Date,Time";
    for (const std::string& h : header)
        text += "," + h;
    text += "\r\n";
    char buf[64];
    for (uint32_t i = first; i < end; ++i) {
        const std::time_t t = static_cast<std::time_t>(records.Time(i));
        std::tm tm{};
        gmtime_r(&t, &tm);
        std::snprintf(buf, sizeof buf, "%d/%02d/%02d,%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                      tm.tm_mday, tm.tm_hour, tm.tm_min);
        text += buf;
        for (size_t k = 0; k < c.parameters.size(); ++k) {
            const float v = records.Value(i, k);
            double value = std::isnan(v) ? 0.0 : static_cast<double>(v);
            if (compact && !std::isnan(v)) { // the value went through its printed form
                std::snprintf(buf, sizeof buf, "%.*f", c.parameters[k].precision, value);
                value = std::strtod(buf, nullptr);
            }
            std::snprintf(buf, sizeof buf, ",%-10.*f", c.parameters[k].precision, value);
            text += buf;
            if (samples && c.parameters[k].storeSamples) {
                std::snprintf(buf, sizeof buf, ", %10d", records.Samples(i, k));
                text += buf;
            }
        }
        text += "\r\n";
    }
    return text;
}

const std::string kListCommands = "d records\r\nd event\r\nd parameter\r\nd print script &\r\n";

TEST(CliDasGet, WritesTheScriptFormByteForByte) {
    TempDir dir;
    for (const auto& [library, link] : {std::pair("3.0", kTcp), std::pair("2.8", kPty)}) {
        SCOPED_TRACE(library);
        const Sim sim(Das(library, link));
        const bool toFile = link == kPty;
        const RunResult r =
            toFile ? sim.Cli({"das", "get", "-o", dir.File("get.txt")}) : sim.Cli({"das", "get"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(toFile ? ReadAll(dir.File("get.txt")) : r.out,
                  SimState(sim.config).das.ScriptText(std::string(library) == "3.0"));
        EXPECT_EQ(DasWire(sim), kListCommands);
    }
}

TEST(CliDasSend, SendsTheScriptAndRefusesWhatCannotBeSent) {
    // The instrument's own script, sent back; in the bad one a month 13 on its fifth line.
    const std::string script = SimState(Das("3.0")).das.ScriptText(true);
    TempDir dir;
    const std::string good = dir.File("send.txt"), bad = dir.File("bad.txt");
    WriteAll(good, script);
    WriteAll(bad, std::string(script).replace(script.find("startdate 1/") + 10, 1, "13"));
    struct Row {
        const char* library;
        SimFault fault;
        std::string file;
        std::string err; // the whole of stderr; exit status 1 unless empty
        bool sent;       // the script reached the instrument
    };
    // clang-format off
    const Row rows[] = {
        {"3.0", SimFault::None, good, "", true},
        {"3.0", SimFault::NoConfirm, good,
         "Error occurred while sending DAS configuration to instrument. Instrument's DAS configuration not modified.\n", true},
        {"3.0", SimFault::None, bad,
         "Syntax error encountered at '13', on line 5 of DAS configuration script file " + bad + ". File not loaded.\n", false},
        {"2.3", SimFault::None, good,
         "Unable to send the DAS configuration to Instrument: the instrument has no DAS event and parameter commands.\n", false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.err);
        Sim sim(Das(row.library));
        SetFault(sim, row.fault);
        const RunResult r = sim.Cli({"das", "send", row.file});
        EXPECT_EQ(r.exitCode, row.err.empty() ? 0 : 1);
        EXPECT_EQ(r.err, row.err);
        const std::string wire = sim.server->Received();
        EXPECT_EQ(wire.find(script) != std::string::npos, row.sent) << wire;
        if (row.sent) { // the lists come first, then the script lines, unframed
            EXPECT_EQ(DasWire(sim), kListCommands);
        }
    }
}

TEST(CliDasDownload, DataFilesByteForByteOverTcpAndAPseudoTerminal) {
    const std::string ozone = "O3CONC (Ozone concentration)";
    const std::string between = "between=2024-01-20T00:00,2024-01-25T00:00:00";
    struct Row {
        const char* library;
        SimConfig::Link link;
        Strings args;
        std::string command;
        const char* channel;
        Strings header;
        uint32_t first, end; // the records in the file; none: no file
        bool samples, compact;
        std::string err;
    };
    // clang-format off
    const Row rows[] = {
        {"3.0", kTcp, {"--channel", "conc", "--select", "records=5", "--samples"},
         "d records \"CONC\"\r\nd report \"CONC\" records=5 hex\r\n",
         "CONC", {ozone, "Samples", "SAMPFLOW (Sample flow)"}, 25, 30, true, false, ""},
        {"2.8", kPty, {"--channel", "daily", "--select", between},
         "d records \"DAILY\"\r\nd report \"DAILY\" from=01/20/2024 00:00:00 to=01/25/2024 00:00:00 hex\r\n",
         "DAILY", {ozone, ozone}, 15, 21, false, false, ""},
        {"2.8", kTcp, {"--channel", "daily", "--select", between, "--no-instrument-dates"},
         "d records \"DAILY\"\r\nd report \"DAILY\" hex\r\n",
         "DAILY", {ozone, ozone}, 15, 21, false, false, ""},
        {"2.0", kPty, {"--channel", "CalDat"},
         "d print\r\nd report \"CALDAT\" compact\r\n",
         "CALDAT", {"SLOPE", "OFFSET"}, 0, 30, false, true, ""},
        {"3.0", kTcp, {"--channel", "conc", "--select", "between=2020-01-01T00:00,2020-01-02T00:00"},
         "d records \"CONC\"\r\nd report \"CONC\" from=01/01/2020 00:00:00 to=01/02/2020 00:00:00 hex\r\n",
         "CONC", {}, 0, 0, false, false, "No records in channel CONC; no file written.\n"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        TempDir dir;
        const Sim sim(Das(row.library, row.link));
        Strings args = {"das", "download", "-o", dir.File("data.txt")};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const RunResult r = sim.Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, row.err);
        const std::string lists = std::string(row.library) >= "2.4" ? kListCommands : "";
        EXPECT_EQ(DasWire(sim), lists + row.command);
        const bool written = std::filesystem::exists(dir.File("data.txt"));
        ASSERT_EQ(written, row.end > 0);
        if (written) {
            EXPECT_EQ(ReadAll(dir.File("data.txt")),
                      ExpectedFile(sim.config, row.channel, row.header, row.first, row.end,
                                   row.samples, row.compact));
        }
    }
}

TEST(CliDasDownload, OneFilePerChannelUnderItsProposedNameAndAppending) {
    const Sim sim(Das("3.0"));
    TempDir dir;
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(sim.Cli({"das", "download", "-o", dir.path.string() + "/", "--append"}).exitCode,
                  0);
    Strings names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
    const std::string t = today;
    EXPECT_EQ(names, (Strings{"Instrument-1234-CALDAT-SLOPE-" + t + "-3.txt",
                              "Instrument-1234-CONC-O3CONC-" + t + "-1.txt",
                              "Instrument-1234-DAILY-O3CONC-" + t + "-2.txt"}));
    // The second run appended: one header.
    const std::string text = ReadAll(dir.File(names[1]));
    EXPECT_EQ(Count(text, "Date,Time"), 1u);
    EXPECT_EQ(Count(text, "\r\n"), 61u) << text;
}

// The "from=" of the last report on the wire, or empty.
std::string LastFrom(const std::string& wire) {
    const size_t at = wire.rfind(" from=");
    return at == std::string::npos ? "" : wire.substr(at + 6, 19);
}

TEST(CliDasDownload, SinceLastContinuesOnlyAfterACompleteDownload) {
    // The instrument's clock is ahead, so that it holds records after each run.
    Sim sim(Das("3.0", kTcp, 2030));
    TempDir dir;
    WriteAll(dir.File("net.cfx"), sim.NetworkFile());
    // The standard form, which keeps the DAS configuration.
    const std::string config = dir.File("net.cfg");
    ASSERT_EQ(RunCli({"convert", dir.File("net.cfx"), config}).exitCode, 0);
    auto nightly = [&] {
        sim.server->ClearReceived();
        return RunCli({"-c", config, "das", "download", "ozone", "--channel", "conc", "--select",
                       "since-last", "-o", dir.path.string() + "/"});
    };
    // First night: the configuration comes from the instrument, every record is fetched and
    // the file remembers the download.
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(nightly().exitCode, 0);
    EXPECT_EQ(DasWire(sim), kListCommands + "d records \"CONC\"\r\nd report \"CONC\" hex\r\n");
    const std::string saved = ReadAll(config);

    // Second night: the link drops halfway through the records. The run fails and the
    // configuration file is left exactly as it was.
    SetFault(sim, SimFault::StopHalfway);
    RunResult r = nightly();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to download the DAS records of Ozone.\n");
    EXPECT_EQ(ReadAll(config), saved);
    const std::string from = LastFrom(sim.server->Received());
    // The configuration's own channels serve: no fetch, and "from=" is one second after
    // the first night's download began.
    EXPECT_EQ(DasWire(sim).find("d print"), std::string::npos);
    std::tm tm{};
    ASSERT_NE(strptime(from.c_str(), "%m/%d/%Y %H:%M:%S", &tm), nullptr) << from;
    const std::time_t fromTime = timegm(&tm);
    EXPECT_GE(fromTime, before + 1);
    EXPECT_LE(fromTime, before + 61);

    // Third night: all well again; it asks from the same second, not from the failed run.
    SetFault(sim, SimFault::None);
    r = nightly();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(LastFrom(sim.server->Received()), from);
    EXPECT_NE(ReadAll(config), saved);
}

} // namespace
