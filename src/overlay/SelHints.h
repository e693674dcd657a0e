#pragma once

#include "app/HUDHintPanel.h"
#include "overlay/SelTypes.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace klipo {

// The corners the key-hint card may take, in the order they are tried.
enum class SelHintCorner { bottomLeft, bottomRight, topLeft, topRight };

// What the hint card of one overlay window lists and where it goes.
namespace SelHints {

struct Context {
    SelPhase phase = SelPhase::selecting;
    bool editingHere = false;    // this window holds the selection being edited
    bool textSelecting = false;  // selecting recognised text
    bool pickMode = false;       // a pick-rectangle or image-pick session
    QString pickHint;            // the caller's first row while picking
    SelAction primaryAction = SelAction::copy;
    // Where an inline translation of the selection stands.
    enum class Translation { idle, running, done };
    Translation translation = Translation::idle;
    bool marksDrawn = false;  // marks on the selection hold it in place
};

// The rows for the context; none for a window that is not the one being edited.
QList<HUDHintPanel::Row> rows(const Context& context);

// The card's frame, 24 points in from the corner of the bounds.
QRectF frame(const QRectF& bounds, const QSizeF& size, SelHintCorner corner);

// The first corner whose card neither lies within 60 points of the pointer nor
// meets an obstacle (the dragged rectangle, the selection, the toolbar, the
// style strip); the bottom left when every corner is taken.
SelHintCorner chooseCorner(const QRectF& bounds, const QSizeF& size, const QPointF& pointer,
                           const QList<QRectF>& obstacles);

}  // namespace SelHints
}  // namespace klipo
