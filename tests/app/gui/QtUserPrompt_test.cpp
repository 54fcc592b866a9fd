// Message boxes sit over what the operator is looking at: the modal dialog that is open, else
// the active window, else the main window.

#include "app/gui/QtUserPrompt.h"
#include "ui/WindowModal.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(QtUserPrompt, TheBoxBelongsToTheModalDialogElseTheActiveWindowElseTheMainWindow) {
    EnsureGuiTestApp();
    QWidget mainWindow;
    QtUserPrompt prompt(&mainWindow);
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(prompt.Owner(), &mainWindow) << "nothing else to sit on";

    QWidget panel;
    panel.show();
    QApplication::setActiveWindow(&panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    EXPECT_EQ(prompt.Owner(), &panel);

    // A dialog running modally wins, and the box shown really is its own.
    QDialog dialog(&mainWindow);
    mainWindow.show();
    QPointer<QWidget> boxOwner;
    QString boxText;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    boxOwner = box->parentWidget();
                    boxText = box->text();
                    box->accept();
                }
        });
        if (QApplication::activeModalWidget() == &dialog)
            prompt.Ask("Where am I?", "Error", PromptButtons::Ok, PromptIcon::Exclamation,
                       PromptResult::Ok);
        dialog.reject();
    });
    ExecWindowModal(dialog);
    EXPECT_EQ(boxOwner.data(), &dialog);
    EXPECT_EQ(boxText, "Where am I?");
}

} // namespace
