#pragma once

#include "platform/ScreenMetrics.h"

#include <QImage>
#include <QString>

#include <chrono>
#include <functional>
#include <future>
#include <optional>

namespace klipo::platform {

// Options of one screenshot: the whole screen of a display, a given rectangle
// of the desktop, or an interactive pick of a region or window on frozen
// screens.
struct CaptureOptions {
    bool interactive = false;
    bool includeCursor = false;
    // 1-based display index for full-screen grabs; none means the primary screen.
    std::optional<int> displayIndex;
    // A rectangle in global logical coordinates (origin top left, y down),
    // taken without interaction at device pixels; the parts on several screens
    // are each taken from their own screen. Wins over displayIndex.
    std::optional<QRect> region;
};

// The three ways a screenshot ends. A cancel is the user's choice and is not
// reported; a failure carries a reason for the "截图失败" toast.
struct CaptureOutcome {
    enum class Status { Image, Cancelled, Failed };
    Status status = Status::Failed;
    QImage image;                      // device pixels (its own devicePixelRatio is 1), only for Image
    double scale = 1.0;                // pixels per logical point of the captured screen
    std::optional<ScreenInfo> screen;  // the screen the picture came from, when known
    QString error;                     // Chinese reason, only for Failed

    bool ok() const { return status == Status::Image; }
    static CaptureOutcome success(QImage image, double scale, std::optional<ScreenInfo> screen = {});
    static CaptureOutcome cancelled();
    static CaptureOutcome failed(QString reason);
};

// An interactive pick left open this long ends by itself, as a failure.
inline constexpr std::chrono::milliseconds interactiveCaptureLimit = std::chrono::minutes(5);
// The longest a blocking capture waits for its outcome.
inline constexpr std::chrono::milliseconds blockingCaptureLimit = interactiveCaptureLimit + std::chrono::seconds(30);

// Takes screenshots in-process (no helper program, no temporary files).
class ScreenshotTool {
public:
    virtual ~ScreenshotTool() = default;

    // Starts a capture; `done` runs once on the main thread. Must be called on
    // the main thread.
    virtual void capture(const CaptureOptions& options, std::function<void(CaptureOutcome)> done) = 0;

    // Blocking form for worker threads: waits for the main thread to finish the
    // capture, at most `limit`. Must not be called on the main thread (returns
    // Failed there).
    CaptureOutcome captureBlocking(const CaptureOptions& options,
                                   std::chrono::milliseconds limit = blockingCaptureLimit);

    // A worker's wait for a capture that runs on the main thread: the outcome,
    // or a failure once `limit` has passed or when the capture was dropped
    // unanswered (the application ended first).
    static CaptureOutcome awaitOutcome(std::future<CaptureOutcome>& future, std::chrono::milliseconds limit);

protected:
    // Hands `outcome` to `done` from the main event loop, never from inside capture().
    static void deliverLater(std::function<void(CaptureOutcome)> done, CaptureOutcome outcome);
};

}  // namespace klipo::platform
