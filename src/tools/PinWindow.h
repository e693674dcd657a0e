#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QObject;

namespace klipo {

// The tray menu's "贴图" item and pinning from the clipboard.
class PinMenuProvider {
public:
    static PinMenuProvider& shared();
    QAction* makeMenuItem(QObject* parent);
    static void pinFromClipboard();
};

// The window of a pinned image: draws the image over its whole area, moves
// with a left-button drag, zooms about the pointer with the wheel and asks to
// be closed on a double click.
class PinImageView : public QWidget {
public:
    static constexpr double minZoom = 0.1;
    static constexpr double maxZoom = 8.0;
    static constexpr double zoomStep = 1.1;  // per wheel notch

    explicit PinImageView(const QImage& image);

    double zoom() const { return m_zoom; }
    // Sets the zoom (clamped), keeping `anchor` (a point of the window) in place.
    void setZoom(double zoom, QPointF anchor);
    // The window's size at a zoom: the image's size in points, at least 1 by 1.
    QSize sizeAt(double zoom) const;

    std::function<void()> onCloseRequested;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void requestClose();

    QImage m_image;
    double m_zoom = 1.0;
    QPoint m_dragOffset;  // pointer minus window origin, global
    int m_wheelRemainder = 0;
};

// One image pinned above all windows. Every pin stays in `pinned()` until it
// is closed (double click, closeAll()). Main thread only.
class PinWindowController {
public:
    // Pins the image near the pointer and returns its controller; nothing
    // (null) for an image less than one pixel wide or high.
    static PinWindowController* pin(const QImage& image);
    static void closeAll();
    static const QList<PinWindowController*>& pinned();

    ~PinWindowController();
    PinWindowController(const PinWindowController&) = delete;
    PinWindowController& operator=(const PinWindowController&) = delete;

    PinImageView* window() const { return m_view; }
    // Closes the window, leaves the list and deletes the controller.
    void close();

private:
    explicit PinWindowController(const QImage& image);

    QPointer<PinImageView> m_view;
};

}  // namespace klipo
