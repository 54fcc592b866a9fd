#pragma once
// The glyphs of the front panel display: one bitmap shared by every display, a 16 x 16 grid
// of 12 x 16-pixel cells (the cell of character code c at column c & 15, row c >> 4) with
// each 10 x 14-pixel glyph at (2, 2) inside its cell. Loaded at start-up and freed at exit;
// a display made without start-up (a test) loads it on first use.

#include <QImage>

class DisplayFont {
public:
    static constexpr int kCellWidth = 12, kCellHeight = 16;
    static constexpr int kGlyphWidth = 10, kGlyphHeight = 14;
    static constexpr int kGlyphLeft = 2, kGlyphTop = 2;
    static constexpr int kWidth = 16 * kCellWidth + 2, kHeight = 16 * kCellHeight + 2;

    // False if the bitmap is missing or has the wrong size.
    static bool Load();
    static void Free();
    static bool IsLoaded();
    // The bitmap in 32-bit form, loading it if need be; a null image if it cannot be read.
    static const QImage& Image();
    // Where the glyph of code starts in the bitmap.
    static QPoint GlyphOrigin(unsigned char code);
};
