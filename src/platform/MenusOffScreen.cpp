#include "platform/MenusOffScreen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace klipo::platform {

namespace {

// How long a closed menu may still be on the screen.
constexpr qint64 kRecentMs = 1000;

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
        if (nowMs() - closed.closedAtMs <= kRecentMs) menus.m_menus.add(closed.rect, closed.look);
    return menus;
}

void MenusOffScreen::whenGone(const std::shared_ptr<MenusOffScreen>& menus, QDeadlineTimer deadline,
                              std::function<void()> then)
{
    LooksOnScreen::whenGone(std::shared_ptr<const LooksOnScreen>(menus, &menus->m_menus), deadline, std::move(then));
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

}  // namespace klipo::platform
