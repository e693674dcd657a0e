#pragma once

#include <QColor>
#include <QPen>
#include <QWidget>

namespace klipo::platform {

// A window that only frames a rectangle: a dashed line of the given colour
// along its edges, above all other windows on whatever desktop. It takes no
// input and no focus: every click, also on the line, goes to the window
// underneath. Its shape is the dashes alone, so the content inside and
// between them stays as it is even without a compositor. Main thread only.
class ClickThroughFrameWindow : public QWidget {
public:
    // `globalRect` in global points (y down): the line runs 1.5 points inside
    // its edges, 1.5 points wide; callers grow the framed area by 3 points.
    ClickThroughFrameWindow(const QRect& globalRect, const QColor& stroke);

    QColor strokeColor() const { return m_stroke; }

    // Shows the frame in front without taking the focus.
    void orderFront();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPen linePen() const;
    QRectF lineRect() const;

    QColor m_stroke;
    QRegion m_dashes;
};

}  // namespace klipo::platform
