#include "ui/AppFileDialog.h"

#include "app/gui/FileFilter.h"
#include "ui/FileSaveAsDialog.h"
#include "ui/WindowModal.h"

#include <QFileInfo>

CAppFileDialog::CAppFileDialog(bool open, const QString& defaultExt, const QString& fileName,
                               unsigned flags, const QString& filter, QWidget* parent)
    : QFileDialog(parent), m_flags(flags) {
    // Our own accept() must see the chosen name, which a platform chooser would hide.
    setOption(QFileDialog::DontUseNativeDialog, true);
    // The overwrite question is ours (replace or append); one file at a time.
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (open)
        setFileMode((flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    else
        setFileMode(QFileDialog::AnyFile);
    setOption(QFileDialog::ReadOnly, (flags & OFN_READONLY) != 0 && open);
    QString ext = defaultExt;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    if (!ext.isEmpty())
        setDefaultSuffix(ext);
    if (!filter.isEmpty())
        setNameFilter(ToQtFileFilter(filter.toLatin1().toStdString()));
    if (!fileName.isEmpty()) {
        const QFileInfo info(fileName);
        if (!info.path().isEmpty() && info.path() != QLatin1String("."))
            setDirectory(info.absolutePath());
        selectFile(info.fileName());
    }
}

QString CAppFileDialog::GetPathName() const {
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

int CAppFileDialog::AskReplaceOrAppend(const QString& fileName) {
    if (m_prompter)
        return m_prompter(fileName);
    CFileSaveAsDialog prompt(fileName, this);
    return prompt.exec();
}

bool CAppFileDialog::OnFileNameOK(const QString& fileName) {
    if (!(m_flags & OFN_OVERWRITEPROMPT))
        return true;
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir()) {
        // A new file: whatever an earlier use of this chooser chose does not carry over.
        m_append = false;
        return true;
    }
    switch (AskReplaceOrAppend(fileName)) {
    case CFileSaveAsDialog::RESULT_REPLACE:
        m_append = false;
        return true;
    case CFileSaveAsDialog::RESULT_APPEND:
        m_append = true;
        return true;
    default:
        return false;
    }
}

int CAppFileDialog::exec() {
    MakeWindowModal(*this);
    return QFileDialog::exec();
}

void CAppFileDialog::accept() {
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return;
    // A folder is entered, not chosen; the chooser's own accept() does that.
    if (acceptMode() == QFileDialog::AcceptSave && !QFileInfo(files.front()).isDir() &&
        !OnFileNameOK(files.front()))
        return;
    QFileDialog::accept();
}
