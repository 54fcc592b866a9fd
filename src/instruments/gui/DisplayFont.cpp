#include "instruments/gui/DisplayFont.h"

#include "instruments/gui/PanelArtwork.h"

#include <QMutex>

namespace {
// Displays live on the user-interface thread only; the lock keeps a stray load from another
// thread (a test's helper) from racing the first one.
QMutex g_lock;
QImage g_font;
bool g_loaded = false;
} // namespace

bool DisplayFont::Load() {
    QMutexLocker guard(&g_lock);
    if (g_loaded)
        return true;
    PanelArtwork::InitResources();
    QImage image(QStringLiteral(":/panel/display-font.png"));
    if (image.isNull() || image.width() != kWidth || image.height() != kHeight)
        return false;
    // One pixel format for the font and every display bitmap, so a glyph copy is a plain
    // copy of rows.
    g_font = image.convertToFormat(QImage::Format_RGB32);
    g_loaded = true;
    return true;
}

void DisplayFont::Free() {
    QMutexLocker guard(&g_lock);
    g_font = QImage();
    g_loaded = false;
}

bool DisplayFont::IsLoaded() {
    QMutexLocker guard(&g_lock);
    return g_loaded;
}

const QImage& DisplayFont::Image() {
    if (!IsLoaded())
        Load();
    return g_font;
}

QPoint DisplayFont::GlyphOrigin(unsigned char code) {
    return QPoint((code & 15) * kCellWidth + kGlyphLeft, (code >> 4) * kCellHeight + kGlyphTop);
}
