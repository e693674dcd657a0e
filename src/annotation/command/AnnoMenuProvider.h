#pragma once

#include <QImage>
#include <QObject>

#include <functional>
#include <memory>

class QAction;

namespace klipo {

class AnnoCaptureOverlay;

// The tray menu's "截图标注" item and the annotate command behind it and the
// captureAnnotate hot key: pick a region, mark it up, then translate it.
//
// With the capture overlay switched on, the command opens the overlay with
// copy as its Return action (a second press closes it). Otherwise the user
// picks a region, it opens in the annotation window, and the finished image
// is recognised and translated in the result panel. While a pick runs no
// second one starts; while the window holds a session, the command brings it
// to the front. Main thread.
class AnnoMenuProvider : public QObject {
    Q_OBJECT
public:
    static AnnoMenuProvider& shared();

    // The menu item, showing the captureAnnotate shortcut and following its changes.
    QAction* makeMenuItem(QObject* parent);

    static void startCaptureAndAnnotate();

    // The overlay for the overlay road; none: the window road only.
    static void setOverlay(std::shared_ptr<AnnoCaptureOverlay> overlay);
    // Replaces the alert shown when the screen cannot be captured (tests).
    static void setPermissionAlert(std::function<void()> alert);
    // An interactive pick of this command is open.
    static bool isPicking();

private:
    AnnoMenuProvider() = default;
    void startFromMenu();
    static void handOffToTranslation(const QImage& image, double scale);
    static void showPermissionAlert();
};

}  // namespace klipo
