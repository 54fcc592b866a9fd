#include "ui/AppPropertyPage.h"

CAppPropertyPage::CAppPropertyPage(const QString& title, QWidget* parent)
    : QWidget(parent), m_title(title) {}

CAppPropertyPage::~CAppPropertyPage() = default;

void CAppPropertyPage::Exchange(bool) {}
void CAppPropertyPage::SetDefaults() {}
void CAppPropertyPage::UpdateControls() {}
bool CAppPropertyPage::Validate() {
    return true;
}

bool CAppPropertyPage::ActivatePage() {
    return true;
}

bool CAppPropertyPage::OnSetActive() {
    if (!ActivatePage())
        return false;
    UpdateControls();
    return true;
}

bool CAppPropertyPage::OnKillActive() {
    return Validate();
}
