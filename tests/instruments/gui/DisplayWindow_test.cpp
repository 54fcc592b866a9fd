// The 2 x 40 display: where text lands, how it wraps, which glyphs are copied and what the
// bitmap holds afterwards.

#include "PanelTestSupport.h"
#include "instruments/gui/DisplayFont.h"
#include "instruments/gui/DisplayWindow.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

// The 10 x 14 glyph of code as the font has it.
QImage Glyph(unsigned char code) {
    const QPoint o = DisplayFont::GlyphOrigin(code);
    return DisplayFont::Image().copy(o.x(), o.y(), DisplayFont::kGlyphWidth,
                                     DisplayFont::kGlyphHeight);
}

QImage Cell(const CDisplayWindow& d, int row, int column) {
    return d.Bitmap().copy(column * 12 + 2, row * 16 + 2, 10, 14);
}

bool AllBlack(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0)
                return false;
    return true;
}

QImage Picture(const QLabel& label) {
    return label.pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(DisplayFont, GridOfSixteenBySixteenCellsWithGlyphsInsetByTwo) {
    paneltest::EnsureQt();
    ASSERT_TRUE(DisplayFont::Load());
    const QImage& font = DisplayFont::Image();
    EXPECT_EQ(font.size(), QSize(194, 258));
    EXPECT_EQ(DisplayFont::GlyphOrigin('A'), QPoint(1 * 12 + 2, 4 * 16 + 2));
    EXPECT_EQ(DisplayFont::GlyphOrigin(0xFF), QPoint(15 * 12 + 2, 15 * 16 + 2));
    // Letters are lit, the blank is dark, and nothing spills into the gaps between cells.
    EXPECT_FALSE(AllBlack(Glyph('A')));
    EXPECT_TRUE(AllBlack(Glyph(' ')));
    for (int code = 0; code < 256; ++code) {
        const int left = (code & 15) * 12, top = (code >> 4) * 16;
        EXPECT_TRUE(AllBlack(font.copy(left, top, 12, 2))) << code;
        EXPECT_TRUE(AllBlack(font.copy(left, top, 2, 16))) << code;
    }
}

TEST(DisplayWindow, StartsBlackAndDrawsTheFontsGlyphsAtTheirCells) {
    paneltest::EnsureQt();
    CDisplayWindow d(nullptr, 2, 40, false);
    EXPECT_EQ(d.Bitmap().size(), QSize(482, 34));
    EXPECT_TRUE(AllBlack(d.Bitmap()));
    EXPECT_EQ(d.RowText(0) + d.RowText(1), std::string(80, ' '));
    EXPECT_EQ(d.GlyphCopies(), 0u); // clearing is not a copy of the blank glyph
    d.SetCursor(1, 38);
    d.Write("O3");
    EXPECT_EQ(Cell(d, 1, 38), Glyph('O'));
    EXPECT_EQ(Cell(d, 1, 39), Glyph('3'));
    EXPECT_TRUE(AllBlack(Cell(d, 1, 37)));
    d.SetCursor(0, 5); // a byte above 127 uses its own cell of the grid
    d.Write(std::string(1, '\xB0'));
    EXPECT_EQ(Cell(d, 0, 5), Glyph(0xB0));
    // A cursor outside the display is kept on it; writing wraps from the last cell.
    d.SetCursor(5, 99);
    EXPECT_EQ(std::pair(d.CursorRow(), d.CursorColumn()), std::pair(1, 39));
    d.Write("XY");
    EXPECT_EQ(d.RowText(1).back(), 'X');
    EXPECT_EQ(d.RowText(0).front(), 'Y');
    d.SetCursor(-3, -1);
    EXPECT_EQ(std::pair(d.CursorRow(), d.CursorColumn()), std::pair(0, 0));
    EXPECT_EQ(d.RowText(7), "");
}

TEST(DisplayWindow, OnlyChangedCharactersCopyAGlyph) {
    paneltest::EnsureQt();
    CDisplayWindow d(nullptr, 2, 40, false);
    std::string text = "SAMPLE   O3=  41.2 PPB";
    text.resize(40, ' ');
    text += "<TST TST> CAL   SETUP";
    text.resize(80, ' ');
    const size_t nonBlank = 80 - static_cast<size_t>(std::count(text.begin(), text.end(), ' '));
    std::string next = text;
    next[18] = '3';
    // The same text again copies nothing; one changed character costs one copy, and so
    // does blanking one: the cell is drawn dark again.
    const struct {
        std::string text;
        size_t copies;
    } steps[] = {
        {text, nonBlank}, {text, nonBlank}, {next, nonBlank + 1}, {"SAMPL ", nonBlank + 2}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        d.SetCursor(0, 0);
        d.Write(steps[i].text);
        EXPECT_EQ(d.GlyphCopies(), steps[i].copies) << "step " << i;
    }
    EXPECT_EQ(Cell(d, 0, 18), Glyph('3'));
    EXPECT_TRUE(AllBlack(Cell(d, 0, 5)));
}

TEST(DisplayWindow, RedrawOnWriteGivesTheTargetTheNewPicture) {
    paneltest::EnsureQt();
    QLabel eagerTarget, lazyTarget;
    CDisplayWindow eager(&eagerTarget, 2, 40, true), lazy(&lazyTarget, 2, 40, false);
    const QImage blank = Picture(lazyTarget);
    eager.Write("NO2");
    lazy.Write("NO2");
    EXPECT_EQ(Picture(eagerTarget), eager.Bitmap().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(Picture(lazyTarget), blank) << "without redraw on write the owner redraws";
    lazy.Redraw();
    EXPECT_EQ(Picture(lazyTarget), lazy.Bitmap().convertToFormat(QImage::Format_RGB32));
}

} // namespace
