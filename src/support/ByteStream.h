#pragma once
// The memory-backed byte stream the support objects read and write themselves through.
// Little-endian 16-bit words; reads past the end come back short.

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteStream {
public:
    enum Mode : unsigned {
        MODE_STORING = 1, // writing; otherwise reading
        MODE_CREATE = 2,  // reading lists creates their objects
    };

    // A storing stream (or a reading one over nothing).
    explicit ByteStream(unsigned mode = MODE_STORING) : m_mode(mode) {}
    // A reading stream over a copy of data.
    ByteStream(std::vector<uint8_t> data, unsigned mode) : m_mode(mode), m_data(std::move(data)) {}

    unsigned GetMode() const { return m_mode; }
    bool IsStoring() const { return (m_mode & MODE_STORING) != 0; }
    bool CreatesObjects() const { return (m_mode & MODE_CREATE) != 0; }

    // Each returns the number of bytes moved.
    size_t Write(const void* data, size_t size);
    size_t Read(void* data, size_t size);
    size_t WriteWord(uint16_t value);
    size_t ReadWord(uint16_t& value);
    size_t WriteLong(uint32_t value);
    size_t ReadLong(uint32_t& value);
    // Moves the position by offset bytes, clamped to the data; false if it had to clamp.
    bool Seek(long offset);

    // Set by a read that came back short.
    bool IsExhausted() const { return m_exhausted; }
    void ClearExhausted() { m_exhausted = false; }

    size_t Position() const { return m_pos; }
    const std::vector<uint8_t>& Data() const { return m_data; }

private:
    unsigned m_mode;
    std::vector<uint8_t> m_data;
    size_t m_pos = 0;
    bool m_exhausted = false;
};
