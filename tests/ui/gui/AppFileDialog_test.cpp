#include "support_lib/Fakes.h"
#include "ui/AppFileDialog.h"
#include "ui/FileSaveAsDialog.h"

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

void EnsureQt() {
    EnsureGuiTestApp();
}

constexpr unsigned kSaveFlags =
    CAppFileDialog::OFN_OVERWRITEPROMPT | CAppFileDialog::OFN_HIDEREADONLY;
const QString kFilter = QStringLiteral("Data Files (*.txt)|*.txt|All Files (*.*)|*.*||");

struct FileDialogTest : ::testing::Test {
    TestApp app;
    QTemporaryDir dir;
    QString existing;
    QString fresh;
    void SetUp() override {
        EnsureQt();
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

TEST_F(FileDialogTest, ReplaceAndAppendAcceptTheNameAndReportTheChoice) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, kSaveFlags, kFilter);
    ScriptedPrompter p;
    p.answers = {CFileSaveAsDialog::RESULT_APPEND, CFileSaveAsDialog::RESULT_REPLACE};
    dlg.SetPrompter(std::ref(p));
    EXPECT_TRUE(dlg.OnFileNameOK(existing));
    EXPECT_TRUE(dlg.GetAppend());
    EXPECT_TRUE(dlg.OnFileNameOK(existing));
    EXPECT_FALSE(dlg.GetAppend());
    EXPECT_EQ(p.asked, (std::vector<QString>{existing, existing}));
}

TEST_F(FileDialogTest, CancelInThePromptRejectsTheNameAndKeepsTheChooserOpen) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, kSaveFlags, kFilter);
    ScriptedPrompter p;
    p.answers = {QDialog::Rejected};
    dlg.SetPrompter(std::ref(p));
    dlg.show();
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(dlg.GetPathName(), existing);
    EXPECT_EQ(p.asked.size(), 1u);
}

TEST_F(FileDialogTest, ANewFileIsNeverAskedAboutAndClearsAnEarlierAppend) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, kSaveFlags, kFilter);
    ScriptedPrompter p;
    p.answers = {CFileSaveAsDialog::RESULT_APPEND};
    dlg.SetPrompter(std::ref(p));
    ASSERT_TRUE(dlg.OnFileNameOK(existing));
    ASSERT_TRUE(dlg.GetAppend());
    EXPECT_TRUE(dlg.OnFileNameOK(fresh));
    EXPECT_FALSE(dlg.GetAppend());
    EXPECT_EQ(p.asked.size(), 1u);
}

TEST_F(FileDialogTest, WithoutTheOverwriteFlagNothingIsEverAsked) {
    CAppFileDialog dlg(false, QStringLiteral(".txt"), existing, CAppFileDialog::OFN_HIDEREADONLY,
                       kFilter);
    ScriptedPrompter p;
    dlg.SetPrompter(std::ref(p));
    EXPECT_TRUE(dlg.OnFileNameOK(existing));
    EXPECT_TRUE(dlg.OnFileNameOK(fresh));
    dlg.show();
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(p.asked.empty());
    EXPECT_FALSE(dlg.GetAppend());
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

TEST_F(FileDialogTest, ThePromptHasItsTextsResultsAndAnchors) {
    CFileSaveAsDialog d(QStringLiteral("/tmp/x.txt"));
    EXPECT_EQ(d.LayoutSlot(), -1);
    EXPECT_EQ(d.Question().text(), QStringLiteral("Do you want to replace it or append to it?"));
    EXPECT_EQ(d.ReplaceButton().text(), QStringLiteral("&Replace"));
    EXPECT_EQ(d.AppendButton().text(), QStringLiteral("&Append"));
    EXPECT_EQ(d.CancelButton().text(), QStringLiteral("Cancel"));
    using R = CResizableControl::Rule;
    EXPECT_EQ(d.Question().RuleCount(), 1);
    EXPECT_EQ(d.Question().GetRule(0), (R{4, 100}));
    for (CResizableControl* b : {static_cast<CResizableControl*>(&d.ReplaceButton()),
                                 static_cast<CResizableControl*>(&d.AppendButton()),
                                 static_cast<CResizableControl*>(&d.CancelButton())}) {
        EXPECT_EQ(b->RuleCount(), 2);
        EXPECT_EQ(b->GetRule(0), (R{4, 100}));
        EXPECT_EQ(b->GetRule(1), (R{1, 50}));
    }
    EXPECT_EQ(d.Message().GetRule(0), (R{6, 100}));
    EXPECT_EQ(d.Message().GetRule(1), (R{8, 100}));
    EXPECT_EQ(d.Controls().size(), 5u);

    int result = -1;
    QObject::connect(&d, &QDialog::finished, [&](int r) { result = r; });
    d.show();
    EXPECT_EQ(d.Message().text(), QStringLiteral("/tmp/x.txt already exists."));
    EXPECT_TRUE(d.IsReady());
    d.grab().save(QStringLiteral("/tmp/shots/save-as-prompt.png"));
    d.ReplaceButton().click();
    EXPECT_EQ(result, CFileSaveAsDialog::RESULT_REPLACE);
    d.show();
    d.AppendButton().click();
    EXPECT_EQ(result, CFileSaveAsDialog::RESULT_APPEND);
}

} // namespace
