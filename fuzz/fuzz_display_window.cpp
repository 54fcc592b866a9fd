// Instrument display text, arbitrary bytes, through the front panel's display: every byte
// picks a glyph cell of its own, the cursor wraps within the display, and the buffer and the
// bitmap always agree with a plain model of the screen.
#include "instruments/gui/DisplayFont.h"
#include "instruments/gui/DisplayWindow.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes place the cursor, out of range included.
    const int row = static_cast<int8_t>(data[0]);
    const int column = static_cast<int8_t>(data[1]);
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

    CDisplayWindow display(nullptr, 2, 40, false);
    std::string model(80, ' ');
    display.SetCursor(row, column);
    size_t at = static_cast<size_t>(display.CursorRow() * 40 + display.CursorColumn());
    Check(at < 80);
    uint64_t changes = 0;
    for (const char c : text) {
        if (model[at] != c)
            ++changes;
        model[at] = c;
        at = (at + 1) % 80;
    }
    display.Write(text);
    Check(display.GlyphCopies() == changes);
    Check(display.RowText(0) + display.RowText(1) == model);
    Check(static_cast<size_t>(display.CursorRow() * 40 + display.CursorColumn()) == at);

    // Each cell shows its character's glyph, or stays dark while it was never written.
    const QImage& font = DisplayFont::Image();
    if (font.isNull())
        return 0;
    for (int cell = 0; cell < 80; ++cell) {
        const unsigned char code = static_cast<unsigned char>(model[static_cast<size_t>(cell)]);
        const QPoint src = DisplayFont::GlyphOrigin(code);
        const QImage shown =
            display.Bitmap().copy((cell % 40) * 12 + 2, (cell / 40) * 16 + 2,
                                  DisplayFont::kGlyphWidth, DisplayFont::kGlyphHeight);
        const QImage glyph =
            font.copy(src.x(), src.y(), DisplayFont::kGlyphWidth, DisplayFont::kGlyphHeight);
        Check(code == ' ' || shown == glyph);
    }
    return 0;
}
