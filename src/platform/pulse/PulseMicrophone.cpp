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
    attributes.maxlength = std::uint32_t(-1);
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
    const std::int64_t chunkMicros = std::int64_t(frames) * 1000000 / sampleRate;
    std::vector<float> buffer(std::size_t(frames), 0.0f);
    while (!m_stopping) {
        int error = 0;
        if (pa_simple_read(m_stream, buffer.data(), buffer.size() * sizeof(float), &error) < 0) {
            if (m_onError) m_onError(reasonFor(error));
            return;
        }
        const std::int64_t now = media::monotonicMicros();
        // What the server still holds besides this chunk: the chunk's last
        // sample was picked up that long ago.
        const pa_usec_t latency = pa_simple_get_latency(m_stream, &error);
        const std::int64_t held = latency == pa_usec_t(-1) ? 0 : std::int64_t(latency);
        m_onChunk(MicrophoneChunk{buffer.data(), frames, now - held - chunkMicros});
    }
}

}  // namespace klipo::platform::pulse
