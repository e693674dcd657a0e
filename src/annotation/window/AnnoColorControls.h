#pragma once

#include <QAbstractButton>
#include <QColor>

namespace klipo {

// A round colour swatch, 16 points across. A marked swatch (the current
// colour) wears a 3-point ring in the highlight colour, the others a thin
// grey ring.
class AnnoSwatchButton : public QAbstractButton {
public:
    AnnoSwatchButton(const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    bool isMarked() const { return m_marked; }
    void setMarked(bool marked);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    bool m_marked = false;
};

// The custom colour button: shows the current colour (over a checkerboard, so
// transparency shows) and opens the colour chooser when clicked.
class AnnoColorWell : public QAbstractButton {
public:
    explicit AnnoColorWell(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color = Qt::red;
};

}  // namespace klipo
