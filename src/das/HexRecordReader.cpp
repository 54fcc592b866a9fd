#include "das/HexRecordReader.h"

#include "base/StateLock.h"
#include "das/DASChannel.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr std::array<uint8_t, 256> MakeHexTable() {
    std::array<uint8_t, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        t[c] = static_cast<uint8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c)
        t[c] = static_cast<uint8_t>(c - 'A' + 10);
    return t; // any other character counts as 0
}
constexpr std::array<uint8_t, 256> kHex = MakeHexTable();

constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i << 8);
        for (int b = 0; b < 8; ++b)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        t[static_cast<size_t>(i)] = crc;
    }
    return t;
}
constexpr std::array<uint16_t, 256> kCrc = MakeCrcTable();

// Two bytes at a time: the CRC is linear, so after bytes a and b the register is
// kCrc2[high ^ a] ^ kCrc[low ^ b], two look-ups that do not wait for each other.
constexpr std::array<uint16_t, 256> MakeCrc2Table() {
    std::array<uint16_t, 256> t{};
    for (size_t i = 0; i < 256; ++i)
        t[i] = static_cast<uint16_t>((kCrc[i] << 8) ^ kCrc[kCrc[i] >> 8]);
    return t;
}
constexpr std::array<uint16_t, 256> kCrc2 = MakeCrc2Table();

inline uint8_t HexByte(const char* p) {
    return static_cast<uint8_t>((kHex[static_cast<unsigned char>(p[0])] << 4) |
                                kHex[static_cast<unsigned char>(p[1])]);
}

inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

uint16_t CHexRecordReader::Crc16(const uint8_t* data, size_t size) {
    uint16_t crc = 0xFFFF;
    size_t i = 0;
    for (; i + 1 < size; i += 2)
        crc = static_cast<uint16_t>(kCrc2[((crc >> 8) ^ data[i]) & 0xFF] ^
                                    kCrc[(crc ^ data[i + 1]) & 0xFF]);
    if (i < size)
        crc = static_cast<uint16_t>((crc << 8) ^ kCrc[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

bool CHexRecordReader::Decode(const char* line, size_t length, int recordSize, bool withCrc,
                              uint8_t* out) {
    if (length > kMaxLineLength || recordSize < 6 ||
        static_cast<size_t>(recordSize) > kMaxRecordSize)
        return false;
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        --length;
    const size_t size = static_cast<size_t>(recordSize);
    if (withCrc) {
        if (length < 2 * size)
            return false;
        for (size_t i = 0; i < size; ++i)
            out[i] = HexByte(line + 2 * i);
        const uint16_t stored = static_cast<uint16_t>(out[size - 2] | (out[size - 1] << 8));
        return Crc16(out, size - 2) == stored;
    }
    // Marker, the record without its CRC bytes, then the checksum's two digits.
    const size_t bytes = size - 2;
    if (length < 1 + 2 * bytes + 2)
        return false;
    for (size_t i = 0; i < bytes; ++i)
        out[i] = HexByte(line + 1 + 2 * i);
    uint8_t sum = 0;
    for (size_t i = 0; i + 2 < length; ++i)
        sum = static_cast<uint8_t>(sum + static_cast<unsigned char>(line[i]));
    return HexByte(line + length - 2) == static_cast<uint8_t>(-sum);
}

CHexRecordReader::CHexRecordReader(const CDASChannel& channel, bool withCrc)
    : m_recordSize(channel.GetRecordSize()), m_withCrc(withCrc) {
    StateGuard guard(AppStateLock());
    const bool all = channel.IsSelected();
    for (CNamedObject* obj : channel.Parameters()) {
        auto* p = static_cast<CDASParameter*>(obj);
        m_slots.push_back({all || p->IsSelected() ? p : nullptr, p->GetInstrumentStoresSamples()});
    }
}

CHexRecordReader::Result CHexRecordReader::Take(const char* line, size_t length,
                                                std::optional<uint32_t> from,
                                                std::optional<uint32_t> to) {
    uint8_t bytes[kMaxRecordSize];
    if (!Decode(line, length, m_recordSize, m_withCrc, bytes))
        return BAD_LINE;
    const uint32_t time = Le32(bytes);
    if ((from && time < *from) || (to && time > *to))
        return OUT_OF_RANGE;
    StateGuard guard(AppStateLock());
    const uint8_t* p = bytes + 4;
    for (const Slot& slot : m_slots) {
        int32_t samples = 1;
        if (slot.samples) {
            samples = static_cast<int32_t>(Le32(p));
            p += 4;
        }
        const uint32_t bits = Le32(p);
        p += 4;
        if (!slot.parameter)
            continue;
        if ((bits & 0x7FFFFFFFu) > 0x7F800000u) {
            slot.parameter->Records().emplace_back(0.0, 0, time, false);
        } else {
            float value;
            std::memcpy(&value, &bits, sizeof value);
            slot.parameter->Records().emplace_back(value, samples, time, true);
        }
    }
    return STORED;
}
