#pragma once
// Writes a file that replaces another without ever destroying it: the text goes to a
// temporary file in the same folder, which is renamed over the old one only once everything
// was written. A writer that is not committed removes its temporary file.

#include <cstdio>
#include <string>

class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // Creates the temporary file beside path; false when it cannot be created.
    bool Open(const std::string& path);
    bool Write(const char* data, size_t size);
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Flushes, closes and renames over the target; false (and the target untouched) on any
    // error along the way.
    bool Commit();
    // Drops the temporary file.
    void Abandon();

    // The whole text in one go.
    static bool WriteFile(const std::string& path, const std::string& text);

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_tempPath;
    bool m_failed = false;
};
