#pragma once
// The status-block step's dialog: two eight-bit blocks, each with its enable check, a digit
// edit ('0' and '1' only, highest bit first) and a check per bit. The digits and the checks
// follow each other both ways; a disabled block shows "DISABLED".

#include <QDialog>
#include <array>

class CStepStatusBlock;
class QCheckBox;
class QLineEdit;

class CStepStatusBlockDialog : public QDialog {
    Q_OBJECT
public:
    CStepStatusBlockDialog(CStepStatusBlock& step, QWidget* parent = nullptr);
    void accept() override;

    QCheckBox& Enable(int block) { return *m_blocks[static_cast<size_t>(block)].enable; }
    QLineEdit& Digits(int block) { return *m_blocks[static_cast<size_t>(block)].digits; }
    QCheckBox& Bit(int block, int bit) {
        return *m_blocks[static_cast<size_t>(block)].bits[static_cast<size_t>(bit)];
    }

private:
    struct Block {
        QCheckBox* enable = nullptr;
        QLineEdit* digits = nullptr;
        std::array<QCheckBox*, 8> bits{};
        bool highestFirst = true;
    };
    void MakeBlock(Block& block, const char* title, const char* enableLabel, int y, bool enabled,
                   unsigned bits, bool highestFirst);
    unsigned BitsOf(const Block& block) const;
    void DigitsFromChecks(Block& block);
    void ChecksFromDigits(Block& block);
    void UpdateControls(Block& block);

    CStepStatusBlock& m_step;
    std::array<Block, 2> m_blocks;
};
