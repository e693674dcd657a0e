#pragma once

#include "platform/ScreenshotTool.h"

#include <QObject>
#include <QPointer>

namespace klipo::platform {
class RegionPicker;
}

namespace klipo::platform::x11 {

// Screenshots in-process on X11: whole screens and rectangles read from the X
// server, and the interactive region pick on frozen screens.
class X11ScreenshotTool final : public QObject, public ScreenshotTool {
public:
    X11ScreenshotTool();
    void capture(const CaptureOptions& options, std::function<void(CaptureOutcome)> done) override;

private:
    void captureScreen(const CaptureOptions& options, std::function<void(CaptureOutcome)> done);
    void captureRegion(const CaptureOptions& options, std::function<void(CaptureOutcome)> done);
    void pickRegion(const CaptureOptions& options, std::function<void(CaptureOutcome)> done);
    void freezeAndPick(const CaptureOptions& options, std::function<void(CaptureOutcome)> done);

    QPointer<RegionPicker> m_picker;  // the pick in progress
    bool m_waitingForMenus = false;   // a pick waits for our menus to leave the screen
};

}  // namespace klipo::platform::x11
