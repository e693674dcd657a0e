#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace klipo::platform {

// A soft shadow under one of our floating windows (the toast, pins, bars),
// drawn by the window itself: most window managers draw none under a
// borderless window. While a compositor runs, the window is larger than what
// it shows by a transparent margin that holds the shadow, and clicks on the
// margin go to whatever lies below. Without a compositor there is no margin
// (nothing could show through it) and round corners are cut out of the
// window's shape instead.
//
// Such a window lays its content out in its contentsRect() (a layout does so
// by itself). Its inner geometry is that area on the screen: callers place
// and size the window by it, never by the window's own geometry.

// How far the shadow reaches past the inner area on each side.
QMargins shadowMargins();

// Gives `window`, a top-level window, its shadow and round corners of
// `cornerRadius`; called again, it only changes the radius. A window has the
// margin only while it is translucent (Qt::WA_TranslucentBackground) and a
// compositor runs; that is decided now and again before every showing,
// keeping the inner geometry where it was. Main thread only.
void giveShadow(QWidget* window, qreal cornerRadius);

// The inner area in global coordinates.
QRect innerGeometry(const QWidget* window);
// The window geometry that puts the inner area on `inner`.
QRect outerGeometry(const QWidget* window, const QRect& inner);
void setInnerGeometry(QWidget* window, const QRect& inner);
void moveInner(QWidget* window, const QPoint& topLeft);

}  // namespace klipo::platform
