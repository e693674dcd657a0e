// Records the whole 1920x1080 screen while a window animates over all of it,
// and prints what the recording achieved: rate, dropped pictures, CPU per
// stage, time from stop to finished file, peak memory, and how the sound
// card's clock and the recording clock drift apart.
#include "platform/Microphone.h"
#include "platform/media/MediaClock.h"
#include "platform/media/MediaProbe.h"
#include "recording/RecEngine.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

using namespace klipo;

namespace {

// Scrolling lines of text, a moving gradient and a bouncing box: something
// for the encoder to work on in every picture.
class Scenery : public QWidget {
public:
    Scenery() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint)
    {
        setGeometry(0, 0, 1920, 1080);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
        m_timer.start(16);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient gradient(QPointF(m_step % 1920, 0), QPointF(m_step % 1920 + 800, 1080));
        gradient.setColorAt(0, QColor(30, 60, 120));
        gradient.setColorAt(1, QColor(200, 140, 60));
        painter.fillRect(rect(), gradient);
        painter.setPen(Qt::white);
        for (int line = 0; line < 40; ++line) {
            const int y = (line * 28 - m_step * 2) % 1120 + 28;
            painter.drawText(40, y, QStringLiteral("第 %1 行 · The quick brown fox jumps over the lazy dog %2")
                                        .arg(line)
                                        .arg(m_step + line));
        }
        const int x = std::abs((m_step * 7) % 3000 - 1500);
        painter.fillRect(QRect(200 + x / 2, 300 + (m_step * 5) % 400, 160, 120), QColor(240, 40, 60));
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

// The real microphone, watched: how late each chunk arrives compared with
// where counting samples puts it. The smallest lateness in a window is the
// clock offset; its change over the run is the drift.
class WatchedMicrophone : public platform::Microphone {
public:
    struct Shared {
        std::mutex mutex;
        double firstWindowMin = 1e18;
        double lastWindowMin = 1e18;
        std::int64_t firstChunkAt = 0;
        std::int64_t lastWindowStart = 0;
    };
    explicit WatchedMicrophone(Shared& shared) : m_real(platform::createMicrophone()), m_shared(shared) {}

    std::optional<QString> unavailableReason() override { return m_real->unavailableReason(); }
    std::optional<QString> start(int rate, std::function<void(const platform::MicrophoneChunk&)> onChunk,
                                 std::function<void(const QString&)> onError) override
    {
        return m_real->start(
            rate,
            [this, rate, onChunk](const platform::MicrophoneChunk& chunk) {
                const std::int64_t now = platform::media::monotonicMicros();
                const double late = double(now - chunk.firstSampleMicros) - chunk.count * 1e6 / rate;
                {
                    std::lock_guard lock(m_shared.mutex);
                    if (!m_shared.firstChunkAt) m_shared.firstChunkAt = now;
                    if (now - m_shared.firstChunkAt < 10'000'000) m_shared.firstWindowMin = std::min(m_shared.firstWindowMin, late);
                    if (now - m_shared.lastWindowStart > 10'000'000) {
                        m_shared.lastWindowStart = now;
                        m_shared.lastWindowMin = late;
                    }
                    m_shared.lastWindowMin = std::min(m_shared.lastWindowMin, late);
                }
                onChunk(chunk);
            },
            std::move(onError));
    }
    void stop() override { m_real->stop(); }

private:
    std::unique_ptr<platform::Microphone> m_real;
    Shared& m_shared;
};

double peakRssMegabytes() { return double(bench::statusKiB("VmHWM")) / 1024.0; }

QString toneFile()
{
    const QString path = QDir::tempPath() + QStringLiteral("/klipo-bench-tone.wav");
    const int rate = 48000, seconds = 5;
    QByteArray data;
    for (int i = 0; i < rate * seconds; ++i) {
        const auto v = qint16(std::lround(12000 * std::sin(2 * M_PI * 440 * i / rate)));
        data.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
    }
    const auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("RIFF" + u32(36 + data.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) + u32(rate * 2) +
               u16(2) + u16(16) + "data" + u32(data.size()) + data);
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption fpsOption(QStringLiteral("fps"), {}, QStringLiteral("n"), QStringLiteral("30"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), {}, QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption micOption(QStringLiteral("mic"));
    parser.addOptions({fpsOption, secondsOption, micOption});
    parser.process(app);
    const int fps = parser.value(fpsOption).toInt();
    const double seconds = parser.value(secondsOption).toDouble();
    const bool mic = parser.isSet(micOption);

    Scenery scenery;
    scenery.show();
    QProcess tone;
    if (mic) {
        // A looping tone into the sink whose monitor the default microphone records.
        tone.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                          QStringLiteral("while :; do paplay --device=vsink '%1' || exit; done").arg(toneFile())});
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 800) app.processEvents(QEventLoop::AllEvents, 20);

    RecTarget target;
    target.screenGeometry = QRect(0, 0, 1920, 1080);
    target.rect = QRectF(0, 0, 1920, 1080);
    const QString path = QDir::tempPath() + QStringLiteral("/klipo-bench-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".mp4");
    WatchedMicrophone::Shared clock;
    RecEngineParts parts = RecEngineParts::system();
    parts.microphone = [&clock] { return std::make_unique<WatchedMicrophone>(clock); };
    RecEngine engine(target, RecOptions{RecFormat::mp4, fps, mic}, path, parts);
    engine.setOnRuntimeError([](const QString& message) {
        std::printf("runtime error: %s\n", message.toUtf8().constData());
    });
    const double rssBefore = peakRssMegabytes();
    const double cpuBefore = platform::media::processCpuSeconds();
    if (auto failure = engine.start()) {
        std::printf("start failed: %s\n", failure->toUtf8().constData());
        return 1;
    }
    if (auto reason = engine.microphoneError()) std::printf("microphone: %s\n", reason->toUtf8().constData());
    QElapsedTimer running;
    running.start();
    QList<QPair<int, double>> rss;
    int nextMark = 60;
    while (running.elapsed() < seconds * 1000) {
        app.processEvents(QEventLoop::AllEvents, 20);
        if (running.elapsed() >= nextMark * 1000) {
            rss.append({nextMark, peakRssMegabytes()});
            nextMark += 60;
        }
    }
    const double recorded = running.elapsed() / 1000.0;
    const double cpuTotal = platform::media::processCpuSeconds() - cpuBefore;
    const double rssAtStop = peakRssMegabytes();
    scenery.hide();
    const RecStopResult result = engine.stop();
    const RecEngineStats stats = engine.stats();
    if (mic) {
        tone.kill();
        tone.waitForFinished();
    }
    if (!result.file) {
        std::printf("no file\n");
        return 1;
    }
    const platform::media::MediaInfo info = platform::media::probeMediaFile(*result.file);
    QFile::remove(*result.file);

    const auto percent = [recorded](double cpu) { return 100.0 * cpu / recorded; };
    const double stages = stats.grabCpuSeconds + stats.convertCpuSeconds + stats.encodeCpuSeconds;
    std::printf("recording %dx%d at %d fps for %.1f s, preset %s, %d usable CPUs%s\n", info.width, info.height, fps,
                recorded, stats.preset.toUtf8().constData(), platform::media::usableCpuCount(),
                mic ? ", with microphone" : "");
    std::printf("achieved rate      %.2f fps (%lld pictures written, file %.2f s, %lld decoded, playable %s)\n",
                stats.framesWritten / recorded, (long long)stats.framesWritten, info.durationSeconds,
                (long long)info.videoFramesDecoded, info.playable() ? "yes" : "no");
    std::printf("dropped            %lld of %lld slots (%.2f %%): grab late %lld, encoder behind %lld, other %lld\n",
                (long long)stats.framesDropped, (long long)stats.frameSlots,
                100.0 * stats.framesDropped / std::max<std::int64_t>(1, stats.frameSlots), (long long)stats.droppedLate,
                (long long)stats.droppedEncoderBehind,
                (long long)(stats.framesDropped - stats.droppedLate - stats.droppedEncoderBehind));
    std::printf("CPU (%% of one)     grab %.1f, convert %.1f, encode thread %.1f, encoder helpers and rest %.1f, "
                "process %.1f\n",
                percent(stats.grabCpuSeconds), percent(stats.convertCpuSeconds), percent(stats.encodeCpuSeconds),
                percent(cpuTotal - stages), percent(cpuTotal));
    std::printf("per picture        grab %.2f ms, convert %.2f ms\n",
                1000.0 * stats.grabCpuSeconds / std::max<std::int64_t>(1, stats.framesGrabbed),
                1000.0 * stats.convertCpuSeconds / std::max<std::int64_t>(1, stats.framesGrabbed));
    std::printf("stop to file       %.3f s\n", stats.stopSeconds);
    for (const auto& [at, megabytes] : rss) std::printf("peak RSS at %3d s   %.1f MB\n", at, megabytes);
    std::printf("peak RSS at stop   %.1f MB (%.1f MB before the recording started)\n", rssAtStop, rssBefore);
    if (mic) {
        std::printf("sound              %.2f s written, %lld silent samples added, %lld left out, %lld chunks dropped\n",
                    stats.audioSamplesWritten / 48000.0, (long long)stats.audioSilenceAdded,
                    (long long)stats.audioSamplesSkipped, (long long)stats.audioChunksDropped);
        std::printf("sound clock drift  %.1f ms over the run (sound-card clock against the recording clock); "
                    "track ends differ by %.1f ms\n",
                    (clock.lastWindowMin - clock.firstWindowMin) / 1000.0,
                    1000.0 * (stats.audioSamplesWritten / 48000.0 - double(stats.frameSlots) / fps));
    }
    return 0;
}
