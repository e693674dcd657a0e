// Recording real windows of the headless X11 desktop and the virtual
// microphone "vmic" of its sound server; the program itself records from the
// hot key, a pick in the overlay and the options bar, keeps the recording at
// a quit by signal and names it in a notification; the recording self-check's
// lines and statuses. Skips without the desktop.
#include "platform/Microphone.h"
#include "platform/RegionGrabber.h"
#include "platform/SettingsStore.h"
#include "platform/media/MediaProbe.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "recording/RecFiles.h"
#include "support/DesktopDriver.h"
#include "support/ScreenProbe.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QVariantMap>
#include <QWidget>

#include <cmath>
#include <functional>

#include <signal.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

using namespace klipo;
using platform::media::probeMediaFile;

namespace {

const QRect windowRect(100, 100, 480, 360);

// Decodes every frame of the best stream of `type`, handing each to `take`
// until it returns false.
void decodeStream(const QString& path, AVMediaType type, const std::function<bool(const AVFrame*)>& take)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0) return;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, type, -1, -1, nullptr, 0);
    AVCodecContext* codec = nullptr;
    if (index >= 0) {
        const AVCodec* decoder = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
        codec = avcodec_alloc_context3(decoder);
        avcodec_parameters_to_context(codec, format->streams[index]->codecpar);
        if (avcodec_open2(codec, decoder, nullptr) < 0) avcodec_free_context(&codec);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool more = codec != nullptr;
    const auto drain = [&] {
        while (more && avcodec_receive_frame(codec, frame) >= 0) {
            more = take(frame);
            av_frame_unref(frame);
        }
    };
    while (more && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0) drain();
        av_packet_unref(packet);
    }
    if (more) {
        avcodec_send_packet(codec, nullptr);
        drain();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
}

// The `index`-th picture of the file's video track as an RGB image (the
// track's colour tags honoured); a null image when there is none.
QImage decodePicture(const QString& path, int index)
{
    QImage picture;
    int seen = 0;
    decodeStream(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame) {
        if (seen++ < index) return true;
        picture = QImage(frame->width, frame->height, QImage::Format_RGB32);
        SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                         frame->height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
        const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
        const int* coefficients = sws_getCoefficients(space);
        sws_setColorspaceDetails(sws, coefficients, frame->color_range == AVCOL_RANGE_JPEG, coefficients, 1, 0,
                                 1 << 16, 1 << 16);
        std::uint8_t* out[4] = {picture.bits(), nullptr, nullptr, nullptr};
        const int outStride[4] = {int(picture.bytesPerLine()), 0, 0, 0};
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, out, outStride);
        sws_freeContext(sws);
        return false;
    });
    return picture;
}

// The sound track decoded to mono samples; empty without one.
std::vector<float> decodeSound(const QString& path, int* sampleRate)
{
    std::vector<float> samples;
    decodeStream(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame* frame) {
        if (sampleRate) *sampleRate = frame->sample_rate;
        if (frame->format == AV_SAMPLE_FMT_FLTP || frame->format == AV_SAMPLE_FMT_FLT) {
            const auto* data = reinterpret_cast<const float*>(frame->data[0]);
            samples.insert(samples.end(), data, data + frame->nb_samples);
        }
        return true;
    });
    return samples;
}

// Root mean square of samples [from, to).
double rms(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    to = std::min(to, samples.size());
    if (from >= to) return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

// Left half the known colour; on the right the tick count in binary stripes,
// so no two moments of the animation look alike.
struct AnimatedWindow : QWidget {
    AnimatedWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint)
    {
        setGeometry(windowRect);
        startTimer(16);
    }
    void timerEvent(QTimerEvent*) override
    {
        ++step;
        update();
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.fillRect(QRect(0, 0, width() / 2, height()), test::knownColour);
        const int stripe = height() / 16;
        for (int bit = 0; bit < 16; ++bit)
            if (step & (1 << bit)) painter.fillRect(QRect(width() / 2, bit * stripe, width() / 2, stripe), Qt::black);
    }
    int step = 0;
};

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received;

public Q_SLOTS:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        received << summary + "|" + body;
        return uint(received.size());
    }
};

QString xdotool(const QStringList& args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
QString xdotool(const QString& args) { return xdotool(args.split(' ')); }

QRect windowGeometry(const QString& id)
{
    QMap<QString, int> g;
    for (const QString& line : xdotool({"getwindowgeometry", "--shell", id}).split('\n'))
        g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    return QRect(g["X"], g["Y"], g["WIDTH"], g["HEIGHT"]);
}

// The program's visible windows (all titled after it) by id, in global points.
QMap<QString, QRect> programWindowsById()
{
    QMap<QString, QRect> windows;
    for (const QString& id : xdotool({"search", "--onlyvisible", "--name", "^KlipoVersa$"}).split('\n'))
        if (!id.isEmpty()) windows.insert(id, windowGeometry(id));
    return windows;
}

QList<QRect> programWindows() { return programWindowsById().values(); }

// The library window's id, once it shows: the program's only large window.
QString libraryWindow()
{
    for (const auto& [id, place] : programWindowsById().asKeyValueRange())
        if (place.width() > 600 && place.height() > 400 && place != QRect(0, 0, 1920, 1080)) return id;
    return {};
}

// The windows the window manager manages, bottom to top (decimal ids, as xdotool gives them).
QStringList stackingBottomToTop()
{
    QStringList ids;
    const QString list = QString::fromUtf8(test::programOutput("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}));
    for (const QString& id : list.section('#', 1).split(',', Qt::SkipEmptyParts))
        ids << QString::number(id.trimmed().toUInt(nullptr, 16));
    return ids;
}

bool overlayShown() { return programWindows().contains(QRect(0, 0, 1920, 1080)); }

// The stop bar under the region (the options bar there is much wider).
bool stopBarShown()
{
    for (const QRect& window : programWindows())
        if (window.top() >= 420 && window.width() < 300) return true;
    return false;
}

class RecDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        auto& settings = platform::SettingsStore::shared();
        settings.setValue("plainCaptureDirectory", m_folder);
        settings.setValue("menuBarOnly", true);
        settings.setValue("recMicrophone", true);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        QCursor::setPos(1800, 1000);
        QTest::qWait(200);
    }
    void TearDown() override
    {
        for (const char* key : {"plainCaptureDirectory", "menuBarOnly", "recMicrophone", "recFormat", "recFPS"})
            platform::SettingsStore::shared().remove(key);
    }

    // The region over the window, in points from the screen's lower-left corner.
    static RecTarget windowTarget(QSizeF size)
    {
        const QRectF rect(windowRect.left(), 1080 - windowRect.top() - size.height(), size.width(), size.height());
        return RecTarget{QRect(0, 0, 1920, 1080), 1.0, rect};
    }

    // Starts the program with `tmp` as the shared temporary folder; true once
    // it answers as the running instance.
    bool launch(QProcess& app, const QMap<QString, QString>& extra = {}, QString tmp = {})
    {
        if (tmp.isEmpty()) tmp = test::freshDir("tmp");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_RUNTIME_DIR");
        env.insert("TMPDIR", tmp);
        for (auto it = extra.begin(); it != extra.end(); ++it) env.insert(it.key(), it.value());
        app.setProcessEnvironment(env);
        app.start(KLIPO_BINARY, {});
        const QString socket = tmp + QStringLiteral("/klipoversa-%1/instance.sock").arg(::getuid());
        return app.waitForStarted() && QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 10000);
    }

    // The program's folder for recordings under way (below this process's XDG cache folder).
    static QString recordingFolder() { return qEnvironmentVariable("XDG_CACHE_HOME") + "/KlipoVersa/recordings"; }

    // The files in the capture folder: saved recordings; or the ones being written.
    QStringList files(bool underWay) const
    {
        return underWay ? QDir(recordingFolder()).entryList({"klipo_rec_*"}, QDir::Files | QDir::Hidden)
                        : QDir(m_folder).entryList({"录屏_*"}, QDir::Files, QDir::Name);
    }

    // The hot key and a drag over `region`; true once the overlay is gone and
    // the options bar shows.
    static bool pick(const QRect& region)
    {
        bool picking = false;
        for (int attempt = 0; attempt < 20 && !picking; ++attempt) {
            xdotool("key ctrl+shift+l");  // the first presses may come before the hot key is there
            picking = QTest::qWaitFor(overlayShown, 700);
        }
        if (!picking) return false;
        QTest::qWait(300);
        const QPoint a = region.topLeft(), b = region.center(), c = region.bottomRight() + QPoint(1, 1);
        xdotool(QStringLiteral("mousemove %1 %2 mousedown 1 mousemove %3 %4 mousemove %5 %6 mouseup 1")
                    .arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y()).arg(c.x()).arg(c.y()));
        if (!QTest::qWaitFor([] { return !overlayShown(); }, 3000)) return false;
        QTest::qWait(300);
        return true;
    }

    // A pick over the window, Return in the options bar; true once the stop
    // bar shows: the recording runs.
    // Picks the region and starts; `sinceReturn` (when given) starts at the
    // Return that starts the recording.
    static bool startRecording(QElapsedTimer* sinceReturn = nullptr)
    {
        if (!pick(QRect(120, 120, 400, 300))) return false;
        if (sinceReturn) sinceReturn->start();
        xdotool("key Return");
        return QTest::qWaitFor(stopBarShown, 8000);
    }

    // Waits for the process to end after a signal.
    static int endBy(QProcess& app, int signal)
    {
        ::kill(pid_t(app.processId()), signal);
        (void)QTest::qWaitFor([&] { return app.state() == QProcess::NotRunning; }, 15000);
        return app.state() == QProcess::NotRunning ? app.exitCode() : -1;
    }

    const QString m_folder = test::freshDir("captures");
    AnimatedWindow m_window;
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

// Eight seconds of a 1 kHz tone, 48 kHz mono 16-bit little-endian, no header.
QString writeTone(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < 8 * 48000; ++i) {
        const auto value = qint16(std::lround(16000 * std::sin(2 * M_PI * 1000 * i / 48000)));
        file.putChar(char(value & 0xff));
        file.putChar(char((value >> 8) & 0xff));
    }
    return path;
}

// The MP4 recording takes the microphone "vmic" too, while a tone plays into
// the sound server's sink.
TEST_F(RecDesktopTest, recordingsOfAnAnimatedWindow_DecodeAtTheEvenSizeEveryFrameInTime_WithTheTone)
{
    const auto noSound = platform::createMicrophone()->unavailableReason();
    QProcess player;
    if (!noSound) {
        player.start("paplay", {"--raw", "--format=s16le", "--rate=48000", "--channels=1", "--device=vsink",
                                writeTone(m_folder + "/tone.raw")});
        ASSERT_TRUE(player.waitForStarted());
        QTest::qWait(600);  // the tone is flowing before the recording starts
    }
    struct Case {
        RecFormat format;
        int fps, millis;
        bool microphone;
    };
    for (const Case& c : {Case{RecFormat::mp4, 30, 2000, !noSound}, Case{RecFormat::mov, 60, 1500, false}}) {
        SCOPED_TRACE(c.fps);
        const QString path = m_folder + QStringLiteral("/.klipo_rec_%1.%2").arg(c.fps).arg(rawValue(c.format));
        RecEngine engine(windowTarget(QSizeF(401.5, 301)), RecOptions{c.format, c.fps, c.microphone}, path);
        ASSERT_EQ(engine.start(), std::nullopt);
        EXPECT_FALSE(engine.microphoneError());
        QTest::qWait(c.millis);
        ASSERT_EQ(engine.stop().file, path);

        const auto info = probeMediaFile(path);
        EXPECT_TRUE(info.playable()) << info.error.toStdString();
        EXPECT_EQ(QSize(info.width, info.height), QSize(402, 300));
        EXPECT_EQ(info.videoProfile, FF_PROFILE_H264_HIGH);
        EXPECT_NEAR(info.frameRate, c.fps, 1.5);  // the average over the file: a late picture or two
        EXPECT_NEAR(info.durationSeconds, c.millis / 1000.0, 0.3);
        EXPECT_NEAR(double(info.videoFramesDecoded), info.durationSeconds * c.fps, 2);
        const RecEngineStats stats = engine.stats();
        EXPECT_EQ(stats.frameSlots, stats.framesWritten + stats.framesDropped);
        EXPECT_EQ(stats.framesWritten, info.videoFramesDecoded);

        const QImage early = decodePicture(path, 1);
        const QImage later = decodePicture(path, int(info.videoFramesDecoded) - 2);
        ASSERT_FALSE(early.isNull());
        // Colours survive the trip through YUV: blue stays blue, not red.
        EXPECT_TRUE(test::near(early.pixel(60, 150), test::knownColour)) << std::hex << early.pixel(60, 150);
        EXPECT_NE(early.copy(240, 0, 160, 300), later.copy(240, 0, 160, 300)) << "the animation was not recorded";

        ASSERT_EQ(info.hasAudio, c.microphone);
        if (!c.microphone) continue;
        EXPECT_EQ(std::pair(info.audioSampleRate, info.audioChannels), std::pair(48000, 1));
        int rate = 0;
        const std::vector<float> sound = decodeSound(path, &rate);
        ASSERT_EQ(rate, 48000);
        EXPECT_NEAR(double(sound.size()) / rate, info.durationSeconds, 0.15);
        EXPECT_GT(rms(sound, sound.size() / 4, sound.size() * 3 / 4), 0.1);  // the tone, well above silence
        // The tone is there from (nearly) the first picture on.
        std::size_t onset = 0;
        while (onset + 480 < sound.size() && rms(sound, onset, onset + 480) < 0.1) onset += 48;
        EXPECT_LE(double(onset) / rate + info.firstAudioSeconds - info.firstVideoSeconds, 0.1)
            << "onset " << onset << " audio " << info.firstAudioSeconds << " video " << info.firstVideoSeconds;
    }
    if (noSound) GTEST_SKIP() << "no sound server, the microphone was left out: " << noSound->toStdString();
}

TEST_F(RecDesktopTest, hotKeyPickStartAndHotKey_SaveTheRegion_AndAQuitBySignalKeepsTheRecording)
{
    FakeNotificationServer notifications;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &notifications,
                                   QDBusConnection::ExportAllSlots) &&
                bus.registerService("org.freedesktop.Notifications"));

    QProcess app;
    ASSERT_TRUE(launch(app));
    QElapsedTimer sinceReturn;
    ASSERT_TRUE(startRecording(&sinceReturn));
    QElapsedTimer sinceBar;
    sinceBar.start();
    QTest::qWait(3000);
    const double barToStop = sinceBar.elapsed() / 1000.0;
    xdotool("key ctrl+shift+l");
    const double returnToStop = sinceReturn.elapsed() / 1000.0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return files(false).size() == 1; }, 10000));
    const QString first = m_folder + "/" + files(false).first();
    EXPECT_TRUE(first.endsWith(".mp4"));
    auto info = probeMediaFile(first);
    EXPECT_TRUE(info.playable());
    EXPECT_EQ(QSize(info.width, info.height), QSize(400, 300));
    // The film holds the whole time the stop bar was up and nothing from
    // before the Return that started it, however busy the machine was.
    EXPECT_GE(info.durationSeconds, barToStop - 0.1);
    EXPECT_LE(info.durationSeconds, returnToStop + 0.2);
    EXPECT_NEAR(double(info.videoFramesDecoded), info.durationSeconds * 30, 2);
    EXPECT_TRUE(info.hasAudio) << "the desktop's microphone vmic";

    // SIGTERM while recording: the file is saved and named in a notification.
    ASSERT_TRUE(startRecording());
    QTest::qWait(1000);
    EXPECT_EQ(endBy(app, SIGTERM), 0);
    ASSERT_EQ(files(false).size(), 2);
    const QString second = m_folder + "/" + files(false).last();
    info = probeMediaFile(second);
    EXPECT_TRUE(info.playable());
    // About the second the test waited; on a busy machine the signal may land later.
    EXPECT_GT(info.durationSeconds, 0.7);
    EXPECT_LT(info.durationSeconds, 2.0);
    (void)QTest::qWaitFor([&] { return !notifications.received.isEmpty(); }, 2000);
    EXPECT_EQ(notifications.received, QStringList{"录屏已保存|退出时已停止录屏，文件保存在 " + second});

    EXPECT_TRUE(files(true).isEmpty());
    bus.unregisterService("org.freedesktop.Notifications");
    bus.unregisterObject("/org/freedesktop/Notifications");
}

// Picking a region brings none of our windows in front of the program the user
// was in, also right after switching to it from our library window.
TEST_F(RecDesktopTest, pickWithTheLibraryOpenBehindAnotherProgram_KeepsThatProgramInFront_AndOnlyItIsRecorded)
{
    platform::SettingsStore::shared().setValue("menuBarOnly", false);  // the library window opens at launch
    QProcess app;
    ASSERT_TRUE(launch(app));
    QString library;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(library = libraryWindow()).isEmpty(); }, 10000));
    QProcess other;  // another program's window, white
    other.start(KLIPO_FOREIGN_WINDOW, {"--at", "300,150,900,600"});
    ASSERT_TRUE(other.waitForReadyRead(10000) && other.readAll().contains("shown"));
    const QString foreign = xdotool("search --name ^foreign$");
    const auto otherInFront = [&] {
        const QStringList stack = stackingBottomToTop();
        return stack.indexOf(library) >= 0 && stack.indexOf(foreign) > stack.indexOf(library);
    };
    // Where the other program covers the library window, clear of our animated window.
    const QRect region = windowGeometry(library).intersected(windowGeometry(foreign)).adjusted(40, 40, -40, -40) &
                         QRect(600, 0, 1320, 1080);
    ASSERT_GE(region.width(), 100);
    ASSERT_GE(region.height(), 100);
    const auto ourWindowsInTheRegion = [&] { return test::pixelsUnlike(test::screenImage(region), Qt::white); };

    for (const int pause : {1000, 0}) {
        SCOPED_TRACE(pause);
        xdotool("windowactivate --sync " + library);
        QTest::qWait(600);
        xdotool("windowactivate --sync " + foreign);
        ASSERT_TRUE(QTest::qWaitFor(otherInFront, 3000));
        QTest::qWait(pause);
        const qsizetype saved = files(false).size();
        ASSERT_TRUE(pick(region));
        EXPECT_TRUE(otherInFront()) << "the library window came in front after the pick";
        EXPECT_EQ(ourWindowsInTheRegion(), 0);
        xdotool("key Return");
        ASSERT_TRUE(QTest::qWaitFor(stopBarShown, 8000));
        EXPECT_TRUE(otherInFront());
        EXPECT_EQ(ourWindowsInTheRegion(), 0);
        QTest::qWait(500);
        xdotool("key ctrl+shift+l");
        ASSERT_TRUE(QTest::qWaitFor([&] { return files(false).size() == saved + 1; }, 10000));
    }
    EXPECT_EQ(endBy(app, SIGTERM), 0);
    other.terminate();
    other.waitForFinished(5000);
}

// The library window in front of the region is not recorded (it is back
// once the file is saved), and the toast said at the start of a recording
// with an unusable microphone shows clear of a region that takes the
// screen's bottom-right corner, where toasts go.
TEST_F(RecDesktopTest, theLibraryOverTheRegionAndTheStartToast_StayOutOfTheRecording)
{
    platform::SettingsStore::shared().setValue("menuBarOnly", false);  // the library window opens at launch
    QProcess other;  // another program's window, white, under the corner
    other.start(KLIPO_FOREIGN_WINDOW, {"--at", "900,300,1020,780"});
    ASSERT_TRUE(other.waitForReadyRead(10000) && other.readAll().contains("shown"));
    QProcess app;
    ASSERT_TRUE(launch(app, {{"PULSE_SERVER", "unix:/nonexistent/pulse"}}));
    QString library;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(library = libraryWindow()).isEmpty(); }, 10000));
    xdotool("windowmove --sync " + library + " 1000 420");
    xdotool("windowactivate --sync " + library);
    QTest::qWait(500);
    const QRect region(1100, 560, 820, 520);  // to the screen's bottom-right corner
    ASSERT_GT(test::pixelsUnlike(test::screenImage(region), Qt::white), 1000) << "the library is over the region";

    ASSERT_TRUE(pick(region));
    xdotool("key Return");
    ASSERT_TRUE(QTest::qWaitFor(stopBarShown, 8000));
    // The toast comes at the start: seen, and never over the region.
    bool toastSeen = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2500) {
        for (const QRect& window : programWindows())
            if (window.size() == QSize(320, 80)) {
                toastSeen = true;
                EXPECT_FALSE(window.intersects(region)) << "the toast at " << window.x() << "," << window.y();
            }
        QTest::qWait(100);
    }
    EXPECT_TRUE(toastSeen) << "the microphone cannot be used: a toast says so";
    xdotool("key ctrl+shift+l");
    ASSERT_TRUE(QTest::qWaitFor([&] { return files(false).size() == 1; }, 10000));

    const QString file = m_folder + "/" + files(false).first();
    int pictures = 0;
    for (int index = 0; index < 120; index += 8) {
        const QImage picture = decodePicture(file, index);
        if (picture.isNull()) break;
        ++pictures;
        // All but the tray's strip at the bottom (our tray icon lives in the tray's window).
        const QImage above = picture.copy(0, 0, picture.width() - 4, picture.height() - 28);
        EXPECT_EQ(test::pixelsUnlike(above, Qt::white, 24), 0) << "picture " << index;
    }
    EXPECT_GE(pictures, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return programWindowsById().contains(library); }, 3000))
        << "the library window is back";
    EXPECT_EQ(endBy(app, SIGTERM), 0);
    other.terminate();
    other.waitForFinished(5000);
}

// A killed run's recording in the program's own folder is saved at launch;
// files of that name in the shared temporary folder may be another login's.
TEST_F(RecDesktopTest, launch_SavesALeftoverOfItsOwnFolder_AndLeavesTheSharedTemporaryFolderAlone)
{
    ASSERT_TRUE(RecFiles::makePrivateFolder(recordingFolder()));
    const QString leftover = recordingFolder() + "/klipo_rec_killed.mp4";
    RecEngine engine(windowTarget(QSizeF(200, 100)), RecOptions{RecFormat::mp4, 30, false}, leftover);
    ASSERT_EQ(engine.start(), std::nullopt);
    QTest::qWait(1200);
    ASSERT_EQ(engine.stop().file, leftover);
    const QString shared = test::freshDir("tmp");
    const QString theirs = shared + "/klipo_rec_theirs.mp4";
    const QString unreadable = shared + "/klipo_rec_broken.mov";
    ASSERT_TRUE(QFile::copy(leftover, theirs));
    QFile(unreadable).open(QIODevice::WriteOnly);

    QProcess app;
    ASSERT_TRUE(launch(app, {}, shared));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !files(false).isEmpty(); }, 10000));
    QTest::qWait(1000);  // anything else it would take comes meanwhile
    EXPECT_EQ(files(false).size(), 1);
    EXPECT_EQ(QFileInfo(theirs).size(), QFileInfo(m_folder + "/" + files(false).first()).size());
    EXPECT_TRUE(QFile::exists(unreadable));
    EXPECT_EQ(endBy(app, SIGTERM), 0);
}

TEST_F(RecDesktopTest, selfCheck_PrintsItsLine_AndEndsWithItsStatus)
{
    const auto run = [&](const QString& seconds, const QString& screen, QString* line) {
        QProcess app;
        if (!launch(app, {{"KLIPO_REC_SELFTEST", seconds}, {"KLIPO_REC_SELFTEST_SCREEN", screen},
                          {"KLIPO_REC_SELFTEST_DIR", m_folder}}))
            return -1;
        (void)QTest::qWaitFor([&] { return app.state() == QProcess::NotRunning; }, 30000);
        *line = QString::fromUtf8(app.readAllStandardOutput()).trimmed();
        return app.state() == QProcess::NotRunning ? app.exitCode() : -1;
    };
    QString line;
    EXPECT_EQ(run("3", "0", &line), 0);
    const QRegularExpression ok("^REC_SELFTEST_OK path=" + QRegularExpression::escape(m_folder) +
                                "/录屏_\\d{8}_\\d{6}\\.mp4 duration=([0-9.]+) size=400x300 expected=400x300 "
                                "fps=([0-9.]+) playable=true$");
    const auto match = ok.match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    EXPECT_NEAR(match.captured(1).toDouble(), 3.0, 0.3);
    EXPECT_NEAR(match.captured(2).toDouble(), 30.0, 1.5);  // the file's average: a late picture or two

    EXPECT_EQ(run("nan", "0", &line), 1);
    EXPECT_EQ(line, "REC_SELFTEST_FAIL bad-duration value=nan");
    EXPECT_EQ(run("1", "1", &line), 2);
    EXPECT_EQ(line, "REC_SELFTEST_FAIL no-screen index=1 count=1");
}

}  // namespace

#include "RecDesktopTest.moc"
