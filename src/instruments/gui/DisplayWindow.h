#pragma once
// A character display drawn from the display font into an off-screen bitmap: the front
// panel's 2 x 40 copy of the instrument's display. It is not a window itself; its bitmap is
// the picture of a target label. A glyph is copied only when the character in its place
// changes, so a refresh that changes one character costs one glyph copy.

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;

class CDisplayWindow {
public:
    // target may be null (nothing is redrawn); with redrawOnWrite the target is redrawn after
    // every Write, otherwise its owner redraws it.
    CDisplayWindow(QLabel* target, int rows, int columns, bool redrawOnWrite);
    virtual ~CDisplayWindow();
    CDisplayWindow(const CDisplayWindow&) = delete;
    CDisplayWindow& operator=(const CDisplayWindow&) = delete;

    // Black bitmap, blank buffer, cursor at the start.
    virtual void Clear();
    // Writes from the cursor on, wrapping at the end of a row to the next and from the last
    // row back to the first.
    virtual void Write(const std::string& text);
    // Positions outside the display are clamped to it.
    virtual void SetCursor(int row, int column);

    // Sets the bitmap as the target's picture and repaints it now.
    void Redraw();

    int Rows() const { return m_rows; }
    int Columns() const { return m_columns; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int CursorRow() const { return m_cursorRow; }
    int CursorColumn() const { return m_cursorColumn; }
    const QImage& Bitmap() const { return m_bitmap; }
    // The characters of one row as drawn.
    std::string RowText(int row) const;
    // Glyph copies since the display was made.
    uint64_t GlyphCopies() const { return m_glyphCopies; }

private:
    void CopyGlyph(unsigned char code, int row, int column);

    QLabel* m_target;
    int m_rows;
    int m_columns;
    std::vector<char> m_buffer;
    int m_cursorRow = 0;
    int m_cursorColumn = 0;
    size_t m_cursorPos = 0;
    int m_width;
    int m_height;
    QImage m_bitmap;
    bool m_redrawOnWrite;
    uint64_t m_glyphCopies = 0;
};
