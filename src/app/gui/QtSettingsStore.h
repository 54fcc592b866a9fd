#pragma once
#include "base/SettingsStore.h"

#include <QSettings>
#include <memory>

// The settings store of the desktop program: QSettings under "Brenmoor" / "gasquill", or an
// INI file of its own (the demo's profile) when a path is given.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& iniPath);

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
    void Flush() override;

private:
    static QString Key(const std::string& section, const std::string& name);
    std::unique_ptr<QSettings> m_settings;
};
