#pragma once

#include <functional>
#include <optional>

class QAction;
class QObject;

namespace klipo {

// Delayed and repeat-last-area captures.
class QuickCaptureService {
public:
    static std::function<void()> onPermissionDenied;
    static std::function<void(std::optional<int>)> onCountdownTick;

    static void startDelayedCapture(std::optional<int> seconds = std::nullopt);
    static void captureLastArea();
};

// The tray menu's "快捷截图" item.
class QuickCaptureMenuProvider {
public:
    static QuickCaptureMenuProvider& shared();
    QAction* makeMenuItem(QObject* parent);
};

}  // namespace klipo
