#pragma once
// The per-user settings store: sections of named integer, string and binary values.
// The program uses QSettings behind it; tests use MemorySettingsStore.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<int64_t> ReadInt(const std::string& section, const std::string& name) = 0;
    virtual std::optional<std::string> ReadString(const std::string& section,
                                                  const std::string& name) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section,
                                                           const std::string& name) = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int64_t value) = 0;
    virtual void WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
    virtual void WriteBinary(const std::string& section, const std::string& name,
                             const std::vector<uint8_t>& value) = 0;
    virtual void Remove(const std::string& section, const std::string& name) = 0;
    virtual void Flush() {}
};
