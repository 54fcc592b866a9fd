// The simulated instrument's DAS area: command -> reply bytes, by library revision, and the
// records of a report checked by decoding them as the program does. Its script and listing
// forms and its values are read by the program itself in the end-to-end tests.

#include "sim/SimDasRecords.h"
#include "sim/SimInstrument.h"

#include <gtest/gtest.h>

namespace {

SimConfig Das(const std::string& library, uint32_t records = 5, SimFault fault = SimFault::None) {
    SimConfig c;
    c.clock = SimConfig::Clock{2024, 2, 3, 14, 5};
    c.libraryRevision = library;
    c.dasRecords = records;
    c.fault = fault;
    return c;
}

std::string Ask(SimInstrument& sim, const std::string& bytes) {
    SimInstrument::Output out = sim.Receive(bytes);
    return SimInstrument::Drain(out);
}

// A DAS command in its frame.
std::string D(const std::string& text) {
    return "\x03" + ("d " + text) + "\r\n";
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t lf; (lf = bytes.find("\r\n", start)) != std::string::npos; start = lf + 2)
        out.push_back(bytes.substr(start, lf - start));
    return out;
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

// Before revision 2.1 "print script" gives the listing, a block of lines per channel that
// a blank line ends.
TEST(SimDas, OldRevisionsPrintTheListing) {
    SimInstrument sim(Das("2.0"));
    const std::vector<std::string> lines = Lines(Ask(sim, D("print script")));
    // clang-format off
    const std::vector<std::string> conc = {
        "SETUP PROPERTIES FOR \"CONC\":", "  NAME: \"CONC\"", "  EVENT: \"ATIMER\"",
        "  STARTING DATE: 01-JAN-2024", "  SAMPLE PERIOD: 000:00:01", "  REPORT PERIOD: 000:01:00",
        "  FILE NAME: \"CONC\"", "  NUMBER OF RECORDS: 8760", "  RS-232 REPORT: OFF",
        "  COMPACT REPORT: OFF", "  CHANNEL ENABLED: ON", "  CAL. HOLD OFF: ON", "  PARAMETERS: 2",
        "    PARAMETER=\"O3CONC\", MODE=AVG, PRECISION=1",
        "    PARAMETER=\"SAMPFLOW\", MODE=AVG, PRECISION=0", ""};
    // clang-format on
    ASSERT_GT(lines.size(), conc.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + conc.size()), conc);
    EXPECT_EQ(lines[conc.size()], "SETUP PROPERTIES FOR \"DAILY\":");
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
        {"", kNewestHour - 99 * 3600, 100},
        {" records=500", kNewestHour - 99 * 3600, 100},
        {" from=02/03/2024 10:00:00 to=02/03/2024 12:00:00", kNewestHour - 4 * 3600, 3},
        {" from=02/03/2024 10:00:00 to=02/03/2024 12:59:59 records=1", kNewestHour - 2 * 3600, 1},
        {" from=02/04/2024 00:00:00", 0, 0},
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

TEST(SimDas, TheCrcIsCcittFalseAndTheBadCrcFaultSpoilsTheThirdLine) {
    const char* check = "123456789";
    EXPECT_EQ(SimDasRecords::Crc16(reinterpret_cast<const uint8_t*>(check), 9), 0x29B1);
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
