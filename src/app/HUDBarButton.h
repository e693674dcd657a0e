#pragma once

#include "app/HUDButton.h"

namespace klipo {

enum class HUDControlSize { small, regular };

// A push button of the floating bars: a rounded bezel (a faint light fill on
// the dark HUD, darker while pressed), its title in the content tint, and a
// size that follows the title. A title that begins with one of the bars'
// symbols (▶ ⏸ ✓ ✕ ■ ●) and a blank gets the symbol drawn as a shape, so
// it shows whatever fonts the desktop has; text() stays the whole title.
class HUDBarButton : public HUDButton {
    Q_OBJECT
public:
    HUDBarButton(const QString& title, HUDControlSize size, QWidget* parent = nullptr);

    HUDControlSize controlSize() const { return m_size; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QChar symbol() const;   // the leading symbol, or a null QChar
    QString label() const;  // the title without the symbol
    qreal symbolSide() const;

    HUDControlSize m_size;
};

}  // namespace klipo
