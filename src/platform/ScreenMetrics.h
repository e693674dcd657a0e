#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace klipo::platform {

// One screen as the desktop shows it. Geometry is in global logical
// coordinates (origin top left, y down); pixels = points x devicePixelRatio.
struct ScreenInfo {
    QString name;
    int index = 1;              // 1-based position in the active display list
    QRect geometry;             // whole screen, logical
    QRect availableGeometry;    // without panels and docks, logical
    double devicePixelRatio = 1.0;
    QSize pixelSize() const;    // geometry size x ratio, each rounded
};

class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;

    // Screens in the system's order; the primary screen is the one marked primary.
    virtual QList<ScreenInfo> screens() const = 0;
    virtual std::optional<ScreenInfo> primaryScreen() const = 0;
    virtual QPoint pointerPosition() const = 0;

    // The first screen whose geometry holds the pointer, else the primary
    // screen, else the first screen; none without screens.
    std::optional<ScreenInfo> screenUnderPointer() const;
    // 1-based index of screenUnderPointer() among screens(); 1 when not found.
    int displayIndexUnderPointer() const;
};

}  // namespace klipo::platform
