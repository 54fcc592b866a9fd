#pragma once
// The one QApplication of a GUI test program. Each test file calls EnsureGuiTestApp(); the
// object is shared by every file of the program (an inline function has one static), so a
// program never makes a second application object. It is destroyed when the test run ends,
// still inside main(): destroyed later, among the exit-time destructors, Qt's own statics
// may already be gone, and the teardown crashes once a file chooser has run.

#include <QApplication>
#include <QEvent>
#include <gtest/gtest.h>

namespace gui_test_detail {
class AppEnvironment : public ::testing::Environment {
public:
    explicit AppEnvironment(QApplication*& app) : m_app(app) {}
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication*& m_app;
};
} // namespace gui_test_detail

inline QApplication& EnsureGuiTestApp() {
    static int argc = 1;
    static char arg0[] = "gasquill-test";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = nullptr;
    if (!app) {
        app = new QApplication(argc, argv);
        ::testing::AddGlobalTestEnvironment(new gui_test_detail::AppEnvironment(app));
    }
    return *app;
}
