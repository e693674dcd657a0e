#pragma once

#include <QColor>
#include <QRectF>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace klipo {

// The small spinning indicator of things still loading. paintSpinner() draws
// its current frame anywhere (item delegates use it); the widget animates
// itself while visible.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(int side = 16, QWidget* parent = nullptr);

    // Twelve spokes in a circle of `rect`'s smaller side, turning with the clock.
    static void paintSpinner(QPainter& painter, const QRectF& rect, const QColor& color);

    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int m_side;
    QTimer m_timer;
};

}  // namespace klipo
