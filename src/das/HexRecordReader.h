#pragma once
// Checks, decodes and stores the lines of a hexadecimal report. The channel's layout (its
// parameters, which of them store samples and which take part in the download) is taken
// once, so a line costs a decode and one append per parameter that takes part.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class CDASChannel;
class CDASParameter;

class CHexRecordReader {
public:
    // The longest line read, and the largest record (10 parameters storing samples).
    static constexpr size_t kMaxLineLength = 182;
    static constexpr size_t kMaxRecordSize = 86;

    // withCrc: the instrument has the new DAS, whose lines are the record with a CRC-16;
    // otherwise a marker character, the record without CRC and a checksum byte.
    CHexRecordReader(const CDASChannel& channel, bool withCrc);

    enum Result { STORED, BAD_LINE, OUT_OF_RANGE };
    // One line, with or without its line end. A line that fails its check, is shorter than a
    // record or longer than kMaxLineLength is BAD_LINE; a record before from or after to is
    // OUT_OF_RANGE; otherwise every parameter that takes part gets a record (under the state
    // lock).
    Result Take(const char* line, size_t length, std::optional<uint32_t> from = std::nullopt,
                std::optional<uint32_t> to = std::nullopt);

    // Decodes the record bytes of a line into out (room for kMaxRecordSize); false when the
    // line fails. recordSize counts the CRC bytes, as the channel gives it.
    static bool Decode(const char* line, size_t length, int recordSize, bool withCrc, uint8_t* out);
    // CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection, no final XOR.
    static uint16_t Crc16(const uint8_t* data, size_t size);

    int GetRecordSize() const { return m_recordSize; }

private:
    struct Slot {
        CDASParameter* parameter; // null when it does not take part
        bool samples;
    };
    std::vector<Slot> m_slots;
    int m_recordSize;
    bool m_withCrc;
};
