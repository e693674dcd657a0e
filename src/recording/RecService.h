#pragma once

#include "recording/RecControlBarPanel.h"
#include "recording/RecOptions.h"
#include "recording/RecOptionsBarPanel.h"
#include "recording/RecPorts.h"
#include "recording/RecRegionWindow.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QScreen;

namespace klipo {

namespace platform {
class ScreenChangeWatcher;
}

// A screen recording from the first press to the saved file: the region
// pick, the frame and the options bar, the engine's start, the stop bar with
// its clock, the stop, the move into the capture folder and the toast; also
// a screen change and the quit. Main thread only.
class RecService : public QObject {
    Q_OBJECT
public:
    enum class RecState { idle, picking, options, starting, recording, stopping };

    // The process's service, over the real overlay, engine and toast.
    static RecService& shared();

    explicit RecService(std::shared_ptr<RecPorts> ports, QObject* parent = nullptr);
    ~RecService() override;

    // Where the flow stands; read by scrolling capture and the shell, changed
    // only here.
    RecState state = RecState::idle;

    // Called with true when a recording has started and with false when
    // stopping begins (the tray's recording look).
    std::function<void(bool)> onRecordingStateChanged;
    // Whether a scrolling capture is capturing or stitching (set by the shell).
    std::function<bool()> scrollCaptureBusy;
    // The recording self-check's hook: the saved file, or nothing when a
    // start failed or a stop saved nothing. Not called at quit.
    std::function<void(std::optional<QString>)> onSavedForTest;

    std::optional<QString> lastSavedPath() const { return m_lastSaved; }

    // The hot key and the menu item: what a press does depends on the state.
    void toggle();
    // Records `rect` (points from the screen's lower-left corner) of `screen`
    // at once, without pick or options; from idle or the options step only.
    void startRecording(const QRectF& rect, QScreen* screen, const RecOptions& options);
    // Stops a running recording and saves it; `note` titles the toast.
    void stopRecording(const std::optional<QString>& note = std::nullopt);
    // At quit: stops and keeps the recording, waiting a bounded time, and
    // names the file in a desktop notification.
    void handleAppTermination();
    void screenParametersDidChange();
    // Moves recordings left by an earlier run into the capture folder (off
    // the main thread) and names them in a toast. A start waits for it.
    void recoverLeftovers();

    // The clock of the stop bar (every half second while recording).
    void tick();

    // The windows of the flow, while they exist.
    RecRegionWindow* regionWindow() const { return m_regionWindow; }
    RecOptionsBarPanel* optionsBar() const { return m_optionsBar; }
    RecControlBarPanel* controlBar() const { return m_controlBar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void beginFlow();
    void pickFinished(quint64 flow, const std::optional<RecPick>& pick);
    void showOptions(const RecPick& pick);
    void startFromOptions(const RecOptions& options);
    void cancelFlow();
    void closeOptionsBar();
    void cleanupChrome();
    // Our other windows stay out of the region (and the toast clear of it)
    // from the options step until the file is finished.
    void keepOutOfRegion();
    void letRegionGo();
    void showRegionWindow();
    void startObservingScreenChanges();
    void stopObservingScreenChanges();
    void resolveAndLaunch(const RecOptions& options);
    void resolveMicrophone(const RecOptions& options, std::function<void(RecOptions)> completion);
    void launchEngine(const RecOptions& options);
    void runtimeError(quint64 serial, const QString& message);
    void recordingDidStart(quint64 serial);
    // The stop bar, shown from the moment the engine is asked to start.
    void showControlBar(bool starting);
    // The bar's stop: ends the recording, or gives up a start under way.
    void stopFromBar();
    void cancelStart();
    void startFailed(quint64 serial, const QString& message);
    void finalizeStop(quint64 serial, const RecStopResult& result, RecFormat format, double elapsed,
                      const std::optional<QString>& note);
    void tellNoRoomForStopBar();
    bool stopBarHasRoom() const;
    QRectF globalRect() const;
    std::shared_ptr<RecRecorder> takeEngine();
    static void discard(std::shared_ptr<RecRecorder> engine);

    std::shared_ptr<RecPorts> m_ports;
    QPointer<RecRegionWindow> m_regionWindow;
    QPointer<RecOptionsBarPanel> m_optionsBar;
    QPointer<RecControlBarPanel> m_controlBar;
    bool m_escFilterInstalled = false;
    std::shared_ptr<RecRecorder> m_engine;
    // Tells the engine's late answers from the current one's.
    quint64 m_engineSerial = 0;
    // Tells a pick's or a microphone check's late answer from the current flow's.
    quint64 m_flow = 0;
    QTimer m_timer;
    std::optional<double> m_startedAt;
    platform::ScreenChangeWatcher* m_screenWatcher = nullptr;
    QPointer<QScreen> m_screen;
    QRect m_screenGeometry;
    QRectF m_rect;
    RecFormat m_format = RecFormat::mp4;
    RecOptions m_options;
    std::optional<QString> m_lastSaved;
    bool m_toldNoRoom = false;  // this flow has said its stop bar stays hidden
    bool m_keepingOut = false;  // our windows are kept out of the region
    bool m_microphoneTold = false;
    bool m_recovering = false;
    std::function<void()> m_afterRecovery;
};

}  // namespace klipo
