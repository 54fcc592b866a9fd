// Dialogs run with exec() are modal to their owner's window only, so that the program's other
// top-level windows (the front panels) stay usable; a dialog without an owner holds them all.

#include "ui/AppFileDialog.h"
#include "ui/AppPropertySheet.h"
#include "ui/ResizableDialog.h"
#include "ui/WindowModal.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

// A top-level window with one button that counts the clicks that reach it.
struct CountingWindow {
    explicit CountingWindow(int left) {
        window.setGeometry(left, 300, 200, 80);
        button.setGeometry(10, 10, 120, 30);
        QObject::connect(&button, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
    }
    // Through the window system, which holds back the input of a window a modal dialog blocks.
    void Click() {
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button.geometry().center());
    }
    QWidget window;
    QPushButton button{QStringLiteral("Count"), &window};
    int clicks = 0;
};

// Runs the dialog as its code does, clicks both windows from inside its loop and gives the
// clicks that reached the owner and the other window ({-1, -1}: the dialog was not modal).
std::pair<int, int> ClickWhileRunning(QDialog& dialog, CountingWindow& owner, CountingWindow& other,
                                      const std::function<int(QDialog&)>& run) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = QApplication::activeModalWidget() == &dialog;
        if (ran) {
            owner.Click();
            other.Click();
            QApplication::processEvents();
        }
        dialog.reject();
    });
    run(dialog);
    return ran ? std::pair(owner.clicks, other.clicks) : std::pair(-1, -1);
}

int Exec(QDialog& d) {
    return d.exec();
}

TEST(WindowModal, TheDialogBasesHoldTheirOwnersWindowAndNoOther) {
    EnsureGuiTestApp();
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>(QWidget*)> make;
        std::function<int(QDialog&)> run = Exec;
        bool owned = true; // without an owner a dialog holds every window
    } rows[] = {
        {"resizable dialog", [](QWidget* p) { return std::make_unique<CResizableDialog>(-1, p); }},
        {"property sheet",
         [](QWidget* p) {
             return std::make_unique<CAppPropertySheet>(QStringLiteral("Sheet"), p);
         }},
        {"file chooser",
         [](QWidget* p) {
             return std::make_unique<CAppFileDialog>(false, QStringLiteral(".txt"), QString(), 0u,
                                                     QString(), p);
         }},
        {"plain dialog", [](QWidget* p) { return std::make_unique<QDialog>(p); },
         [](QDialog& d) { return ExecWindowModal(d); }},
        {"ownerless dialog",
         [](QWidget*) { return std::make_unique<CResizableDialog>(-1, nullptr); }, Exec, false},
    };
    for (const auto& r : rows) {
        CountingWindow owner(20), other(260);
        std::unique_ptr<QDialog> dialog = r.make(&owner.window);
        // The owner is always held; another window only by a dialog without an owner.
        EXPECT_EQ(ClickWhileRunning(*dialog, owner, other, r.run), std::pair(0, r.owned ? 1 : 0))
            << r.name;
    }
}

} // namespace
