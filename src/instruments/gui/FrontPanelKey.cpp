#include "instruments/gui/FrontPanelKey.h"

#include "instruments/gui/PanelArtwork.h"

#include <QPainter>

CFrontPanelKey::CFrontPanelKey(int number, QWidget* parent)
    : QPushButton(QStringLiteral("&%1").arg(number), parent), m_number(number),
      m_face(PanelArtwork::KeyFace()) {
    // The caption's mnemonic would make the shortcut Alt+digit; the panel's keys answer to
    // the digit alone, as the instrument's own keypad does.
    setShortcut(QKeySequence(Qt::Key_0 + number));
    setAccessibleName(QStringLiteral("Key %1").arg(number));
    setAutoDefault(false);
    setFocusPolicy(Qt::TabFocus);
}

void CFrontPanelKey::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // A pressed key sinks by one pixel, so the operator sees the press land.
    const QRect face = isDown() ? rect().translated(0, 1) : rect();
    if (isDown())
        painter.fillRect(rect(), palette().window());
    painter.drawPixmap(face, m_face);
    if (hasFocus()) {
        QPen pen(QColor(96, 255, 214));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRoundedRect(face.adjusted(3, 3, -4, -4), 2, 2);
    }
}
