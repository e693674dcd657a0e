#pragma once

#include "platform/ScreenshotTool.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>

#include <functional>

class QScreen;

namespace klipo::platform {

class RegionPickerWindow;

// One screen as it was frozen for the picker.
struct FrozenScreen {
    QScreen* screen = nullptr;
    int index = 1;     // 1-based position among the screens
    QImage imagePx;    // its picture, device pixels
};

// The device pixels of a rectangle given in window points: every pixel the
// rectangle touches, at least one pixel each way, kept inside the picture.
QRect selectionToPixels(const QRectF& selectionPt, double ratio, const QSize& imagePx);

// The interactive region pick on frozen screens: one picker window per screen;
// the first pick or cancel on any of them ends the whole pick. Ends with the
// cropped frozen pixels, a cancel (also when the application quits), or a
// failure when the screens change or the pick stays open past its time limit.
// The program's own hot keys are suspended while the pick is open, so that
// they neither fire over the dimmed screens nor capture them. Deletes itself
// after reporting.
class RegionPicker final : public QObject {
    Q_OBJECT
public:
    explicit RegionPicker(QList<FrozenScreen> screens, QObject* parent = nullptr);
    ~RegionPicker() override;

    // Shows the windows; `done` runs once on the main thread.
    void start(std::function<void(CaptureOutcome)> done);
    // Before start(): how long the pick may stay open (interactiveCaptureLimit).
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

    QList<RegionPickerWindow*> windows() const;
    // Until the pick has been reported (the object itself goes a little later).
    bool isActive() const { return !m_finished; }

private:
    void finish(CaptureOutcome outcome);
    void onPicked(int screen, const QRectF& selection);

    QList<FrozenScreen> m_screens;
    QList<QPointer<RegionPickerWindow>> m_windows;
    std::function<void(CaptureOutcome)> m_done;
    std::chrono::milliseconds m_timeLimit = interactiveCaptureLimit;
    bool m_finished = false;
    bool m_suspendedHotKeys = false;
};

}  // namespace klipo::platform
