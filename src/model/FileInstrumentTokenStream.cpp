#include "model/FileInstrumentTokenStream.h"

#include <algorithm>
#include <cstring>

FileInstrumentTokenStream::FileInstrumentTokenStream(std::FILE* file, size_t bufferSize)
    : m_file(file), m_buffer(std::max<size_t>(bufferSize, 1)) {}

FileInstrumentTokenStream::FileInstrumentTokenStream(std::FILE* file, size_t bufferSize,
                                                     const TokenTableEntry* punctuation,
                                                     uint32_t punctuationCount,
                                                     const TokenTableEntry* keywords,
                                                     uint32_t keywordCount)
    : InstrumentTokenStream(punctuation, punctuationCount, keywords, keywordCount), m_file(file),
      m_buffer(std::max<size_t>(bufferSize, 1)) {}

bool FileInstrumentTokenStream::Refill() {
    m_bufferPos = 0;
    m_bufferEnd = m_file ? std::fread(m_buffer.data(), 1, m_buffer.size(), m_file) : 0;
    return m_bufferEnd > 0;
}

std::string FileInstrumentTokenStream::ReadLine() {
    std::string line;
    for (;;) {
        if (m_bufferPos == m_bufferEnd && !Refill())
            return line;
        const char* start = m_buffer.data() + m_bufferPos;
        const size_t available = m_bufferEnd - m_bufferPos;
        const void* lf = std::memchr(start, '\n', available);
        const size_t take = lf ? static_cast<const char*>(lf) - start + 1 : available;
        line.append(start, take);
        m_bufferPos += take;
        if (lf)
            return line;
    }
}
