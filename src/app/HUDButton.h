#pragma once

#include <QColor>
#include <QPushButton>

#include <optional>

class QVariantAnimation;

namespace klipo {

// A borderless button of the HUD bars: it lights up under the pointer and
// darkens while pressed. With a base background it is always filled with that
// colour (darkened while pressed). A disabled button shows no hover or pressed
// fill and ignores clicks.
class HUDButton : public QPushButton {
    Q_OBJECT
public:
    explicit HUDButton(QWidget* parent = nullptr);
    explicit HUDButton(const QString& text, QWidget* parent = nullptr);

    std::optional<QColor> baseBackground() const { return m_baseBackground; }
    void setBaseBackground(std::optional<QColor> color);

    bool showsHoverEffect() const { return m_showsHoverEffect; }
    void setShowsHoverEffect(bool shows);

    bool isHovered() const { return m_hovered; }
    bool isPressed() const { return m_pressed; }

    // The rounding of the fill's corners (0 by default).
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);

    // The colour of the title and of one-colour icons; none gives light text
    // (HUD surfaces are dark) and leaves icons as they are.
    std::optional<QColor> contentTint() const { return m_contentTint; }
    void setContentTint(std::optional<QColor> tint);

    // The fill the current state asks for (transparent for none), and the one
    // painted right now (it differs while a change fades).
    QColor targetFill() const;
    QColor currentFill() const { return m_fill; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshBackground(bool animated);

    std::optional<QColor> m_baseBackground;
    bool m_showsHoverEffect = true;
    bool m_hovered = false;
    bool m_pressed = false;
    qreal m_cornerRadius = 0.0;
    std::optional<QColor> m_contentTint;
    QColor m_fill = Qt::transparent;
    QVariantAnimation* m_fade = nullptr;
};

}  // namespace klipo
