#pragma once

#include "platform/FloatingPanel.h"
#include "recording/RecOptions.h"

#include <functional>

class QComboBox;

namespace klipo {

class HUDBarButton;

// The bar shown before a recording starts: format, frame rate and
// microphone, "● 开始录制" and "取消". It takes the keyboard when shown with
// showAndFocus(), so Return starts the recording; it stays where it is put.
class RecOptionsBarPanel : public platform::FloatingPanel {
public:
    // The three choices start at `initial` (an unknown frame rate shows 30).
    explicit RecOptionsBarPanel(const RecOptions& initial);

    // Called by the buttons; nothing happens while unset.
    std::function<void(RecOptions)> onStart;
    std::function<void()> onCancel;

    QComboBox* formatPopup() const { return m_format; }
    QComboBox* fpsPopup() const { return m_fps; }
    QComboBox* micPopup() const { return m_mic; }
    HUDBarButton* startButton() const { return m_startButton; }
    HUDBarButton* cancelButton() const { return m_cancelButton; }

    // The options as the three choices show them.
    RecOptions currentOptions() const;

    // Puts the bar next to the picked rectangle; inside it when there is no
    // room around it (the bar is gone before the recording starts).
    platform::PanelPlacement place(const QRectF& nearGlobal, const QScreen* screen);

    void startTapped();
    void cancelTapped();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* m_format = nullptr;
    QComboBox* m_fps = nullptr;
    QComboBox* m_mic = nullptr;
    HUDBarButton* m_startButton = nullptr;
    HUDBarButton* m_cancelButton = nullptr;
};

}  // namespace klipo
