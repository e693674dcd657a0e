#include "recording/RecCaptureStage.h"

#include "platform/media/MediaClock.h"
#include "recording/RecEncoderStage.h"

namespace klipo {

namespace {
// Screen pictures in flight between the grab and the conversion.
constexpr std::size_t screenBuffers = 3;
}  // namespace

RecCaptureStage::RecCaptureStage(std::unique_ptr<platform::RegionGrabber> grabber, const QRect& rectPx, int fps,
                                 YuvPool& pictures, RecEncoderStage& encoder, const std::atomic<bool>& accepting,
                                 std::function<void(const QString&)> onFailure)
    : m_grabber(std::move(grabber)), m_rectPx(rectPx), m_fps(fps), m_pictures(pictures), m_encoder(encoder),
      m_accepting(accepting), m_onFailure(std::move(onFailure)), m_screens(screenBuffers),
      m_grabbedQueue(screenBuffers)
{
}

RecCaptureStage::~RecCaptureStage() { stop(); }

std::int64_t RecCaptureStage::start()
{
    m_running = true;
    m_converter = std::thread([this] { convertLoop(); });
    return m_ticker.start(m_fps, [this](const platform::media::FrameTicker::Tick& tick) { onTick(tick); });
}

void RecCaptureStage::stop()
{
    if (!m_running) return;
    m_running = false;
    m_ticker.stop();
    m_grabbedQueue.close();
    if (m_converter.joinable()) m_converter.join();
}

void RecCaptureStage::onTick(const platform::media::FrameTicker::Tick& tick)
{
    m_slots = tick.index + 1;
    if (!m_accepting.load()) return;
    m_dropped += tick.skippedBefore;
    m_late += tick.skippedBefore;
    std::optional<QImage> screen = m_screens.take();
    if (!screen) {
        ++m_dropped;  // the conversion is behind
        return;
    }
    if (auto failure = m_grabber->grab(m_rectPx, *screen, true)) {
        m_screens.give(std::move(*screen));
        ++m_dropped;
        m_onFailure(*failure);
        return;
    }
    ++m_grabbed;
    Grabbed grabbed{std::move(*screen), tick.index};
    if (!m_grabbedQueue.tryPush(std::move(grabbed))) {
        m_screens.give(std::move(grabbed.image));
        ++m_dropped;
    }
}

void RecCaptureStage::convertLoop()
{
    platform::media::BgraToYuvConverter converter;
    while (auto grabbed = m_grabbedQueue.pop()) {
        std::optional<platform::media::YuvFrame> picture = m_pictures.take();
        if (!picture) {
            ++m_dropped;  // every buffer waits for the encoder: the queue to it is full
            ++m_encoderFull;
        } else if (auto failure = converter.convert(grabbed->image, *picture)) {
            m_pictures.give(std::move(*picture));
            ++m_dropped;
            m_onFailure(*failure);
        } else if (!m_encoder.pushVideo(std::move(*picture), grabbed->slot)) {
            ++m_dropped;
        }
        m_screens.give(std::move(grabbed->image));
    }
    m_convertCpuSeconds = platform::media::threadCpuSeconds();
}

}  // namespace klipo
