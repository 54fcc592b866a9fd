#pragma once
// One of the eight front panel keys: an owner-drawn push button painted with the key-face
// picture stretched over the whole button. Its caption ("&1" to "&8") is not drawn; it names
// the key, and the bare digit is its keyboard shortcut.

#include <QPixmap>
#include <QPushButton>

class CFrontPanelKey : public QPushButton {
    Q_OBJECT
public:
    CFrontPanelKey(int number, QWidget* parent);
    int Number() const { return m_number; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_number;
    QPixmap m_face;
};
