#include "app/gui/OptLoggingPropertyPage.h"

#include "app/VANTIQApp.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "ui/AppFileDialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
enum : unsigned { IDS_LOG_FILTER = 61223, IDS_LOG_EXTENSION = 61236, IDS_LOG_NAME_NEEDED = 61266 };

QString Text(unsigned id) {
    return QString::fromLatin1(LoadString(id).c_str());
}
} // namespace

COptLoggingPropertyPage::COptLoggingPropertyPage(CVANTIQApp& app, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Logging"), parent), m_app(app),
      m_commands(QStringLiteral("Log &commands sent to instruments")),
      m_responses(QStringLiteral("Log &responses received from instruments")),
      m_errors(QStringLiteral("Log &errors")), m_fileLabel(QStringLiteral("Log file &name:")),
      m_browse(QStringLiteral("&...")) {
    m_fileLabel.setBuddy(&m_fileName);
    m_browse.setFixedWidth(m_browse.fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    auto* row = new QHBoxLayout;
    row->addWidget(&m_fileLabel);
    row->addWidget(&m_fileName, 1);
    row->addWidget(&m_browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_commands);
    layout->addWidget(&m_responses);
    layout->addWidget(&m_errors);
    layout->addSpacing(8);
    layout->addLayout(row);
    layout->addStretch(1);
    for (QCheckBox* box : {&m_commands, &m_responses, &m_errors})
        connect(box, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(&m_browse, &QPushButton::clicked, this, &COptLoggingPropertyPage::OnBrowse);
    SetTabOrder({&m_commands, &m_responses, &m_errors, &m_fileName, &m_browse});
}

void COptLoggingPropertyPage::Exchange(bool load) {
    ActivityLog& log = m_app.Log();
    if (load) {
        m_commands.setChecked(log.LogsCommands());
        m_responses.setChecked(log.LogsResponses());
        m_errors.setChecked(log.LogsErrors());
        const std::string path = m_app.GetLogPath();
        m_fileName.setText(QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size())));
    } else {
        m_app.SetLogFilters(m_commands.isChecked(), m_responses.isChecked(), m_errors.isChecked());
        m_app.SetLogPath(m_fileName.text().toLatin1().toStdString());
    }
}

void COptLoggingPropertyPage::SetDefaults() {
    m_commands.setChecked(false);
    m_responses.setChecked(false);
    m_errors.setChecked(false);
    m_fileName.setText(QStringLiteral("Log.txt"));
}

bool COptLoggingPropertyPage::AnyLogging() const {
    return m_commands.isChecked() || m_responses.isChecked() || m_errors.isChecked();
}

void COptLoggingPropertyPage::UpdateControls() {
    const bool on = AnyLogging();
    m_fileLabel.setEnabled(on);
    m_fileName.setEnabled(on);
    m_browse.setEnabled(on);
}

bool COptLoggingPropertyPage::Validate() {
    if (!AnyLogging() || !m_fileName.text().isEmpty())
        return true;
    if (UserPrompt* prompt = m_app.GetPrompt())
        prompt->Ask(LoadString(IDS_LOG_NAME_NEEDED), LoadString(IDS_ERROR), PromptButtons::Ok,
                    PromptIcon::Exclamation, PromptResult::Ok);
    m_fileName.setFocus();
    return false;
}

void COptLoggingPropertyPage::OnBrowse() {
    std::optional<QString> chosen;
    if (m_chooser) {
        chosen = m_chooser(m_fileName.text());
    } else {
        CAppFileDialog dialog(false, Text(IDS_LOG_EXTENSION), m_fileName.text(),
                              CAppFileDialog::OFN_HIDEREADONLY |
                                  CAppFileDialog::OFN_OVERWRITEPROMPT,
                              Text(IDS_LOG_FILTER), this);
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.GetPathName();
    }
    if (chosen)
        m_fileName.setText(*chosen);
}
