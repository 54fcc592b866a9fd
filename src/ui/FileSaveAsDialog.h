#pragma once
// The question asked when a file chosen for saving already exists: replace it, append to it,
// or choose again. Resizable, placement not remembered.

#include "ui/ResizableButton.h"
#include "ui/ResizableDialog.h"
#include "ui/ResizableStatic.h"

#include <QString>

class CFileSaveAsDialog : public CResizableDialog {
    Q_OBJECT
public:
    enum Result : int { RESULT_REPLACE = 1235, RESULT_APPEND = 1236 };

    explicit CFileSaveAsDialog(const QString& fileName, QWidget* parent = nullptr);

    QString FileName() const { return m_fileName; }
    CResizableStatic& Message() { return m_message; }
    CResizableStatic& Question() { return m_question; }
    CResizableButton& ReplaceButton() { return m_replace; }
    CResizableButton& AppendButton() { return m_append; }
    CResizableButton& CancelButton() { return m_cancel; }

protected:
    void OnInitDialog() override;

private:
    QString m_fileName;
    QLabel m_icon;
    CResizableStatic m_message;
    CResizableStatic m_question;
    CResizableButton m_replace;
    CResizableButton m_append;
    CResizableButton m_cancel;
};
