#pragma once

#include <QImage>
#include <QList>
#include <QRect>

namespace klipo::platform {

// One screen's share of a rectangle of the desktop.
struct RegionPart {
    int screen = 0;    // index into the list of screens given
    QRect partPt;      // global logical coordinates, inside both
};

// Where a global logical rectangle lies on the screens (their geometries, in
// order): one part per screen it touches. Empty when no screen holds any of it.
QList<RegionPart> regionParts(const QRect& regionPt, const QList<QRect>& screenGeometries);

// A picture of `part` at device pixels of its screen.
struct RegionPiece {
    QRect partPt;
    QImage imagePx;
};

// The rectangle's picture at `scale` pixels per point: each piece scaled to
// that density (where its screen differs) and put in its place; what no screen
// shows stays black.
QImage composeRegion(const QRect& regionPt, double scale, const QList<RegionPiece>& pieces);

}  // namespace klipo::platform
