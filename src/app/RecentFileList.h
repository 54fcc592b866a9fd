#pragma once
#include <string>
#include <vector>

class SettingsStore;

// The most recently used configuration files, newest first, kept in "Recent File List".
class RecentFileList {
public:
    explicit RecentFileList(size_t size = 4) : m_size(size) {}

    void Add(const std::string& path);
    void Remove(size_t index);
    const std::vector<std::string>& Files() const { return m_files; }
    size_t MaxSize() const { return m_size; }

    void ReadList(SettingsStore& store);
    void WriteList(SettingsStore& store) const;

private:
    size_t m_size;
    std::vector<std::string> m_files;
};
