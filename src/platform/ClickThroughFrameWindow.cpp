#include "platform/ClickThroughFrameWindow.h"

#include "platform/WindowStacking.h"

#include <QPainter>
#include <QPainterPathStroker>

namespace klipo::platform {

namespace {
constexpr qreal kLineWidth = 1.5;
constexpr qreal kInset = 1.5;
constexpr qreal kDash = 6.0;
constexpr qreal kGap = 4.0;
}  // namespace

ClickThroughFrameWindow::ClickThroughFrameWindow(const QRect& globalRect, const QColor& stroke)
    // Not managed by the window manager: a managed window gets a frame window
    // of the manager's around it, which would catch the clicks on the line.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
      m_stroke(stroke)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("KlipoVersa"));
    setGeometry(globalRect);
}

void ClickThroughFrameWindow::orderFront()
{
    show();
    raiseWithoutFocus(this);
}

QPen ClickThroughFrameWindow::linePen() const
{
    QPen pen(m_stroke, kLineWidth);
    pen.setDashPattern({kDash / kLineWidth, kGap / kLineWidth});  // Qt counts dashes in line widths
    pen.setDashOffset(0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QRectF ClickThroughFrameWindow::lineRect() const { return QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset); }

void ClickThroughFrameWindow::paintEvent(QPaintEvent*)
{
    // Every pixel of the shape in full: no half-covered edge pixels, which
    // would show dark without a compositor.
    QPainter painter(this);
    painter.setClipRegion(m_dashes);
    painter.fillRect(rect(), m_stroke);
}

void ClickThroughFrameWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The window is the dashes alone: between them and inside the frame the
    // windows underneath show, also without a compositor to blend.
    const QPen pen = linePen();
    QPainterPathStroker stroker(pen);
    QPainterPath outline;
    outline.addRect(lineRect());
    m_dashes = QRegion();
    for (const QPolygonF& dash : stroker.createStroke(outline).toFillPolygons()) m_dashes += QRegion(dash.toPolygon());
    setMask(m_dashes.isEmpty() ? QRegion(rect()) : m_dashes);
}

}  // namespace klipo::platform
