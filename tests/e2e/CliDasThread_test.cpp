// gasquill-cli das ... as a child process against the simulated instrument over loopback TCP
// and a pseudo-terminal: the bytes on the wire, the script and data files byte for byte, and
// the configuration file that remembers the last download only after a complete one.

#include "E2ESupport.h"

#include "sim/SimDasRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace {

using e2e::Count;
using e2e::RunCli;
using e2e::RunResult;

// Every file of this program lives in one folder of its own, removed at the end.
class DasFolder : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "gasquill-das-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        path = pattern + "/";
    }
    void TearDown() override { std::filesystem::remove_all(path); }
    static inline std::string path;
};
const auto* const kFolder = ::testing::AddGlobalTestEnvironment(new DasFolder);

std::string Fresh(const std::string& name) {
    const std::string p = DasFolder::path + name;
    std::filesystem::remove_all(p);
    return p;
}

struct Sim {
    explicit Sim(const std::string& library, SimConfig::Link link = SimConfig::Link::Tcp,
                 uint32_t records = 30, int year = 2024) {
        config.libraryRevision = library;
        config.clock = SimConfig::Clock{year, 2, 3, 14, 5};
        config.dasRecords = records;
        config.link = link;
        server = std::make_unique<SimServer>(config);
        std::string error;
        EXPECT_TRUE(server->Start(error)) << error;
    }
    std::vector<std::string> Link() const {
        if (config.link == SimConfig::Link::Tcp)
            return {"--tcp", "127.0.0.1:" + std::to_string(server->Port())};
        return {"--serial", server->PtyPath() + ":19200:8N1:none"};
    }
    RunResult Cli(std::vector<std::string> args) const {
        std::vector<std::string> all = Link();
        // A download ends when the instrument has been quiet for the receive time-out.
        all.push_back("--timeout");
        all.push_back("500");
        all.insert(all.end(), args.begin(), args.end());
        return RunCli(all);
    }
    // The DAS commands on the wire, in order, without the connect and disconnect.
    std::string DasWire() const {
        std::string wire = server->Received(), out;
        for (size_t at = wire.find("\x03"
                                   "d ");
             at != std::string::npos; at = wire.find("\x03"
                                                     "d ",
                                                     at + 1))
            out += wire.substr(at + 1, wire.find('\n', at) - at);
        return out;
    }
    void SetFault(SimFault fault) {
        server->WithInstrument([fault](SimInstrument& i) { i.State().config.fault = fault; });
    }

    SimConfig config;
    std::unique_ptr<SimServer> server;
};

std::string Write(const std::string& name, const std::string& text) {
    const std::string p = Fresh(name);
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

// The data file the program should write for a channel's records, from the simulator's own
// values: header, then "yyyy/mm/dd,hh:mm", values left-aligned in 10 with the precision,
// sample counts right-aligned in 10 after ", "; a missing value prints its zeros.
std::string ExpectedFile(const SimConfig& config, const std::string& channelName,
                         const std::vector<std::string>& header, uint32_t first, uint32_t end,
                         bool samples, bool compact) {
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

// ---- das get ----------------------------------------------------------------------------------

TEST(CliDasGet, WritesTheScriptFormByteForByte) {
    struct Row {
        const char* library;
        SimConfig::Link link;
        bool toFile;
    };
    for (const Row& row :
         {Row{"3.0", SimConfig::Link::Tcp, false}, Row{"2.8", SimConfig::Link::Pty, true}}) {
        SCOPED_TRACE(row.library);
        Sim sim(row.library, row.link);
        const std::string file = Fresh("get.txt");
        const RunResult r =
            row.toFile ? sim.Cli({"das", "get", "-o", file}) : sim.Cli({"das", "get"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string expected =
            SimState(sim.config).das.ScriptText(std::string(row.library) == "3.0");
        EXPECT_EQ(row.toFile ? e2e::ReadFile(file) : r.out, expected);
        EXPECT_EQ(sim.DasWire(), kListCommands);
    }
}

// ---- das send ---------------------------------------------------------------------------------

const char* const kScript = "dasbegin\r\n"
                            "  channelbegin\r\n"
                            "    name \"HOURLY\"\r\n"
                            "    event \"ATIMER\"\r\n"
                            "    startdate 2/29/2024\r\n"
                            "    sampleperiod 000:00:05\r\n"
                            "    reportperiod 000:01:00\r\n"
                            "    records 100\r\n"
                            "    report disabled\r\n"
                            "    compact disabled\r\n"
                            "    status enabled\r\n"
                            "    holdoff disabled\r\n"
                            "    paramlistbegin\r\n"
                            "      parameter \"O3CONC\" AVG 2 storesamples\r\n"
                            "    paramlistend\r\n"
                            "  channelend\r\n"
                            "dasend\r\n";

TEST(CliDasSend, SendsTheScriptAndRefusesWhatCannotBeSent) {
    const std::string good = Write("send.txt", kScript);
    const std::string bad =
        Write("bad.txt", std::string(kScript).replace(std::string(kScript).find("2/29"), 1, "13"));
    struct Row {
        const char* library;
        SimFault fault;
        std::string file;
        int exit;
        std::string err;
        bool sent; // the script reached the instrument
    };
    const std::vector<Row> rows = {
        {"3.0", SimFault::None, good, 0, "", true},
        {"3.0", SimFault::NoConfirm, good, 1,
         "Error occurred while sending DAS configuration to instrument. Instrument's DAS "
         "configuration not modified.\n",
         true},
        {"3.0", SimFault::None, bad, 1,
         "Syntax error encountered at '13', on line 5 of DAS configuration script file " + bad +
             ". File not loaded.\n",
         false},
        {"2.3", SimFault::None, good, 1,
         "Unable to send the DAS configuration to Instrument: the instrument has no DAS event "
         "and parameter commands.\n",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.err);
        Sim sim(row.library);
        sim.config.fault = row.fault;
        sim.SetFault(row.fault);
        const RunResult r = sim.Cli({"das", "send", row.file});
        EXPECT_EQ(r.exitCode, row.exit) << r.err;
        EXPECT_EQ(r.err, row.err);
        const std::string wire = sim.server->Received();
        EXPECT_EQ(wire.find(kScript) != std::string::npos, row.sent) << wire;
        if (row.sent) { // the lists come first, then the script lines, unframed
            EXPECT_EQ(sim.DasWire(), kListCommands);
        }
    }
}

// ---- das download -----------------------------------------------------------------------------

TEST(CliDasDownload, DataFilesByteForByteOverTcpAndAPseudoTerminal) {
    struct Row {
        const char* library;
        SimConfig::Link link;
        std::vector<std::string> args;
        std::string command;
        const char* channel;
        std::vector<std::string> header;
        uint32_t first, end;
        bool samples, compact;
    };
    const std::string ozone = "O3CONC (Ozone concentration)";
    const std::vector<Row> rows = {
        {"3.0",
         SimConfig::Link::Tcp,
         {"--channel", "conc", "--select", "records=5", "--samples"},
         "d records \"CONC\"\r\nd report \"CONC\" records=5 hex\r\n",
         "CONC",
         {ozone, "Samples", "SAMPFLOW (Sample flow)"},
         25,
         30,
         true,
         false},
        {"3.0",
         SimConfig::Link::Tcp,
         {"--channel", "CONC"},
         "d records \"CONC\"\r\nd report \"CONC\" hex\r\n",
         "CONC",
         {ozone, "SAMPFLOW (Sample flow)"},
         0,
         30,
         false,
         false},
        {"2.8",
         SimConfig::Link::Pty,
         {"--channel", "daily", "--select", "between=2024-01-20T00:00,2024-01-25T00:00:00"},
         "d records \"DAILY\"\r\nd report \"DAILY\" from=01/20/2024 00:00:00 to=01/25/2024 "
         "00:00:00 hex\r\n",
         "DAILY",
         {ozone, ozone},
         15,
         21,
         false,
         false},
        {"2.8",
         SimConfig::Link::Tcp,
         {"--channel", "daily", "--select", "between=2024-01-20T00:00,2024-01-25T00:00:00",
          "--no-instrument-dates"},
         "d records \"DAILY\"\r\nd report \"DAILY\" hex\r\n",
         "DAILY",
         {ozone, ozone},
         15,
         21,
         false,
         false},
        {"2.2",
         SimConfig::Link::Pty,
         {"--channel", "CalDat"},
         "d print script &\r\nd report \"CALDAT\" compact\r\n",
         "CALDAT",
         {"SLOPE", "OFFSET"},
         0,
         30,
         false,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        Sim sim(row.library, row.link);
        const std::string file = Fresh("data.txt");
        std::vector<std::string> args = {"das", "download", "-o", file};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const RunResult r = sim.Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::string lists = std::string(row.library) >= "2.4" ? kListCommands : "";
        EXPECT_EQ(sim.DasWire(), lists.empty() ? row.command : lists + row.command);
        EXPECT_EQ(e2e::ReadFile(file), ExpectedFile(sim.config, row.channel, row.header, row.first,
                                                    row.end, row.samples, row.compact));
    }
}

TEST(CliDasDownload, OneFilePerChannelUnderItsProposedNameAndAppending) {
    Sim sim("3.0");
    const std::string dir = Fresh("all") + "/";
    std::filesystem::create_directory(dir);
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(sim.Cli({"das", "download", "-o", dir, "--append"}).exitCode, 0);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
    const std::string t = today;
    EXPECT_EQ(names, (std::vector<std::string>{"Instrument-1234-CALDAT-SLOPE-" + t + "-3.txt",
                                               "Instrument-1234-CONC-O3CONC-" + t + "-1.txt",
                                               "Instrument-1234-DAILY-O3CONC-" + t + "-2.txt"}));
    // The second run appended: one header, its rows with ", " between the values.
    const std::string text = e2e::ReadFile(dir + names[1]);
    EXPECT_EQ(Count(text, "Date,Time"), 1u);
    EXPECT_EQ(Count(text, "\r\n"), 61u);
    EXPECT_EQ(Count(text, ", "), 30u * 1 /* per row: one ", " separator */) << text;
}

TEST(CliDasDownload, AChannelWithoutRecordsWritesNoFile) {
    Sim sim("3.0");
    const std::string file = Fresh("none.txt");
    const RunResult r = sim.Cli({"das", "download", "--channel", "conc", "--select",
                                 "between=2020-01-01T00:00,2020-01-02T00:00", "-o", file});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "No records in channel CONC; no file written.\n");
    EXPECT_FALSE(std::filesystem::exists(file));
}

// The "from=" of the last report on the wire, or empty.
std::string LastFrom(const std::string& wire) {
    const size_t at = wire.rfind(" from=");
    return at == std::string::npos ? "" : wire.substr(at + 6, 19);
}

TEST(CliDasDownload, SinceLastContinuesOnlyAfterACompleteDownload) {
    // The instrument's clock is ahead, so that it holds records after each run.
    Sim sim("3.0", SimConfig::Link::Tcp, 30, 2030);
    const std::string text =
        Write("net.cfx", "\r\nSITE_NAME = \"Sim\"\r\n  SITE_CONN_TYPE = TCPIP\r\n"
                         "  SITE_TCPIP_ADDRESS = \"127.0.0.1\"\r\n  SITE_TCPIP_PORT = " +
                             std::to_string(sim.server->Port()) +
                             "\r\n\r\nINST_NAME = \"Ozone\"\r\n  INST_SITE = \"Sim\"\r\n"
                             "  INST_RECV_TIMEOUT = 500\r\n");
    // The standard form, which keeps the DAS configuration.
    const std::string config = Fresh("net.cfg");
    ASSERT_EQ(RunCli({"convert", text, config}).exitCode, 0);
    const std::string dir = Fresh("nightly") + "/";
    std::filesystem::create_directory(dir);
    auto nightly = [&] {
        sim.server->ClearReceived();
        return RunCli({"-c", config, "das", "download", "ozone", "--channel", "conc", "--select",
                       "since-last", "-o", dir});
    };
    // First night: the configuration comes from the instrument, every record is fetched and
    // the file remembers the download.
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(nightly().exitCode, 0);
    EXPECT_EQ(sim.DasWire(), kListCommands + "d records \"CONC\"\r\nd report \"CONC\" hex\r\n");
    const std::string saved = e2e::ReadFile(config);

    // Second night: the link drops halfway through the records. The run fails and the
    // configuration file is left exactly as it was.
    sim.SetFault(SimFault::StopHalfway);
    RunResult r = nightly();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unable to download the DAS records of Ozone.\n");
    EXPECT_EQ(e2e::ReadFile(config), saved);
    const std::string from = LastFrom(sim.server->Received());
    // The configuration's own channels serve: no fetch, and "from=" is one second after
    // the first night's download began.
    EXPECT_EQ(sim.DasWire().find("d print"), std::string::npos);
    std::tm tm{};
    ASSERT_NE(strptime(from.c_str(), "%m/%d/%Y %H:%M:%S", &tm), nullptr) << from;
    const std::time_t fromTime = timegm(&tm);
    EXPECT_GE(fromTime, before + 1);
    EXPECT_LE(fromTime, before + 61);

    // Third night: all well again; it asks from the same second, not from the failed run.
    sim.SetFault(SimFault::None);
    r = nightly();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(LastFrom(sim.server->Received()), from);
    EXPECT_NE(e2e::ReadFile(config), saved);
}

TEST(CliDasUsage, RangesAndPathsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"das", "download", "--select", "records=0"},
        {"das", "download", "--select", "records=10001"},
        {"das", "download", "--select", "hours=25"},
        {"das", "download", "--select", "days=367"},
        {"das", "download", "--select", "weeks=53"},
        {"das", "download", "--select", "months=13"},
        {"das", "download", "--select", "between=2024-01-01T00:00"},
        {"das", "download", "--select", "between=2024-02-30T00:00,2024-03-01T00:00"},
        {"das", "download", "--select", "since"},
        {"das", "download", "--channel", "a", "--channel", "b", "-o", "one.txt"},
        {"das", "get", "a", "b"},
        {"das", "send"},
        {"das"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> all = {"--tcp", "127.0.0.1:1"};
        all.insert(all.end(), args.begin(), args.end());
        const RunResult r = RunCli(all);
        EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
        EXPECT_EQ(r.err.rfind("gasquill-cli: ", 0), 0u) << r.err;
    }
    const RunResult r = RunCli({"--tcp", "127.0.0.1:1", "das", "download", "--select",
                                "between=2106-01-01T00:00,1969-01-01T00:00"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Starting year of 2106 is not supported by the instrument. Please make "
                         "sure the year is between 1970 and 2105.\nEnding year of 1969 is not "
                         "supported by the instrument."),
              std::string::npos)
        << r.err;
}

} // namespace
