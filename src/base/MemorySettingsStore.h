#pragma once
#include "base/SettingsStore.h"

#include <map>
#include <variant>

// Settings kept in memory: for tests and for the command-line tool.
class MemorySettingsStore : public SettingsStore {
public:
    using Value = std::variant<int64_t, std::string, std::vector<uint8_t>>;

    std::optional<int64_t> ReadInt(const std::string& section, const std::string& name) override;
    std::optional<std::string> ReadString(const std::string& section,
                                          const std::string& name) override;
    std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section,
                                                   const std::string& name) override;
    void WriteInt(const std::string& section, const std::string& name, int64_t value) override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;
    void WriteBinary(const std::string& section, const std::string& name,
                     const std::vector<uint8_t>& value) override;
    void Remove(const std::string& section, const std::string& name) override;

    bool Has(const std::string& section, const std::string& name) const;
    size_t Size() const { return m_values.size(); }

private:
    const Value* Find(const std::string& section, const std::string& name) const;
    std::map<std::pair<std::string, std::string>, Value> m_values;
};
