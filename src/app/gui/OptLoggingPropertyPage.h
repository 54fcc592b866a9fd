#pragma once
// Options, "Logging": which kinds of lines the activity log keeps, and its file.

#include "ui/AppPropertyPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <optional>

class CVANTIQApp;

class COptLoggingPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit COptLoggingPropertyPage(CVANTIQApp& app, QWidget* parent = nullptr);

    void Exchange(bool load) override;
    void SetDefaults() override;
    // The file name and its "&..." button only while some logging is on.
    void UpdateControls() override;
    // Some logging on with no file name: says so and keeps the page.
    bool Validate() override;

    // "&...": a save chooser for the log file; OK copies the path into the name field.
    void OnBrowse();
    // Replaces the chooser (tests): given the current name, the chosen path or nothing.
    using Chooser = std::function<std::optional<QString>(const QString& current)>;
    void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    QCheckBox& Commands() { return m_commands; }
    QCheckBox& Responses() { return m_responses; }
    QCheckBox& Errors() { return m_errors; }
    QLineEdit& FileName() { return m_fileName; }
    QPushButton& Browse() { return m_browse; }

private:
    bool AnyLogging() const;

    CVANTIQApp& m_app;
    QCheckBox m_commands;
    QCheckBox m_responses;
    QCheckBox m_errors;
    QLabel m_fileLabel;
    QLineEdit m_fileName;
    QPushButton m_browse;
    Chooser m_chooser;
};
