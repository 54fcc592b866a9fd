#pragma once
#include <QString>
#include <QUrl>
#include <functional>

class CVANTIQApp;
class QWidget;

// The Help menu: the help page and the manual from the program's folder (or the folder the
// "AppFilePath" setting names), the maker's web site and a support e-mail.
class HelpCommands {
public:
    static constexpr const char* kHelpFile = "gasquill-help.html";
    static constexpr const char* kManualFile = "gasquill-manual.html";
    static constexpr const char* kWebsite = "https://www.tarnby.example/";
    static constexpr const char* kSupportMail = "mailto:support@tarnby.example";
    static constexpr const char* kViewerDownload = "https://www.mozilla.org/firefox/";

    HelpCommands(CVANTIQApp& app, QWidget* owner) : m_app(app), m_owner(owner) {}

    // The folder that holds the help page and the manual.
    QString DocumentFolder() const;
    // Where the help files of a program in programDir are: beside it (a build tree), else the
    // installed share/doc/gasquill next to its bin/; programDir itself when neither has them.
    static QString FindDocumentFolder(const QString& programDir);
    QString HelpPath() const;
    QString ManualPath() const;

    void OpenHelp();
    void OpenManual();
    void OpenWebsite();
    void OpenSupport();

    // Replaces QDesktopServices::openUrl (tests).
    using Opener = std::function<bool(const QUrl&)>;
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

private:
    bool Open(const QUrl& url) const;
    void Fail(const QString& text) const;

    CVANTIQApp& m_app;
    QWidget* m_owner;
    Opener m_opener;
};
