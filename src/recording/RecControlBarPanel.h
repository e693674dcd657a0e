#pragma once

#include "platform/FloatingPanel.h"

#include <functional>

class QLabel;

namespace klipo {

class HUDBarButton;
class RecBlinkDot;

// The bar shown while recording (and already while it starts): a blinking red
// dot, the elapsed time and "■ 停止". It never takes the focus and can be
// dragged by its background.
class RecControlBarPanel : public platform::FloatingPanel {
public:
    // Built with "00:00" and the dot already blinking.
    RecControlBarPanel();

    // Called by the stop button; nothing happens while unset.
    std::function<void()> onStop;

    QLabel* timeLabel() const { return m_timeLabel; }
    RecBlinkDot* dotView() const { return m_dot; }
    HUDBarButton* stopButton() const { return m_stopButton; }

    // Shows the elapsed recording time (clockText).
    void setElapsed(double seconds);
    // While the recording is starting (the microphone may take a moment):
    // "准备中…" and a steady dot; then the clock from "00:00" and the blinking dot.
    void setStarting(bool starting);
    // Whole minutes and seconds, "%02d:%02d", truncated, minutes not wrapped
    // at 60; below a second, negative or not a finite number: "00:00".
    static QString clockText(double seconds);

    // Puts the bar next to the recorded rectangle, never inside it (it would
    // be recorded): with no room below or above it the placement says
    // noRoom and the bar stays where it is; the caller keeps it hidden.
    platform::PanelPlacement place(const QRectF& nearGlobal, const QScreen* screen);

    void stopTapped();

private:
    RecBlinkDot* m_dot = nullptr;
    QLabel* m_timeLabel = nullptr;
    HUDBarButton* m_stopButton = nullptr;
};

}  // namespace klipo
