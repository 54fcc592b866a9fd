#pragma once
// Options, "General": configuration loading and saving, delete confirmation, tree boxes.

#include "ui/AppPropertyPage.h"

#include <QCheckBox>

class CVANTIQApp;

class COptGeneralPropertyPage : public CAppPropertyPage {
    Q_OBJECT
public:
    explicit COptGeneralPropertyPage(CVANTIQApp& app, QWidget* parent = nullptr);

    void Exchange(bool load) override;
    void SetDefaults() override;

    QCheckBox& LoadPrevious() { return m_loadPrev; }
    QCheckBox& SaveOnExit() { return m_saveOnExit; }
    QCheckBox& ConfirmDeletes() { return m_confirmDeletes; }
    QCheckBox& UseCheckboxes() { return m_useCheckboxes; }

private:
    CVANTIQApp& m_app;
    QCheckBox m_loadPrev;
    QCheckBox m_saveOnExit;
    QCheckBox m_confirmDeletes;
    QCheckBox m_useCheckboxes;
};
