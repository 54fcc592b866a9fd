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
    // The replace-or-append answers to give, and the names asked about.
    std::vector<int> answers;
    QStringList asked;
    void SetUp() override {
        EnsureGuiTestApp();
        ASSERT_TRUE(dir.isValid());
        existing = dir.filePath(QStringLiteral("old.txt"));
        fresh = dir.filePath(QStringLiteral("new.txt"));
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x\n");
    }
    void Script(CAppFileDialog& dlg) {
        dlg.SetPrompter([this](const QString& name) {
            asked.push_back(name);
            const int r = answers.empty() ? 0 : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return r;
        });
    }
};

// Each name the chooser would accept, checked in turn: an existing file asks (with the
// overwrite flag only), the answer decides, and a new file clears an earlier Append.
TEST_F(FileDialogTest, NameChecksTable) {
    const int append = CFileSaveAsDialog::RESULT_APPEND,
              replace = CFileSaveAsDialog::RESULT_REPLACE;
    const struct {
        unsigned flags;
        std::vector<int> answers;
        std::vector<std::pair<bool, bool>> names; // existing?, accepted
        bool append;
        size_t asked;
    } rows[] = {
        {kSaveFlags, {append}, {{true, true}}, true, 1},
        {kSaveFlags, {append, replace}, {{true, true}, {true, true}}, false, 2},
        {kSaveFlags, {QDialog::Rejected}, {{true, false}}, false, 1},
        {kSaveFlags, {append}, {{true, true}, {false, true}}, false, 1},
        {CAppFileDialog::OFN_HIDEREADONLY, {}, {{true, true}, {false, true}}, false, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& r = rows[i];
        CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, r.flags, kFilter);
        answers = r.answers;
        asked.clear();
        Script(dlg);
        for (auto [old, accepted] : r.names)
            EXPECT_EQ(dlg.OnFileNameOK(old ? existing : fresh), accepted) << "row " << i;
        EXPECT_EQ(dlg.GetAppend(), r.append) << "row " << i;
        EXPECT_EQ(asked.size(), r.asked) << "row " << i;
    }
}

TEST_F(FileDialogTest, TheDefaultExtensionIsAddedBeforeTheExistenceCheck) {
    // "old" becomes "old.txt", which exists, so the question is asked.
    CAppFileDialog dlg(false, QStringLiteral(".txt"), dir.filePath(QStringLiteral("old")),
                       kSaveFlags, kFilter);
    EXPECT_TRUE(dlg.testOption(QFileDialog::DontConfirmOverwrite)); // the question is ours
    answers = {CFileSaveAsDialog::RESULT_REPLACE};
    Script(dlg);
    dlg.show();
    dlg.accept();
    EXPECT_EQ(asked, QStringList{existing});
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

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
    for (bool append : {true, false}) {
        WithPrompt([append](CFileSaveAsDialog& prompt) {
            (append ? prompt.AppendButton() : prompt.ReplaceButton()).click();
        });
        dlg.show();
        dlg.accept();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.GetAppend(), append);
    }
}

} // namespace
