#pragma once
// The program options: General, Front Panel and Logging. The settings are copied in when the
// sheet opens and back only on OK, which then reopens the log and restarts the refresh timer.
// They reach the settings store at shut-down.

#include "ui/AppPropertySheet.h"

class CVANTIQApp;
class COptGeneralPropertyPage;
class COptFrontPanelPropertyPage;
class COptLoggingPropertyPage;

class COptionsPropertySheet : public CAppPropertySheet {
    Q_OBJECT
public:
    explicit COptionsPropertySheet(CVANTIQApp& app, QWidget* parent = nullptr);

    // Loads the pages from the settings (under the state lock, released before the sheet is
    // shown), beeps and runs the sheet; on OK stores them and applies them. True on OK.
    bool Run();
    // What OK does after the sheet closed: store every page, reopen the log, restart the timer.
    void Apply();

    COptGeneralPropertyPage& General() { return *m_general; }
    COptFrontPanelPropertyPage& FrontPanel() { return *m_frontPanel; }
    COptLoggingPropertyPage& Logging() { return *m_logging; }

private:
    CVANTIQApp& m_app;
    COptGeneralPropertyPage* m_general;
    COptFrontPanelPropertyPage* m_frontPanel;
    COptLoggingPropertyPage* m_logging;
};
