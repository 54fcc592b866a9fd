#pragma once
#include <QIcon>
#include <QString>

// The toolbar's 16 x 16 icons, drawn by the program itself.
QIcon MakeToolIcon(const QString& name);
// The program's window icon, the same for the main window, the front panels and About.
QIcon MakeAppIcon();
