#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

class QScreen;

namespace klipo::platform {

// One screen's part of the region picker: an unmanaged, frameless window over
// the whole screen that shows the frozen picture and lets the user drag a
// rectangle with a crosshair. Escape or a right click cancels.
class RegionPickerWindow final : public QWidget {
    Q_OBJECT
public:
    // `frozenPx` is the screen's picture in device pixels.
    RegionPickerWindow(QScreen* screen, QImage frozenPx);

    // The rectangle being dragged, in window points; empty when none.
    QRectF selection() const;

    // A drag shorter than this many points in both directions counts as a click.
    static constexpr double clickTolerance = 3.0;

Q_SIGNALS:
    // The user finished a pick: a rectangle in window points, or an empty
    // rectangle for a click without drag (the whole screen).
    void picked(const QRectF& selectionInWindow);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointF clamped(const QPointF& point) const;

    QImage m_frozen;
    bool m_dragging = false;
    QPointF m_anchor;
    QPointF m_current;
};

}  // namespace klipo::platform
