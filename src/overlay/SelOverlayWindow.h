#pragma once

#include "overlay/SelScreenSpace.h"
#include "platform/RegionPicker.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QScreen;

namespace klipo {

class SelOverlayController;
class SelOverlayView;

// One screen's window of the overlay: frameless, unmanaged and above
// everything, covering its screen exactly and holding the screen's still at
// device pixels; the selection view fills it.
class SelOverlayWindow : public QWidget {
public:
    SelOverlayWindow(const platform::FrozenScreen& frozen, SelOverlayController& controller);

    // The still at device pixels; its device pixel ratio is the screen's, so
    // it paints one to one.
    const QImage& frozenImage() const { return m_frozen; }
    const SelScreenSpace& space() const { return m_space; }
    QScreen* sourceScreen() const { return m_screen; }
    QRect screenFrame() const { return m_space.geometryPt(); }
    SelOverlayView* overlayView() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_frozen;
    SelScreenSpace m_space;
    QPointer<QScreen> m_screen;
    SelOverlayView* m_view;
};

}  // namespace klipo
