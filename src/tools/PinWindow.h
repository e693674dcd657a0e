#pragma once

#include "platform/ScreenMetrics.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

#include <functional>

class QMenu;
class QPropertyAnimation;

namespace klipo {

class PinContentView;
class PinWindowController;

// The window of a pin: borderless, above normal windows, on every desktop,
// with a shadow (its place and size are the image's: innerGeometry).
class PinPanel : public QWidget {
public:
    explicit PinPanel(PinWindowController* controller);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<PinWindowController> m_controller;
};

// One image pinned above all windows until the user closes it. It zooms
// (wheel, pinch, keys, menu) between a floor that keeps it 56 points long and
// 800 %, fades (20 % to 100 %), moves by dragging, copies, saves as PNG and
// closes on a double click, Escape or Ctrl+W. Every open pin is in
// pinned(), which alone keeps it alive. Main thread only.
class PinWindowController : public QObject {
    Q_OBJECT
public:
    // Pins the image near the pointer; null for an image 0 pixels wide or high.
    static PinWindowController* pin(const QImage& image);
    static const QList<PinWindowController*>& pinned();
    static void closeAll();
    // The clipboard's image (image data, else a copied image file); null when none.
    static QImage clipboardImage();
    // The screen under the pointer, else the primary, else the first; a
    // 1920 by 1080 screen at 1x when there is none.
    static platform::ScreenInfo currentScreen();
    // Where a new pin of that size goes (top-left corner).
    static QPoint initialOrigin(const QSize& size);
    // Asks where to save (an empty answer cancels); tests answer it. The
    // default is the file dialog.
    static std::function<QString(const QString& proposedPath)> chooseSavePath;

    ~PinWindowController() override;

    QWidget* panel() const { return m_panel; }
    PinContentView* contentView() const { return m_view; }
    const QImage& image() const { return m_image; }
    QSizeF basePointSize() const { return m_basePointSize; }
    double scale() const { return m_scale; }
    double opacity() const { return m_opacity; }
    double minimumScale() const;

    void setScale(double scale, bool animated);
    void setOpacity(double opacity);
    void copyImage();
    void saveImage();
    void close();
    // Handles a key the pin cares about; false for any other.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    // The context menu, made anew; the caller owns it.
    QMenu* makeMenu();

private:
    explicit PinWindowController(const QImage& image);
    void present();
    void flashScale(const QString& suffix = {});
    void windowWillClose();
    friend class PinPanel;

    QImage m_image;
    QSizeF m_basePointSize;
    double m_scale = 1.0;
    double m_opacity = 1.0;
    QPointF m_centre;  // of the pin, exactly, while it is where setScale put it
    QRect m_placed;
    QPointer<PinPanel> m_panel;
    PinContentView* m_view = nullptr;
    QPropertyAnimation* m_resize = nullptr;
    // While the first badge ("100% · 双击关闭") shows: the pin appears under
    // the pointer, and the hover it gets at once must not replace it.
    QDeadlineTimer m_firstBadge;
};

}  // namespace klipo
