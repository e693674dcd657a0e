// The program itself records an animated window on the headless desktop:
// the hot key, a pick in the overlay, the options bar's start and the hot key
// again; a quit by signal while recording or stopping keeps the file and
// names it in a notification; the recording self-check's lines and statuses.
#include "platform/SettingsStore.h"
#include "platform/media/MediaProbe.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

#include <signal.h>
#include <unistd.h>

using namespace klipo;
using platform::media::probeMediaFile;

namespace {

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

bool xdotool(const QString& args) { return QProcess::execute("xdotool", args.split(' ')) == 0; }

QString output(const QStringList& args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The program's visible windows (all titled after it), in global points.
QList<QRect> programWindows()
{
    QList<QRect> windows;
    for (const QString& id : output({"search", "--onlyvisible", "--name", "^KlipoVersa$"}).split('\n')) {
        if (id.isEmpty()) continue;
        QMap<QString, int> g;
        for (const QString& line : output({"getwindowgeometry", "--shell", id}).split('\n'))
            g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        windows << QRect(g["X"], g["Y"], g["WIDTH"], g["HEIGHT"]);
    }
    return windows;
}

bool overlayShown() { return programWindows().contains(QRect(0, 0, 1920, 1080)); }

// The stop bar under the region (the options bar there is much wider).
bool stopBarShown()
{
    for (const QRect& window : programWindows())
        if (window.top() >= 420 && window.width() < 300) return true;
    return false;
}

class RecFlowDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        // A window under the region whose colour changes with every frame.
        m_window.setGeometry(100, 100, 480, 360);
        m_window.setAutoFillBackground(true);
        QObject::connect(&m_animation, &QTimer::timeout, &m_window, [this] {
            m_window.setPalette(QPalette(QColor::fromHsv(++m_step * 7 % 360, 200, 220)));
        });
        m_animation.start(16);
        auto& settings = platform::SettingsStore::shared();
        settings.setValue("plainCaptureDirectory", m_folder);
        settings.setValue("menuBarOnly", true);
        settings.setValue("recMicrophone", true);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }
    void TearDown() override
    {
        for (const char* key : {"plainCaptureDirectory", "menuBarOnly", "recMicrophone", "recFormat", "recFPS"})
            platform::SettingsStore::shared().remove(key);
    }

    // Starts the program; true once it answers as the running instance.
    bool launch(QProcess& app, const QMap<QString, QString>& extra = {})
    {
        const QString tmp = test::freshDir("tmp");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_RUNTIME_DIR");
        env.insert("TMPDIR", tmp);
        for (auto it = extra.begin(); it != extra.end(); ++it) env.insert(it.key(), it.value());
        app.setProcessEnvironment(env);
        app.start(KLIPO_BINARY, {});
        const QString socket = tmp + QStringLiteral("/klipoversa-%1/instance.sock").arg(::getuid());
        return app.waitForStarted() && QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 10000);
    }

    // The files in the capture folder: saved recordings, or the one being written.
    QStringList files(bool hidden) const
    {
        const QDir dir(m_folder);
        return hidden ? dir.entryList({".klipo_rec_*"}, QDir::Files | QDir::Hidden)
                      : dir.entryList({"录屏_*"}, QDir::Files, QDir::Name);
    }

    // The hot key, a drag over the window, Return in the options bar; true
    // once the stop bar shows: the recording runs.
    bool startRecording()
    {
        bool picking = false;
        for (int attempt = 0; attempt < 20 && !picking; ++attempt) {
            xdotool("key ctrl+shift+l");  // the first presses may come before the hot key is there
            picking = QTest::qWaitFor(overlayShown, 700);
        }
        if (!picking) return false;
        QTest::qWait(300);
        xdotool("mousemove 120 120 mousedown 1 mousemove 300 250 mousemove 520 420 mouseup 1");
        QTest::qWait(500);
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
    QWidget m_window{nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint};
    QTimer m_animation;
    int m_step = 0;
};

TEST_F(RecFlowDesktopTest, hotKeyPickStartAndHotKey_SaveTheRegion_AndAQuitBySignalKeepsTheRecording)
{
    FakeNotificationServer notifications;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &notifications,
                                   QDBusConnection::ExportAllSlots) &&
                bus.registerService("org.freedesktop.Notifications"));

    QProcess app;
    ASSERT_TRUE(launch(app));
    ASSERT_TRUE(startRecording());
    QTest::qWait(3000);
    xdotool("key ctrl+shift+l");
    ASSERT_TRUE(QTest::qWaitFor([&] { return files(false).size() == 1; }, 10000));
    const QString first = m_folder + "/" + files(false).first();
    EXPECT_TRUE(first.endsWith(".mp4"));
    auto info = probeMediaFile(first);
    EXPECT_TRUE(info.playable());
    EXPECT_EQ(QSize(info.width, info.height), QSize(400, 300));
    EXPECT_NEAR(info.durationSeconds, 3.0, 0.2);
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
    EXPECT_NEAR(info.durationSeconds, 1.0, 0.3);
    (void)QTest::qWaitFor([&] { return !notifications.received.isEmpty(); }, 2000);
    EXPECT_EQ(notifications.received, QStringList{"录屏已保存|退出时已停止录屏，文件保存在 " + second});

    // No sound server, and SIGINT right after the stop: video without sound, saved once.
    ASSERT_TRUE(launch(app, {{"PULSE_SERVER", "unix:/nonexistent"}}));
    ASSERT_TRUE(startRecording());
    QTest::qWait(1000);
    xdotool("key ctrl+shift+l");
    EXPECT_EQ(endBy(app, SIGINT), 0);
    ASSERT_EQ(files(false).size(), 3);
    info = probeMediaFile(m_folder + "/" + files(false).last());
    EXPECT_TRUE(info.playable());
    EXPECT_FALSE(info.hasAudio);
    EXPECT_TRUE(files(true).isEmpty());
    bus.unregisterService("org.freedesktop.Notifications");
    bus.unregisterObject("/org/freedesktop/Notifications");
}

TEST_F(RecFlowDesktopTest, selfCheck_PrintsItsLine_AndEndsWithItsStatus)
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
                                "fps=30\\.0 playable=true$");
    const auto match = ok.match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    EXPECT_NEAR(match.captured(1).toDouble(), 3.0, 0.3);

    EXPECT_EQ(run("nan", "0", &line), 1);
    EXPECT_EQ(line, "REC_SELFTEST_FAIL bad-duration value=nan");
    EXPECT_EQ(run("1", "1", &line), 2);
    EXPECT_EQ(line, "REC_SELFTEST_FAIL no-screen index=1 count=1");
}

}  // namespace

#include "RecFlowDesktopTest.moc"
