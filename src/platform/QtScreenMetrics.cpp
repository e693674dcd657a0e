#include "platform/QtScreenMetrics.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace klipo::platform {

ScreenInfo screenInfo(const QScreen* screen, int index)
{
    ScreenInfo info;
    info.name = screen->name();
    info.index = index;
    info.geometry = screen->geometry();
    info.availableGeometry = screen->availableGeometry();
    info.devicePixelRatio = screen->devicePixelRatio();
    return info;
}

QScreen* qtScreenAt(int index)
{
    const QList<QScreen*> all = QGuiApplication::screens();
    if (index < 1 || index > all.size()) return nullptr;
    return all.at(index - 1);
}

QList<ScreenInfo> QtScreenMetrics::screens() const
{
    QList<ScreenInfo> result;
    const QList<QScreen*> all = QGuiApplication::screens();
    for (int i = 0; i < all.size(); ++i) result.append(screenInfo(all.at(i), i + 1));
    return result;
}

std::optional<ScreenInfo> QtScreenMetrics::primaryScreen() const
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return std::nullopt;
    const int index = int(QGuiApplication::screens().indexOf(const_cast<QScreen*>(primary)));
    return screenInfo(primary, index < 0 ? 1 : index + 1);
}

QPoint QtScreenMetrics::pointerPosition() const { return QCursor::pos(); }

}  // namespace klipo::platform
