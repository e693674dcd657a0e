#pragma once

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <functional>

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace klipo {

// The short text that a pin flashes near its bottom edge (zoom, opacity,
// "已复制"). Never takes the mouse.
class PinScaleBadge : public QWidget {
public:
    static constexpr int badgeHeight = 19;

    explicit PinScaleBadge(QWidget* parent);
    QString text() const { return m_text; }
    void setText(const QString& text);
    int preferredWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text = QStringLiteral("100%");
};

// What a pin shows and how it answers the mouse and the keys: it draws the
// image over its whole area with round corners and a light border, moves its
// window on a drag, zooms on the wheel or a pinch, opens the menu on a right
// click (or Control-click), asks to close on a double click, and hands keys to
// the controller.
class PinContentView : public QWidget {
public:
    static constexpr int cornerRadius = 6;
    static constexpr int badgeShowMs = 1200;
    static constexpr int badgeFadeMs = 280;

    PinContentView(const QImage& image, QWidget* parent);

    void flashBadge(const QString& text);
    PinScaleBadge* badge() const { return m_badge; }

    // The wheel's zoom factor for a vertical delta in points (precise) or
    // lines (x 6); none (1) for a delta of 0.01 or less.
    static double wheelFactor(double delta);

    std::function<void()> onRequestClose;
    std::function<void(double factor)> onRequestZoom;
    std::function<void(const QPoint& globalPos)> onRequestMenu;
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    std::function<void()> onHover;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void layoutBadge();
    template <typename Callback, typename... Args>
    static void call(const Callback& callback, Args&&... args);

    QPixmap m_pixmap;
    PinScaleBadge* m_badge;
    QGraphicsOpacityEffect* m_badgeOpacity;
    QPropertyAnimation* m_badgeFade;
    QTimer m_badgeHide;
    QPoint m_dragWindowOrigin;
    QPoint m_dragMouseOrigin;
    bool m_dragging = false;
};

}  // namespace klipo
