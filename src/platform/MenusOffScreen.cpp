#include "platform/MenusOffScreen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace klipo::platform {

namespace {

// How long a closed menu may still be on the screen.
constexpr qint64 kRecentMs = 1000;
// The menu is judged in squares of this many pixels of its picture: the
// windows below repaint each in its own time, and a corner over a slow one
// shows the menu while the rest is gone.
constexpr int kTilePx = 16;
constexpr int kSampleStepPx = 3;
// A square is judged only with this many samples of each kind in it.
constexpr int kFewestSamples = 2;
constexpr int kCheckMs = 20;

qint64 nowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.elapsed();
}

QList<MenusOffScreen::Closed>& recentlyClosed()
{
    static QList<MenusOffScreen::Closed> list;
    return list;
}

MenusOffScreen::ScreenPicture& screenPicture()
{
    static MenusOffScreen::ScreenPicture picture;
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

bool isMenu(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && widget->windowType() == Qt::Popup;
}

class MenuWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && isMenu(watched)) {
            auto* menu = static_cast<QWidget*>(watched);
            QList<MenusOffScreen::Closed>& list = recentlyClosed();
            list.removeIf([](const MenusOffScreen::Closed& c) { return nowMs() - c.closedAtMs > kRecentMs; });
            list.append({menu->geometry(), menu->grab().toImage(), nowMs()});
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

// Samples of the menu's picture, each noted as one of its marks (text,
// separators, frame: anything not its background) or as its background.
MenusOffScreen::Marks MenusOffScreen::marksOf(const Closed& menu)
{
    Marks marks{menu.rect, menu.look.size(), {}};
    if (menu.look.isNull()) return marks;
    const QImage look = menu.look.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 1; y < look.height(); y += kSampleStepPx)
        for (int x = 1; x < look.width(); x += kSampleStepPx) ++counts[look.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    for (int y = 1; y < look.height(); y += kSampleStepPx) {
        for (int x = 1; x < look.width(); x += kSampleStepPx) {
            const QRgb colour = look.pixel(x, y);
            marks.samples.append({QPoint(x, y), colour, colour != background});
        }
    }
    return marks;
}

// Whether some square of the menu still shows on the screen: most of its
// marks and most of its background are there as drawn. Either alone says
// little: a dark desktop matches the menu's text, a plain page its background.
bool MenusOffScreen::stillShown(const Marks& menu)
{
    if (menu.samples.isEmpty()) return false;
    QImage shown = pictureOfScreen(menu.rect);
    if (shown.isNull()) return false;
    shown = shown.convertToFormat(QImage::Format_RGB32).scaled(menu.size);
    struct Tally {
        int marks = 0, marksShown = 0, background = 0, backgroundShown = 0;
    };
    QHash<QPoint, Tally> squares;
    for (const Sample& sample : menu.samples) {
        Tally& square = squares[QPoint(sample.at.x() / kTilePx, sample.at.y() / kTilePx)];
        const bool same = sample.colour == shown.pixel(sample.at);
        if (sample.mark)
            ++square.marks, square.marksShown += same;
        else
            ++square.background, square.backgroundShown += same;
    }
    for (const Tally& square : std::as_const(squares)) {
        if (square.marks < kFewestSamples || square.background < kFewestSamples) continue;
        if (2 * square.marksShown > square.marks && 2 * square.backgroundShown > square.background) return true;
    }
    return false;
}

void MenusOffScreen::setScreenPicture(ScreenPicture picture) { screenPicture() = std::move(picture); }

void MenusOffScreen::watch()
{
    static MenuWatcher* watcher = nullptr;
    if (watcher || !qApp) return;
    watcher = new MenuWatcher(qApp);
    qApp->installEventFilter(watcher);
}

MenusOffScreen MenusOffScreen::closeAll()
{
    watch();
    // Each close takes the top menu (a submenu before its parent); a menu that
    // refuses to close stops the loop.
    for (QWidget* popup = QApplication::activePopupWidget(); popup; popup = QApplication::activePopupWidget()) {
        popup->close();
        if (popup == QApplication::activePopupWidget()) break;
    }
    // Their marks are sampled once: the screen is compared with them until
    // they are gone.
    MenusOffScreen menus;
    for (const Closed& closed : std::as_const(recentlyClosed()))
        if (nowMs() - closed.closedAtMs <= kRecentMs) menus.m_menus.append(marksOf(closed));
    return menus;
}

void MenusOffScreen::whenGone(const std::shared_ptr<MenusOffScreen>& menus, QDeadlineTimer deadline,
                              std::function<void()> then)
{
    if (menus->isEmpty() || menus->goneFromScreen() || deadline.hasExpired()) {
        then();
        return;
    }
    QTimer::singleShot(kCheckMs, qApp, [menus, deadline, then = std::move(then)]() mutable {
        whenGone(menus, deadline, std::move(then));
    });
}

void MenusOffScreen::closeAllThen(std::function<void()> then)
{
    auto menus = std::make_shared<MenusOffScreen>(closeAll());
    if (menus->isEmpty()) {
        then();
        return;
    }
    // The first look comes after a turn of the event loop: our own windows
    // under the menu repaint there.
    QTimer::singleShot(0, qApp, [menus, then = std::move(then)]() mutable {
        whenGone(menus, QDeadlineTimer(longestWaitMs), std::move(then));
    });
}

bool MenusOffScreen::goneFromScreen() const
{
    for (const Marks& menu : m_menus)
        if (stillShown(menu)) return false;
    return true;
}

}  // namespace klipo::platform
