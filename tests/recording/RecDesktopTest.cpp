// Recording real windows of the headless X11 desktop, and the virtual
// microphone "vmic" of its sound server. Skips without them.
#include "platform/Microphone.h"
#include "platform/RegionGrabber.h"
#include "platform/media/MediaProbe.h"
#include "recording/MediaReadBack.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace klipo;
using platform::media::probeMediaFile;

namespace {

const QRect windowRect(100, 100, 480, 360);

// Left half the known colour; on the right the tick count in binary stripes,
// so no two moments of the animation look alike.
class AnimatedWindow : public QWidget {
public:
    AnimatedWindow()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint)
    {
        setGeometry(windowRect);
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
        painter.fillRect(rect(), Qt::white);
        painter.fillRect(QRect(0, 0, width() / 2, height()), test::knownColour);
        const int stripe = height() / 16;
        for (int bit = 0; bit < 16; ++bit)
            if (m_step & (1 << bit)) painter.fillRect(QRect(width() / 2, bit * stripe, width() / 2, stripe), Qt::black);
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

class RecDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        m_window = std::make_unique<AnimatedWindow>();
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        QCursor::setPos(1800, 1000);
        QTest::qWait(200);
    }

    // The region over the window, in points from the screen's lower-left corner.
    static RecTarget windowTarget(QSizeF size)
    {
        RecTarget target;
        target.screenGeometry = QRect(0, 0, 1920, 1080);
        target.rect = QRectF(windowRect.left(), 1080 - windowRect.top() - size.height(), size.width(), size.height());
        return target;
    }

    QString m_dir = test::freshDir(QStringLiteral("desktop"));
    std::unique_ptr<AnimatedWindow> m_window;
};

TEST_F(RecDesktopTest, grabber_DrawsThePointerOnlyWhenAsked_AndIsBlackBeyondTheEdge)
{
    QString error;
    auto grabber = platform::createRegionGrabber(&error);
    ASSERT_TRUE(grabber) << error.toStdString();
    EXPECT_EQ(grabber->desktopSize(), QSize(1920, 1080));

    QCursor::setPos(150, 150);
    QTest::qWait(100);
    QImage plain, withPointer;
    ASSERT_EQ(grabber->grab(QRect(110, 110, 100, 100), plain, false), std::nullopt);
    ASSERT_EQ(grabber->grab(QRect(110, 110, 100, 100), withPointer, true), std::nullopt);
    EXPECT_EQ(plain.size(), QSize(100, 100));
    EXPECT_EQ(plain.pixel(45, 45), test::knownColour.rgb());
    int changed = 0;
    for (int y = 30; y < 70; ++y)
        for (int x = 30; x < 70; ++x) changed += withPointer.pixel(x, y) != plain.pixel(x, y);
    EXPECT_GT(changed, 20);

    QImage frame;
    ASSERT_EQ(grabber->grab(QRect(1900, 500, 40, 10), frame, false), std::nullopt);
    EXPECT_EQ(frame.pixel(30, 5), qRgb(0, 0, 0));
    EXPECT_TRUE(grabber->grab(QRect(3000, 3000, 10, 10), frame, false).has_value());
}

TEST_F(RecDesktopTest, recordingsOfAnAnimatedWindow_DecodeAtTheEvenSize_EveryFrameInTime)
{
    struct Case {
        RecFormat format;
        int fps;
        int millis;
    };
    for (const Case& c : {Case{RecFormat::mp4, 30, 2000}, Case{RecFormat::mov, 60, 1500}}) {
        SCOPED_TRACE(c.fps);
        const QString path = m_dir + QStringLiteral("/.klipo_rec_%1.%2").arg(c.fps).arg(rawValue(c.format));
        RecEngine engine(windowTarget(QSizeF(401.5, 301)), RecOptions{c.format, c.fps, false}, path);
        ASSERT_EQ(engine.start(), std::nullopt);
        QTest::qWait(c.millis);
        const RecStopResult result = engine.stop();
        ASSERT_EQ(result.file, path);

        const auto info = probeMediaFile(path);
        EXPECT_TRUE(info.playable()) << info.error.toStdString();
        EXPECT_EQ(QSize(info.width, info.height), QSize(402, 300));
        EXPECT_EQ(info.videoProfile, FF_PROFILE_H264_HIGH);
        EXPECT_DOUBLE_EQ(info.frameRate, c.fps);
        EXPECT_NEAR(info.durationSeconds, c.millis / 1000.0, 0.3);
        EXPECT_NEAR(double(info.videoFramesDecoded), info.durationSeconds * c.fps, 2);
        const RecEngineStats stats = engine.stats();
        EXPECT_EQ(stats.frameSlots, stats.framesWritten + stats.framesDropped);
        EXPECT_EQ(stats.framesWritten, info.videoFramesDecoded);

        const QImage early = test::decodePicture(path, 1);
        const QImage later = test::decodePicture(path, int(info.videoFramesDecoded) - 2);
        ASSERT_FALSE(early.isNull());
        // Colours survive the trip through YUV: blue stays blue, not red.
        EXPECT_TRUE(test::near(early.pixel(60, 150), test::knownColour)) << std::hex << early.pixel(60, 150);
        EXPECT_NE(early.copy(240, 0, 160, 300), later.copy(240, 0, 160, 300)) << "the animation was not recorded";
    }
}

// A 1 kHz tone, 48 kHz mono 16-bit, as a WAV file.
QString writeTone(const QString& path, double seconds)
{
    const int rate = 48000;
    const int count = int(seconds * rate);
    QByteArray data;
    data.reserve(count * 2);
    for (int i = 0; i < count; ++i) {
        const auto value = qint16(std::lround(16000 * std::sin(2 * M_PI * 1000 * i / rate)));
        data.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
    }
    const auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("RIFF" + u32(36 + data.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) + u32(rate * 2) +
               u16(2) + u16(16) + "data" + u32(data.size()) + data);
    return path;
}

TEST_F(RecDesktopTest, microphone_ToneIntoTheSinkReachesTheSoundTrack_FromTheFirstPicture)
{
    auto microphone = platform::createMicrophone();
    if (auto reason = microphone->unavailableReason()) GTEST_SKIP() << "no sound server: " << reason->toStdString();
    QProcess player;
    player.start(QStringLiteral("paplay"),
                 {QStringLiteral("--device=vsink"), writeTone(m_dir + QStringLiteral("/tone.wav"), 8)});
    ASSERT_TRUE(player.waitForStarted());
    QTest::qWait(600);  // the tone is flowing before the recording starts

    const QString path = m_dir + QStringLiteral("/.klipo_rec_sound.mp4");
    RecEngine engine(windowTarget(QSizeF(320, 240)), RecOptions{RecFormat::mp4, 30, true}, path);
    ASSERT_EQ(engine.start(), std::nullopt);
    EXPECT_FALSE(engine.microphoneError());
    QTest::qWait(2000);
    const RecStopResult result = engine.stop();
    player.kill();
    player.waitForFinished();
    ASSERT_EQ(result.file, path);

    const auto info = probeMediaFile(path);
    EXPECT_TRUE(info.playable());
    ASSERT_TRUE(info.hasAudio);
    EXPECT_EQ(info.audioSampleRate, 48000);
    EXPECT_EQ(info.audioChannels, 1);
    int rate = 0;
    const std::vector<float> sound = test::decodeSound(path, &rate);
    ASSERT_EQ(rate, 48000);
    EXPECT_NEAR(double(sound.size()) / rate, info.durationSeconds, 0.15);
    EXPECT_GT(test::rms(sound, sound.size() / 4, sound.size() * 3 / 4), 0.1);  // the tone, well above silence
    // The tone is there from (nearly) the first picture on.
    std::size_t onset = 0;
    while (onset + 480 < sound.size() && test::rms(sound, onset, onset + 480) < 0.1) onset += 48;
    EXPECT_LE(double(onset) / rate + info.firstAudioSeconds - info.firstVideoSeconds, 0.1)
        << "onset " << onset << " audio start " << info.firstAudioSeconds << " video start " << info.firstVideoSeconds;
}

}  // namespace
