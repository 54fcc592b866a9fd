// Front panels opened one after another cascade from the remembered place instead of hiding
// each other; a place a closed panel left is taken again.

#include "PanelTestSupport.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/FrontPanelDialog.h"

#include <QImage>
#include <QPainter>
#include <QStyle>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

TEST(PanelPlacement, EachFurtherPanelMovesOneTitleBarDownAndRight) {
    paneltest::EnsureQt();
    std::vector<std::unique_ptr<CInstrumentConnection>> instruments;
    std::vector<CFrontPanelDialog*> panels;
    auto open = [&] {
        instruments.push_back(std::make_unique<CInstrumentConnection>());
        panels.push_back(new CFrontPanelDialog(*instruments.back()));
        panels.back()->show();
        return panels.back()->pos();
    };
    const QPoint first = open();
    const int step = panels[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    ASSERT_GT(step, 0);
    EXPECT_EQ(open(), first + QPoint(step, step));
    EXPECT_EQ(open(), first + QPoint(2 * step, 2 * step));

    // A picture of the three as they stand on the screen, for a person to look at.
    const QPoint corner = panels[2]->frameGeometry().bottomRight() + QPoint(40, 40);
    QImage shot(corner.x(), corner.y(), QImage::Format_RGB32);
    shot.fill(Qt::darkGray);
    QPainter painter(&shot);
    for (CFrontPanelDialog* panel : panels)
        painter.drawPixmap(panel->pos(), panel->grab());
    painter.end();
    EXPECT_TRUE(shot.save(QStringLiteral(GASQUILL_BIN_DIR "/panel-placement.png")));

    panels[0]->ClosePanel();
    paneltest::Pump();
    EXPECT_EQ(open(), first);
    for (size_t i = 1; i < panels.size(); ++i)
        panels[i]->ClosePanel();
    paneltest::Pump();
}
