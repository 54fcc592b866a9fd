#pragma once
// Options, "Front Panel": periodic refresh of every front panel and its period (5..60 s).

#include "ui/AppPropertyPage.h"

#include <QCheckBox>
#include <QLineEdit>

class CVANTIQApp;

class COptFrontPanelPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    static constexpr int kMinPeriod = 5, kMaxPeriod = 60;

    explicit COptFrontPanelPropertyPage(CVANTIQApp& app, QWidget* parent = nullptr);

    void Exchange(bool load) override;
    void SetDefaults() override;
    void UpdateControls() override;
    // The period must be an integer from 5 to 60; otherwise says so and keeps the page.
    bool Validate() override;

    QCheckBox& AutoUpdate() { return m_autoUpdate; }
    QLineEdit& Period() { return m_period; }

private:
    CVANTIQApp& m_app;
    QCheckBox m_autoUpdate;
    QLineEdit m_period;
};
