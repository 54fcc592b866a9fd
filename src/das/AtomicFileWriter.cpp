#include "das/AtomicFileWriter.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

bool AtomicFileWriter::Open(const std::string& path) {
    Abandon();
    m_path = path;
    std::string pattern = path + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    // mkstemp makes the file private; a data or script file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
    ::fchmod(fd, mode);
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    m_tempPath = pattern;
    m_failed = false;
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    return true;
}

bool AtomicFileWriter::Write(const char* data, size_t size) {
    if (!m_file || m_failed)
        return false;
    if (size && std::fwrite(data, 1, size, m_file) != size)
        m_failed = true;
    return !m_failed;
}

bool AtomicFileWriter::Commit() {
    if (!m_file)
        return false;
    bool ok = !m_failed && std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (ok && std::rename(m_tempPath.c_str(), m_path.c_str()) == 0) {
        m_tempPath.clear();
        return true;
    }
    ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    return false;
}

void AtomicFileWriter::Abandon() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

bool AtomicFileWriter::WriteFile(const std::string& path, const std::string& text) {
    AtomicFileWriter writer;
    return writer.Open(path) && writer.Write(text) && writer.Commit();
}
