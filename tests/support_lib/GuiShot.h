#pragma once
// Pictures of windows for a person to look at, kept under the build folder.

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

// Keeps a picture of the widget as <build folder>/test-shots/<name>.png, for a person to look at.
inline void SaveShot(QWidget& widget, const std::string& name) {
    const QString dir = QStringLiteral(GASQUILL_BIN_DIR "/test-shots");
    QDir().mkpath(dir);
    const QPixmap picture = widget.grab();
    EXPECT_FALSE(picture.isNull()) << name;
    EXPECT_TRUE(picture.save(dir + QLatin1Char('/') + QString::fromStdString(name) + ".png"))
        << name;
}
