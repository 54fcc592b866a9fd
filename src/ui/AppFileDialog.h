#pragma once
// The file chooser used wherever the program saves a file. When the caller asks for the
// overwrite prompt and the chosen file exists, it asks "replace or append?" instead of the
// usual overwrite question; GetAppend() tells the caller what was chosen.
//
//     CAppFileDialog dlg(false, ".csv", current, CAppFileDialog::OFN_OVERWRITEPROMPT |
//                        CAppFileDialog::OFN_HIDEREADONLY, filter61xxx, this);
//     if (dlg.exec() == QDialog::Accepted) save(dlg.GetPathName(), dlg.GetAppend());
//
// Filters are written as the program's strings have them: "Name (*.x)|*.x|All (*.*)|*.*||".

#include <QFileDialog>
#include <QString>
#include <functional>

class CAppFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // The caller's option flags (kept whole; the chooser itself never gets the two below).
    enum Flags : unsigned {
        OFN_READONLY = 0x1,
        OFN_OVERWRITEPROMPT = 0x2,
        OFN_HIDEREADONLY = 0x4,
        OFN_ALLOWMULTISELECT = 0x200,
        OFN_PATHMUSTEXIST = 0x800,
        OFN_FILEMUSTEXIST = 0x1000,
    };

    // open: an open chooser, else a save chooser. defaultExt with or without its dot.
    CAppFileDialog(bool open, const QString& defaultExt, const QString& fileName, unsigned flags,
                   const QString& filter, QWidget* parent = nullptr);

    unsigned Flags() const { return m_flags; }
    bool GetAppend() const { return m_append; }
    QString GetPathName() const;

    // Asks about an existing file; returns CFileSaveAsDialog's result (1235 replace, 1236
    // append, anything else cancels). Replaceable so that tests need not drive the dialog.
    using Prompter = std::function<int(const QString& fileName)>;
    void SetPrompter(Prompter prompter) { m_prompter = std::move(prompter); }

    // The chooser's check of the chosen name: accepts it or keeps the chooser open.
    bool OnFileNameOK(const QString& fileName);
    // Runs modally over the owner's window only (WindowModal.h).
    int exec() override;
    void accept() override;

private:
    int AskReplaceOrAppend(const QString& fileName);

    unsigned m_flags;
    bool m_append = false;
    Prompter m_prompter;
};
