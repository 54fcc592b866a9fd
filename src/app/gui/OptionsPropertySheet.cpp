#include "app/gui/OptionsPropertySheet.h"

#include "app/VANTIQApp.h"
#include "app/gui/OptFrontPanelPropertyPage.h"
#include "app/gui/OptGeneralPropertyPage.h"
#include "app/gui/OptLoggingPropertyPage.h"
#include "base/StateLock.h"
#include "base/Strings.h"

#include <QApplication>

namespace {
enum : unsigned { IDS_OPTIONS = 61283 };
} // namespace

COptionsPropertySheet::COptionsPropertySheet(CVANTIQApp& app, QWidget* parent)
    : CAppPropertySheet(QString::fromLatin1(LoadString(IDS_OPTIONS).c_str()), parent), m_app(app),
      m_general(new COptGeneralPropertyPage(app)),
      m_frontPanel(new COptFrontPanelPropertyPage(app)),
      m_logging(new COptLoggingPropertyPage(app)) {
    setObjectName(QStringLiteral("OptionsPropertySheet"));
    AddPage(m_general);
    AddPage(m_frontPanel);
    AddPage(m_logging);
    {
        StateGuard guard(AppStateLock());
        ExchangeAll(true);
    }
}

void COptionsPropertySheet::Apply() {
    {
        StateGuard guard(AppStateLock());
        ExchangeAll(false);
    }
    m_app.OpenLog();
    m_app.RestartAutoUpdateTimer();
}

bool COptionsPropertySheet::Run() {
    QApplication::beep();
    if (exec() != QDialog::Accepted)
        return false;
    Apply();
    return true;
}
