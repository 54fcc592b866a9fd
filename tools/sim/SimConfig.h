#pragma once
// What the simulated instrument is: its identity, revisions, security, serial-port mode
// variable, display form, timing and the fault it shows. Filled from the command line by
// ParseSimArguments, or directly by tests that run the simulator in-process.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Faults the simulator can show, each named so that tests and demos can ask for one.
enum class SimFault {
    None,
    CloseAfter,  // closes the link after the fault-after count of received lines
    Silent,      // stops answering (still records what arrives)
    Garbage,     // a line of binary junk before every reply
    Noise,       // junk lines instead of replies, with no blank line to end them
    Truncate,    // every reply stops in the middle of its first line
    BlankFirst,  // every reply starts with a blank line, which ends it for the reader
    SecondTry,   // a command is answered only when it is repeated straight away
    OddDisplay,  // display replies carry display lines one character short and long
    BadCrc,      // the third line of every DAS record report fails its check
    NoConfirm,   // an uploaded DAS script is never confirmed
    StopHalfway, // a DAS record report stops halfway and the link drops

    // A Calibrator takes an uploaded sequence script without confirming it (nor keeping it).
    SeqNoConfirm,
    // A Calibrator's sequence listing stops halfway.
    SeqHalfReply,
};

const char* SimFaultName(SimFault fault);
std::optional<SimFault> SimFaultFromName(const std::string& name);

struct SimConfig {
    enum class Link { Tcp, Pty };

    // "Monitor", "Calibrator" or any other text used as the identification line.
    std::string type = "Monitor";
    int instrumentId = 0;
    std::optional<uint32_t> password; // required log-on password, none by default
    std::string modeVarName = "RS232_MODE";
    int32_t modeValue = 3;
    std::string softwareRevision = "E.7";
    std::string libraryRevision = "2.8";
    std::string protocolRevision = "1.0"; // empty: no protocol line in the listing
    std::string serialNumber = "1234";
    bool hasDas = true;
    bool slashKeyboard = true;
    unsigned replyDelayMs = 0;
    // Record reports leave at the pace of a serial line of this many baud (10 bits a
    // byte); 0: as fast as the link takes them.
    uint32_t lineRate = 0;
    // Records each DAS channel holds; 0: a year's worth for its report period.
    uint32_t dasRecords = 0;
    SimFault fault = SimFault::None;
    unsigned faultAfter = 0; // received lines answered normally before the fault starts
    // The instrument's clock; the host's local time when unset. Fields as in struct tm.
    struct Clock {
        int year = 2024, month = 1, day = 1, hour = 0, minute = 0;
    };
    std::optional<Clock> clock;

    Link link = Link::Tcp;
    uint16_t tcpPort = 0;
    std::string recordPath; // every received byte is appended there when set

    // The identification line of the "config" listing.
    std::string IdentificationText() const;
};

// Fills config from argv. Returns false with a message in error for a usage error; sets
// helpOrVersion (and puts the text in error) for --help and --version.
bool ParseSimArguments(int argc, const char* const* argv, SimConfig& config, std::string& error,
                       bool& helpOrVersion);

const char* SimUsageText();
