#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace klipo {

class QuickColorMagnifierView;

// One screen of the colour picker: an opaque unmanaged window over the whole
// screen that shows its frozen picture under a crosshair, with the (hidden)
// magnifier inside. Mouse presses and keys go to the picker's handlers.
class QuickColorPickerWindow final : public QWidget {
public:
    // `geometry` in global logical coordinates; `frozenPx` at device pixels.
    QuickColorPickerWindow(const QRect& geometry, QImage frozenPx);

    QuickColorMagnifierView* magnifier() const { return m_magnifier; }

    std::function<void(Qt::MouseButton)> onMousePress;
    std::function<void(QKeyEvent*)> onKeyPress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage m_frozen;
    QuickColorMagnifierView* m_magnifier;
};

}  // namespace klipo
