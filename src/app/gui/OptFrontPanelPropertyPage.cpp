#include "app/gui/OptFrontPanelPropertyPage.h"

#include "app/VANTIQApp.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
enum : unsigned { IDS_ENTER_INTEGER = 61712, IDS_ENTER_INTEGER_BETWEEN = 61714 };
} // namespace

COptFrontPanelPropertyPage::COptFrontPanelPropertyPage(CVANTIQApp& app, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("Front Panel"), parent), m_app(app),
      m_autoUpdate(
          QStringLiteral("&Update all front panel displays at this periodic interval (seconds):")) {
    m_period.setMaxLength(6);
    m_period.setFixedWidth(m_period.fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    auto* row = new QHBoxLayout;
    row->addWidget(&m_autoUpdate);
    row->addWidget(&m_period);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(&m_autoUpdate, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    SetTabOrder({&m_autoUpdate, &m_period});
}

void COptFrontPanelPropertyPage::Exchange(bool load) {
    if (load) {
        m_autoUpdate.setChecked(m_app.GetAutoUpdate());
        m_period.setText(QString::number(m_app.GetAutoUpdatePeriod()));
    } else {
        m_app.SetAutoUpdate(m_autoUpdate.isChecked());
        bool ok = false;
        const int period = m_period.text().trimmed().toInt(&ok);
        // A page never shown keeps what it was loaded with, even a stored value below 5.
        if (ok)
            m_app.SetAutoUpdatePeriod(period);
    }
}

void COptFrontPanelPropertyPage::SetDefaults() {
    m_autoUpdate.setChecked(true);
    m_period.setText(QStringLiteral("10"));
}

void COptFrontPanelPropertyPage::UpdateControls() {
    m_period.setEnabled(m_autoUpdate.isChecked());
}

bool COptFrontPanelPropertyPage::Validate() {
    bool ok = false;
    const int period = m_period.text().trimmed().toInt(&ok);
    if (ok && period >= kMinPeriod && period <= kMaxPeriod)
        return true;
    std::string text;
    if (!ok) {
        text = LoadString(IDS_ENTER_INTEGER);
    } else {
        text = QString::fromLatin1(LoadString(IDS_ENTER_INTEGER_BETWEEN).c_str())
                   .arg(kMinPeriod)
                   .arg(kMaxPeriod)
                   .toLatin1()
                   .toStdString();
    }
    // The options sheet shows its checks but logs nothing.
    if (UserPrompt* prompt = m_app.GetPrompt())
        prompt->Ask(text, LoadString(IDS_ERROR), PromptButtons::Ok, PromptIcon::Exclamation,
                    PromptResult::Ok);
    m_period.setFocus();
    m_period.selectAll();
    return false;
}
