#include "instruments/gui/PanelArtwork.h"

// Q_INIT_RESOURCE declares the resource initialiser in the enclosing namespace, so it is
// called from a function at global scope.
static void InitPanelResources() {
    Q_INIT_RESOURCE(panel);
}

void PanelArtwork::InitResources() {
    static const bool done = [] {
        InitPanelResources();
        return true;
    }();
    (void)done;
}

QPixmap PanelArtwork::KeyFace() {
    InitResources();
    return QPixmap(QStringLiteral(":/panel/key-face.png"));
}

QPixmap PanelArtwork::Logo() {
    InitResources();
    return QPixmap(QStringLiteral(":/panel/logo.png"));
}

QIcon PanelArtwork::WindowIcon() {
    InitResources();
    return QIcon(QStringLiteral(":/panel/panel-icon.png"));
}
