#pragma once

#include "app/SettingsTypes.h"

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

}  // namespace klipo::test
