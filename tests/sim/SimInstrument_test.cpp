// The simulated instrument: command frames, replies, the menu, log-on, the faults the
// end-to-end tests could not tell apart from none, and its arguments. Its sequence module and
// the other faults are driven through the program in the end-to-end tests.

#include "sim/SimCommand.h"
#include "sim/SimConfig.h"
#include "sim/SimInstrument.h"

#include <gtest/gtest.h>

namespace {

SimConfig FixedClock(SimConfig c = {}) {
    c.clock = SimConfig::Clock{2024, 2, 3, 14, 5};
    return c;
}

// The reply's lines, an unterminated tail included.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t lf; (lf = bytes.find("\r\n", start)) != std::string::npos; start = lf + 2)
        out.push_back(bytes.substr(start, lf - start));
    if (start < bytes.size())
        out.push_back(bytes.substr(start));
    return out;
}

std::string First(SimInstrument& sim, const std::string& command) {
    const auto lines = Lines(sim.Receive(command).reply);
    return lines.empty() ? "" : lines[0];
}

TEST(SimCommand, FramesWithAndWithoutIdAndStrayBytes) {
    struct Row {
        std::string frame, type, text;
        int id; // -1: none
    };
    const Row rows[] = {{"\x03k 200 disp\r\n", "k", "disp", 200},
                        {"\x03k 2\r\n", "k", "2", -1}, // a key text alone is not an ID
                        {"\x03logoff 7 \r\n", "logoff", "", 7},
                        {"\x1B\x41\x03v RS232_MODE=3\r\n", "v", "RS232_MODE=3", -1}};
    for (const Row& r : rows) {
        const auto c = SimCommand::Parse(r.frame);
        ASSERT_TRUE(c) << r.frame;
        EXPECT_EQ(std::tuple(c->type, c->text, c->id ? *c->id : -1),
                  std::tuple(r.type, r.text, r.id));
    }
    EXPECT_FALSE(SimCommand::Parse("\x03\x03\r\n"));
    EXPECT_FALSE(SimCommand::Parse("\r\n"));
}

TEST(SimInstrument, DisplayLinesCarryHeaderAndFortyTwoCharactersAndKeysMoveThroughTheMenu) {
    SimInstrument sim(FixedClock());
    const auto lines = Lines(sim.Receive("\x03\x03\r\n\r\n\x03k disp\r\n").reply);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 16), "K 034:14:05 0000"); // day 34 at 14:05, ID 0
    EXPECT_EQ(lines[0].size(), 16 + 42u);
    EXPECT_EQ(lines[1].size(), 16 + 42u);
    EXPECT_EQ(lines[2], "");
    const std::string start = sim.DisplayContents();
    EXPECT_EQ(lines[0].substr(18) + lines[1].substr(18), start);
    const std::pair<const char*, const char*> steps[] = {
        {"\x03k 7\r\n", "PRIMARY SETUP MENU"},
        {"\x03/ k 0\r\n", "VANTIQ Model 9100 Monitor"}, // CFG, through the slash form
        {"\x03k 1\r\n", "SERIAL NUMBER 1234"}};
    for (const auto& [key, shown] : steps) {
        sim.Receive(key);
        EXPECT_NE(sim.DisplayContents().find(shown), std::string::npos) << shown;
    }
    sim.Receive("\x03k 77\r\n"); // EXIT twice: back to SAMPLE
    EXPECT_EQ(sim.DisplayContents(), start);
}

TEST(SimInstrument, IdSlashFormPasswordModeChangeConfigListingAndDate) {
    SimConfig c = FixedClock();
    c.instrumentId = 200;
    c.slashKeyboard = false;
    c.password = 4321;
    c.modeValue = 0x1003;
    c.type = "Calibrator";
    c.protocolRevision.clear();
    c.hasDas = false;
    SimInstrument sim(c);
    EXPECT_EQ(sim.Receive("\x03k 201 disp\r\n").reply, ""); // another instrument's
    const std::pair<const char*, const char*> rows[] = {
        {"\x03v 200 RS232_MODE\r\n", "L 034:14:05 0200 MUST LOG ON"},
        {"\x03logon 200 1\r\n", "L 034:14:05 0200 LOG ON FAILED"},
        {"\x03logon 200 4321\r\n", "L 034:14:05 0200 LOG ON SUCCESSFUL"},
        {"\x03k 200 disp\r\n", "K 034:14:05 0200 "},
        {"\x03/ 200 k disp\r\n", "UNKNOWN COMMAND"},
        {"\x03v 200 rs232_mode\r\n", "V 034:14:05 0200 RS232_MODE=4099"},
        {"\x03v 200 curr_date\r\n", "V 034:14:05 0200 CURR_DATE=02/03/2024"},
        {"\x03v 200 RS232_MODE=3\r\n", "V 034:14:05 0200 RS232_MODE=3"},
        {"\x03logoff 200 \r\n", "L 034:14:05 0200 MUST LOG ON"}, // the mode change ended it
    };
    for (const auto& [command, reply] : rows)
        EXPECT_EQ(First(sim, command).substr(0, std::string(reply).size()), reply) << command;
    sim.Receive("\x03logon 200 4321\r\n");
    EXPECT_EQ(Lines(sim.Receive("\x03v 200 config\r\n").reply),
              (std::vector<std::string>{"V 034:14:05 0200 CONFIG[0]=VANTIQ Model 700 Calibrator",
                                        "V 034:14:05 0200 CONFIG[1]=Software Revision E.7",
                                        "V 034:14:05 0200 CONFIG[2]=Library Revision 2.8",
                                        "V 034:14:05 0200 CONFIG[3]=Serial Number 1234", ""}));
}

// The faults whose absence the end-to-end tests would not notice.
TEST(SimInstrument, GarbageAndOddDisplayFaults) {
    const std::string disp = "\x03k disp\r\n";
    SimConfig c = FixedClock();
    c.fault = SimFault::Garbage;
    c.faultAfter = 1;
    SimInstrument garbage(c);
    EXPECT_EQ(Lines(garbage.Receive(disp).reply).size(), 3u);
    const std::string g = garbage.Receive(disp).reply;
    EXPECT_EQ(g.substr(0, SimInstrument::JunkLine().size()), SimInstrument::JunkLine());
    EXPECT_EQ(Lines(g).size(), 4u); // junk, two display lines, blank
    c.fault = SimFault::OddDisplay;
    c.faultAfter = 0;
    std::vector<size_t> widths;
    for (const std::string& line : Lines(SimInstrument(c).Receive(disp).reply))
        widths.push_back(line.empty() ? 0 : line.size() - 16);
    EXPECT_EQ(widths, (std::vector<size_t>{41, 43, 42, 42, 0}));
}

TEST(SimConfig, ArgumentsAndTheirErrors) {
    const char* good[] = {"sim",     "--pty",        "--type",  "Calibrator",      "--id",
                          "200",     "--mode-value", "0x1003",  "--fault",         "blank-first",
                          "--slash", "no",           "--clock", "2024-02-03 14:05"};
    SimConfig c;
    std::string error;
    bool help = false;
    ASSERT_TRUE(ParseSimArguments(14, good, c, error, help)) << error;
    EXPECT_EQ(std::tuple(c.link, c.instrumentId, c.modeValue, c.fault, c.slashKeyboard),
              std::tuple(SimConfig::Link::Pty, 200, 0x1003, SimFault::BlankFirst, false));
    ASSERT_TRUE(c.clock);
    EXPECT_EQ(c.clock->minute, 5);
    const std::vector<std::vector<const char*>> bad = {
        {"sim", "--id", "10000"},        {"sim", "--password", "1000000"},
        {"sim", "--fault", "sometimes"}, {"sim", "--software-rev", "7.E"},
        {"sim", "--tcp", "1", "--pty"},  {"sim", "--id"},
        {"sim", "--bogus", "1"},         {"sim", "--clock", "2024-13-01 00:00"}};
    for (const auto& args : bad) {
        SimConfig d;
        error.clear();
        EXPECT_FALSE(ParseSimArguments(static_cast<int>(args.size()), args.data(), d, error, help))
            << args[1];
        EXPECT_FALSE(error.empty()) << args[1];
    }
}

} // namespace
