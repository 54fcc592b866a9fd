// The 2 x 40 display: where text lands, how it wraps, which glyphs are copied and what the
// bitmap holds afterwards.

#include "PanelTestSupport.h"
#include "instruments/gui/DisplayFont.h"
#include "instruments/gui/DisplayWindow.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

using paneltest::EnsureQt;

std::string Pad(const std::string& s, size_t n = 40) {
    std::string out = s;
    out.resize(n, ' ');
    return out;
}

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

TEST(DisplayFont, GridOfSixteenBySixteenCellsWithGlyphsInsetByTwo) {
    EnsureQt();
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
    EnsureQt();
    CDisplayWindow d(nullptr, 2, 40, false);
    EXPECT_EQ(d.Bitmap().size(), QSize(482, 34));
    EXPECT_EQ(QSize(d.Width(), d.Height()), QSize(482, 34));
    EXPECT_TRUE(AllBlack(d.Bitmap()));
    EXPECT_EQ(d.RowText(0) + d.RowText(1), std::string(80, ' '));
    EXPECT_EQ(d.GlyphCopies(), 0u); // clearing is not a copy of the blank glyph
    d.SetCursor(1, 38);
    d.Write("O3");
    EXPECT_EQ(Cell(d, 1, 38), Glyph('O'));
    EXPECT_EQ(Cell(d, 1, 39), Glyph('3'));
    EXPECT_TRUE(AllBlack(Cell(d, 1, 37)));
    EXPECT_TRUE(AllBlack(Cell(d, 0, 0)));
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

TEST(DisplayWindow, LongTextsWrapOverTheStartOfRowZero) {
    EnsureQt();
    const std::string a(40, 'a'), b(40, 'b'), extra = "0123456789";
    const struct {
        std::string text, row0, row1;
        int column;
    } rows[] = {{a + b, a, b, 0}, {a + b + extra, extra + std::string(30, 'a'), b, 10}};
    for (const auto& r : rows) {
        CDisplayWindow d(nullptr, 2, 40, false);
        d.Write(r.text);
        EXPECT_EQ(d.RowText(0), r.row0);
        EXPECT_EQ(d.RowText(1), r.row1);
        EXPECT_EQ(std::pair(d.CursorRow(), d.CursorColumn()), std::pair(0, r.column));
        EXPECT_EQ(Cell(d, 0, 0), Glyph(r.row0[0]));
    }
}

TEST(DisplayWindow, OnlyChangedCharactersCopyAGlyph) {
    EnsureQt();
    CDisplayWindow d(nullptr, 2, 40, false);
    const std::string text = Pad("SAMPLE   O3=  41.2 PPB") + Pad("<TST TST> CAL   SETUP");
    const size_t nonBlank = 80 - static_cast<size_t>(std::count(text.begin(), text.end(), ' '));
    d.Write(text);
    EXPECT_EQ(d.GlyphCopies(), nonBlank);

    d.SetCursor(0, 0);
    d.Write(text);
    EXPECT_EQ(d.GlyphCopies(), nonBlank) << "the same text again copies nothing";

    // A refresh that changes one character costs one copy.
    std::string next = text;
    next[18] = '3';
    d.SetCursor(0, 0);
    d.Write(next);
    EXPECT_EQ(d.GlyphCopies(), nonBlank + 1);
    EXPECT_EQ(Cell(d, 0, 18), Glyph('3'));

    // Blanking a character is a change too: the cell is drawn dark again.
    d.SetCursor(0, 0);
    d.Write("SAMPL ");
    EXPECT_EQ(d.GlyphCopies(), nonBlank + 2);
    EXPECT_TRUE(AllBlack(Cell(d, 0, 5)));
}

TEST(DisplayWindow, RedrawOnWriteGivesTheTargetTheNewPicture) {
    EnsureQt();
    QLabel target;
    CDisplayWindow eager(&target, 2, 40, true);
    eager.Write("NO2");
    ASSERT_FALSE(target.pixmap().isNull());
    EXPECT_EQ(target.pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              eager.Bitmap().convertToFormat(QImage::Format_RGB32));

    QLabel lazy;
    CDisplayWindow quiet(&lazy, 2, 40, false);
    const QImage blank = lazy.pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    quiet.Write("NO2");
    EXPECT_EQ(lazy.pixmap().toImage().convertToFormat(QImage::Format_RGB32), blank)
        << "without redraw on write the owner redraws";
    quiet.Redraw();
    EXPECT_EQ(lazy.pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              quiet.Bitmap().convertToFormat(QImage::Format_RGB32));
}

} // namespace
