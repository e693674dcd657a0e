#include "platform/WindowShadow.h"

#include "platform/FloatingWindows.h"
#include "platform/x11/X11Basics.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace klipo::platform {

namespace {

// The shadow falls a little downwards and fades out over kBlur points. It
// reaches no further than 10 points from the window: a bar 10 points beside
// a region being recorded or captured casts none into it.
constexpr int kBlur = 9;
constexpr int kDrop = 1;
constexpr double kDarkest = 0.34;  // alpha right at the edge
const char* const kKeeperName = "klipo-window-shadow";

// Signed distance from (x, y) to a rectangle with round corners: negative inside.
double distanceToRounded(double x, double y, const QRectF& rect, double radius)
{
    const double qx = std::abs(x - rect.center().x()) - (rect.width() / 2 - radius);
    const double qy = std::abs(y - rect.center().y()) - (rect.height() / 2 - radius);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// The shadow of an inner area of `innerSize` with round corners of
// `cornerRadius`, in an image as large as that area with shadowMargins()
// around it: black of varying alpha, and nothing where the inner area covers.
QImage shadowImage(QSize innerSize, qreal cornerRadius)
{
    const QMargins margins = shadowMargins();
    innerSize = innerSize.expandedTo(QSize(0, 0));
    QImage image(innerSize.grownBy(margins), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRectF inner(margins.left(), margins.top(), innerSize.width(), innerSize.height());
    const QRectF cast = inner.translated(0, kDrop);
    const double radius = std::clamp(double(cornerRadius), 0.0, std::min(inner.width(), inner.height()) / 2);
    const int roundTop = margins.top() + int(std::ceil(radius));
    const int roundBottom = margins.top() + innerSize.height() - int(std::ceil(radius));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        // Rows beside the straight sides: the inner area covers all between the margins.
        const bool beside = y >= roundTop && y < roundBottom;
        for (int x = 0; x < image.width(); ++x) {
            if (beside && x == margins.left()) x = margins.left() + innerSize.width();
            const double px = x + 0.5, py = y + 0.5;
            // How much of the pixel the inner area covers, edges smoothed.
            const double covered = std::clamp(0.5 - distanceToRounded(px, py, inner, radius), 0.0, 1.0);
            if (covered >= 1) continue;
            const double away = std::clamp(distanceToRounded(px, py, cast, radius) / kBlur, 0.0, 1.0);
            const double alpha = kDarkest * (1 - away) * (1 - away) * (1 - covered);
            line[x] = qRgba(0, 0, 0, int(std::lround(alpha * 255)));
        }
    }
    return image;
}

void watchDesktop();

// Keeps a window's margin, shape and shadow in step with the compositor and
// the window's size.
class ShadowKeeper final : public QObject {
public:
    ShadowKeeper(QWidget* window, qreal radius) : QObject(window), m_window(window), m_radius(radius)
    {
        setObjectName(QLatin1String(kKeeperName));
        window->installEventFilter(this);
        watchDesktop();
        refresh();
    }

    void setRadius(qreal radius)
    {
        if (radius == m_radius) return;
        m_radius = radius;
        m_shadow = {};
        updateShape();
        m_window->update();
    }

    // The margin for whether a compositor runs now, the inner area kept.
    void refresh()
    {
        const bool margin = m_window->testAttribute(Qt::WA_TranslucentBackground) && compositorRunning(m_window);
        const QMargins want = margin ? shadowMargins() : QMargins();
        const QMargins have = m_window->contentsMargins();
        if (want != have) {
            const QRect inner = m_window->geometry().marginsRemoved(have);
            m_window->setContentsMargins(want);
            if (QLayout* layout = m_window->layout())
                layout->activate();  // sizes a window of fixed size
            else
                m_window->resize(inner.size().grownBy(want));
            m_window->move(inner.topLeft() - QPoint(want.left(), want.top()));
        }
        updateShape();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window) return false;
        switch (event->type()) {
        case QEvent::Show:
            // Qt's own showing, just before the window is mapped (not one
            // the window manager reports).
            if (!event->spontaneous()) refresh();
            break;
        case QEvent::Resize: updateShape(); break;
        case QEvent::Paint: paintShadow(static_cast<QPaintEvent*>(event)->region()); break;
        default: break;
        }
        return false;
    }

public:
    void updateShape()
    {
        const QMargins margins = m_window->contentsMargins();
        if (margins.isNull()) {
            setInputArea(m_window, {});
            setOwnFrameExtents(m_window, {});
            // Without a compositor the corners would show black: cut them off.
            if (m_radius > 0 && x11::qtConnection()) {
                QPainterPath shape;
                shape.addRoundedRect(QRectF(m_window->rect()), m_radius, m_radius);
                m_window->setMask(QRegion(shape.toFillPolygon().toPolygon()));
            } else {
                m_window->clearMask();
            }
            return;
        }
        m_window->clearMask();
        setInputArea(m_window, m_window->contentsRect());
        setOwnFrameExtents(m_window, margins);
    }

private:
    void paintShadow(const QRegion& dirty)
    {
        if (m_window->contentsMargins().isNull()) return;
        const QSize inner = m_window->contentsRect().size();
        if (m_shadow.isNull() || m_shadowFor != inner) {
            m_shadow = shadowImage(inner, m_radius);
            m_shadowFor = inner;
        }
        QPainter painter(m_window);
        painter.setClipRegion(dirty);
        painter.drawImage(0, 0, m_shadow);
    }

    QPointer<QWidget> m_window;
    qreal m_radius;
    QImage m_shadow;
    QSize m_shadowFor;
};

ShadowKeeper* keeperOf(const QWidget* window)
{
    return window ? static_cast<ShadowKeeper*>(
                        window->findChild<QObject*>(QLatin1String(kKeeperName), Qt::FindDirectChildrenOnly))
                  : nullptr;
}

// What the X server says that concerns every window with a shadow: a window
// framed by the window manager (the frame must let clicks on the shadow
// through as well) and a compositor coming or going.
class DesktopEvents final : public QAbstractNativeEventFilter {
public:
    explicit DesktopEvents(xcb_connection_t* c)
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;  // the first, as the selection
        const xcb_atom_t selection = x11::atom(c, "_NET_WM_CM_S0");
        if (screen && selection != XCB_ATOM_NONE)
            m_selectionNotify = x11::watchSelectionOwner(c, screen->root, selection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t kind = event->response_type & 0x7f;
        if (kind == XCB_REPARENT_NOTIFY) {
            const auto* reparent = static_cast<const xcb_reparent_notify_event_t*>(message);
            if (ShadowKeeper* keeper = keeperOf(QWidget::find(WId(reparent->window))))
                // Once Qt has seen the new parent too.
                QMetaObject::invokeMethod(
                    keeper, [keeper] { keeper->updateShape(); }, Qt::QueuedConnection);
        } else if (m_selectionNotify && kind == m_selectionNotify) {
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    for (QWidget* window : QApplication::topLevelWidgets())
                        if (ShadowKeeper* keeper = keeperOf(window); keeper && window->isVisible()) keeper->refresh();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    uint8_t m_selectionNotify = 0;
};

// Once per process, on X11: the filter lives as long as the process.
void watchDesktop()
{
    static bool watching = false;
    if (watching || !QCoreApplication::instance()) return;
    if (xcb_connection_t* c = x11::qtConnection()) new DesktopEvents(c);
    watching = true;
}

}  // namespace

QMargins shadowMargins() { return {kBlur, kBlur - kDrop, kBlur, kBlur + kDrop}; }

void giveShadow(QWidget* window, qreal cornerRadius)
{
    if (!window) return;
    if (ShadowKeeper* keeper = keeperOf(window))
        keeper->setRadius(cornerRadius);
    else
        new ShadowKeeper(window, cornerRadius);
}

QRect innerGeometry(const QWidget* window) { return window->geometry().marginsRemoved(window->contentsMargins()); }

QRect outerGeometry(const QWidget* window, const QRect& inner) { return inner.marginsAdded(window->contentsMargins()); }

void setInnerGeometry(QWidget* window, const QRect& inner) { window->setGeometry(outerGeometry(window, inner)); }

void moveInner(QWidget* window, const QPoint& topLeft)
{
    const QMargins margins = window->contentsMargins();
    window->move(topLeft - QPoint(margins.left(), margins.top()));
}

}  // namespace klipo::platform
