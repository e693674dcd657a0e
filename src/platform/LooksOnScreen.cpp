#include "platform/LooksOnScreen.h"

#include <QGuiApplication>
#include <QHash>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace klipo::platform {

namespace {

// Where more than this share of a window's marks are on the screen, it still shows.
constexpr double kStillShownShare = 0.5;
constexpr int kCheckMs = 20;

LooksOnScreen::ScreenPicture& screenPicture()
{
    static LooksOnScreen::ScreenPicture picture;
    return picture;
}

QImage pictureOfScreen(const QRect& area)
{
    if (screenPicture()) return screenPicture()(area);
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen) return {};
    const QPoint offset = area.topLeft() - screen->geometry().topLeft();
    return screen->grabWindow(0, offset.x(), offset.y(), area.width(), area.height()).toImage();
}

}  // namespace

void LooksOnScreen::setScreenPicture(ScreenPicture picture) { screenPicture() = std::move(picture); }

void LooksOnScreen::add(const QRect& rect, const QImage& look, int plainMs)
{
    m_looks.append(marksOf(rect, look));
    if (plainMs > 0) m_looks.last().plainUntil = QDeadlineTimer(plainMs);
}

// The window's drawn marks: its text, separators and frame, every sample that
// is not its background. The background alone says little: the window below
// is often as plain. A window of one colour has only that.
LooksOnScreen::Marks LooksOnScreen::marksOf(const QRect& rect, const QImage& picture)
{
    Marks marks{rect, picture.size(), {}};
    if (picture.isNull()) return marks;
    const QImage look = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 1; y < look.height(); y += 3)
        for (int x = 1; x < look.width(); x += 3) ++counts[look.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    const bool plain = counts.size() == 1;
    for (int y = 1; y < look.height(); y += 3) {
        for (int x = 1; x < look.width(); x += 3) {
            const QRgb colour = look.pixel(x, y);
            if (colour != background || plain) marks.samples.append({QPoint(x, y), colour});
        }
    }
    return marks;
}

// Whether the screen still shows the window: most of its marks, or (for a
// while) one plain colour.
bool LooksOnScreen::shown(const Marks& window)
{
    if (window.samples.isEmpty() && window.plainUntil.hasExpired()) return false;
    QImage screen = pictureOfScreen(window.rect);
    if (screen.isNull()) return false;
    screen = screen.convertToFormat(QImage::Format_RGB32).scaled(window.size);
    int same = 0;
    for (const auto& [at, colour] : window.samples) same += colour == screen.pixel(at);
    if (same > kStillShownShare * double(window.samples.size())) return true;
    if (window.plainUntil.hasExpired()) return false;
    const QRgb first = screen.pixel(0, 0);
    for (int y = 1; y < screen.height(); y += 3)
        for (int x = 1; x < screen.width(); x += 3)
            if (screen.pixel(x, y) != first) return false;
    return true;
}

bool LooksOnScreen::goneFromScreen() const
{
    for (const Marks& window : m_looks)
        if (shown(window)) return false;
    return true;
}

void LooksOnScreen::whenGone(const std::shared_ptr<const LooksOnScreen>& looks, QDeadlineTimer deadline,
                             std::function<void()> then)
{
    if (looks->isEmpty() || looks->goneFromScreen() || deadline.hasExpired()) {
        then();
        return;
    }
    QTimer::singleShot(kCheckMs, qApp, [looks, deadline, then = std::move(then)]() mutable {
        whenGone(looks, deadline, std::move(then));
    });
}

}  // namespace klipo::platform
