#include "app/gui/AboutDialog.h"

#include "app/gui/ToolIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About gasquill"));
    setObjectName(QStringLiteral("AboutDialog"));

    auto* icon = new QLabel(this);
    icon->setPixmap(MakeAppIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_name = new QLabel(QStringLiteral("gasquill Graphical Interface"), this);
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_version = new QLabel(VersionText(), this);
    auto* about = new QLabel(QStringLiteral("A desktop front end for ambient air-quality gas "
                                            "analyzers and calibrators."),
                             this);
    about->setWordWrap(true);
    about->setMinimumWidth(280);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_name);
    texts->addWidget(m_version);
    texts->addSpacing(6);
    texts->addWidget(about);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CAboutDialog::VersionText() {
    return QStringLiteral("gasquill Version %1").arg(QStringLiteral(GASQUILL_VERSION));
}
