// gasquill-cli seq get and seq send as a child process against the simulated Calibrator:
// the script written, the bytes that reached the instrument, and the failures.

#include "E2ESupport.h"
#include "sim/SimSequences.h"

#include <gtest/gtest.h>

// Rows name only the simulator settings they change; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using e2e::RunCli;
using e2e::RunResult;
using e2e::Sim;

const std::string kPrint = "\x03"
                           "c print script\r\n";
const std::string kDefault = SimSequences::DefaultScript();

TEST(SeqCli, GetWritesTheScriptFileFormAndSendWritesItUnframedButNeverTheConfigurationFile) {
    TempDir dir;
    const Sim sim({.type = "Calibrator"});
    const RunResult got = sim.Cli({"seq", "get", "-o", dir.File("got.txt")});
    ASSERT_EQ(got.exitCode, 0) << got.err;
    EXPECT_EQ(got.out + got.err, "");
    EXPECT_EQ(ReadAll(dir.File("got.txt")), kDefault);
    // The listing command went once, after identifying, and no script.
    std::string wire = sim.Wire(kPrint);
    EXPECT_EQ(e2e::Count(wire, "\x03v config\r\n" + kPrint), 1u);
    EXPECT_EQ(wire.find("SEQLISTBEGIN"), std::string::npos);

    // Written loosely; what goes on the wire is the script's own layout, with the duration
    // step under its name for this instrument.
    WriteAll(dir.File("up.txt"), "SEQLISTBEGIN SEQBEGIN NAME \"Copy of A\"\r\n"
                                 "TIMERSTART 03/04/2025 05:06 STEPBEGIN LEVEL 50 "
                                 "DELAY 2 STEPEND SEQEND SEQLISTEND\r\n");
    // The instrument is named in a configuration file, which these commands never write.
    const std::string config = dir.File("net.cfx");
    WriteAll(config, sim.NetworkFile());
    const RunResult sent = RunCli({"-c", config, "seq", "send", "ozone", dir.File("up.txt")});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    wire = sim.Wire("SEQLISTEND\r\n");
    const RunResult back = RunCli({"-c", config, "seq", "get", "OZONE"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_NE(wire.find("\x03v config\r\n" + back.out), std::string::npos) << wire;
    for (const char* line : {"    NAME \"Copy of A\"\r\n", "      DURATION 2.0\r\n"})
        EXPECT_NE(back.out.find(line), std::string::npos) << back.out;
    EXPECT_EQ(ReadAll(config), sim.NetworkFile());
}

TEST(SeqCli, FailuresSayWhatFailedAndWhere) {
    TempDir dir;
    const std::string good = dir.File("good.txt"), bad = dir.File("bad.txt");
    WriteAll(good, kDefault);
    WriteAll(bad,
             "SEQLISTBEGIN\r\n  SEQBEGIN\r\n    REPEATCOUNT 101\r\n  SEQEND\r\nSEQLISTEND\r\n");
    const struct {
        SimConfig config;
        e2e::Strings args;
        std::string err;
        bool connects;
    } rows[] = {
        // clang-format off
        {{.type = "Calibrator"}, {"seq", "send", bad},
         "Syntax error encountered at '101', on line 3 of sequence configuration script file " + bad + ". File not loaded.\n", false},
        {{.type = "Monitor"}, {"seq", "get"},
         "Instrument Instrument does not keep calibration sequences (it has no sequence script command).\n", true},
        {{.type = "Calibrator", .fault = SimFault::SeqHalfReply}, {"seq", "get"}, "Fetching the sequences of instrument Instrument failed.\n", true},
        {{.type = "Calibrator", .fault = SimFault::SeqNoConfirm}, {"seq", "send", good}, "Sending the sequences to instrument Instrument failed.\n", true},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        const Sim sim(row.config);
        const RunResult r = sim.Cli(row.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(sim.server->Received().empty(), !row.connects);
    }
}

} // namespace
