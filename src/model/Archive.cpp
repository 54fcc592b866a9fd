#include "model/Archive.h"

#include <cstring>

CArchive::CArchive() : m_storing(true) {}

CArchive::CArchive(std::vector<uint8_t> data) : m_storing(false), m_data(std::move(data)) {}

void CArchive::WriteBytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    m_data.insert(m_data.end(), p, p + size);
}

void CArchive::WriteUInt8(uint8_t v) {
    m_data.push_back(v);
}

void CArchive::WriteUInt16(uint16_t v) {
    m_data.push_back(static_cast<uint8_t>(v));
    m_data.push_back(static_cast<uint8_t>(v >> 8));
}

void CArchive::WriteUInt32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_data.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void CArchive::WriteString(const std::string& s) {
    const size_t n = s.size();
    if (n < 0xFF) {
        WriteUInt8(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteUInt8(0xFF);
        WriteUInt16(static_cast<uint16_t>(n));
    } else {
        WriteUInt8(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<uint32_t>(n));
    }
    WriteBytes(s.data(), n);
}

void CArchive::WriteCount(size_t count) {
    if (count < 0xFFFF) {
        WriteUInt16(static_cast<uint16_t>(count));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<uint32_t>(count));
    }
}

void CArchive::ReadBytes(void* data, size_t size) {
    if (size > m_data.size() - m_pos)
        throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of file");
    std::memcpy(data, m_data.data() + m_pos, size);
    m_pos += size;
}

void CArchive::Skip(size_t size) {
    if (size > m_data.size() - m_pos)
        throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of file");
    m_pos += size;
}

void CArchive::Seek(size_t pos) {
    if (pos > m_data.size())
        throw CArchiveException(CArchiveException::EndOfFile, "seek past end of file");
    m_pos = pos;
}

uint8_t CArchive::ReadUInt8() {
    uint8_t v;
    ReadBytes(&v, 1);
    return v;
}

uint16_t CArchive::ReadUInt16() {
    uint8_t b[2];
    ReadBytes(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t CArchive::ReadUInt32() {
    uint8_t b[4];
    ReadBytes(b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

std::string CArchive::ReadString() {
    size_t n = ReadUInt8();
    bool wide = false;
    if (n == 0xFF) {
        n = ReadUInt16();
        if (n == 0xFFFE) {
            // A string of 16-bit characters follows: its own length prefix, then 2 bytes each.
            wide = true;
            n = ReadUInt8();
            if (n == 0xFF) {
                n = ReadUInt16();
                if (n == 0xFFFF)
                    n = ReadUInt32();
            }
        } else if (n == 0xFFFF) {
            n = ReadUInt32();
        }
    }
    if (wide) {
        if (n > (m_data.size() - m_pos) / 2)
            throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of file");
        std::string s;
        s.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            const uint16_t c = ReadUInt16();
            s += static_cast<char>(c < 0x100 ? c : '?');
        }
        return s;
    }
    if (n > m_data.size() - m_pos)
        throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of file");
    std::string s(reinterpret_cast<const char*>(m_data.data() + m_pos), n);
    m_pos += n;
    return s;
}

size_t CArchive::ReadCount() {
    size_t n = ReadUInt16();
    if (n == 0xFFFF)
        n = ReadUInt32();
    // Every element is at least a two-byte reference tag, so a count the rest of the file
    // cannot hold is damage: refuse it now rather than let a caller reserve or loop for it.
    if (n > (m_data.size() - m_pos) / 2)
        throw CArchiveException(CArchiveException::EndOfFile, "list count beyond end of file");
    return n;
}

void CArchive::WriteTag(uint32_t index, bool isClass) {
    if (index < 0x7FFF) {
        WriteUInt16(static_cast<uint16_t>(isClass ? (0x8000u | index) : index));
    } else {
        WriteUInt16(0x7FFF);
        WriteUInt32(isClass ? (0x80000000u | index) : index);
    }
}

void CArchive::WriteObjectHeader(const std::string& className, unsigned schema) {
    auto it = m_classIndex.find(className);
    if (it == m_classIndex.end()) {
        WriteUInt16(0xFFFF);
        WriteUInt16(static_cast<uint16_t>(schema));
        WriteUInt16(static_cast<uint16_t>(className.size()));
        WriteBytes(className.data(), className.size());
        m_classIndex[className] = m_nextIndex++;
    } else {
        WriteTag(it->second, true);
    }
    ++m_nextIndex; // the object's own index
}

CArchive::ObjectHeader CArchive::ReadObjectHeader() {
    ObjectHeader h;
    const uint16_t tag = ReadUInt16();
    if (tag == 0)
        return h;
    uint32_t classIndex = 0;
    if (tag == 0xFFFF) {
        const unsigned schema = ReadUInt16();
        const size_t length = ReadUInt16();
        if (length > m_data.size() - m_pos)
            throw CArchiveException(CArchiveException::EndOfFile, "unexpected end of file");
        std::string name(reinterpret_cast<const char*>(m_data.data() + m_pos), length);
        m_pos += length;
        classIndex = m_nextIndex++;
        m_classes[classIndex] = {name, schema};
    } else {
        uint32_t value = tag;
        bool isClass = (tag & 0x8000) != 0;
        if (tag == 0x7FFF) {
            value = ReadUInt32();
            isClass = (value & 0x80000000u) != 0;
            value &= 0x7FFFFFFFu;
        } else {
            value &= 0x7FFFu;
        }
        if (!isClass)
            throw CArchiveException(CArchiveException::BadIndex,
                                    "reference to an object already read");
        if (!m_classes.count(value))
            throw CArchiveException(CArchiveException::BadIndex, "unknown class index");
        classIndex = value;
    }
    ++m_nextIndex;
    h.null = false;
    h.className = m_classes[classIndex].first;
    h.schema = m_classes[classIndex].second;
    return h;
}
