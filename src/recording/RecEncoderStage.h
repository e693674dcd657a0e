#pragma once

#include "platform/media/MediaFileWriter.h"
#include "platform/media/YuvFrame.h"
#include "recording/RecAudioAligner.h"
#include "recording/RecQueue.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

namespace klipo {

// The encoding thread of a recording: takes converted pictures and
// microphone chunks, encodes them and writes the file. It alone touches the
// writer. After a failed write it takes nothing more, closes the file as far
// as it still can, and says why.
class RecEncoderStage {
public:
    using YuvPool = RecPool<platform::media::YuvFrame>;

    RecEncoderStage(std::unique_ptr<platform::media::MediaFileWriter> writer, YuvPool& pictures, int sampleRate,
                    std::function<void(const QString&)> onWriteFailure);
    ~RecEncoderStage();

    void start();
    // Hands a picture over (its buffer returns to the pool once written).
    // False when it was refused; the picture is then back in the pool.
    bool pushVideo(platform::media::YuvFrame&& frame, std::int64_t slot);
    bool pushAudio(const float* samples, int count, std::int64_t firstSampleMicros);
    // The moment of frame slot 0; sound before it is left out.
    void setAudioOrigin(std::int64_t originMicros) { m_origin.store(originMicros); }

    // Writes what is queued, drains the encoders, finishes the file and waits
    // for the thread. Safe to call twice.
    void finish();

    std::optional<QString> writeFailure() const;
    std::int64_t framesWritten() const { return m_framesWritten.load(); }
    double cpuSeconds() const { return m_cpuSeconds; }
    std::int64_t audioSamplesWritten() const { return m_audioSamples; }
    const RecAudioAligner& aligner() const { return m_aligner; }

private:
    struct Picture {
        platform::media::YuvFrame frame;
        std::int64_t slot = 0;
    };
    struct Sound {
        std::vector<float> samples;
        std::int64_t firstSampleMicros = 0;
    };
    using Item = std::variant<Picture, Sound>;

    void run();
    void write(Picture& picture);
    void write(Sound& sound);
    void fail(const QString& reason);

    static constexpr std::int64_t noOrigin = INT64_MIN;

    std::unique_ptr<platform::media::MediaFileWriter> m_writer;
    YuvPool& m_pictures;
    std::function<void(const QString&)> m_onWriteFailure;
    RecQueue<Item> m_inbox;
    RecAudioAligner m_aligner;
    std::atomic<std::int64_t> m_origin{noOrigin};
    mutable std::mutex m_failureMutex;
    std::optional<QString> m_failure;
    std::atomic<std::int64_t> m_framesWritten{0};
    std::int64_t m_audioSamples = 0;
    double m_cpuSeconds = 0;
    std::thread m_thread;
};

}  // namespace klipo
