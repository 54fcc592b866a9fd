#pragma once
// Shared by the property-dialog tests: the Qt application, an application object with a recording
// prompt, a driver that acts on the next modal dialog of a given type from inside its event loop,
// and screenshots with a check that no control is squeezed below the size it asks for.

#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "connections/ModemSettings.h"
#include "connections/SiteConnection.h"
#include "connections/gui/SerialPortChoices.h"
#include "platform/Connection.h"
#include "platform/SerialPort.h"
#include "support_lib/Fakes.h"
#include "support_lib/GuiShot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace dialogtest {

inline QApplication& Qt() {
    static int argc = 1;
    static char arg0[] = "gasquill";
    static char* argv[] = {arg0, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Acts on the next modal dialog of type T, from inside the modal loop that shows it. If none
// appears within the given number of looks, every modal dialog still open is rejected so that the
// test ends by itself; Seen() then tells the test.
template <class T> class WhenModal {
public:
    explicit WhenModal(std::function<void(T&)> action, int looks = 500)
        : m_action(std::move(action)), m_looksLeft(looks) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
        m_timer.start();
    }
    bool Seen() const { return m_seen; }

private:
    void Look() {
        if (auto* dlg = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            m_timer.stop();
            m_seen = true;
            m_action(*dlg);
            return;
        }
        if (--m_looksLeft > 0)
            return;
        m_timer.stop();
        while (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            open->reject();
    }

    std::function<void(T&)> m_action;
    int m_looksLeft;
    bool m_seen = false;
    QTimer m_timer;
};

// Saves the widget's picture in the build tree's test-shots folder and checks that every visible
// label, button, edit and list inside is at least as large as it asks to be (a squeezed one shows
// its text cut off). A push button may be narrower than the style's usual minimum, not than its
// text; the edit inside an editable drop-down list is the list's business.
inline void Shot(QWidget& widget, const std::string& name) {
    widget.show();
    QApplication::processEvents();
    SaveShot(widget, name);
    for (QWidget* child : widget.findChildren<QWidget*>()) {
        if (!child->isVisible() || qobject_cast<QComboBox*>(child->parentWidget()) ||
            !(qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
              qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child)))
            continue;
        QSize wanted = child->minimumSizeHint();
        if (auto* button = qobject_cast<QPushButton*>(child)) {
            const QString text = button->text().remove(QLatin1Char('&'));
            wanted = QSize(button->fontMetrics().horizontalAdvance(text) + 8,
                           button->fontMetrics().height() + 4);
        }
        const std::string what = name + ": " + child->metaObject()->className() + " \"" +
                                 child->property("text").toString().toStdString() + "\"";
        EXPECT_GE(child->width(), wanted.width()) << what << " is too narrow";
        EXPECT_GE(child->height(), wanted.height()) << what << " is too low";
    }
}

// The fixture: a Qt application and a small application object of the test's own.
struct DialogTest : ::testing::Test {
    void SetUp() override { Qt(); }
    // The editors are process-wide: every test starts and ends without any.
    void TearDown() override {
        CConnection::SetPropertiesEditor(nullptr);
        CSiteConnection::SetPropertiesEditor(nullptr);
        CModemSettings::SetPropertiesEditor(nullptr);
        SetPortLister(nullptr);
        SetPortScanRoots(SerialScanRoots{});
    }
    TestApp app;
    CNamedObjectList& Sites() { return app->Sites(); }
    // The text of the last question asked.
    std::string LastMessage() const {
        return app.prompt.asked.empty() ? std::string() : app.prompt.asked.back().text;
    }
    // The items of a list, in order.
    static QStringList Items(const QComboBox& combo) {
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items.push_back(combo.itemText(i));
        return items;
    }
};

} // namespace dialogtest
