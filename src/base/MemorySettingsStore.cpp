#include "base/MemorySettingsStore.h"

const MemorySettingsStore::Value* MemorySettingsStore::Find(const std::string& section,
                                                            const std::string& name) const {
    auto it = m_values.find({section, name});
    return it == m_values.end() ? nullptr : &it->second;
}

std::optional<int64_t> MemorySettingsStore::ReadInt(const std::string& section,
                                                    const std::string& name) {
    const Value* v = Find(section, name);
    if (v && std::holds_alternative<int64_t>(*v))
        return std::get<int64_t>(*v);
    return std::nullopt;
}

std::optional<std::string> MemorySettingsStore::ReadString(const std::string& section,
                                                           const std::string& name) {
    const Value* v = Find(section, name);
    if (v && std::holds_alternative<std::string>(*v))
        return std::get<std::string>(*v);
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> MemorySettingsStore::ReadBinary(const std::string& section,
                                                                    const std::string& name) {
    const Value* v = Find(section, name);
    if (v && std::holds_alternative<std::vector<uint8_t>>(*v))
        return std::get<std::vector<uint8_t>>(*v);
    return std::nullopt;
}

void MemorySettingsStore::WriteInt(const std::string& section, const std::string& name,
                                   int64_t value) {
    m_values[{section, name}] = value;
}

void MemorySettingsStore::WriteString(const std::string& section, const std::string& name,
                                      const std::string& value) {
    m_values[{section, name}] = value;
}

void MemorySettingsStore::WriteBinary(const std::string& section, const std::string& name,
                                      const std::vector<uint8_t>& value) {
    m_values[{section, name}] = value;
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& name) {
    m_values.erase({section, name});
}

bool MemorySettingsStore::Has(const std::string& section, const std::string& name) const {
    return Find(section, name) != nullptr;
}
