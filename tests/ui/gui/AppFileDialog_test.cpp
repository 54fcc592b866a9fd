#include "support_lib/Fakes.h"
#include "ui/AppFileDialog.h"
#include "ui/FileSaveAsDialog.h"

#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr unsigned kSaveFlags =
    CAppFileDialog::OFN_OVERWRITEPROMPT | CAppFileDialog::OFN_HIDEREADONLY;
const QString kFilter = QStringLiteral("Data Files (*.txt)|*.txt|All Files (*.*)|*.*||");

struct FileDialogTest : ::testing::Test {
    TestApp app;
    QTemporaryDir dir;
    QString existing, fresh;
    void SetUp() override {
        EnsureGuiTestApp();
        ASSERT_TRUE(dir.isValid());
        existing = dir.filePath(QStringLiteral("old.txt"));
        fresh = dir.filePath(QStringLiteral("new.txt"));
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x\n");
    }
};

// Runs action on the replace-or-append prompt once its modal loop runs. Retries a bounded
// number of times; if the prompt never appears, every window is closed so the test ends.
void WithPrompt(std::function<void(CFileSaveAsDialog&)> action, int tries = 50) {
    QTimer::singleShot(0, [action, tries] {
        if (auto* prompt = qobject_cast<CFileSaveAsDialog*>(QApplication::activeModalWidget())) {
            action(*prompt);
            return;
        }
        if (tries > 0) {
            WithPrompt(action, tries - 1);
            return;
        }
        ADD_FAILURE() << "the replace-or-append prompt did not appear";
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
    });
}

TEST_F(FileDialogTest, TheRealPromptDecidesWhetherTheChooserCloses) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, kSaveFlags, kFilter);
    dlg.show();
    QStringList texts;
    bool cancelWasDefault = false;
    WithPrompt([&](CFileSaveAsDialog& prompt) {
        texts = {prompt.Message().text(), prompt.Question().text(), prompt.ReplaceButton().text(),
                 prompt.AppendButton().text(), prompt.CancelButton().text()};
        cancelWasDefault = prompt.CancelButton().isDefault();
        prompt.CancelButton().click();
    });
    dlg.accept();
    EXPECT_EQ(texts, (QStringList{existing + QStringLiteral(" already exists."),
                                  QStringLiteral("Do you want to replace it or append to it?"),
                                  QStringLiteral("&Replace"), QStringLiteral("&Append"),
                                  QStringLiteral("Cancel")}));
    EXPECT_TRUE(cancelWasDefault);
    // Cancel keeps the chooser open with the same name.
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.GetPathName(), existing);
    for (bool append : {false, true}) {
        WithPrompt([append](CFileSaveAsDialog& prompt) {
            (append ? prompt.AppendButton() : prompt.ReplaceButton()).click();
        });
        dlg.show();
        dlg.accept();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.GetAppend(), append);
    }
    // A new name asks nothing and clears the earlier Append.
    EXPECT_TRUE(dlg.OnFileNameOK(fresh));
    EXPECT_FALSE(dlg.GetAppend());
}

// "old" becomes "old.txt", which exists, so the question is asked. Without the overwrite flag
// nothing is asked.
TEST_F(FileDialogTest, TheDefaultExtensionIsAddedBeforeTheExistenceCheck) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), dir.filePath(QStringLiteral("old")),
                       kSaveFlags, kFilter);
    EXPECT_TRUE(dlg.testOption(QFileDialog::DontConfirmOverwrite)); // the question is ours
    QString asked;
    WithPrompt([&asked](CFileSaveAsDialog& prompt) {
        asked = prompt.Message().text();
        prompt.ReplaceButton().click();
    });
    dlg.show();
    dlg.accept();
    EXPECT_EQ(asked, existing + QStringLiteral(" already exists."));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    CAppFileDialog plain(false, QStringLiteral(".txt"), existing, CAppFileDialog::OFN_HIDEREADONLY,
                         kFilter);
    int asks = 0;
    plain.SetPrompter([&asks](const QString&) { return ++asks; });
    EXPECT_TRUE(plain.OnFileNameOK(existing));
    EXPECT_EQ(asks, 0);
}

} // namespace
