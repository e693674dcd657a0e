#pragma once

#include <functional>
#include <optional>

class QAction;
class QObject;

namespace klipo {

// The entry points of the quick screenshot tools and the two callbacks the
// shell sets at launch. Main thread.
class QuickCaptureService {
public:
    // Called after screen access was asked for because it was missing.
    static std::function<void()> onPermissionDenied;
    // The seconds left while a delayed capture counts down; none when it ends.
    static std::function<void(std::optional<int>)> onCountdownTick;

    // Counts down (the stored delay when none is given; 3, 5 and 10 are
    // remembered), then takes an interactive plain screenshot 0.15 s after
    // the end. A request while counting cancels the countdown instead.
    static void startDelayedCapture(std::optional<int> seconds = std::nullopt);
    static void captureLastArea();
    // Lets the user pick a region and lists the codes found in it.
    static void detectBarcodeFromSelection();

    // The pause between the end of the countdown and the capture.
    static constexpr int captureDelayMs = 150;
};

// The tray menu's "快捷截图" item.
class QuickCaptureMenuProvider {
public:
    static QuickCaptureMenuProvider& shared();
    QAction* makeMenuItem(QObject* parent);
};

}  // namespace klipo
