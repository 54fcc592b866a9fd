#pragma once
// The records a simulated DAS channel holds, computed on demand from their index: a
// regular time series ending at the instrument's clock, values with a daily cycle, noise
// and now and then a missing value, all reproducible. Gives the two line forms of a
// hexadecimal report and the compact form.

#include "sim/SimDasConfiguration.h"

#include <cstdint>
#include <string>
#include <vector>

class SimDasRecords {
public:
    // now: the instrument's clock in seconds since 1970 (its local time read as UTC).
    // Event channels record at 02:30 each day; timer channels at whole report periods.
    SimDasRecords(const SimDasChannel& channel, bool timerChannel, int64_t now);

    uint32_t Count() const { return m_count; }
    // Time stamp of record i (0 the oldest).
    int64_t Time(uint32_t i) const;
    // The first record at or after t (Count() when none) and the number of records at
    // or before t.
    uint32_t FirstAtOrAfter(int64_t t) const;
    uint32_t CountAtOrBefore(int64_t t) const;

    // The parameter's value, NaN for a missing one, and its sample count (0 when missing).
    float Value(uint32_t i, size_t parameter) const;
    int32_t Samples(uint32_t i, size_t parameter) const;

    // The record's bytes: time, then per parameter its sample count (when it stores
    // samples) and its value, little-endian.
    std::vector<uint8_t> Bytes(uint32_t i) const;
    // One line of a hexadecimal report, CR LF included. withCrc: the newer form with a
    // CRC-16/CCITT-FALSE; otherwise a marker, the record and a checksum. spoil: a line
    // whose check does not match.
    std::string HexLine(uint32_t i, bool withCrc, bool spoil) const;
    // One line of a compact report: "D ddd:hh:mm iiii NAME:1 values", CR LF included.
    std::string CompactLine(uint32_t i, int instrumentId) const;

    static uint16_t Crc16(const uint8_t* data, size_t size);

private:
    uint64_t Noise(uint32_t i, size_t parameter, uint64_t salt) const;

    std::string m_name;
    std::vector<SimDasParameter> m_parameters;
    std::vector<uint64_t> m_levels; // per parameter, from its data point: level and swing
    std::vector<uint64_t> m_seeds;  // per parameter, from channel, data point and mode
    int64_t m_interval;
    int64_t m_newest;
    uint32_t m_count;
    int32_t m_samplesPerRecord;
};
