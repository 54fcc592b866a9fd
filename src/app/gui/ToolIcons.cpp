#include "app/gui/ToolIcons.h"

#include "instruments/gui/PanelArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap Canvas() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    return pm;
}
} // namespace

QIcon MakeToolIcon(const QString& name) {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(40, 40, 40);
    p.setPen(ink);
    if (name == QLatin1String("connect")) {
        // A plug meeting a socket.
        p.fillRect(1, 6, 5, 4, QColor(60, 120, 200));
        p.drawLine(6, 7, 8, 7);
        p.drawLine(6, 8, 8, 8);
        p.fillRect(9, 4, 6, 8, QColor(90, 90, 90));
        p.fillRect(10, 6, 1, 1, Qt::white);
        p.fillRect(10, 9, 1, 1, Qt::white);
    } else if (name == QLatin1String("new")) {
        p.fillRect(3, 1, 9, 14, Qt::white);
        p.drawRect(3, 1, 9, 14);
        p.drawLine(9, 1, 12, 4);
    } else if (name == QLatin1String("open")) {
        p.fillRect(1, 4, 6, 2, QColor(220, 180, 60));
        p.fillRect(1, 6, 14, 8, QColor(240, 200, 80));
        p.drawRect(1, 6, 13, 8);
    } else if (name == QLatin1String("save")) {
        p.fillRect(2, 2, 12, 12, QColor(50, 80, 160));
        p.fillRect(4, 2, 8, 5, Qt::white);
        p.fillRect(5, 10, 6, 4, QColor(200, 200, 200));
    } else if (name == QLatin1String("instruments")) {
        p.fillRect(1, 3, 14, 10, QColor(120, 120, 120));
        p.fillRect(2, 4, 8, 4, QColor(20, 40, 30));
        p.fillRect(3, 5, 6, 1, QColor(80, 255, 200));
        for (int i = 0; i < 4; ++i)
            p.fillRect(2 + i * 3, 10, 2, 2, QColor(230, 230, 230));
    } else if (name == QLatin1String("sites")) {
        QPainterPath roof;
        roof.moveTo(1, 8);
        roof.lineTo(8, 2);
        roof.lineTo(15, 8);
        roof.closeSubpath();
        p.fillPath(roof, QColor(180, 60, 50));
        p.fillRect(3, 8, 10, 7, QColor(230, 220, 190));
        p.fillRect(7, 10, 3, 5, QColor(110, 70, 40));
    } else if (name == QLatin1String("modems")) {
        p.fillRect(1, 7, 14, 6, QColor(200, 200, 200));
        p.drawRect(1, 7, 13, 5);
        p.fillRect(3, 9, 2, 1, QColor(0, 200, 0));
        p.fillRect(6, 9, 2, 1, QColor(0, 200, 0));
        p.drawLine(12, 7, 12, 2);
    } else if (name == QLatin1String("options")) {
        p.setBrush(QColor(130, 130, 140));
        p.drawEllipse(3, 3, 10, 10);
        p.setBrush(Qt::white);
        p.drawEllipse(6, 6, 4, 4);
        p.fillRect(7, 0, 2, 3, QColor(130, 130, 140));
        p.fillRect(7, 13, 2, 3, QColor(130, 130, 140));
        p.fillRect(0, 7, 3, 2, QColor(130, 130, 140));
        p.fillRect(13, 7, 3, 2, QColor(130, 130, 140));
    } else if (name == QLatin1String("about")) {
        p.setBrush(QColor(40, 100, 200));
        p.setPen(Qt::NoPen);
        p.drawEllipse(1, 1, 14, 14);
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
    }
    p.end();
    return QIcon(pm);
}

QIcon MakeAppIcon() {
    // One icon for every window of the program: the front panel's picture.
    return PanelArtwork::WindowIcon();
}
