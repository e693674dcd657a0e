#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <QTimer>
#include <QWidget>

class QHBoxLayout;

namespace klipo {

class HUDButton;

// Small pieces shared by the overlay's bars.
namespace SelWidgets {

// The text and icon colour on the dark HUD bars, in light and dark appearance alike.
QColor hudLabel();

// The icon of a symbol name (the annotation tools' icons, plus "text.cursor"),
// drawn in the colour; a null icon for an unknown name.
QIcon icon(const QString& symbolName, const QColor& color);

// A bar button's look: filled with the accent colour when active (or always
// when emphasized), its content white on the accent and the HUD label colour
// otherwise, everything at the given opacity. Kept on the button, so each
// setter changes one part.
void setActive(HUDButton* button, bool active);
void setAlpha(HUDButton* button, double alpha);
double alpha(const HUDButton* button);
void setEmphasized(HUDButton* button, bool emphasized);
bool isEmphasized(const HUDButton* button);

// Appends a separator with 8 points on each side to a row whose spacing is 4.
void addSeparator(QHBoxLayout* row);

// A 30 x 28 icon button, or its text in 12 pt when the icon is missing.
HUDButton* makeIconButton(const QString& symbol, const QString& fallback, const QString& tooltip);
// A 28 point high text button, 13 pt medium; emphasized ones are filled with the accent colour.
HUDButton* makeTextButton(const QString& title, bool emphasized, int width);
// The font of the bars' texts at a size in logical pixels, medium weight.
QFont barFont(double pixels);

// Fills the widget with the dark rounded card that carries the overlay's
// messages and the loading box.
void paintDarkCard(QWidget* widget, qreal radius = 9, qreal alpha = 0.78);

}  // namespace SelWidgets

// A small indeterminate spinner.
class SelSpinner : public QWidget {
public:
    explicit SelSpinner(QWidget* parent = nullptr);
    void setAnimating(bool animating);
    bool isAnimating() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_angle = 0;
};

}  // namespace klipo
