#include "app/gui/OptGeneralPropertyPage.h"

#include "app/VANTIQApp.h"

#include <QVBoxLayout>

COptGeneralPropertyPage::COptGeneralPropertyPage(CVANTIQApp& app, QWidget* parent)
    : CAppPropertyPage(QStringLiteral("General"), parent), m_app(app),
      m_loadPrev(QStringLiteral("&Load previous network configuration on startup")),
      m_saveOnExit(QStringLiteral("&Save network configuration automatically on exit")),
      m_confirmDeletes(QStringLiteral("&Confirm deleting items when editing configuration")),
      m_useCheckboxes(QStringLiteral("&Use checkboxes in configuration trees")) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_loadPrev);
    layout->addWidget(&m_saveOnExit);
    layout->addWidget(&m_confirmDeletes);
    layout->addWidget(&m_useCheckboxes);
    SetTabOrder({&m_loadPrev, &m_saveOnExit, &m_confirmDeletes, &m_useCheckboxes});
    layout->addStretch(1);
}

void COptGeneralPropertyPage::Exchange(bool load) {
    if (load) {
        m_loadPrev.setChecked(m_app.GetLoadPrevConfig());
        m_saveOnExit.setChecked(m_app.GetSaveConfigOnExit());
        m_confirmDeletes.setChecked(m_app.GetConfirmDeletes());
        m_useCheckboxes.setChecked(m_app.GetUseCheckboxes());
    } else {
        m_app.SetLoadPrevConfig(m_loadPrev.isChecked());
        m_app.SetSaveConfigOnExit(m_saveOnExit.isChecked());
        m_app.SetConfirmDeletes(m_confirmDeletes.isChecked());
        m_app.SetUseCheckboxes(m_useCheckboxes.isChecked());
    }
}

void COptGeneralPropertyPage::SetDefaults() {
    m_loadPrev.setChecked(true);
    m_saveOnExit.setChecked(true);
    m_confirmDeletes.setChecked(true);
    m_useCheckboxes.setChecked(true);
}
