#include "sim/SimCommand.h"
#include "sim/SimConfig.h"
#include "sim/SimInstrument.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

SimConfig FixedClock(SimConfig c = {}) {
    c.clock = SimConfig::Clock{2024, 2, 3, 14, 5};
    return c;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t lf; (lf = bytes.find("\r\n", start)) != std::string::npos; start = lf + 2)
        out.push_back(bytes.substr(start, lf - start));
    if (start < bytes.size())
        out.push_back(bytes.substr(start)); // an unterminated tail
    return out;
}

TEST(SimCommand, FramesWithAndWithoutIdAndStrayBytes) {
    auto c = SimCommand::Parse("\x03k 200 disp\r\n");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->type, "k");
    EXPECT_EQ(c->id, 200);
    EXPECT_EQ(c->text, "disp");

    c = SimCommand::Parse("\x03k 2\r\n"); // a key text alone is not an ID
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->id);
    EXPECT_EQ(c->text, "2");

    c = SimCommand::Parse("\x03logoff 7 \r\n");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->type, "logoff");
    EXPECT_EQ(c->id, 7);
    EXPECT_EQ(c->text, "");

    c = SimCommand::Parse("\x1B\x41\x03v RS232_MODE=3\r\n"); // a select code before the frame
    ASSERT_TRUE(c);
    EXPECT_EQ(c->type, "v");
    EXPECT_EQ(c->text, "RS232_MODE=3");

    EXPECT_FALSE(SimCommand::Parse("\x03\x03\r\n"));
    EXPECT_FALSE(SimCommand::Parse("\r\n"));
}

TEST(SimInstrument, DisplayLinesCarryHeaderAndFortyTwoCharacters) {
    SimInstrument sim(FixedClock());
    const auto lines = Lines(sim.Receive("\x03\x03\r\n\r\n\x03k disp\r\n").reply);
    ASSERT_EQ(lines.size(), 3u);
    // Day 34 of 2024 at 14:05, instrument ID 0.
    EXPECT_EQ(lines[0].substr(0, 16), "K 034:14:05 0000");
    EXPECT_EQ(lines[0].size() - 16, 42u);
    EXPECT_EQ(lines[1].size() - 16, 42u);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[0].substr(18) + lines[1].substr(18), sim.DisplayContents());
    EXPECT_EQ(sim.DisplayContents().size(), 80u);
}

TEST(SimInstrument, KeysMoveThroughTheMenu) {
    SimInstrument sim(FixedClock());
    const std::string start = sim.DisplayContents();
    EXPECT_NE(start.find("SAMPLE"), std::string::npos);
    sim.Receive("\x03k 7\r\n"); // SETUP
    EXPECT_NE(sim.DisplayContents().find("PRIMARY SETUP MENU"), std::string::npos);
    sim.Receive("\x03/ k 0\r\n"); // CFG, through the slash form
    EXPECT_NE(sim.DisplayContents().find("VANTIQ Model 9100 Monitor"), std::string::npos);
    sim.Receive("\x03k 1\r\n"); // next listing line
    EXPECT_NE(sim.DisplayContents().find("SERIAL NUMBER 1234"), std::string::npos);
    sim.Receive("\x03k 77\r\n"); // EXIT twice: back to SAMPLE
    EXPECT_EQ(sim.DisplayContents(), start);
}

TEST(SimInstrument, AnswersOnlyItsOwnIdAndTheSlashFormWhenConfigured) {
    SimConfig c = FixedClock();
    c.instrumentId = 200;
    c.slashKeyboard = false;
    SimInstrument sim(c);
    EXPECT_EQ(sim.Receive("\x03k 201 disp\r\n").reply, "");
    EXPECT_EQ(Lines(sim.Receive("\x03k 200 disp\r\n").reply)[0].substr(0, 16), "K 034:14:05 0200");
    const auto slash = Lines(sim.Receive("\x03/ 200 k disp\r\n").reply);
    ASSERT_EQ(slash.size(), 2u);
    EXPECT_EQ(slash[0].rfind("UNKNOWN COMMAND", 0), 0u);
}

TEST(SimInstrument, PasswordGuardsCommandsAndModeChangeEndsTheSession) {
    SimConfig c = FixedClock();
    c.password = 4321;
    c.modeValue = 0x1003;
    SimInstrument sim(c);
    EXPECT_EQ(Lines(sim.Receive("\x03v RS232_MODE\r\n").reply)[0], "L 034:14:05 0000 MUST LOG ON");
    EXPECT_EQ(Lines(sim.Receive("\x03logon 1\r\n").reply)[0], "L 034:14:05 0000 LOG ON FAILED");
    EXPECT_EQ(Lines(sim.Receive("\x03logon 4321\r\n").reply)[0],
              "L 034:14:05 0000 LOG ON SUCCESSFUL");
    EXPECT_EQ(Lines(sim.Receive("\x03v rs232_mode\r\n").reply)[0],
              "V 034:14:05 0000 RS232_MODE=4099");
    EXPECT_EQ(Lines(sim.Receive("\x03v RS232_MODE=3\r\n").reply)[0],
              "V 034:14:05 0000 RS232_MODE=3");
    EXPECT_FALSE(sim.State().loggedOn);
    EXPECT_EQ(Lines(sim.Receive("\x03logoff \r\n").reply)[0], "L 034:14:05 0000 MUST LOG ON");
}

TEST(SimInstrument, ConfigListingAndDate) {
    SimConfig c = FixedClock();
    c.type = "Calibrator";
    c.protocolRevision.clear();
    c.hasDas = false;
    SimInstrument sim(c);
    const auto lines = Lines(sim.Receive("\x03v config\r\n").reply);
    const std::vector<std::string> expected = {
        "V 034:14:05 0000 CONFIG[0]=VANTIQ Model 700 Calibrator",
        "V 034:14:05 0000 CONFIG[1]=Software Revision E.7",
        "V 034:14:05 0000 CONFIG[2]=Library Revision 2.8",
        "V 034:14:05 0000 CONFIG[3]=Serial Number 1234", ""};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Lines(sim.Receive("\x03v curr_date\r\n").reply)[0],
              "V 034:14:05 0000 CURR_DATE=02/03/2024");
    EXPECT_EQ(Lines(sim.Receive("\x03v das_hold_off\r\n").reply)[0].find("NO SUCH VARIABLE") !=
                  std::string::npos,
              true);
}

TEST(SimInstrument, FaultsStartAfterTheGivenCommandCount) {
    SimConfig c = FixedClock();
    c.faultAfter = 1;

    c.fault = SimFault::Silent;
    SimInstrument silent(c);
    EXPECT_NE(silent.Receive("\x03k disp\r\n").reply, "");
    EXPECT_EQ(silent.Receive("\x03k disp\r\n").reply, "");

    c.fault = SimFault::CloseAfter;
    SimInstrument closing(c);
    const auto first = closing.Receive("\x03k disp\r\n");
    EXPECT_NE(first.reply, "");
    EXPECT_TRUE(first.close); // closes right after answering its one command

    c.fault = SimFault::Truncate;
    SimInstrument truncating(c);
    truncating.Receive("\x03k disp\r\n");
    const std::string cut = truncating.Receive("\x03k disp\r\n").reply;
    EXPECT_EQ(cut.find('\n'), std::string::npos);
    EXPECT_FALSE(cut.empty());

    c.fault = SimFault::BlankFirst;
    SimInstrument blank(c);
    blank.Receive("\x03k disp\r\n");
    EXPECT_EQ(blank.Receive("\x03k disp\r\n").reply.substr(0, 4), "\r\nK ");

    c.fault = SimFault::Garbage;
    SimInstrument garbage(c);
    garbage.Receive("\x03k disp\r\n");
    const std::string g = garbage.Receive("\x03k disp\r\n").reply;
    EXPECT_EQ(g.substr(0, SimInstrument::JunkLine().size()), SimInstrument::JunkLine());
    EXPECT_EQ(Lines(g).size(), 4u); // junk, two display lines, blank
}

TEST(SimInstrument, SecondTryAnswersOnlyARepeatedCommand) {
    SimConfig c = FixedClock();
    c.fault = SimFault::SecondTry;
    SimInstrument sim(c);
    EXPECT_EQ(sim.Receive("\x03v RS232_MODE\r\n").reply, "");
    EXPECT_NE(sim.Receive("\x03v RS232_MODE\r\n").reply, "");
    EXPECT_EQ(sim.Receive("\x03v RS232_MODE\r\n").reply, "");
}

TEST(SimInstrument, OddDisplayAddsLinesOneShortAndOneLong) {
    SimConfig c = FixedClock();
    c.fault = SimFault::OddDisplay;
    SimInstrument sim(c);
    const auto lines = Lines(sim.Receive("\x03k disp\r\n").reply);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].size() - 16, 41u);
    EXPECT_EQ(lines[1].size() - 16, 43u);
    EXPECT_EQ(lines[2].size() - 16, 42u);
    EXPECT_EQ(lines[3].size() - 16, 42u);
}

TEST(SimConfig, ArgumentsAndTheirErrors) {
    const char* good[] = {"sim",     "--pty",        "--type",  "Calibrator",      "--id",
                          "200",     "--mode-value", "0x1003",  "--fault",         "blank-first",
                          "--slash", "no",           "--clock", "2024-02-03 14:05"};
    SimConfig c;
    std::string error;
    bool help = false;
    ASSERT_TRUE(ParseSimArguments(14, good, c, error, help)) << error;
    EXPECT_EQ(c.link, SimConfig::Link::Pty);
    EXPECT_EQ(c.instrumentId, 200);
    EXPECT_EQ(c.modeValue, 0x1003);
    EXPECT_EQ(c.fault, SimFault::BlankFirst);
    EXPECT_FALSE(c.slashKeyboard);
    ASSERT_TRUE(c.clock);
    EXPECT_EQ(c.clock->minute, 5);

    const std::vector<std::vector<const char*>> bad = {
        {"sim", "--id", "10000"},        {"sim", "--password", "1000000"},
        {"sim", "--fault", "sometimes"}, {"sim", "--software-rev", "7.E"},
        {"sim", "--tcp", "1", "--pty"},  {"sim", "--id"},
        {"sim", "--bogus", "1"},         {"sim", "--clock", "2024-13-01 00:00"}};
    for (const auto& args : bad) {
        SimConfig d;
        EXPECT_FALSE(ParseSimArguments(static_cast<int>(args.size()), args.data(), d, error, help))
            << args[1];
        EXPECT_FALSE(error.empty());
    }
    for (SimFault f : {SimFault::None, SimFault::CloseAfter, SimFault::Noise, SimFault::OddDisplay})
        EXPECT_EQ(SimFaultFromName(SimFaultName(f)), f);
}

} // namespace
