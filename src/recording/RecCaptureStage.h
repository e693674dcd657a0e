#pragma once

#include "platform/RegionGrabber.h"
#include "platform/media/FrameTicker.h"
#include "platform/media/YuvFrame.h"
#include "recording/RecQueue.h"

#include <QImage>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace klipo {

class RecEncoderStage;

// The picture side of a recording: a grab thread that reads the region at
// every tick of the frame clock, and a conversion thread that turns each
// picture into the encoder's layout and hands it to the encoder. A picture
// that finds no free buffer (the next stage has fallen behind) is dropped and
// counted, as are the ticks the grab thread could not serve in time.
class RecCaptureStage {
public:
    using YuvPool = RecPool<platform::media::YuvFrame>;

    RecCaptureStage(std::unique_ptr<platform::RegionGrabber> grabber, const QRect& rectPx, int fps,
                    YuvPool& pictures, RecEncoderStage& encoder, const std::atomic<bool>& accepting,
                    std::function<void(const QString&)> onFailure);
    ~RecCaptureStage();

    // Starts both threads; the first tick is at once. Returns its moment, the
    // recording's origin (media::monotonicMicros()).
    std::int64_t start();
    // No tick after it returns; converts what was grabbed, then waits for the
    // conversion thread. Safe to call twice.
    void stop();

    std::int64_t framesGrabbed() const { return m_grabbed.load(); }
    std::int64_t framesDropped() const { return m_dropped.load(); }
    std::int64_t ticksLate() const { return m_late.load(); }                 // of those: the grab was late
    std::int64_t encoderQueueFull() const { return m_encoderFull.load(); }   // of those: the encoder was behind
    std::int64_t slotsElapsed() const { return m_slots.load(); }
    double grabCpuSeconds() const { return m_ticker.cpuSeconds(); }
    double convertCpuSeconds() const { return m_convertCpuSeconds; }

private:
    struct Grabbed {
        QImage image;
        std::int64_t slot = 0;
    };

    void onTick(const platform::media::FrameTicker::Tick& tick);
    void convertLoop();

    std::unique_ptr<platform::RegionGrabber> m_grabber;
    const QRect m_rectPx;
    const int m_fps;
    YuvPool& m_pictures;
    RecEncoderStage& m_encoder;
    const std::atomic<bool>& m_accepting;
    std::function<void(const QString&)> m_onFailure;
    RecPool<QImage> m_screens;
    RecQueue<Grabbed> m_grabbedQueue;
    platform::media::FrameTicker m_ticker;
    std::thread m_converter;
    bool m_running = false;
    std::atomic<std::int64_t> m_grabbed{0};
    std::atomic<std::int64_t> m_dropped{0};
    std::atomic<std::int64_t> m_late{0};
    std::atomic<std::int64_t> m_encoderFull{0};
    std::atomic<std::int64_t> m_slots{0};
    double m_convertCpuSeconds = 0;
};

}  // namespace klipo
