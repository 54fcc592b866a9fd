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

struct Reach {
    bool ran = false;
    int owner = 0;
    int other = 0;
};

// Runs the dialog as its code does and clicks both windows from inside its loop.
Reach ClickWhileRunning(QDialog& dialog, CountingWindow& owner, CountingWindow& other,
                        const std::function<int(QDialog&)>& run) {
    Reach reach;
    QTimer::singleShot(0, [&] {
        if (QApplication::activeModalWidget() != &dialog)
            return;
        reach.ran = true;
        owner.Click();
        other.Click();
        QApplication::processEvents();
        dialog.reject();
    });
    run(dialog);
    // A test that went wrong must not leave a dialog open for the next one.
    if (dialog.isVisible())
        dialog.reject();
    reach.owner = owner.clicks;
    reach.other = other.clicks;
    return reach;
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
        const Reach reach = ClickWhileRunning(*dialog, owner, other, r.run);
        ASSERT_TRUE(reach.ran) << r.name;
        EXPECT_EQ(reach.owner, 0) << r.name << ": its owner is held";
        EXPECT_EQ(reach.other, r.owned ? 1 : 0) << r.name << ": another window";
    }
}

} // namespace
