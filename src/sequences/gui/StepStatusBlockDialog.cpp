#include "sequences/gui/StepStatusBlockDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "sequences/StepStatusBlock.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

CStepStatusBlockDialog::CStepStatusBlockDialog(CStepStatusBlock& step, QWidget* parent)
    : QDialog(parent), m_step(step) {
    setWindowTitle(QStringLiteral("Set Status Block"));
    CContactClosures b1, b2;
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        b1 = step.GetBlock1();
        b2 = step.GetBlock2();
    }
    MakeBlock(m_blocks[0], "Status Block 1", "&Enable", 10, b1.IsEnabled(), b1.GetBits(),
              b1.IsHighestFirst());
    MakeBlock(m_blocks[1], "Status Block 2", "E&nable", 110, b2.IsEnabled(), b2.GetBits(),
              b2.IsHighestFirst());
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(160, 212, 85, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(255, 212, 85, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(350, 250);
}

void CStepStatusBlockDialog::MakeBlock(Block& block, const char* title, const char* enableLabel,
                                       int y, bool enabled, unsigned bits, bool highestFirst) {
    block.highestFirst = highestFirst;
    auto* group = new QGroupBox(QString::fromLatin1(title), this);
    group->setGeometry(10, y, 330, 94);
    block.enable = new QCheckBox(QString::fromLatin1(enableLabel), group);
    block.enable->setGeometry(10, 28, 90, 22);
    block.enable->setChecked(enabled);
    block.digits = new QLineEdit(group);
    block.digits->setGeometry(110, 27, 100, 24);
    block.digits->setMaxLength(8);
    block.digits->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[01]{0,8}")), block.digits));
    // The checks run from the highest bit on the left, as the digits read.
    for (int bit = 0; bit < 8; ++bit) {
        auto* check = new QCheckBox(QString::number(bit), group);
        check->setGeometry(10 + (7 - bit) * 39, 60, 39, 22);
        check->setChecked((bits >> bit) & 1u);
        block.bits[static_cast<size_t>(bit)] = check;
        connect(check, &QCheckBox::toggled, this, [this, &block] { DigitsFromChecks(block); });
    }
    connect(block.digits, &QLineEdit::textEdited, this,
            [this, &block] { ChecksFromDigits(block); });
    connect(block.enable, &QCheckBox::toggled, this, [this, &block] { UpdateControls(block); });
    UpdateControls(block);
}

unsigned CStepStatusBlockDialog::BitsOf(const Block& block) const {
    unsigned bits = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (block.bits[static_cast<size_t>(bit)]->isChecked())
            bits |= 1u << bit;
    return bits;
}

void CStepStatusBlockDialog::DigitsFromChecks(Block& block) {
    if (!block.enable->isChecked())
        return;
    const CContactClosures set(BitsOf(block), true, block.highestFirst);
    block.digits->setText(ToQt(set.Text(CStepStatusBlock::kWidth, false)));
}

void CStepStatusBlockDialog::ChecksFromDigits(Block& block) {
    CContactClosures set(0, true, block.highestFirst);
    if (!set.FromText(FromQt(block.digits->text())))
        return;
    // A partly typed text is read as it stands; the checks show it without rewriting it.
    for (int bit = 0; bit < 8; ++bit) {
        QCheckBox* check = block.bits[static_cast<size_t>(bit)];
        const QSignalBlocker quiet(check);
        check->setChecked((set.GetBits() >> bit) & 1u);
    }
}

void CStepStatusBlockDialog::UpdateControls(Block& block) {
    const bool on = block.enable->isChecked();
    block.digits->setEnabled(on);
    if (on)
        DigitsFromChecks(block);
    else
        block.digits->setText(QStringLiteral("DISABLED"));
}

void CStepStatusBlockDialog::accept() {
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        CContactClosures b1 = m_step.GetBlock1();
        b1.SetBits(BitsOf(m_blocks[0]));
        b1.SetEnabled(m_blocks[0].enable->isChecked());
        m_step.SetBlock1(b1);
        CContactClosures b2 = m_step.GetBlock2();
        b2.SetBits(BitsOf(m_blocks[1]));
        b2.SetEnabled(m_blocks[1].enable->isChecked());
        m_step.SetBlock2(b2);
    }
    QDialog::accept();
}
