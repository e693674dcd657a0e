#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <optional>

namespace klipo {

// One screen's part of the area selection: an unmanaged window over the whole
// screen showing its frozen picture, dimmed, with the dragged rectangle clear,
// outlined in the accent colour and labelled with its size in points; a hint
// while nothing is dragged. A drag of at least 4 by 4 points commits; a
// click, a smaller drag or Esc cancels.
class QuickAreaSelectionView final : public QWidget {
    Q_OBJECT
public:
    // `geometry` is the screen's in global logical coordinates; `frozenPx`
    // its picture (may be null: the screen is then shown dark).
    QuickAreaSelectionView(const QRect& geometry, QImage frozenPx);

    // The rectangle being dragged, in view coordinates; empty when none.
    QRectF selection() const { return m_selection; }

    static QString hintText() { return QStringLiteral("拖动框选要记住的区域，Esc 取消"); }

Q_SIGNALS:
    void committed(const QRectF& selectionInView);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointF clamped(const QPointF& point) const;
    void drawHint(QPainter& painter);
    void drawSizeLabel(QPainter& painter);

    QImage m_frozen;
    std::optional<QPointF> m_anchor;
    QRectF m_selection;
};

}  // namespace klipo
