#pragma once
// The simulated instrument's DAS configuration: its trigger events, data points and
// channels, printed in the script form ("print script &") or the older listing form
// ("print"), and replaced by an uploaded script.

#include <cstdint>
#include <string>
#include <vector>

struct SimDasEvent {
    std::string name;
    bool timer = false;
    std::string level; // LOW, MED or HIGH
    int number = 0;
};

struct SimDasPoint {
    std::string name;
    std::string level;
    int number = 0;
    std::string description;
};

struct SimDasParameter {
    std::string name;
    std::string mode = "AVG"; // AVG, INST, MIN or MAX
    int precision = 1;
    bool storeSamples = false;
};

struct SimDasChannel {
    std::string name;
    std::string event;
    std::string file;
    int startYear = 2024, startMonth = 1, startDay = 1;
    int sampleMinutes = 1;  // sample period, in minutes
    int reportMinutes = 60; // report period, in minutes
    int records = 100;      // what the channel is set to keep
    bool report = false, compact = false, enabled = true, holdOff = false;
    std::vector<SimDasParameter> parameters;

    // Records the instrument holds for the channel now (not part of the configuration).
    uint32_t stored = 0;

    // Seconds between two records: the report period (a timer channel), or a day for
    // the simulated event channels, whose event (an automatic check) comes daily.
    int64_t IntervalSeconds() const;
    // Bytes of one hexadecimal record, without and with the CRC.
    size_t RecordBytes() const;
};

class SimDasConfiguration {
public:
    // The factory set-up: an hourly and a daily timer channel and a calibration channel.
    static SimDasConfiguration Default(int year);

    std::vector<SimDasEvent> events;
    std::vector<SimDasPoint> points;
    std::vector<SimDasChannel> channels;

    const SimDasEvent* FindEvent(const std::string& name) const;
    const SimDasChannel* FindChannel(const std::string& name) const;
    bool IsTimerChannel(const SimDasChannel& channel) const;

    // The configuration as "print script &" prints it, lines ending CR LF. storeSamples:
    // whether the instrument's library knows " storesamples".
    std::string ScriptText(bool storeSamples) const;
    // The configuration as "print" prints it on instruments without the script command.
    std::string ListingText() const;

    // Replaces the channels with those of an uploaded script ("dasbegin" ... "dasend",
    // lines as received). False, with nothing changed, when the script does not read.
    bool ReadScript(const std::vector<std::string>& lines);
};
