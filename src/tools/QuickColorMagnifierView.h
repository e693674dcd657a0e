#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace klipo {

// The colour picker's magnifier, 195 by 243 points: a 15 by 15 pixel zoom of
// the frozen picture with a grid and the pixel under the pointer outlined,
// the colour as a swatch and as text, and a key hint naming the format.
class QuickColorMagnifierView final : public QWidget {
public:
    static constexpr int viewWidth = 195;
    static constexpr int viewHeight = 243;
    static constexpr int zoomPixels = 15;

    explicit QuickColorMagnifierView(QWidget* parent);

    // What to show; true when it differs from what is shown (a repaint is then due).
    bool setContent(const QImage& source, const QPoint& centerPixel, const QColor& color, const QString& text,
                    const QString& formatName);

    // The 15 by 15 pixels shown: pinned to the picture's edges near them.
    static QRect cropFor(const QSize& image, const QPoint& centerPixel);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawZoom(QPainter& painter);
    void drawColorRow(QPainter& painter);
    void drawHint(QPainter& painter);

    QImage m_source;
    QPoint m_center;
    QColor m_color = Qt::black;
    QString m_text;
    QString m_formatName = QStringLiteral("HEX");
};

}  // namespace klipo
