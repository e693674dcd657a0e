#pragma once

#include <QRectF>

#include <functional>
#include <optional>

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
    // Captures the remembered area again, or lets the user select one first
    // when none is remembered.
    static void captureLastArea();
    // Lets the user select a new area, remembers it and captures it.
    static void selectAreaAndRemember();
    // Shows the newest history entry in the preview panel.
    static void showLastCapture();
    // Lets the user pick a region and lists the codes found in it.
    static void detectBarcodeFromSelection();

    // Screen access; without it, asks for it, calls onPermissionDenied and
    // answers false.
    static bool checkPermission();

    // The pause between the end of the countdown and the capture.
    static constexpr int captureDelayMs = 150;
    // The pause before a remembered area is taken (a menu closes meanwhile).
    static constexpr int areaCaptureDelayMs = 120;

private:
    static void rememberAndCapture(std::optional<QRectF> globalArea);
    static void captureRememberedArea(const QRectF& storedArea);
};

}  // namespace klipo
