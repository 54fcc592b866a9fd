// The simulated instrument: command frames, the display's menu, the faults the end-to-end
// tests could not tell apart from none, its arguments, and its DAS replies by library
// revision and its report records decoded as the program does. The rest of it is driven
// through the program in the end-to-end tests.

#include "sim/SimCommand.h"
#include "sim/SimConfig.h"
#include "sim/SimDasRecords.h"
#include "sim/SimInstrument.h"

#include <gtest/gtest.h>

namespace {

SimConfig FixedClock(SimConfig c = {}) {
    c.clock = SimConfig::Clock{2024, 2, 3, 14, 5};
    return c;
}

SimConfig Das(const std::string& library, uint32_t records = 5, SimFault fault = SimFault::None) {
    SimConfig c = FixedClock();
    c.libraryRevision = library;
    c.dasRecords = records;
    c.fault = fault;
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

TEST(SimCommand, FramesWithAndWithoutIdAndStrayBytes) {
    struct Row {
        std::string frame, type, text;
        int id; // -1: none
    };
    const Row rows[] = {{"\x03k 200 disp\r\n", "k", "disp", 200},
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

// The display lines' width and text are read by the program in the end-to-end tests.
TEST(SimInstrument, DisplayLinesCarryTheClockInTheirHeaderAndKeysMoveThroughTheMenu) {
    SimInstrument sim(FixedClock());
    const std::string reply = sim.Receive("\x03\x03\r\n\r\n\x03k disp\r\n").reply;
    EXPECT_EQ(reply.substr(0, 16), "K 034:14:05 0000"); // day 34 at 14:05, ID 0
    const std::string start = sim.DisplayContents();
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

std::string Ask(SimInstrument& sim, const std::string& bytes) {
    SimInstrument::Output out = sim.Receive(bytes);
    return SimInstrument::Drain(out);
}

// A DAS command in its frame.
std::string D(const std::string& text) {
    return "\x03" + ("d " + text) + "\r\n";
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

bool CrcMatches(const std::string& line) {
    const std::vector<uint8_t> b = FromHex(line);
    return SimDasRecords::Crc16(b.data(), b.size() - 2) == (b[b.size() - 2] | b.back() << 8);
}

// 2024-02-03 14:00 UTC: the newest hourly record at the instrument's 14:05.
constexpr int64_t kNewestHour = 1706968800;

const char* const H = "D 034:14:05 0000 ";

TEST(SimDas, ListCommandsByLibraryRevision) {
    struct Row {
        const char* library;
        const char* command;
        std::string reply;
    };
    const std::string h = H;
    // clang-format off
    const Row rows[] = {
        {"2.4", "records", h + "\"CONC\" RECORDS=5\r\n" + h + "\"DAILY\" RECORDS=5\r\n" + h + "\"CALDAT\" RECORDS=5\r\n\r\n"},
        // Before 2.4 there are no list commands.
        {"2.3", "event", "UNKNOWN COMMAND: d\r\n\r\n"},
        {"2.8", "report \"NONE\" hex", h + "ERROR: NO SUCH CHANNEL\r\n\r\n"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.library) + " " + row.command);
        SimInstrument sim(Das(row.library));
        EXPECT_EQ(Ask(sim, D(row.command)), row.reply);
    }
}

// Time, samples and value of O3CONC (it stores samples), value of SAMPFLOW and a CRC. The
// older line form is read by the program in the end-to-end tests.
TEST(SimDas, ReportSelectsRecordsByCountAndTime) {
    struct Row {
        const char* options;
        int64_t oldest; // time of the first record sent
        size_t count;
    };
    // clang-format off
    const Row rows[] = {
        {" records=500", kNewestHour - 99 * 3600, 100},
        {" from=02/03/2024 10:00:00 to=02/03/2024 12:00:00", kNewestHour - 4 * 3600, 3},
        {" from=02/03/2024 10:00:00 to=02/03/2024 12:59:59 records=1", kNewestHour - 2 * 3600, 1},
        {" from=02/03/2024 12:00:00 to=02/03/2024 10:00:00", 0, 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options);
        SimInstrument sim(Das("3.0", 100));
        const auto lines =
            Lines(Ask(sim, D("report \"CONC\"" + std::string(row.options) + " hex")));
        ASSERT_EQ(lines.size(), row.count + 1);
        EXPECT_EQ(lines.back(), "");
        for (size_t i = 0; i < row.count; ++i) {
            ASSERT_EQ(lines[i].size(), 2u * 18) << lines[i];
            EXPECT_TRUE(CrcMatches(lines[i])) << lines[i];
            EXPECT_EQ(Le32(FromHex(lines[i]), 0), row.oldest + static_cast<int64_t>(i) * 3600);
        }
    }
}

// The sound lines' CRCs are checked by the program in the end-to-end downloads.
TEST(SimDas, TheBadCrcFaultSpoilsTheThirdLine) {
    SimInstrument bad(Das("3.0", 10, SimFault::BadCrc));
    const auto lines = Lines(Ask(bad, D("report \"CONC\" hex")));
    ASSERT_EQ(lines.size(), 11u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(CrcMatches(lines[i]), i != 2) << i;
}

TEST(SimDas, UploadedScriptIsConfirmedAndReplacesTheConfiguration) {
    // A script the instrument does not hold yet: its channels without sample counts.
    const std::string script = SimState(Das("2.8")).das.ScriptText(false);
    struct Row {
        SimFault fault;
        std::string script;
        std::string reply;
        bool replaced;
    };
    const Row rows[] = {
        {SimFault::None, script, "New DAS configuration stored.\r\n\r\n", true},
        {SimFault::None, std::string(script).replace(script.find(" AVG "), 5, " AVERAGE "),
         "DAS CONFIGURATION ERROR\r\n\r\n", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reply);
        SimInstrument sim(Das("3.0", 5, row.fault));
        // Lines arrive one by one, unframed; none of them is answered before "dasend".
        std::string replies;
        for (const std::string& line : Lines(row.script))
            replies += Ask(sim, line + "\r\n");
        EXPECT_EQ(replies, row.reply);
        const std::string now = Ask(sim, D("print script &"));
        EXPECT_EQ(now == row.script + "\r\n", row.replaced) << now;
        // A new configuration holds no records yet.
        EXPECT_EQ(Ask(sim, D("records")).find("RECORDS=5") == std::string::npos, row.replaced);
    }
}

} // namespace
