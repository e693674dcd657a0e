#pragma once

#include "recording/RecEngine.h"
#include "recording/RecGeometry.h"
#include "recording/RecOptions.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QScreen>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace klipo {

// A region picked for a recording.
struct RecPick {
    QPointer<QScreen> screen;
    QRect screenGeometry;  // the screen in global points (y down) when it was picked
    QRectF rect;           // the region in points from the screen's lower-left corner, y up
    std::optional<quint32> focusBefore;  // the window that had the keyboard when the pick began
};

// One recording as the flow drives it. The real one is the engine; tests
// drive a fake. Completions run on the main thread.
class RecRecorder {
public:
    virtual ~RecRecorder() = default;
    virtual void setOnRuntimeError(std::function<void(const QString&)> callback) = 0;
    // Nothing on success, else why it could not start.
    virtual void startAsync(std::function<void(std::optional<QString>)> done) = 0;
    virtual void stopAsync(std::function<void(RecStopResult)> done) = 0;
    // Waits at most `timeoutSeconds`, also for a stop already under way.
    virtual RecStopResult stopSyncForTermination(double timeoutSeconds) = 0;
    virtual std::optional<QString> microphoneError() const = 0;
    virtual QString tempPath() const = 0;
};

// Everything the recording flow reaches outside itself.
class RecPorts {
public:
    virtual ~RecPorts() = default;

    // The capture overlay's rectangle pick. `done` runs once: the region, or
    // nothing when the pick ended otherwise (Esc, refused, ended by endPick).
    virtual bool overlayIsActive() = 0;
    virtual void beginPick(std::function<void(std::optional<RecPick>)> done) = 0;
    virtual void endPick() = 0;

    // Why the microphone cannot be used, or nothing; later, on the main thread.
    virtual void checkMicrophone(std::function<void(std::optional<QString>)> done) = 0;
    virtual std::shared_ptr<RecRecorder> makeRecorder(const RecTarget& target, const RecOptions& options,
                                                      const QString& tempPath) = 0;

    // The recording hot key as the tray menu writes it, when one is set.
    virtual std::optional<QString> stopShortcutText() = 0;

    virtual QString captureFolder() = 0;
    virtual QString captureFolderDisplayName() = 0;
    // Where recordings are written while they run: a folder of this user's
    // alone (never the shared temporary folder), looked at again at launch.
    virtual QString recordingFolder() = 0;

    // Keeps our own windows out of the region being recorded (global points)
    // from now on: the toast shows clear of it, and the others over it are
    // hidden until the region is let go (none); the recording's own windows
    // (its frame and bars) stay.
    virtual void keepOutOfRegion(std::optional<QRect> region, const QList<QWidget*>& recordingWindows) = 0;

    // The toast (2.2 s; a file makes a click reveal it) and, where the toast
    // cannot be seen any more (at quit), a desktop notification.
    virtual void toast(const QString& title, const QString& subtitle, const QString& file = {}) = 0;
    virtual void notify(const QString& title, const QString& body) = 0;

    // Seconds on a monotonic clock, and the wall clock for file names.
    virtual double monotonicSeconds() = 0;
    virtual QDateTime now() = 0;
};

}  // namespace klipo
