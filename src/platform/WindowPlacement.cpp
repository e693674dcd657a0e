#include "platform/WindowPlacement.h"

#include "platform/FloatingWindows.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace klipo::platform {

namespace {

// The window manager's answer, kept on the window so it is asked once.
constexpr char kAskedMarginsProperty[] = "klipoExpectedFrameMargins";
constexpr char kFramedCheckName[] = "klipoFramedCheck";
// How long after showing the window manager may take to frame a window.
constexpr int kFramingPollMs = 20;
constexpr int kFramingWaitMs = 1000;

bool hasNoFrame(const QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    if (flags & (Qt::FramelessWindowHint | Qt::BypassWindowManagerHint)) return true;
    const Qt::WindowType type = window->windowType();
    return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
}

QMargins marginsBetween(const QRect& frame, const QRect& inner)
{
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// Where a window manager may put a window other than asked without it
// counting as misplaced (decorations it did not tell of before).
constexpr int kPlacementTolerance = 40;

// Once the window is shown and framed, moves it inside the area if the frame
// it got does not fit there after all (a window manager that did not answer,
// or answered for other decorations), and back to where it was asked for if
// the window manager placed it by its own rule (openbox now and then puts a
// window at the screen's top-left corner on its first showing). Goes away
// after one check.
class FramedCheck final : public QObject {
public:
    FramedCheck(QWidget* window, const QRect& intended, const QRect& area)
        : QObject(window), m_window(window), m_intended(intended), m_area(area)
    {
        setObjectName(QLatin1String(kFramedCheckName));
        window->installEventFilter(this);
        if (window->isVisible()) start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && !m_started) start();
        return false;
    }

private:
    void start()
    {
        m_started = true;
        m_waited = 0;
        QTimer::singleShot(0, this, [this] { poll(); });
    }
    void poll()
    {
        if (!m_window || !m_window->isVisible()) return deleteLater();
        const bool framed = m_window->frameGeometry() != m_window->geometry();
        if (!framed && m_waited < kFramingWaitMs) {
            m_waited += kFramingPollMs;
            QTimer::singleShot(kFramingPollMs, this, [this] { poll(); });
            return;
        }
        const QRect frame = m_window->frameGeometry();
        QRect inside = keptInside(frame, m_area);
        if ((frame.topLeft() - m_intended.topLeft()).manhattanLength() > kPlacementTolerance)
            inside = keptInside(QRect(m_intended.topLeft(), frame.size()), m_area);
        if (inside != frame) m_window->move(inside.topLeft());
        deleteLater();
    }

    QPointer<QWidget> m_window;
    QRect m_intended;
    QRect m_area;
    bool m_started = false;
    int m_waited = 0;
};

}  // namespace

QRect keptInside(const QRect& frame, const QRect& area)
{
    if (area.isEmpty()) return frame;
    QRect moved = frame;
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    moved.moveLeft(std::max(std::min(frame.x(), right - frame.width()), area.x()));
    moved.moveTop(std::max(std::min(frame.y(), bottom - frame.height()), area.y()));
    return moved;
}

QMargins expectedFrameMargins(QWidget* window)
{
    if (!window || !window->isWindow() || hasNoFrame(window)) return {};
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (frame != inner) return marginsBetween(frame, inner);
    const QVariant asked = window->property(kAskedMarginsProperty);
    if (asked.isValid()) return asked.value<QMargins>();
    const QMargins margins = askFrameExtents(window).value_or(QMargins());
    window->setProperty(kAskedMarginsProperty, QVariant::fromValue(margins));
    return margins;
}

QSize expectedFrameSize(QWidget* window)
{
    return window ? window->size().grownBy(expectedFrameMargins(window)) : QSize();
}

void moveInside(QWidget* window, QPoint frameTopLeft, const QRect& area)
{
    if (!window) return;
    const QMargins margins = expectedFrameMargins(window);
    const QRect frame = keptInside(QRect(frameTopLeft, window->size().grownBy(margins)), area);
    // The client area's position: the window manager puts its frame around it.
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
    if (hasNoFrame(window)) return;
    const QString checkName = QLatin1String(kFramedCheckName);
    for (QObject* earlier : window->findChildren<QObject*>(checkName, Qt::FindDirectChildrenOnly)) delete earlier;
    new FramedCheck(window, frame, area);
}

}  // namespace klipo::platform
