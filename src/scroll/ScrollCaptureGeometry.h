#pragma once

#include <QRect>
#include <QRectF>

namespace klipo {

// Where a scrolling capture takes place: a rectangle on one screen.
struct ScrollTarget {
    QRect screenGeometry;  // the screen in global logical coordinates (origin top left), as Qt reports it
    double scale = 1.0;    // device pixels per point on that screen
    QRectF rect;           // the region in points from the screen's lower-left corner, y growing upwards

    // The region in global points, origin top left, y down.
    QRectF globalRect() const;
    // The region in device pixels of the desktop, origin top left (on X11 a
    // screen's top-left corner is the same in points and pixels).
    QRect pixelRect() const;
};

namespace ScrollCaptureGeometry {

// Rows a frame must keep after its crops: the stitcher needs its 48-row
// overlap and 32 rows to match beyond it.
inline constexpr int minimumFrameRows = 80;
// Rows the top crop ("scrollCropTop") must leave, or it is ignored.
inline constexpr int minimumRowsAfterTopCrop = 120;
// How far one wheel notch moves a page in common programs (a browser's is
// the longest), in points.
inline constexpr int usualNotchPoints = 120;

// Points to pixels, halves away from zero.
int toPixels(double points, double scale);

// The rows cut off every frame of a capture.
struct FrameCrop {
    int heightPx = 0;         // the region's height in pixels
    int top = 0;              // the fixed header, from the setting
    int bottom = 0;           // under the control bar, when it has to sit inside the region
    bool topIgnored = false;  // the setting asked for a crop that leaves too little
    bool tooSmall = false;    // even without the header crop the region is too low to stitch

    int keptRows() const { return heightPx - top - bottom; }
};

// `storedCropTop`: the setting in points (negative counts as 0);
// `coveredBottom`: points of the region's bottom under the control bar.
FrameCrop frameCrop(const ScrollTarget& target, int storedCropTop, double coveredBottom);

// How far automatic scrolling moves the content per tick, in points: a third
// of the region, less where the header leaves little, at least 40.
double autoStepPoints(double regionHeight, int storedCropTop);

}  // namespace ScrollCaptureGeometry
}  // namespace klipo
