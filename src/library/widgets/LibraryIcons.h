#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The symbols of the library window, drawn for this program as small SVG
// line drawings in one colour.
namespace klipo::libraryicons {

enum class Symbol {
    grid,           // four squares: the history as a grid
    list,           // bullets and lines: the history as a list
    history,        // a clock in a circling arrow: empty history
    search,         // a magnifying glass: no match
    words,          // "abc": empty vocabulary
    checkmark,      // a tick in a circle: mark a word mastered
    restore,        // a u-turn arrow: bring a word back
    brokenImage,    // a picture with a crack: an image that cannot be read
    cloud,          // the backup section
    cloudUpload,    // a cloud with an arrow up: back up now
    cloudDownload,  // a cloud with an arrow down: bring the backups in
    gear,           // the preferences
};

// The symbol drawn in `color`, `side` points square, at the pixel ratio given.
QPixmap pixmap(Symbol symbol, int side, const QColor& color, qreal devicePixelRatio = 1.0);
// The symbol at 16 and 32 pixels, for buttons.
QIcon icon(Symbol symbol, const QColor& color);

}  // namespace klipo::libraryicons
