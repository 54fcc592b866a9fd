#include "app/gui/HelpCommands.h"

#include "app/VANTIQApp.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {
enum : unsigned { IDS_BROWSER_ERROR = 61319, IDS_MANUAL_FAILED = 61323, IDS_HELP_FAILED = 61324 };
} // namespace

QString HelpCommands::DocumentFolder() const {
    const std::string setting = m_app.GetAppFilePath();
    if (!setting.empty())
        return QString::fromLatin1(setting.c_str());
    return FindDocumentFolder(QCoreApplication::applicationDirPath());
}

QString HelpCommands::FindDocumentFolder(const QString& programDir) {
    const QString help = QString::fromLatin1(kHelpFile);
    if (QFileInfo::exists(QDir(programDir).filePath(help)))
        return programDir;
    const QString installed =
        QDir::cleanPath(programDir + QStringLiteral("/../share/doc/gasquill"));
    if (QFileInfo::exists(QDir(installed).filePath(help)))
        return installed;
    return programDir;
}

QString HelpCommands::HelpPath() const {
    return QDir(DocumentFolder()).filePath(QString::fromLatin1(kHelpFile));
}

QString HelpCommands::ManualPath() const {
    return QDir(DocumentFolder()).filePath(QString::fromLatin1(kManualFile));
}

bool HelpCommands::Open(const QUrl& url) const {
    if (m_opener)
        return m_opener(url);
    return QDesktopServices::openUrl(url);
}

void HelpCommands::Fail(const QString& text) const {
    if (UserPrompt* prompt = m_app.GetPrompt())
        prompt->Ask(text.toLatin1().toStdString(), "File Error", PromptButtons::Ok,
                    PromptIcon::Exclamation, PromptResult::Ok);
}

void HelpCommands::OpenHelp() {
    const QString path = HelpPath();
    // A missing file counts as a failure even where the desktop would open an empty viewer.
    if (QFileInfo::exists(path) && Open(QUrl::fromLocalFile(path)))
        return;
    Fail(QString::fromLatin1(LoadString(IDS_HELP_FAILED).c_str()) + QStringLiteral(" '") + path +
         QStringLiteral("'."));
}

void HelpCommands::OpenManual() {
    const QString path = ManualPath();
    if (QFileInfo::exists(path) && Open(QUrl::fromLocalFile(path)))
        return;
    Fail(QString::fromLatin1(LoadString(IDS_MANUAL_FAILED).c_str()) +
         QString::fromLatin1(kViewerDownload));
}

void HelpCommands::OpenWebsite() {
    if (Open(QUrl(QString::fromLatin1(kWebsite))))
        return;
    if (UserPrompt* prompt = m_app.GetPrompt())
        prompt->Ask(LoadString(IDS_BROWSER_ERROR), "Browser Error", PromptButtons::Ok,
                    PromptIcon::Exclamation, PromptResult::Ok);
}

void HelpCommands::OpenSupport() {
    if (Open(QUrl(QString::fromLatin1(kSupportMail))))
        return;
    if (UserPrompt* prompt = m_app.GetPrompt())
        prompt->Ask(LoadString(IDS_BROWSER_ERROR), "Browser Error", PromptButtons::Ok,
                    PromptIcon::Exclamation, PromptResult::Ok);
}
