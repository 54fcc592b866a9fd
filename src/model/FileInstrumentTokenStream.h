#pragma once
// The token stream over an open file: lines come back with their CR LF, so an empty line of
// the file is not empty and an empty result means the end of the file.

#include "model/InstrumentTokenStream.h"

#include <cstdio>
#include <vector>

class FileInstrumentTokenStream : public InstrumentTokenStream {
public:
    static constexpr size_t kDefaultBufferSize = 10000;

    // The stream reads the file through a buffer of bufferSize bytes; it does not own or
    // close the file.
    FileInstrumentTokenStream(std::FILE* file, size_t bufferSize = kDefaultBufferSize);

    std::string ReadLine() override;

protected:
    FileInstrumentTokenStream(std::FILE* file, size_t bufferSize,
                              const TokenTableEntry* punctuation, uint32_t punctuationCount,
                              const TokenTableEntry* keywords, uint32_t keywordCount);

private:
    bool Refill();

    std::FILE* m_file;
    std::vector<char> m_buffer;
    size_t m_bufferPos = 0;
    size_t m_bufferEnd = 0;
};
