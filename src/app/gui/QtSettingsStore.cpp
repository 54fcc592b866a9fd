#include "app/gui/QtSettingsStore.h"

QtSettingsStore::QtSettingsStore()
    : m_settings(
          std::make_unique<QSettings>(QStringLiteral("Brenmoor"), QStringLiteral("gasquill"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

QString QtSettingsStore::Key(const std::string& section, const std::string& name) {
    return QString::fromLatin1(section.c_str()) + QLatin1Char('/') +
           QString::fromLatin1(name.c_str());
}

std::optional<int64_t> QtSettingsStore::ReadInt(const std::string& section,
                                                const std::string& name) {
    const QVariant v = m_settings->value(Key(section, name));
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<int64_t>(n);
}

std::optional<std::string> QtSettingsStore::ReadString(const std::string& section,
                                                       const std::string& name) {
    const QVariant v = m_settings->value(Key(section, name));
    if (!v.isValid())
        return std::nullopt;
    return v.toString().toLatin1().toStdString();
}

std::optional<std::vector<uint8_t>> QtSettingsStore::ReadBinary(const std::string& section,
                                                                const std::string& name) {
    const QVariant v = m_settings->value(Key(section, name));
    if (!v.isValid())
        return std::nullopt;
    const QByteArray b = v.toByteArray();
    return std::vector<uint8_t>(b.begin(), b.end());
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& name, int64_t value) {
    m_settings->setValue(Key(section, name), static_cast<qlonglong>(value));
}

void QtSettingsStore::WriteString(const std::string& section, const std::string& name,
                                  const std::string& value) {
    m_settings->setValue(Key(section, name),
                         QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::WriteBinary(const std::string& section, const std::string& name,
                                  const std::vector<uint8_t>& value) {
    m_settings->setValue(Key(section, name), QByteArray(reinterpret_cast<const char*>(value.data()),
                                                        static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::Remove(const std::string& section, const std::string& name) {
    m_settings->remove(Key(section, name));
}

void QtSettingsStore::Flush() {
    m_settings->sync();
}
