#pragma once

#include "app/HUDHintPanel.h"
#include "app/SettingsTypes.h"

#include <QImage>
#include <QList>
#include <QPalette>
#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;
class QWidget;

// The floating pieces of the interface drawn off the screen at twice their
// size: the overlay's toolbars, the key-hint cards, the bars of recording and
// scrolling capture and a mock of the whole overlay.
namespace klipo::UISnapshotPieces {

// One drawn piece, named as its file; a null image when it could not be drawn.
struct Shot {
    QString name;
    QImage image;
};

// The file names of the nine pieces, in the order they are drawn.
const QStringList& names();

// The key-hint cards: the rows the overlay lists while selecting and while
// editing a selection it translates on Return.
QList<HUDHintPanel::Row> selectingRows();
QList<HUDHintPanel::Row> editingRows();

// Draws the nine pieces in the appearance (light or dark): the application
// takes the appearance, and every piece gets its palette.
QList<Shot> renderAll(PrefsAppearanceTheme theme);

// A transparent picture of twice the size, at device pixel ratio 2; null
// unless both sides are greater than 1.
QImage makeImage(const QSizeF& size);

// The widget (and what it holds) drawn into a picture of twice its size,
// laid out in `window` (the widget itself, or the panel that holds it) with
// the palette; null when it has no size.
QImage renderWidget(QWidget* widget, QWidget* window, const QPalette& palette);

// A picture of twice `size` drawn by `draw` into the rectangle (0, 0, size).
QImage drawToImage(const QSizeF& size, const std::function<void(QPainter&, const QRectF&)>& draw);

}  // namespace klipo::UISnapshotPieces
