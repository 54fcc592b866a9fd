#pragma once
// The front panel's pictures, compiled into the program from resources/ (drawn by
// tools/art/make-art.py): the 58 x 20 key face, the 300 x 25 logo and the window icon.

#include <QIcon>
#include <QPixmap>

class PanelArtwork {
public:
    static constexpr int kKeyWidth = 58, kKeyHeight = 20;
    static constexpr int kLogoWidth = 300, kLogoHeight = 25;

    // Registers the pictures with Qt's resource system; the GUI is a static library, whose
    // resource table is linked in only if something refers to it.
    static void InitResources();
    static QPixmap KeyFace();
    static QPixmap Logo();
    static QIcon WindowIcon();
};
