#pragma once

#include "platform/Microphone.h"
#include "platform/RegionGrabber.h"
#include "platform/media/MediaFileWriter.h"
#include "recording/RecGeometry.h"
#include "recording/RecOptions.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace klipo {

// How a recording ended.
struct RecStopResult {
    // The finished file (the temporary path the engine was given), or nothing
    // when nothing usable was written (the file is then removed).
    std::optional<QString> file;
    // Writing failed midway (a full disk, an I/O error): the file holds what
    // was written before, and this says why it ends early.
    std::optional<QString> cutShortReason;
    // stopSyncForTermination() stopped waiting; the file may still be being
    // finished and lies at the temporary path.
    bool timedOut = false;
};

// Figures of one recording, for measurements.
struct RecEngineStats {
    QString preset;
    std::int64_t frameSlots = 0;          // frame slots since the start
    std::int64_t framesGrabbed = 0;
    std::int64_t framesWritten = 0;
    std::int64_t framesDropped = 0;   // late ticks and pictures refused by a full queue
    std::int64_t droppedLate = 0;     // of those: the grab thread missed its moment
    std::int64_t droppedEncoderBehind = 0;  // of those: the queue to the encoder was full
    double grabCpuSeconds = 0;
    double convertCpuSeconds = 0;
    double encodeCpuSeconds = 0;      // the encoding thread; the encoder's own helpers run apart
    std::int64_t audioSamplesWritten = 0;
    std::int64_t audioChunksDropped = 0;
    std::int64_t audioSilenceAdded = 0;
    std::int64_t audioSamplesSkipped = 0;
    double largestAudioDriftMillis = 0;
    double stopSeconds = 0;           // from stop() to the finished file
};

// What an engine is built from; tests swap in fakes.
struct RecEngineParts {
    std::function<std::unique_ptr<platform::RegionGrabber>(QString* error)> grabber;
    std::function<std::unique_ptr<platform::Microphone>()> microphone;
    std::function<std::unique_ptr<platform::media::MediaFileWriter>()> writer;

    static RecEngineParts system();
};

// Records one region of the screen (and, when asked, the microphone) into one
// file: H.264 in MP4 or MOV, written in fragments so that even a file cut off
// by a crash plays. Grabbing, colour conversion and encoding each run on a
// thread of their own; one monotonic clock stamps pictures and sound. One
// engine serves exactly one recording.
class RecEngine {
public:
    RecEngine(RecTarget target, RecOptions options, QString tempPath,
              RecEngineParts parts = RecEngineParts::system());
    ~RecEngine();  // stops a recording still running and waits for its file
    RecEngine(const RecEngine&) = delete;
    RecEngine& operator=(const RecEngine&) = delete;

    // Called at most once, on the main thread, with the first failure while
    // recording (a failed grab or write). Set it before start().
    void setOnRuntimeError(std::function<void(const QString&)> callback);

    // Opens the file and starts recording. Blocks for the set-up (tens of
    // milliseconds); returns the reason when it cannot start, after which the
    // owner still calls stop() to clean up.
    std::optional<QString> start();
    // start() on a worker thread; `done` runs on the main thread.
    void startAsync(std::function<void(std::optional<QString>)> done);

    // Stops, finishes the file and returns it. Every stop, however often and
    // from wherever called, waits for the one and only stop and gets its result.
    RecStopResult stop();
    // stop() on a worker thread; `done` runs on the main thread.
    void stopAsync(std::function<void(RecStopResult)> done);
    // stop() waiting at most `timeoutSeconds` (for the quit path): also waits
    // for a stop that is already under way. On time-out, timedOut is set.
    RecStopResult stopSyncForTermination(double timeoutSeconds);

    // When the microphone was asked for but could not be opened (no sound
    // server, no input): why. The recording then has no sound.
    std::optional<QString> microphoneError() const;

    QSize outputSize() const;
    QString tempPath() const;
    RecEngineStats stats() const;

private:
    class Core;
    std::shared_ptr<Core> m_core;
};

}  // namespace klipo
