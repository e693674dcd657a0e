#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>

namespace klipo {

// The region to record: a rectangle on one screen.
struct RecTarget {
    QRect screenGeometry;  // the screen in global logical coordinates (origin top left), as Qt reports it
    double scale = 1.0;    // device pixels per point on that screen
    QRectF rect;           // the region in points from the screen's lower-left corner, y growing upwards
};

namespace RecGeometry {

// One side of the recorded picture: points x scale rounded (halves away from
// zero), at least 2, then down to an even number.
int evenPixels(double points, double scale);
// The picture size of a recording of `target`.
QSize outputSize(const RecTarget& target);
// The device-pixel rectangle of the desktop that a recording of `target`
// reads: the region's top-left corner in pixels, at the output size. On X11 a
// screen's top-left corner is the same in points and pixels.
QRect pixelRect(const RecTarget& target);

// Average video bit rate: width x height x 0.1 x fps, at least 1,000,000.
std::int64_t bitRate(int width, int height, int fps);

// The fastest-compressing x264 preset that still keeps up with `fps` pictures
// of this size on `cpus` processors with room to spare.
QString encoderPreset(int width, int height, int fps, int cpus);

}  // namespace RecGeometry
}  // namespace klipo
