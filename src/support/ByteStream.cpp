#include "support/ByteStream.h"

#include <algorithm>
#include <cstring>

size_t ByteStream::Write(const void* data, size_t size) {
    if (size == 0)
        return 0;
    if (m_pos + size > m_data.size())
        m_data.resize(m_pos + size);
    std::memcpy(m_data.data() + m_pos, data, size);
    m_pos += size;
    return size;
}

size_t ByteStream::Read(void* data, size_t size) {
    const size_t n = std::min(size, m_data.size() - m_pos);
    if (n > 0)
        std::memcpy(data, m_data.data() + m_pos, n);
    m_pos += n;
    if (n < size)
        m_exhausted = true;
    return n;
}

size_t ByteStream::WriteWord(uint16_t value) {
    const uint8_t b[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
    return Write(b, 2);
}

size_t ByteStream::ReadWord(uint16_t& value) {
    uint8_t b[2];
    const size_t n = Read(b, 2);
    if (n == 2)
        value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return n;
}

size_t ByteStream::WriteLong(uint32_t value) {
    uint8_t b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<uint8_t>(value >> (8 * i));
    return Write(b, 4);
}

size_t ByteStream::ReadLong(uint32_t& value) {
    uint8_t b[4];
    const size_t n = Read(b, 4);
    if (n == 4)
        value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    return n;
}

bool ByteStream::Seek(long offset) {
    if (offset < 0) {
        const auto back = static_cast<size_t>(-offset);
        if (back > m_pos) {
            m_pos = 0;
            return false;
        }
        m_pos -= back;
        return true;
    }
    const size_t target = m_pos + static_cast<size_t>(offset);
    if (target > m_data.size() && !IsStoring()) {
        m_pos = m_data.size();
        return false;
    }
    if (target > m_data.size())
        m_data.resize(target);
    m_pos = target;
    return true;
}
