#pragma once

#include "app/SettingsTypes.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace klipo::test {

struct ExpectedSnapshot {
    QString name;
    QSize pixels;  // twice the piece's size, cut to whole pixels
};

// The nine snapshots in file order with the size each must have, measured on
// pieces built here the way a user meets them, in the appearance.
QList<ExpectedSnapshot> expectedSnapshots(PrefsAppearanceTheme theme);

// The share of pixels that differ from the picture's most common colour (0 to
// 1), and how many colours it has, counted up to `colourLimit`.
struct Ink {
    double share = 0;
    int colours = 0;
};
Ink measureInk(const QImage& image, int colourLimit = 16);

// More than one colour and ink over 3 % of the area: not a flat fill.
bool looksDrawn(const QImage& image);

}  // namespace klipo::test
