#include "instruments/gui/DisplayWindow.h"

#include "instruments/gui/DisplayFont.h"

#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <cstring>

CDisplayWindow::CDisplayWindow(QLabel* target, int rows, int columns, bool redrawOnWrite)
    : m_target(target), m_rows(std::max(rows, 1)), m_columns(std::max(columns, 1)),
      m_buffer(static_cast<size_t>(m_rows) * static_cast<size_t>(m_columns), ' '),
      m_width(m_columns * DisplayFont::kCellWidth + 2),
      m_height(m_rows * DisplayFont::kCellHeight + 2),
      m_bitmap(m_width, m_height, QImage::Format_RGB32), m_redrawOnWrite(redrawOnWrite) {
    Clear();
}

CDisplayWindow::~CDisplayWindow() = default;

void CDisplayWindow::Clear() {
    m_bitmap.fill(Qt::black);
    Redraw();
    std::fill(m_buffer.begin(), m_buffer.end(), ' ');
    SetCursor(0, 0);
}

void CDisplayWindow::SetCursor(int row, int column) {
    m_cursorRow = std::clamp(row, 0, m_rows - 1);
    m_cursorColumn = std::clamp(column, 0, m_columns - 1);
    m_cursorPos = static_cast<size_t>(m_cursorRow) * static_cast<size_t>(m_columns) +
                  static_cast<size_t>(m_cursorColumn);
}

void CDisplayWindow::Write(const std::string& text) {
    for (const char c : text) {
        if (m_buffer[m_cursorPos] != c) {
            m_buffer[m_cursorPos] = c;
            CopyGlyph(static_cast<unsigned char>(c), m_cursorRow, m_cursorColumn);
        }
        if (++m_cursorColumn == m_columns) {
            m_cursorColumn = 0;
            if (++m_cursorRow == m_rows)
                m_cursorRow = 0;
        }
        m_cursorPos = static_cast<size_t>(m_cursorRow) * static_cast<size_t>(m_columns) +
                      static_cast<size_t>(m_cursorColumn);
    }
    if (m_redrawOnWrite)
        Redraw();
}

void CDisplayWindow::CopyGlyph(unsigned char code, int row, int column) {
    ++m_glyphCopies;
    const QImage& font = DisplayFont::Image();
    if (font.isNull())
        return;
    const QPoint src = DisplayFont::GlyphOrigin(code);
    const int dx = column * DisplayFont::kCellWidth + DisplayFont::kGlyphLeft;
    const int dy = row * DisplayFont::kCellHeight + DisplayFont::kGlyphTop;
    const size_t bytes = DisplayFont::kGlyphWidth * sizeof(QRgb);
    for (int y = 0; y < DisplayFont::kGlyphHeight; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(font.constScanLine(src.y() + y)) + src.x();
        auto* to = reinterpret_cast<QRgb*>(m_bitmap.scanLine(dy + y)) + dx;
        std::memcpy(to, from, bytes);
    }
}

void CDisplayWindow::Redraw() {
    if (!m_target)
        return;
    m_target->setPixmap(QPixmap::fromImage(m_bitmap));
    m_target->repaint();
}

std::string CDisplayWindow::RowText(int row) const {
    if (row < 0 || row >= m_rows)
        return {};
    const auto begin = m_buffer.begin() + static_cast<std::ptrdiff_t>(row) * m_columns;
    return std::string(begin, begin + m_columns);
}
