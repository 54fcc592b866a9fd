#include "ui/FileSaveAsDialog.h"

#include "ui/DialogButtons.h"

#include "base/Strings.h"

#include <QApplication>
#include <QStyle>

namespace {
enum : unsigned { IDS_ALREADY_EXISTS = 61304 };

// "%s" filled with the file name; the name's own bytes are kept as they are.
QString AlreadyExists(const QString& fileName) {
    QString text = QString::fromLatin1(LoadString(IDS_ALREADY_EXISTS).c_str());
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    if (at >= 0)
        text.replace(at, 2, fileName);
    return text;
}
} // namespace

CFileSaveAsDialog::CFileSaveAsDialog(const QString& fileName, QWidget* parent)
    : CResizableDialog(-1, parent), m_fileName(fileName), m_icon(this), m_message(this),
      m_question(QStringLiteral("Do you want to replace it or append to it?"), this),
      m_replace(QStringLiteral("&Replace"), this), m_append(QStringLiteral("&Append"), this),
      m_cancel(QStringLiteral("Cancel"), this) {
    setWindowTitle(QStringLiteral("Save As"));

    // The template: icon and message at the top, the question, the three buttons centred.
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_icon.setPixmap(style()
                         ->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this)
                         .pixmap(iconSize, iconSize));
    m_icon.setGeometry(12, 12, iconSize, iconSize);
    m_message.setGeometry(24 + iconSize, 12, 340 - iconSize, 48);
    m_message.setWordWrap(true);
    m_message.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_message.setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_question.setGeometry(24 + iconSize, 64, 340 - iconSize, 22);
    m_replace.setGeometry(40, 100, 100, 28);
    m_append.setGeometry(150, 100, 100, 28);
    m_cancel.setGeometry(260, 100, 100, 28);
    resize(400, 140);

    m_question.AddRule(CResizableControl::TOP_FULL, 100);
    for (CResizableButton* b : {&m_replace, &m_append, &m_cancel}) {
        b->AddRule(CResizableControl::TOP_FULL, 100);
        b->AddRule(CResizableControl::LEFT_PART, 50);
        b->setAutoDefault(false);
    }
    m_message.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_message.AddRule(CResizableControl::HEIGHT_FULL, 100);
    AddControl(&m_question);
    AddControl(&m_replace);
    AddControl(&m_append);
    AddControl(&m_message);
    AddControl(&m_cancel);

    connect(&m_replace, &QPushButton::clicked, this, [this] { done(RESULT_REPLACE); });
    connect(&m_append, &QPushButton::clicked, this, [this] { done(RESULT_APPEND); });
    connect(&m_cancel, &QPushButton::clicked, this, &CFileSaveAsDialog::reject);
    StyleAsStandardButton(m_cancel, QDialogButtonBox::Cancel);
}

void CFileSaveAsDialog::OnInitDialog() {
    CResizableDialog::OnInitDialog();
    Activate(true);
    m_message.setText(AlreadyExists(m_fileName));
    m_cancel.setDefault(true);
    m_cancel.setFocus();
    QApplication::beep();
}
