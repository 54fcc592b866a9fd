#include "support_lib/Fakes.h"
#include "ui/AppFileDialog.h"
#include "ui/FileSaveAsDialog.h"

#include "support_lib/GuiShot.h"
#include "support_lib/GuiTestApp.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
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
    QString existing;
    QString fresh;
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

// Counts the questions and answers each with the next queued result.
struct ScriptedPrompter {
    std::vector<int> answers;
    std::vector<QString> asked;
    int operator()(const QString& name) {
        asked.push_back(name);
        const int r = answers.empty() ? 0 : answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return r;
    }
};

TEST_F(FileDialogTest, TheCallersFlagsAreKeptWholeAndTheChooserNeverConfirmsItself) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), fresh,
                       kSaveFlags | CAppFileDialog::OFN_ALLOWMULTISELECT, kFilter);
    EXPECT_EQ(dlg.Flags(), kSaveFlags | CAppFileDialog::OFN_ALLOWMULTISELECT);
    EXPECT_TRUE(dlg.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dlg.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dlg.defaultSuffix(), QStringLiteral("txt"));
    EXPECT_EQ(dlg.nameFilters(),
              (QStringList{QStringLiteral("Data Files (*.txt)"), QStringLiteral("All Files (*)")}));
    EXPECT_FALSE(dlg.GetAppend());
}

// Each name the chooser would accept, checked in turn: an existing file asks (with the
// overwrite flag only), the answer decides, and a new file clears an earlier Append.
TEST_F(FileDialogTest, NameChecksTable) {
    const unsigned hide = CAppFileDialog::OFN_HIDEREADONLY;
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
        {hide, {}, {{true, true}, {false, true}}, false, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& r = rows[i];
        CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, r.flags, kFilter);
        ScriptedPrompter p;
        p.answers = r.answers;
        dlg.SetPrompter(std::ref(p));
        for (auto [old, accepted] : r.names)
            EXPECT_EQ(dlg.OnFileNameOK(old ? existing : fresh), accepted) << "row " << i;
        EXPECT_EQ(dlg.GetAppend(), r.append) << "row " << i;
        EXPECT_EQ(p.asked.size(), r.asked) << "row " << i;
    }
}

TEST_F(FileDialogTest, CancelInThePromptKeepsTheChooserOpen) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, kSaveFlags, kFilter);
    ScriptedPrompter p;
    p.answers = {QDialog::Rejected};
    dlg.SetPrompter(std::ref(p));
    dlg.show();
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(dlg.GetPathName(), existing);
}

TEST_F(FileDialogTest, TheDefaultExtensionIsAddedBeforeTheExistenceCheck) {
    // "old" becomes "old.txt", which exists, so the question is asked.
    CAppFileDialog dlg(false, QStringLiteral(".txt"), dir.filePath(QStringLiteral("old")),
                       kSaveFlags, kFilter);
    ScriptedPrompter p;
    p.answers = {CFileSaveAsDialog::RESULT_REPLACE};
    dlg.SetPrompter(std::ref(p));
    dlg.show();
    dlg.accept();
    ASSERT_EQ(p.asked.size(), 1u);
    EXPECT_EQ(p.asked[0], existing);
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

TEST_F(FileDialogTest, TheRealPromptCancelledLeavesTheChooserOpenWithTheSameName) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, kSaveFlags, kFilter);
    dlg.show();
    QString shownText;
    bool cancelWasDefault = false;
    WithPrompt([&](CFileSaveAsDialog& prompt) {
        shownText = prompt.Message().text();
        cancelWasDefault = prompt.CancelButton().isDefault();
        prompt.CancelButton().click();
    });
    dlg.accept();
    EXPECT_EQ(shownText, existing + QStringLiteral(" already exists."));
    EXPECT_TRUE(cancelWasDefault);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.GetPathName(), existing);

    // Then Append on a second try closes the chooser with the choice.
    WithPrompt([](CFileSaveAsDialog& prompt) { prompt.AppendButton().click(); });
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.GetAppend());
}

TEST_F(FileDialogTest, ThePromptHasItsTextsAndResults) {
    CFileSaveAsDialog d(existing);
    EXPECT_EQ(d.Question().text(), QStringLiteral("Do you want to replace it or append to it?"));
    EXPECT_EQ(d.ReplaceButton().text(), QStringLiteral("&Replace"));
    EXPECT_EQ(d.AppendButton().text(), QStringLiteral("&Append"));
    EXPECT_EQ(d.CancelButton().text(), QStringLiteral("Cancel"));
    int result = -1;
    QObject::connect(&d, &QDialog::finished, [&](int r) { result = r; });
    d.show();
    EXPECT_EQ(d.Message().text(), existing + QStringLiteral(" already exists."));
    SaveShot(d, "save-as-prompt");
    d.ReplaceButton().click();
    EXPECT_EQ(result, CFileSaveAsDialog::RESULT_REPLACE);
    d.show();
    d.AppendButton().click();
    EXPECT_EQ(result, CFileSaveAsDialog::RESULT_APPEND);
}

} // namespace
