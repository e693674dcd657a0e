#include "platform/pulse/PulseMicrophone.h"

#include "platform/media/MediaClock.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace klipo::platform {

std::unique_ptr<Microphone> createMicrophone() { return std::make_unique<pulse::PulseMicrophone>(); }

}  // namespace klipo::platform

namespace klipo::platform::pulse {

namespace {

constexpr int chunkMillis = 10;
// The span over which the sound clock is compared with the system's.
constexpr std::int64_t clockWindowMicros = 5'000'000;

QString reasonFor(int error)
{
    switch (error) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
    case PA_ERR_CONNECTIONTERMINATED:
        return QStringLiteral("没有可用的声音服务（PulseAudio 未运行）");
    case PA_ERR_NOENTITY:
        return QStringLiteral("找不到麦克风：声音服务里没有录音设备");
    case PA_ERR_ACCESS:
        return QStringLiteral("声音服务拒绝了录音请求");
    default:
        return QStringLiteral("无法打开麦克风：%1").arg(QString::fromUtf8(pa_strerror(error)));
    }
}

pa_simple* openInput(int sampleRate, int* error)
{
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32LE;
    format.rate = std::uint32_t(sampleRate);
    format.channels = 1;
    // Small fragments keep the delay between sound and picture low.
    pa_buffer_attr attributes{};
    attributes.maxlength = std::uint32_t(-1);
    attributes.tlength = std::uint32_t(-1);
    attributes.prebuf = std::uint32_t(-1);
    attributes.minreq = std::uint32_t(-1);
    attributes.fragsize = std::uint32_t(sampleRate * chunkMillis / 1000 * sizeof(float));
    return pa_simple_new(nullptr, "KlipoVersa", PA_STREAM_RECORD, nullptr, "录屏", &format, nullptr, &attributes,
                         error);
}

}  // namespace

// The reading side. A read blocks until the server hands over sound, and a
// stuck server could hold it for good: a stop therefore only waits a moment
// for the thread, which then ends on its own and frees the stream.
struct PulseMicrophone::Reader {
    pa_simple* stream = nullptr;
    int sampleRate = 48000;
    std::function<void(const MicrophoneChunk&)> onChunk;
    std::function<void(const QString&)> onError;
    std::mutex delivering;  // held while a callback runs; a stop takes it too
    bool stopping = false;
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;

    ~Reader()
    {
        if (stream) pa_simple_free(stream);
    }
    bool stopped()
    {
        std::lock_guard lock(delivering);
        return stopping;
    }
    void run();
};

PulseMicrophone::~PulseMicrophone() { stop(); }

std::optional<QString> PulseMicrophone::unavailableReason()
{
    int error = 0;
    pa_simple* probe = openInput(48000, &error);
    if (!probe) return reasonFor(error);
    pa_simple_free(probe);
    return std::nullopt;
}

std::optional<QString> PulseMicrophone::start(int sampleRate, std::function<void(const MicrophoneChunk&)> onChunk,
                                              std::function<void(const QString&)> onError)
{
    stop();
    int error = 0;
    pa_simple* stream = openInput(sampleRate, &error);
    if (!stream) return reasonFor(error);
    m_reader = std::make_shared<Reader>();
    m_reader->stream = stream;
    m_reader->sampleRate = sampleRate;
    m_reader->onChunk = std::move(onChunk);
    m_reader->onError = std::move(onError);
    std::thread([reader = m_reader] {
        reader->run();
        std::lock_guard lock(reader->doneMutex);
        reader->done = true;
        reader->doneChanged.notify_all();
    }).detach();
    return std::nullopt;
}

void PulseMicrophone::stop()
{
    if (!m_reader) return;
    {
        std::lock_guard lock(m_reader->delivering);
        m_reader->stopping = true;  // from here on no callback runs
    }
    std::unique_lock lock(m_reader->doneMutex);
    m_reader->doneChanged.wait_for(lock, std::chrono::milliseconds(500), [this] { return m_reader->done; });
    lock.unlock();
    m_reader.reset();
}

void PulseMicrophone::Reader::run()
{
    const int frames = sampleRate * chunkMillis / 1000;
    const int rate = sampleRate;
    const auto samplesToMicros = [rate](std::int64_t samples) { return samples * 1000000 / rate; };
    std::vector<float> buffer(std::size_t(frames), 0.0f);
    // Samples are stamped by counting them: the sound card's clock is steady,
    // while the server's latency figure jumps about too much to stamp each
    // chunk with it. The first chunk is placed on the monotonic clock
    // (arrival minus what the server still held). The card's clock runs a
    // little apart from the system's (tens of ppm), and sound can be lost when
    // we read too late: the lateness of arrivals against the count tells both.
    // Its smallest value over a few seconds is free of scheduling delays and
    // moves the count's origin along.
    std::int64_t anchor = 0;
    std::int64_t delivered = 0;
    std::int64_t firstLatency = 0;
    std::int64_t windowStart = 0;
    std::int64_t windowLeast = INT64_MAX;
    std::int64_t baseline = INT64_MAX;
    std::int64_t correction = 0;
    while (!stopped()) {
        int error = 0;
        if (pa_simple_read(stream, buffer.data(), buffer.size() * sizeof(float), &error) < 0) {
            std::lock_guard lock(delivering);
            if (!stopping && onError) onError(reasonFor(error));
            return;
        }
        const std::int64_t now = media::monotonicMicros();
        if (delivered == 0) {
            const pa_usec_t latency = pa_simple_get_latency(stream, &error);
            firstLatency = latency == pa_usec_t(-1) ? 0 : std::int64_t(latency);
            anchor = now - firstLatency - samplesToMicros(frames);
            windowStart = now;
        }
        const std::int64_t lateness = now - firstLatency - (anchor + samplesToMicros(delivered + frames));
        windowLeast = std::min(windowLeast, lateness);
        if (now - windowStart >= clockWindowMicros) {
            if (baseline == INT64_MAX) baseline = windowLeast;
            correction = windowLeast - baseline;
            windowLeast = INT64_MAX;
            windowStart = now;
        }
        {
            std::lock_guard lock(delivering);
            if (stopping) return;
            onChunk(MicrophoneChunk{buffer.data(), frames, anchor + correction + samplesToMicros(delivered)});
        }
        delivered += frames;
    }
}

}  // namespace klipo::platform::pulse
