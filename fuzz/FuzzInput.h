// What the token-stream readers among the fuzz targets share: the keyword tables, set up once
// per process, and the input bytes as a temporary file the stream reads.
#pragma once

#include "model/InstrumentKeywords.h"
#include "support/TextSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline void InitTextTablesOnce() {
    static const bool ready = [] {
        InitSupportLibrary();
        SortTokenTables();
        return true;
    }();
    (void)ready;
}

class FuzzInputFile {
public:
    FuzzInputFile(const uint8_t* data, size_t size) : m_file(std::tmpfile()) {
        if (m_file) {
            std::fwrite(data, 1, size, m_file);
            std::rewind(m_file);
        }
    }
    ~FuzzInputFile() {
        if (m_file)
            std::fclose(m_file);
    }
    FuzzInputFile(const FuzzInputFile&) = delete;
    FuzzInputFile& operator=(const FuzzInputFile&) = delete;

    std::FILE* Get() const { return m_file; }

private:
    std::FILE* m_file;
};
