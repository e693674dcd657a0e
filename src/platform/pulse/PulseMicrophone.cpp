#include "platform/pulse/PulseMicrophone.h"

#include "platform/media/MediaClock.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <vector>

namespace klipo::platform {

std::unique_ptr<Microphone> createMicrophone() { return std::make_unique<pulse::PulseMicrophone>(); }

}  // namespace klipo::platform

namespace klipo::platform::pulse {

namespace {

constexpr int chunkMillis = 10;
// The server keeps at most this much sound for us; what we fail to read in time beyond it is lost.
constexpr int maxBufferMillis = 1000;
constexpr std::int64_t maxBufferMicros = std::int64_t(maxBufferMillis) * 1000;

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
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32LE;
    spec.rate = std::uint32_t(sampleRate);
    spec.channels = 1;
    // Small fragments keep the delay between sound and picture low.
    pa_buffer_attr attributes{};
    attributes.maxlength = std::uint32_t(sampleRate * maxBufferMillis / 1000 * sizeof(float));
    attributes.tlength = std::uint32_t(-1);
    attributes.prebuf = std::uint32_t(-1);
    attributes.minreq = std::uint32_t(-1);
    attributes.fragsize = std::uint32_t(sampleRate * chunkMillis / 1000 * sizeof(float));
    return pa_simple_new(nullptr, "KlipoVersa", PA_STREAM_RECORD, nullptr, "录屏", &spec, nullptr, &attributes,
                         error);
}

}  // namespace

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
    m_stream = openInput(sampleRate, &error);
    if (!m_stream) return reasonFor(error);
    m_onChunk = std::move(onChunk);
    m_onError = std::move(onError);
    m_stopping = false;
    m_thread = std::thread([this, sampleRate] { run(sampleRate); });
    return std::nullopt;
}

void PulseMicrophone::stop()
{
    m_stopping = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_stream) {
        pa_simple_free(m_stream);
        m_stream = nullptr;
    }
}

void PulseMicrophone::run(int sampleRate)
{
    const int frames = sampleRate * chunkMillis / 1000;
    const auto samplesToMicros = [sampleRate](std::int64_t samples) { return samples * 1000000 / sampleRate; };
    std::vector<float> buffer(std::size_t(frames), 0.0f);
    // The sound card's own clock is the exact one: the first chunk is placed
    // on the monotonic clock (arrival minus what the server still held), the
    // rest follow sample by sample. The server's latency figure jumps about
    // too much to stamp every chunk with it.
    std::int64_t anchor = 0;
    std::int64_t delivered = 0;
    std::int64_t firstLatency = 0;
    while (!m_stopping) {
        int error = 0;
        if (pa_simple_read(m_stream, buffer.data(), buffer.size() * sizeof(float), &error) < 0) {
            if (m_onError) m_onError(reasonFor(error));
            return;
        }
        const std::int64_t now = media::monotonicMicros();
        const std::int64_t chunkEnd = now - firstLatency;
        if (delivered == 0) {
            const pa_usec_t latency = pa_simple_get_latency(m_stream, &error);
            firstLatency = latency == pa_usec_t(-1) ? 0 : std::int64_t(latency);
            anchor = now - firstLatency - samplesToMicros(frames);
        } else if (chunkEnd - (anchor + samplesToMicros(delivered + frames)) > maxBufferMicros) {
            // Later than the server can buffer: sound was lost. Start counting afresh.
            anchor = chunkEnd - samplesToMicros(delivered + frames);
        }
        m_onChunk(MicrophoneChunk{buffer.data(), frames, anchor + samplesToMicros(delivered)});
        delivered += frames;
    }
}

}  // namespace klipo::platform::pulse
