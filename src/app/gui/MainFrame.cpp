#include "app/gui/MainFrame.h"

#include "app/Strings.h"
#include "app/VANTIQApp.h"

#include <QCloseEvent>

CMainFrame::CMainFrame(CVANTIQApp& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setWindowTitle(QString::fromLatin1(LoadString(IDS_BASE_TITLE).c_str()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_app.QuerySaveConfiguration(true)) {
        event->ignore();
        return;
    }
    event->accept();
}
