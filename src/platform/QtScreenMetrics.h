#pragma once

#include "platform/ScreenMetrics.h"

class QScreen;

namespace klipo::platform {

// The screens as Qt sees them: index = 1-based position in
// QGuiApplication::screens(), pointer from QCursor::pos().
class QtScreenMetrics final : public ScreenMetrics {
public:
    QList<ScreenInfo> screens() const override;
    std::optional<ScreenInfo> primaryScreen() const override;
    QPoint pointerPosition() const override;
};

// The description of a Qt screen at a given 1-based index.
ScreenInfo screenInfo(const QScreen* screen, int index);
// The Qt screen at a 1-based index; null when there is none.
QScreen* qtScreenAt(int index);

}  // namespace klipo::platform
