// The help files are found beside the program in a build tree and in share/doc/gasquill once
// installed; a program with neither names its own folder, so the error message says where
// the files were looked for.

#include "app/gui/HelpCommands.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

TEST(DocumentFolder, BesideTheProgramThenTheInstalledDocFolder) {
    const struct {
        const char* name;
        const char* helpAt; // folder under the root holding the help page, or nullptr
        const char* expected;
    } rows[] = {
        {"build tree", "bin", "bin"},
        {"installed", "share/doc/gasquill", "share/doc/gasquill"},
        {"both: beside wins", "bin", "bin"},
        {"nowhere", nullptr, "bin"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath(QStringLiteral("bin"));
        if (std::string(row.name).rfind("both", 0) == 0) {
            QDir(root.path()).mkpath(QStringLiteral("share/doc/gasquill"));
            QFile other(root.filePath(QStringLiteral("share/doc/gasquill/")) +
                        QString::fromLatin1(HelpCommands::kHelpFile));
            ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        }
        if (row.helpAt) {
            QDir(root.path()).mkpath(QString::fromLatin1(row.helpAt));
            QFile help(root.filePath(QString::fromLatin1(row.helpAt)) + "/" +
                       QString::fromLatin1(HelpCommands::kHelpFile));
            ASSERT_TRUE(help.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(HelpCommands::FindDocumentFolder(root.filePath(QStringLiteral("bin"))),
                  root.filePath(QString::fromLatin1(row.expected)));
    }
}
