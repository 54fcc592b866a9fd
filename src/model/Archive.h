#pragma once
// The binary object archive of the standard configuration file: little-endian integers,
// length-prefixed strings and element counts. A storing archive collects bytes in memory;
// a loading archive reads from a byte buffer and throws CArchiveException at its end.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class CArchiveException : public std::runtime_error {
public:
    enum Cause { EndOfFile, BadSchema, BadClass, BadIndex, Generic };
    CArchiveException(Cause cause, const std::string& what)
        : std::runtime_error(what), m_cause(cause) {}
    Cause GetCause() const { return m_cause; }

private:
    Cause m_cause;
};

class CArchive {
public:
    // A storing archive.
    CArchive();
    // A loading archive over a copy of data.
    explicit CArchive(std::vector<uint8_t> data);
    virtual ~CArchive() = default;

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    void WriteUInt8(uint8_t v);
    void WriteUInt16(uint16_t v);
    void WriteUInt32(uint32_t v);
    void WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }
    void WriteBool(bool v) { WriteUInt32(v ? 1 : 0); }
    void WriteString(const std::string& s);
    void WriteCount(size_t count);
    void WriteBytes(const void* data, size_t size);

    uint8_t ReadUInt8();
    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
    bool ReadBool() { return ReadUInt32() != 0; }
    std::string ReadString();
    size_t ReadCount();
    void ReadBytes(void* data, size_t size);
    void Skip(size_t size);

    // Storing: the bytes written so far. Loading: the bytes not yet read.
    const std::vector<uint8_t>& Bytes() const { return m_data; }
    size_t Position() const { return m_pos; }
    void Seek(size_t pos);

private:
    bool m_storing;
    std::vector<uint8_t> m_data;
    size_t m_pos = 0;
};
