// gasquill-cli seq get and seq send as a child process against the simulated Calibrator:
// the script written, the bytes that reached the instrument, and the failures.

#include "E2ESupport.h"
#include "sim/SimSequences.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using e2e::RunCli;
using e2e::RunResult;

// One folder for this test program, removed at its end.
class SeqCliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = ::testing::TempDir() + "gasquill-seqcli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        s_folder = pattern;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_folder); }
    static std::string Write(const std::string& name, const std::string& text) {
        const std::string path = s_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string s_folder;
};
std::string SeqCliTest::s_folder;

struct Sim {
    explicit Sim(const std::string& type, SimFault fault = SimFault::None) {
        config.type = type;
        config.fault = fault;
        server = std::make_unique<SimServer>(config);
        std::string error;
        started = server->Start(error);
        EXPECT_TRUE(started) << error;
    }
    std::string Tcp() const { return "127.0.0.1:" + std::to_string(server->Port()); }
    // What the instrument received once the session's last bytes are there.
    std::string Wire(const std::string& last) {
        server->WaitForReceived(last, e2e::kWaitLimitMs);
        return server->Received();
    }
    SimConfig config;
    std::unique_ptr<SimServer> server;
    bool started = false;
};

const char* const kPrint = "\x03"
                           "c print script\r\n";
const std::string kDefault = SimSequences::DefaultScript();

TEST_F(SeqCliTest, GetWritesTheScriptFileFormByteForByte) {
    Sim sim("Calibrator");
    ASSERT_TRUE(sim.started);
    const RunResult toStdout = RunCli({"--tcp", sim.Tcp(), "--timeout", "500", "seq", "get"});
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, kDefault);
    EXPECT_EQ(toStdout.err, "");

    const std::string out = s_folder + "/got.txt";
    const RunResult toFile =
        RunCli({"--tcp", sim.Tcp(), "--timeout", "500", "seq", "get", "-o", out});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(e2e::ReadFile(out), kDefault);
    // Each run sent the listing command once, after identifying, and no script.
    const std::string wire = sim.Wire(kPrint);
    EXPECT_EQ(e2e::Count(wire, kPrint), 2u);
    EXPECT_EQ(e2e::Count(wire, "\x03v config\r\n" + std::string(kPrint)), 2u);
    EXPECT_EQ(wire.find("SEQLISTBEGIN"), std::string::npos);
}

TEST_F(SeqCliTest, SendWritesTheScriptUnframedAndNeverTheConfigurationFile) {
    Sim sim("Calibrator");
    ASSERT_TRUE(sim.started);
    // Written loosely; what goes on the wire is the script's own layout, with the duration
    // step under its name for an instrument of this revision.
    const std::string file = Write("up.txt", "SEQLISTBEGIN SEQBEGIN NAME \"Copy of A\"\r\n"
                                             "TIMERSTART 03/04/2025 05:06 STEPBEGIN LEVEL 50 "
                                             "DELAY 2 STEPEND SEQEND SEQLISTEND\r\n");
    const std::string expected = "SEQLISTBEGIN\r\n"
                                 "  SEQBEGIN\r\n"
                                 "    NAME \"Copy of A\"\r\n"
                                 "    REPEATCOUNT 1\r\n"
                                 "    CCINPUT DISABLED\r\n"
                                 "    CCOUTPUT DISABLED\r\n"
                                 "    TIMER DISABLED\r\n"
                                 "    TIMERSTART 03/04/2025 05:06\r\n"
                                 "    TIMERDELTA 001:00:00\r\n"
                                 "    STEPBEGIN\r\n"
                                 "      LEVEL 50\r\n"
                                 "      DURATION 2.0\r\n"
                                 "    STEPEND\r\n"
                                 "  SEQEND\r\n"
                                 "SEQLISTEND\r\n";
    // The instrument is named in a configuration file, which these commands never write.
    const std::string config = Write("net.cfx", "\r\nSITE_NAME = \"Sim\"\r\n"
                                                "  SITE_CONN_TYPE = TCPIP\r\n"
                                                "  SITE_TCPIP_ADDRESS = \"127.0.0.1\"\r\n"
                                                "  SITE_TCPIP_PORT = " +
                                                    std::to_string(sim.server->Port()) +
                                                    "\r\n\r\nINST_NAME = \"Cal\"\r\n"
                                                    "  INST_SITE = \"Sim\"\r\n");
    const std::string before = e2e::ReadFile(config);
    const RunResult sent = RunCli({"-c", config, "seq", "send", "cal", file});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    const std::string wire = sim.Wire("SEQLISTEND\r\n");
    EXPECT_NE(wire.find("\x03v config\r\n" + expected), std::string::npos) << e2e::Hex(wire);
    const RunResult back = RunCli({"-c", config, "seq", "get", "CAL"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(back.out, expected);
    EXPECT_EQ(e2e::ReadFile(config), before);
}

TEST_F(SeqCliTest, FailuresSayWhatFailedAndWhere) {
    const std::string good = Write("good.txt", kDefault);
    const std::string bad =
        Write("bad.txt", "SEQLISTBEGIN\r\n  SEQBEGIN\r\n    REPEATCOUNT 101\r\n  SEQEND\r\n"
                         "SEQLISTEND\r\n");
    const struct {
        const char* type;
        SimFault fault;
        std::vector<std::string> args;
        std::string err;
        bool connects;
    } rows[] = {
        {"Calibrator",
         SimFault::None,
         {"seq", "send", bad},
         "Syntax error encountered at '101', on line 3 of sequence configuration script file " +
             bad + ". File not loaded.\n",
         false},
        {"Calibrator",
         SimFault::None,
         {"seq", "send", s_folder + "/none.txt"},
         "Unable to load sequence configuration script file " + s_folder + "/none.txt.\n",
         false},
        {"Monitor",
         SimFault::None,
         {"seq", "get"},
         "Instrument Instrument does not keep calibration sequences (it has no sequence script "
         "command).\n",
         true},
        {"Calibrator",
         SimFault::SeqHalfReply,
         {"seq", "get"},
         "Fetching the sequences of instrument Instrument failed.\n",
         true},
        {"Calibrator",
         SimFault::SeqNoConfirm,
         {"seq", "send", good},
         "Sending the sequences to instrument Instrument failed.\n",
         true},
        {"Calibrator",
         SimFault::None,
         {"seq", "fetch"},
         "gasquill-cli: A subcommand is required\nTry gasquill-cli seq --help.\n",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        Sim sim(row.type, row.fault);
        ASSERT_TRUE(sim.started);
        std::vector<std::string> args = {"--tcp", sim.Tcp(), "--timeout", "500"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, row.args[1] == "fetch" ? 2 : 1);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(r.out, "");
        if (!row.connects) {
            EXPECT_EQ(sim.server->Received(), "");
        }
    }
}

} // namespace
