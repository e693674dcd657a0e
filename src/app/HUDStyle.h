#pragma once

#include <QFont>
#include <QWidget>

namespace klipo {

// Where a HUD background sits: as the whole content of its own floating
// window (behind-window), or over other content inside a window (within-window).
enum class HUDBlending { behindWindow, withinWindow };

// The dark rounded HUD background: radius 10, a 1-point border in the
// separator colour at alpha 0.45 that follows the appearance.
class HUDBackgroundView : public QWidget {
public:
    explicit HUDBackgroundView(HUDBlending blending, QWidget* parent = nullptr);

    HUDBlending blending() const { return m_blending; }
    QColor borderColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HUDBlending m_blending;
};

// A 1-point wide vertical hairline in the separator colour.
class HUDSeparatorView : public QWidget {
public:
    explicit HUDSeparatorView(int height, QWidget* parent = nullptr);
    QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
};

namespace HUDStyle {

// The weight of symbol icons on HUD buttons.
inline constexpr QFont::Weight iconWeight = QFont::Medium;

// A new background; the caller places it. As a window's whole content
// (behind-window) the window needs Qt::WA_TranslucentBackground so that the
// rounded corners show the desktop.
HUDBackgroundView* makeBackground(HUDBlending blending, QWidget* parent = nullptr);

// Puts a new background behind all of the container's children and keeps it
// covering the container's whole area as the container resizes.
HUDBackgroundView* installBackground(QWidget* container, HUDBlending blending);

// A separator of width 1 and the given height, both fixed.
HUDSeparatorView* makeSeparator(int height, QWidget* parent = nullptr);

}  // namespace HUDStyle
}  // namespace klipo
