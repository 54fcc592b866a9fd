#pragma once
#include <QMainWindow>

class CVANTIQApp;

// The program's main window.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CVANTIQApp& app, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CVANTIQApp& m_app;
};
