#pragma once

#include "platform/ScreenMetrics.h"

#include <QImage>
#include <QList>
#include <QString>

#include <functional>

// Every screen's picture as it is now, taken once before a full-screen tool
// covers the screens with its own windows.
namespace klipo::ScreenFreeze {

struct Frozen {
    platform::ScreenInfo screen;  // geometry in global logical coordinates
    QImage imagePx;               // device pixels; null when this screen failed
    QString error;                // why it failed (Chinese), else empty
};

// Takes the screens one after the other through the platform's screenshot
// tool (the toast is taken off the screen first) and hands over all of them,
// in the order of the screen list, on the main thread. No screens: an empty list.
void grabAll(std::function<void(QList<Frozen>)> done);

}  // namespace klipo::ScreenFreeze
