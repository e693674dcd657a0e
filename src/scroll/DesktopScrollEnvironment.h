#pragma once

#include "platform/OwnWindows.h"
#include "scroll/ScrollCaptureEnvironment.h"

#include <functional>

namespace klipo {

// The scrolling capture on this desktop: the capture overlay's pick, the
// shortcut checker, X11 grabs without the pointer, XTEST wheel notches, the
// shared toast and output path, and desktop notifications.
class DesktopScrollEnvironment : public ScrollCaptureEnvironment {
public:
    // Set by the shell (the recording reads the scrolling state in turn).
    static void setRecordingBusy(std::function<bool()> busy);

    ~DesktopScrollEnvironment() override;

    bool recordingBusy() override;
    std::optional<QString> spoolUnavailable() override;
    std::optional<QString> shortcutConflict() override;
    bool overlayActive() override;
    void beginPick(const QString& hint, std::function<void(std::optional<ScrollTarget>)> done) override;
    void closePick() override;
    std::optional<platform::NativeWindowId> activeWindow() override;
    void activateWindow(platform::NativeWindowId window) override;
    int storedCropTop() override;
    std::unique_ptr<ScrollFrameSource> openFrameSource(const QRect& rectPx, QString* error) override;
    std::unique_ptr<platform::WheelScroller> openScroller() override;
    int maxCanvasHeight(int widthPx) override;
    bool moveOwnWindowsOut(const QRectF& globalRect, const QList<QWidget*>& captureWindows) override;
    bool ownWindowsStillShown() override;
    void releaseOwnWindows() override;
    void toast(const QString& title, const QString& subtitle) override;
    void deliver(const QImage& image, const QString& noteSuffix, int inexactSeams) override;
    ScrollDelivery::Saved saveNow(const QImage& image) override;
    void notify(const QString& title, const QString& body) override;

private:
    std::unique_ptr<platform::OwnWindowsKeptOut> m_keptOut;
};

}  // namespace klipo
