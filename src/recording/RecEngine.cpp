#include "recording/RecEngine.h"

#include "platform/FileUseLock.h"
#include "platform/SerialQueue.h"
#include "platform/media/FragmentedFile.h"
#include "platform/media/MediaClock.h"
#include "recording/RecCaptureStage.h"
#include "recording/RecEncoderStage.h"

#include <QFile>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace klipo {

namespace {
constexpr int sampleRate = 48000;
// Converted pictures: the queue to the encoder holds six, plus the one being
// converted and the one being encoded.
constexpr std::size_t pictureBuffers = 8;
// How long a start waits for the microphone's first sound.
constexpr std::chrono::milliseconds microphoneWarmUp{3000};
}  // namespace

RecEngineParts RecEngineParts::system()
{
    RecEngineParts parts;
    parts.grabber = [](QString* error) { return platform::createRegionGrabber(error); };
    parts.microphone = [] { return platform::createMicrophone(); };
    parts.writer = [] { return platform::media::createMediaFileWriter(); };
    return parts;
}

class RecEngine::Core : public std::enable_shared_from_this<Core> {
public:
    Core(RecTarget target, RecOptions options, QString tempPath, RecEngineParts parts)
        : m_options(options), m_tempPath(std::move(tempPath)), m_parts(std::move(parts)),
          m_size(RecGeometry::outputSize(target)), m_rectPx(RecGeometry::pixelRect(target)),
          m_stopFuture(m_stopPromise.get_future().share())
    {
        m_stats.preset =
            RecGeometry::encoderPreset(m_size.width(), m_size.height(), m_options.fps, platform::media::usableCpuCount());
    }

    ~Core() { teardown(); }

    std::optional<QString> start();
    std::shared_future<RecStopResult> beginStop();
    void failOnce(const QString& reason);

    std::mutex m_callbackMutex;
    std::function<void(const QString&)> m_onRuntimeError;
    mutable std::mutex m_statsMutex;
    std::optional<QString> m_microphoneError;
    RecEngineStats m_stats;
    const RecOptions m_options;
    const QString m_tempPath;
    const RecEngineParts m_parts;
    const QSize m_size;
    const QRect m_rectPx;

private:
    RecStopResult runStop();
    void teardown();
    RecStopResult decide();

    std::mutex m_lifecycle;  // start and stop never overlap
    std::atomic<bool> m_didFail{false};
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_accepting{true};
    std::unique_ptr<platform::Microphone> m_microphone;
    std::unique_ptr<RecEncoderStage::YuvPool> m_pictures;
    std::unique_ptr<RecEncoderStage> m_encoder;
    std::atomic<RecEncoderStage*> m_audioTarget{nullptr};
    std::atomic<bool> m_microphoneFlowing{false};
    std::atomic<std::int64_t> m_soundEnd{0};  // where the sound read so far ends (monotonic micros)
    std::int64_t m_origin = 0;
    std::condition_variable m_microphoneStarted;
    std::unique_ptr<RecCaptureStage> m_capture;
    platform::FileUseLock m_lock;
    std::mutex m_stopMutex;
    bool m_stopBegun = false;
    std::promise<RecStopResult> m_stopPromise;
    std::shared_future<RecStopResult> m_stopFuture;
};

std::optional<QString> RecEngine::Core::start()
{
    std::lock_guard lifecycle(m_lifecycle);
    if (m_stopping) return QStringLiteral("录屏已结束");
    if (m_encoder) return QStringLiteral("录屏已在进行");
    // Marks the file as in use at once, so that a leftover search elsewhere never takes it.
    m_lock.tryLock(m_tempPath);
    QString error;
    std::unique_ptr<platform::RegionGrabber> grabber = m_parts.grabber(&error);
    if (!grabber) return error;
    if (!m_rectPx.intersects(QRect(QPoint(0, 0), grabber->desktopSize())))
        return QStringLiteral("找不到目标显示器");

    // The microphone opens before the file, which must know whether it has
    // sound; its chunks are dropped until the encoder is there to take them.
    if (m_options.microphone) {
        m_microphone = m_parts.microphone();
        auto failure = m_microphone->start(
            sampleRate,
            [this](const platform::MicrophoneChunk& chunk) {
                if (!m_microphoneFlowing.load()) {
                    std::lock_guard lock(m_statsMutex);
                    m_microphoneFlowing = true;
                    m_microphoneStarted.notify_all();
                }
                m_soundEnd = chunk.firstSampleMicros + std::int64_t(chunk.count) * 1000000 / sampleRate;
                RecEncoderStage* encoder = m_audioTarget.load();
                if (!encoder || !m_accepting.load()) return;
                if (!encoder->pushAudio(chunk.samples, chunk.count, chunk.firstSampleMicros)) {
                    std::lock_guard lock(m_statsMutex);
                    ++m_stats.audioChunksDropped;
                }
            },
            [this](const QString& reason) {
                std::lock_guard lock(m_statsMutex);
                m_microphoneError = reason;
            });
        if (failure) {
            m_microphone.reset();
            std::lock_guard lock(m_statsMutex);
            m_microphoneError = failure;
        } else {
            // Some sources take a moment before their first sound (a sink's
            // monitor wakes up in up to two seconds): the pictures start with
            // the sound, not before it.
            std::unique_lock lock(m_statsMutex);
            m_microphoneStarted.wait_for(lock, microphoneWarmUp, [this] { return m_microphoneFlowing.load(); });
        }
    }

    std::unique_ptr<platform::media::MediaFileWriter> writer = m_parts.writer();
    platform::media::VideoSettings video;
    video.width = m_size.width();
    video.height = m_size.height();
    video.fps = m_options.fps;
    video.bitRate = RecGeometry::bitRate(video.width, video.height, video.fps);
    video.keyFrameInterval = 2 * video.fps;
    video.preset = m_stats.preset;
    std::optional<platform::media::AudioSettings> audio;
    if (m_microphone) audio = platform::media::AudioSettings{};
    if (auto failure = writer->open(m_tempPath,
                                    m_options.format == RecFormat::mov ? platform::media::Container::mov
                                                                       : platform::media::Container::mp4,
                                    video, audio)) {
        if (m_microphone) m_microphone->stop();
        return failure;
    }
    if (!m_lock.isLocked()) m_lock.tryLock(m_tempPath);  // the writer has only now made it

    m_pictures = std::make_unique<RecEncoderStage::YuvPool>(pictureBuffers);
    m_encoder = std::make_unique<RecEncoderStage>(std::move(writer), *m_pictures, sampleRate,
                                                  [this](const QString& reason) { failOnce(reason); });
    m_capture = std::make_unique<RecCaptureStage>(std::move(grabber), m_rectPx, m_options.fps, *m_pictures,
                                                  *m_encoder, m_accepting,
                                                  [this](const QString& reason) { failOnce(reason); });
    m_encoder->start();
    m_audioTarget = m_encoder.get();
    m_origin = m_capture->start();
    m_encoder->setAudioOrigin(m_origin);
    return std::nullopt;
}

void RecEngine::Core::failOnce(const QString& reason)
{
    // Whatever failed, nothing more is taken: the file keeps what came before.
    m_accepting = false;
    if (m_stopping.load() || m_didFail.exchange(true)) return;
    std::weak_ptr<Core> weak = weak_from_this();
    platform::runOnMain([weak, reason] {
        auto core = weak.lock();
        if (!core) return;
        std::function<void(const QString&)> callback;
        {
            std::lock_guard lock(core->m_callbackMutex);
            callback = core->m_onRuntimeError;
        }
        if (callback) callback(reason);
    });
}

std::shared_future<RecStopResult> RecEngine::Core::beginStop()
{
    std::lock_guard lock(m_stopMutex);
    if (!m_stopBegun) {
        m_stopBegun = true;
        m_stopping = true;
        // The stop runs on a thread of its own, so that a caller that stops
        // waiting (quit) leaves it to finish the file.
        std::thread([self = shared_from_this()] { self->m_stopPromise.set_value(self->runStop()); }).detach();
    }
    return m_stopFuture;
}

RecStopResult RecEngine::Core::runStop()
{
    const std::int64_t begun = platform::media::monotonicMicros();
    std::lock_guard lifecycle(m_lifecycle);
    teardown();
    RecStopResult result = decide();
    m_lock.unlock();
    std::lock_guard lock(m_statsMutex);
    m_stats.stopSeconds = double(platform::media::monotonicMicros() - begun) / 1e6;
    return result;
}

void RecEngine::Core::teardown()
{
    m_stopping = true;
    if (m_capture) m_capture->stop();
    if (m_microphone) {
        // The sound of the last pictures is still on its way (the source's
        // delay): read on until it has come, for at most a second.
        if (m_capture && m_accepting.load()) {
            const std::int64_t picturesEnd = m_origin + m_capture->slotsElapsed() * 1000000 / m_options.fps;
            const std::int64_t deadline = platform::media::monotonicMicros() + 1000000;
            while (m_soundEnd.load() < picturesEnd && platform::media::monotonicMicros() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_microphone->stop();
    }
    m_audioTarget = nullptr;
    if (m_encoder) m_encoder->finish();
    if (!m_capture || !m_encoder) return;
    std::lock_guard lock(m_statsMutex);
    m_stats.frameSlots = m_capture->slotsElapsed();
    m_stats.framesGrabbed = m_capture->framesGrabbed();
    m_stats.framesDropped = m_capture->framesDropped();
    m_stats.droppedLate = m_capture->ticksLate();
    m_stats.droppedEncoderBehind = m_capture->encoderQueueFull();
    m_stats.grabCpuSeconds = m_capture->grabCpuSeconds();
    m_stats.convertCpuSeconds = m_capture->convertCpuSeconds();
    m_stats.framesWritten = m_encoder->framesWritten();
    m_stats.encodeCpuSeconds = m_encoder->cpuSeconds();
    m_stats.audioSamplesWritten = m_encoder->audioSamplesWritten();
    m_stats.audioSilenceAdded = m_encoder->aligner().silenceAdded();
    m_stats.audioSamplesSkipped = m_encoder->aligner().samplesSkipped();
    m_stats.largestAudioDriftMillis = m_encoder->aligner().largestDriftMillis();
}

RecStopResult RecEngine::Core::decide()
{
    RecStopResult result;
    const bool wroteFrames = m_encoder && m_encoder->framesWritten() > 0;
    platform::media::FragmentCheck check;
    // A write that failed midway may have left half a fragment: cut it off.
    if (wroteFrames) platform::media::trimToCompleteFragments(m_tempPath, &check);
    if (!check.usable()) {
        // Nothing worth keeping (also an empty file made for a start that failed).
        QFile::remove(m_tempPath);
        return result;
    }
    result.file = m_tempPath;
    result.cutShortReason = m_encoder->writeFailure();
    return result;
}

RecEngine::RecEngine(RecTarget target, RecOptions options, QString tempPath, RecEngineParts parts)
    : m_core(std::make_shared<Core>(target, options, std::move(tempPath), std::move(parts)))
{
}

RecEngine::~RecEngine() { stop(); }

void RecEngine::setOnRuntimeError(std::function<void(const QString&)> callback)
{
    std::lock_guard lock(m_core->m_callbackMutex);
    m_core->m_onRuntimeError = std::move(callback);
}

std::optional<QString> RecEngine::start() { return m_core->start(); }

void RecEngine::startAsync(std::function<void(std::optional<QString>)> done)
{
    std::thread([core = m_core, done = std::move(done)] {
        std::optional<QString> failure = core->start();
        platform::runOnMain([done, failure] { done(failure); });
    }).detach();
}

RecStopResult RecEngine::stop() { return m_core->beginStop().get(); }

void RecEngine::stopAsync(std::function<void(RecStopResult)> done)
{
    std::thread([future = m_core->beginStop(), done = std::move(done)] {
        RecStopResult result = future.get();
        platform::runOnMain([done, result] { done(result); });
    }).detach();
}

RecStopResult RecEngine::stopSyncForTermination(double timeoutSeconds)
{
    std::shared_future<RecStopResult> future = m_core->beginStop();
    const auto wait = std::chrono::duration<double>(std::max(0.0, timeoutSeconds));
    if (future.wait_for(wait) == std::future_status::ready) return future.get();
    RecStopResult result;
    result.timedOut = true;
    return result;
}

std::optional<QString> RecEngine::microphoneError() const
{
    std::lock_guard lock(m_core->m_statsMutex);
    return m_core->m_microphoneError;
}

QSize RecEngine::outputSize() const { return m_core->m_size; }

QString RecEngine::tempPath() const { return m_core->m_tempPath; }

RecEngineStats RecEngine::stats() const
{
    std::lock_guard lock(m_core->m_statsMutex);
    return m_core->m_stats;
}

}  // namespace klipo
