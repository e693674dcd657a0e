#pragma once

#include "scroll/ScrollCaptureEnvironment.h"
#include "scroll/ScrollCaptureGeometry.h"
#include "scroll/ScrollControlBarPanel.h"
#include "scroll/ScrollRegionWindow.h"
#include "scroll/ScrollStitchTypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace klipo::platform {
class ScreenChangeWatcher;
class WheelScroller;
}  // namespace klipo::platform

namespace klipo {

class ScrollStitchWorker;
class ScrollWheelPacer;
struct ScrollFrameResult;

// Runs one scrolling ("long") screenshot: the user picks a rectangle with the
// overlay, the service frames it, shows its control bar, takes a still of it
// every 0.12 s while the content scrolls underneath (by the user's hand or by
// wheel notches of its own), hands the stills to the stitch worker, watches
// its results for limits, stalls and errors, and at the end hands the long
// image to the output path. Every outcome the user sees is a toast. One per
// process; main thread.
class ScrollCaptureService : public QObject {
    Q_OBJECT
public:
    enum class ScrollState { idle, picking, capturing, stitching };

    // Intervals; 0 for the capture or automatic-scroll interval starts no
    // timer (the caller ticks).
    struct Timing {
        int captureMs = 120;
        int autoScrollMs = 450;
        int settleMs = 150;    // before the first still: the overlay's windows go, the content repaints
        int lookAgainMs = 20;  // between two looks at the region that must agree; 0: back to back
        int lookupRetryMs = 800;
        int lookupAttempts = 5;
        int stallSeconds = 180;
        int quitWaitMs = 15000;
        int toastSpacingMs = 2400;  // a toast right after another waits until that one was seen
    };

    static constexpr int maxInput = 280;
    static constexpr int maxFramesInWorker = 2;  // a tick is skipped above this
    static constexpr int maxCanvasRows = 120000;
    static constexpr int duplicatesToStopAuto = 6;
    static constexpr int failuresToEnd = 5;
    static constexpr int keptForWaitToast = 41;
    static constexpr int frameMargin = 3;  // points between the rectangle and its frame
    static constexpr int maxLooks = 4;     // looks at the region for one still

    static ScrollCaptureService& shared();
    // The shell's hook: whether a recording is busy (the recording reads our state in turn).
    static void setRecordingBusy(std::function<bool()> busy);

    explicit ScrollCaptureService(std::unique_ptr<ScrollCaptureEnvironment> environment, Timing timing,
                                  QObject* parent = nullptr);
    ~ScrollCaptureService() override;

    // The current phase, read by the shell, the menu and the recording; only
    // the service changes it.
    ScrollState state = ScrollState::idle;

    // For the self-check: called once when a capture ends, with the output
    // after a successful stitch (before delivery), else with null.
    std::function<void(const ScrollStitchOutput*)> onStitchedForTest;

    // The hot key and the menu item: start, close the pick, or cancel.
    void toggle();
    void beginFlow();
    void startCapture(const ScrollTarget& target);
    // Stops taking stills and stitches; the note follows the file name in the toast.
    void finishCapture(const QString& note = {});
    // Ends capturing without an image and without a toast.
    void cancelCapture();
    // At quit: what was captured is stitched (waiting a bounded time) and
    // saved at once; a desktop notification says where.
    void finishForQuit();
    void screenParametersDidChange();

    // What the timers call.
    void captureTick();
    void autoScrollTick();
    void startAutoScroll();
    void stopAutoScroll();

    // --- State for the bar and tests ---
    int keptCount() const { return m_keptCount; }
    int inputCount() const { return m_inputCount; }
    int framesInWorker() const { return m_framesInWorker; }
    quint64 generation() const { return m_session; }
    bool isAutoScrolling() const { return m_autoScrolling; }
    const ScrollTarget& target() const { return m_target; }
    const ScrollStitchConfig* stitchConfig() const { return m_config ? &*m_config : nullptr; }
    ScrollControlBarPanel* controlBar() const { return m_controlBar; }
    ScrollRegionWindow* regionWindow() const { return m_regionWindow; }
    const ScrollWheelPacer* pacer() const { return m_pacer.get(); }

    struct Counters {
        int stills = 0;               // handed to the worker
        int unsettledStills = 0;      // of these, taken while the screen was still changing
        int skippedWhileLooking = 0;  // ticks skipped: the last still was still being taken
        int skippedForBacklog = 0;    // ticks skipped: the worker had too many frames
        int skippedForWindows = 0;    // ticks skipped: one of our windows had to move out
        int autoTicksWaiting = 0;     // automatic ticks that waited for a kept frame
        int notchesPosted = 0;
    };
    const Counters& counters() const { return m_counters; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pickDone(std::optional<ScrollTarget> target);
    void openFrameSource(int attempt, quint64 generation);
    void lookAtRegion(quint64 generation);
    void handOver(QImage still, bool settled);
    void handleFrameResult(const ScrollFrameResult& result, int notchesAtGrab, bool carriedHint);
    void stitchDidFinish(ScrollStitchResult result, const QString& note);
    void tellIfTooLow();
    void teardownCaptureChrome();
    void stopObservingScreens();
    void endWithoutImage();
    bool reachedCanvasLimit(int canvasHeight) const;
    void toast(const QString& title, const QString& subtitle);

    std::unique_ptr<ScrollCaptureEnvironment> m_env;
    Timing m_timing;

    quint64 m_session = 0;
    ScrollTarget m_target;
    std::optional<ScrollStitchConfig> m_config;
    std::optional<platform::NativeWindowId> m_previousWindow;
    std::optional<QString> m_pendingConflict;
    bool m_didCheckShortcutConflict = false;

    std::unique_ptr<ScrollStitchWorker> m_worker;
    std::unique_ptr<ScrollFrameSource> m_source;
    std::unique_ptr<platform::WheelScroller> m_scroller;
    std::unique_ptr<ScrollWheelPacer> m_pacer;
    QPointer<ScrollRegionWindow> m_regionWindow;
    QPointer<ScrollControlBarPanel> m_controlBar;
    platform::ScreenChangeWatcher* m_screenWatcher = nullptr;
    bool m_filteringKeys = false;

    QTimer m_captureTimer;
    QTimer m_autoScrollTimer;
    QElapsedTimer m_sinceNewFrame;
    QElapsedTimer m_toastClock;
    qint64 m_toastFreeAt = 0;
    int m_keptCount = 0;
    int m_inputCount = 0;
    int m_consecutiveDuplicates = 0;
    int m_consecutiveErrors = 0;
    int m_framesInWorker = 0;
    int m_settleTicks = 0;
    bool m_looking = false;  // a still is being taken, look by look
    int m_looks = 0;
    QImage m_lastLook;
    bool m_autoScrolling = false;
    bool m_toldTooLow = false;
    Counters m_counters;
};

}  // namespace klipo
