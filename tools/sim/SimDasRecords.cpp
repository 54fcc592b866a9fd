#include "sim/SimDasRecords.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

namespace {

constexpr int64_t kDay = 86400;
// The simulated automatic check ends at 02:30.
constexpr int64_t kEventOffset = 2 * 3600 + 30 * 60;

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

uint64_t Seed(const std::string& text) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ULL;
    return Mix(h);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int b = 0; b < 4; ++b)
        out.push_back(static_cast<uint8_t>(v >> (8 * b)));
}

const char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& out, const uint8_t* data, size_t size) {
    for (size_t k = 0; k < size; ++k) {
        out += kHex[data[k] >> 4];
        out += kHex[data[k] & 15];
    }
}

} // namespace

SimDasRecords::SimDasRecords(const SimDasChannel& channel, bool timerChannel, int64_t now)
    : m_name(channel.name), m_parameters(channel.parameters),
      m_interval(channel.IntervalSeconds()) {
    const int64_t offset = timerChannel ? 0 : kEventOffset % m_interval;
    m_newest = now < offset ? offset : (now - offset) / m_interval * m_interval + offset;
    // Nothing before 1970: a time stamp is an unsigned count of seconds since then.
    const int64_t fit = m_newest / m_interval + 1;
    m_count = static_cast<uint32_t>(std::min<int64_t>(channel.stored, fit));
    for (const SimDasParameter& p : m_parameters) {
        m_levels.push_back(Seed(p.name));
        m_seeds.push_back(Seed(channel.name + "/" + p.name + "/" + p.mode));
    }
    m_samplesPerRecord =
        channel.sampleMinutes > 0 ? std::max(1, channel.reportMinutes / channel.sampleMinutes) : 1;
}

int64_t SimDasRecords::Time(uint32_t i) const {
    return m_newest - static_cast<int64_t>(m_count - 1 - i) * m_interval;
}

uint32_t SimDasRecords::FirstAtOrAfter(int64_t t) const {
    if (m_count == 0 || t <= Time(0))
        return 0;
    if (t > m_newest)
        return m_count;
    return static_cast<uint32_t>((t - Time(0) + m_interval - 1) / m_interval);
}

uint32_t SimDasRecords::CountAtOrBefore(int64_t t) const {
    if (m_count == 0 || t < Time(0))
        return 0;
    if (t >= m_newest)
        return m_count;
    return static_cast<uint32_t>((t - Time(0)) / m_interval + 1);
}

uint64_t SimDasRecords::Noise(uint32_t i, size_t parameter, uint64_t salt) const {
    return Mix(m_seeds[parameter] ^ Mix(static_cast<uint64_t>(Time(i)) + salt));
}

float SimDasRecords::Value(uint32_t i, size_t parameter) const {
    // About one value in 700 is missing.
    if (Noise(i, parameter, 7) % 701 == 0)
        return std::numeric_limits<float>::quiet_NaN();
    const SimDasParameter& p = m_parameters[parameter];
    // The same data point follows the same cycle in every channel.
    const uint64_t seed = m_levels[parameter];
    const double base = 5.0 + static_cast<double>(seed % 40);
    const double swing = 10.0 + static_cast<double>((seed >> 8) % 30);
    // Highest in the afternoon, lowest before dawn.
    const double day = static_cast<double>(((Time(i) % kDay) + kDay) % kDay) / kDay;
    const double cycle = 0.5 - 0.5 * std::cos(2 * M_PI * (day - 1.0 / 6));
    const double noise = (static_cast<double>(Noise(i, parameter, 1) % 20001) / 10000.0 - 1.0);
    double v = base + swing * cycle + noise * swing * 0.1;
    if (p.mode == "MAX")
        v += swing * 0.3;
    else if (p.mode == "MIN")
        v -= swing * 0.3;
    return static_cast<float>(v);
}

int32_t SimDasRecords::Samples(uint32_t i, size_t parameter) const {
    if (std::isnan(Value(i, parameter)))
        return 0;
    // A sample or two is lost now and then (the instrument was busy).
    return std::max<int32_t>(1, m_samplesPerRecord -
                                    static_cast<int32_t>(Noise(i, parameter, 3) % 3 == 0));
}

std::vector<uint8_t> SimDasRecords::Bytes(uint32_t i) const {
    std::vector<uint8_t> out;
    out.reserve(4 + 8 * m_parameters.size() + 2);
    Put32(out, static_cast<uint32_t>(Time(i)));
    for (size_t k = 0; k < m_parameters.size(); ++k) {
        if (m_parameters[k].storeSamples)
            Put32(out, static_cast<uint32_t>(Samples(i, k)));
        const float v = Value(i, k);
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Put32(out, bits);
    }
    return out;
}

uint16_t SimDasRecords::Crc16(const uint8_t* data, size_t size) {
    uint16_t crc = 0xFFFF;
    for (size_t k = 0; k < size; ++k) {
        crc = static_cast<uint16_t>(crc ^ (data[k] << 8));
        for (int b = 0; b < 8; ++b)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

std::string SimDasRecords::HexLine(uint32_t i, bool withCrc, bool spoil) const {
    std::vector<uint8_t> bytes = Bytes(i);
    std::string line;
    if (withCrc) {
        uint16_t crc = Crc16(bytes.data(), bytes.size());
        if (spoil)
            crc ^= 0x5A5A;
        bytes.push_back(static_cast<uint8_t>(crc));
        bytes.push_back(static_cast<uint8_t>(crc >> 8));
        AppendHex(line, bytes.data(), bytes.size());
    } else {
        line = ":";
        AppendHex(line, bytes.data(), bytes.size());
        uint8_t sum = 0;
        for (unsigned char c : line)
            sum = static_cast<uint8_t>(sum + c);
        uint8_t check = static_cast<uint8_t>(-sum);
        if (spoil)
            check ^= 0x5A;
        AppendHex(line, &check, 1);
    }
    return line + "\r\n";
}

std::string SimDasRecords::CompactLine(uint32_t i, int instrumentId) const {
    const std::time_t t = static_cast<std::time_t>(Time(i));
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "D %03d:%02d:%02d %04d %s:1", tm.tm_yday + 1, tm.tm_hour,
                  tm.tm_min, instrumentId, m_name.c_str());
    std::string line = buf;
    for (size_t k = 0; k < m_parameters.size(); ++k) {
        const float v = Value(i, k);
        if (std::isnan(v))
            line += " XXXX";
        else {
            std::snprintf(buf, sizeof buf, " %.*f", m_parameters[k].precision,
                          static_cast<double>(v));
            line += buf;
        }
    }
    return line + "\r\n";
}
