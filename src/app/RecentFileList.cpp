#include "app/RecentFileList.h"

#include "base/SettingsStore.h"

#include <algorithm>

static const char* const kSection = "Recent File List";

void RecentFileList::Add(const std::string& path) {
    if (path.empty())
        return;
    auto it = std::find(m_files.begin(), m_files.end(), path);
    if (it != m_files.end())
        m_files.erase(it);
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > m_size)
        m_files.resize(m_size);
}

void RecentFileList::Remove(size_t index) {
    if (index < m_files.size())
        m_files.erase(m_files.begin() + static_cast<long>(index));
}

void RecentFileList::ReadList(SettingsStore& store) {
    m_files.clear();
    for (size_t i = 1; i <= m_size; ++i) {
        auto v = store.ReadString(kSection, "File" + std::to_string(i));
        if (v && !v->empty())
            m_files.push_back(*v);
    }
}

void RecentFileList::WriteList(SettingsStore& store) const {
    for (size_t i = 1; i <= m_size; ++i) {
        const std::string name = "File" + std::to_string(i);
        if (i <= m_files.size())
            store.WriteString(kSection, name, m_files[i - 1]);
        else
            store.Remove(kSection, name);
    }
}
