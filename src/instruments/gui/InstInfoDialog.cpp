#include "instruments/gui/InstInfoDialog.h"

#include "instruments/InstrumentInfo.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}
} // namespace

CInstInfoDialog::CInstInfoDialog(const CInstrumentConnection& instrument, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Instrument Information"));
    setObjectName(QStringLiteral("InstInfo"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(4);
    // Read once, under the state lock, with the template's values while nothing is known.
    const std::vector<InstrumentInfoLine> lines = InstrumentInfo::Lines(instrument);
    int row = 0;
    for (const InstrumentInfoLine& line : lines) {
        auto* caption = new QLabel(Latin1(line.caption), this);
        caption->setObjectName(QStringLiteral("caption%1").arg(line.control));
        auto* value = new QLabel(Latin1(line.value), this);
        value->setObjectName(QStringLiteral("value%1").arg(line.control));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(caption, row, 0, Qt::AlignLeft);
        grid->addWidget(value, row, 1, Qt::AlignLeft);
        ++row;
    }
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("control2"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CInstInfoDialog::Value(unsigned control) const {
    auto* label = findChild<QLabel*>(QStringLiteral("value%1").arg(control));
    return label ? label->text() : QString();
}

QString CInstInfoDialog::Caption(unsigned control) const {
    auto* label = findChild<QLabel*>(QStringLiteral("caption%1").arg(control));
    return label ? label->text() : QString();
}
