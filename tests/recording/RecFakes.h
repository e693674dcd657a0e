#pragma once

#include "platform/RegionGrabber.h"
#include "platform/media/FfmpegFileWriter.h"
#include "recording/RecEngine.h"

#include <QColor>
#include <QImage>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

namespace klipo::test {

// The colour of the still block on the left of every synthetic picture.
inline const QColor knownColour(0x33, 0x66, 0xcc);

// Whether a decoded pixel is the colour, give or take the YUV round trip.
inline bool near(QRgb a, QColor b, int tolerance = 6)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

// A desktop drawn in memory: the left half of every picture is the known
// colour, the right half a bar that moves with each grab; or noise, which
// compresses badly (to fill a disk quickly); or no picture at all. Each grab
// takes `perGrab` at least (a slow screen).
class SyntheticGrabber : public platform::RegionGrabber {
public:
    enum class Mode { pattern, noise, failing };
    explicit SyntheticGrabber(Mode mode = Mode::pattern, std::chrono::milliseconds perGrab = {})
        : m_mode(mode), m_perGrab(perGrab)
    {
    }

    QSize desktopSize() const override { return QSize(1920, 1080); }

    std::optional<QString> grab(const QRect& rectPx, QImage& frame, bool) override
    {
        std::this_thread::sleep_for(m_perGrab);
        if (m_mode == Mode::failing) return QStringLiteral("画面读取失败");
        if (frame.size() != rectPx.size() || frame.format() != QImage::Format_RGB32)
            frame = QImage(rectPx.size(), QImage::Format_RGB32);
        const int half = frame.width() / 2;
        const int bar = half + int(++m_count * 4 % std::max(1, frame.width() - half - 8));
        for (int y = 0; y < frame.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
            for (int x = 0; x < frame.width(); ++x) {
                if (m_mode == Mode::noise) {
                    m_state ^= m_state << 13;
                    m_state ^= m_state >> 7;
                    m_state ^= m_state << 17;
                    line[x] = 0xff000000u | QRgb(m_state);
                } else {
                    const bool ink = x >= bar && x < bar + 8;
                    line[x] = x < half ? knownColour.rgb() : ink ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                }
            }
        }
        return std::nullopt;
    }

private:
    Mode m_mode;
    std::chrono::milliseconds m_perGrab;
    std::int64_t m_count = 0;
    std::uint64_t m_state = 0x9e3779b97f4a7c15ull;
};

// The real writer, made slow or failing on demand.
class ScriptedWriter : public platform::media::MediaFileWriter {
public:
    struct Script {
        std::chrono::milliseconds perFrame{0};  // extra time each picture takes
        int failAtFrame = -1;                   // this picture's write fails (0-based)
        std::atomic<int>* writesAfterFailure = nullptr;
    };
    explicit ScriptedWriter(Script script) : m_script(script) {}

    std::optional<QString> open(const QString& path, platform::media::Container container,
                                const platform::media::VideoSettings& video,
                                const std::optional<platform::media::AudioSettings>& audio) override
    {
        return m_real.open(path, container, video, audio);
    }
    bool hasAudio() const override { return m_real.hasAudio(); }
    std::optional<QString> writeVideo(platform::media::YuvFrame& frame, std::int64_t slot) override
    {
        if (m_failed) {
            if (m_script.writesAfterFailure) ++*m_script.writesAfterFailure;
        } else if (m_frames++ == m_script.failAtFrame) {
            m_failed = true;
            return QStringLiteral("写入失败：磁盘空间不足");
        }
        std::this_thread::sleep_for(m_script.perFrame);
        return m_real.writeVideo(frame, slot);
    }
    std::optional<QString> writeAudio(const float* samples, int count) override
    {
        return m_real.writeAudio(samples, count);
    }
    std::optional<QString> finish() override { return m_real.finish(); }
    std::int64_t videoFramesWritten() const override { return m_real.videoFramesWritten(); }

private:
    Script m_script;
    platform::media::FfmpegFileWriter m_real;
    int m_frames = 0;
    bool m_failed = false;
};

// Engine parts with a synthetic desktop, the real writer and the real microphone.
inline RecEngineParts syntheticParts(SyntheticGrabber::Mode mode = SyntheticGrabber::Mode::pattern,
                                     std::chrono::milliseconds perGrab = {})
{
    RecEngineParts parts = RecEngineParts::system();
    parts.grabber = [mode, perGrab](QString*) { return std::make_unique<SyntheticGrabber>(mode, perGrab); };
    return parts;
}

// A target whose output is exactly `size` pixels, at the top left of a 1x screen.
inline RecTarget targetOfSize(QSize size)
{
    return RecTarget{QRect(0, 0, 1920, 1080), 1.0, QRectF(0, 1080 - size.height(), size.width(), size.height())};
}

}  // namespace klipo::test
