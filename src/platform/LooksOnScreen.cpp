#include "platform/LooksOnScreen.h"

#include <algorithm>

#include <QGuiApplication>
#include <QHash>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace klipo::platform {

namespace {

// A window is judged in squares of this many pixels of its picture: the
// windows below repaint each in its own time, and a corner over a slow one
// shows ours while the rest is gone.
constexpr int kTilePx = 16;
constexpr int kSampleStepPx = 3;
// A square is judged only with this many samples of each kind in it.
constexpr int kFewestSamples = 2;
constexpr int kCheckMs = 20;
// Between the pictures that tell whether the screen stands still: longer
// than a frame of a compositor's animation at 60 Hz.
constexpr int kStillCheckMs = 30;

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

void lookUntilStill(const QList<QRect>& areas, const QList<QImage>& before, QDeadlineTimer notBefore,
                    QDeadlineTimer deadline, std::function<void()> then)
{
    QTimer::singleShot(kStillCheckMs, qApp, [=, then = std::move(then)]() mutable {
        const QList<QImage> now = LooksOnScreen::picturesOf(areas);
        if ((now == before && notBefore.hasExpired()) || deadline.hasExpired()) {
            then();
            return;
        }
        lookUntilStill(areas, now, notBefore, deadline, std::move(then));
    });
}

}  // namespace

void LooksOnScreen::setScreenPicture(ScreenPicture picture) { screenPicture() = std::move(picture); }

void LooksOnScreen::add(const QRect& rect, const QImage& look, int plainMs)
{
    m_looks.append(marksOf(rect, look));
    if (plainMs > 0) m_looks.last().plainUntil = QDeadlineTimer(plainMs);
}

// Samples of the window's picture, each noted as one of its marks (text,
// separators, frame: anything not its background) or as its background. In a
// window of one colour every sample is a mark.
LooksOnScreen::Marks LooksOnScreen::marksOf(const QRect& rect, const QImage& picture)
{
    Marks marks{rect, picture.size(), {}, false, {}};
    if (picture.isNull()) return marks;
    const QImage look = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 1; y < look.height(); y += kSampleStepPx)
        for (int x = 1; x < look.width(); x += kSampleStepPx) ++counts[look.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    marks.plain = counts.size() == 1;
    for (int y = 1; y < look.height(); y += kSampleStepPx) {
        for (int x = 1; x < look.width(); x += kSampleStepPx) {
            const QRgb colour = look.pixel(x, y);
            marks.samples.append({QPoint(x, y), colour, colour != background || marks.plain});
        }
    }
    return marks;
}

// Whether some square of the window still shows on the screen: most of its
// marks and most of its background are there as drawn. Either alone says
// little: a dark desktop matches the text, a plain page the background. A
// window of one colour shows where most of a square is that colour; for a
// while after it went (plainUntil), so does a screen of one colour.
bool LooksOnScreen::shown(const Marks& window)
{
    if (window.samples.isEmpty() && window.plainUntil.hasExpired()) return false;
    QImage screen = pictureOfScreen(window.rect);
    if (screen.isNull()) return false;
    screen = screen.convertToFormat(QImage::Format_RGB32).scaled(window.size);
    struct Tally {
        int marks = 0, marksShown = 0, background = 0, backgroundShown = 0;
    };
    QHash<QPoint, Tally> squares;
    for (const Sample& sample : window.samples) {
        Tally& square = squares[QPoint(sample.at.x() / kTilePx, sample.at.y() / kTilePx)];
        const bool same = sample.colour == screen.pixel(sample.at);
        if (sample.mark)
            ++square.marks, square.marksShown += same;
        else
            ++square.background, square.backgroundShown += same;
    }
    for (const Tally& square : std::as_const(squares)) {
        if (square.marks < kFewestSamples || 2 * square.marksShown <= square.marks) continue;
        if (window.plain || (square.background >= kFewestSamples && 2 * square.backgroundShown > square.background))
            return true;
    }
    if (window.plainUntil.hasExpired()) return false;
    const QRgb first = screen.pixel(0, 0);
    for (int y = 1; y < screen.height(); y += kSampleStepPx)
        for (int x = 1; x < screen.width(); x += kSampleStepPx)
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

QList<QImage> LooksOnScreen::picturesOf(const QList<QRect>& areas)
{
    QList<QImage> pictures;
    for (const QRect& area : areas) pictures.append(pictureOfScreen(area));
    return pictures;
}

void LooksOnScreen::whenStill(const QList<QRect>& areas, QDeadlineTimer notBefore, QDeadlineTimer deadline,
                              std::function<void()> then)
{
    if (areas.isEmpty() || deadline.hasExpired()) {
        QTimer::singleShot(std::max<qint64>(0, std::min(notBefore.remainingTime(), deadline.remainingTime())), qApp,
                           std::move(then));
        return;
    }
    lookUntilStill(areas, picturesOf(areas), notBefore, deadline, std::move(then));
}

}  // namespace klipo::platform
