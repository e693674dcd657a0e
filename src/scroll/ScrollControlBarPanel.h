#pragma once

#include "platform/FloatingPanel.h"

#include <functional>

class QLabel;

namespace klipo {

class HUDBarButton;

// The small floating bar of a scrolling capture: the frame count, the
// optional automatic-scroll button, "✓ 完成" and "✕ 取消". It never takes the
// focus, so the scrolled program stays active while the user clicks it; its
// background can be dragged.
class ScrollControlBarPanel : public platform::FloatingPanel {
public:
    explicit ScrollControlBarPanel(bool showAutoScroll);

    // Called by the buttons; nothing happens while unset. A callback may order
    // the bar out, but should delete it only later (deleteLater).
    std::function<void()> onFinish;
    std::function<void()> onCancel;
    std::function<void()> onToggleAuto;

    QLabel* countLabel() const { return m_countLabel; }
    HUDBarButton* autoButton() const { return m_autoButton; }  // none without automatic scrolling
    HUDBarButton* finishButton() const { return m_finishButton; }
    HUDBarButton* cancelButton() const { return m_cancelButton; }

    // Shows the number of kept frames; the bar's left edge stays put.
    void updateCount(int kept);
    // Switches the automatic-scroll button's title between running and idle.
    void setAutoScrolling(bool running);

    // Puts the bar next to the captured rectangle (global points, y down) on
    // its screen. It goes inside the rectangle when there is no room around
    // it: the placement then says how many points of the rectangle's bottom
    // it covers.
    platform::PanelPlacement place(const QRectF& nearGlobal, const QScreen* screen);

    void finishTapped();
    void cancelTapped();
    void autoTapped();

    static QString countText(int kept);

private:
    QLabel* m_countLabel = nullptr;
    HUDBarButton* m_autoButton = nullptr;
    HUDBarButton* m_finishButton = nullptr;
    HUDBarButton* m_cancelButton = nullptr;
};

}  // namespace klipo
