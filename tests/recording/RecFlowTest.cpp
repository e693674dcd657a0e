// The recording flow over fake neighbours: from the pick to the saved file,
// attempts that fail or are given up, the stop bar's place, and the quit.
#include "app/SettingsFixture.h"
#include "recording/RecControlBarPanel.h"
#include "recording/RecMenuProvider.h"
#include "recording/RecOptionsBarPanel.h"
#include "recording/RecRegionWindow.h"
#include "recording/RecService.h"
#include "recording/RecSelfTest.h"
#include "recording/RecSettings.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace klipo;
using State = RecService::RecState;

namespace {

class FakeRecorder : public RecRecorder {
public:
    FakeRecorder(RecOptions options, RecTarget target, QString temp) : options(options), target(target), temp(temp) {}
    void setOnRuntimeError(std::function<void(const QString&)> callback) override { runtimeError = callback; }
    void startAsync(std::function<void(std::optional<QString>)> done) override { startDone = done; }
    void stopAsync(std::function<void(RecStopResult)> done) override { stopDone.push_back(done); }
    RecStopResult stopSyncForTermination(double timeout) override
    {
        syncTimeout = timeout;
        return syncResult;
    }
    std::optional<QString> microphoneError() const override { return std::nullopt; }
    QString tempPath() const override { return temp; }

    RecStopResult fileResult() const { return RecStopResult{temp, std::nullopt, false}; }
    void stopWith(const RecStopResult& result)
    {
        for (auto& done : std::exchange(stopDone, {})) done(result);
    }

    RecOptions options;
    RecTarget target;
    QString temp;
    std::function<void(const QString&)> runtimeError;
    std::function<void(std::optional<QString>)> startDone;
    std::vector<std::function<void(RecStopResult)>> stopDone;
    RecStopResult syncResult;
    double syncTimeout = 0;
};

class FakePorts : public RecPorts {
public:
    bool overlayIsActive() override { return overlayActive; }
    void beginPick(std::function<void(std::optional<RecPick>)> done) override { pickDone = done; }
    void endPick() override
    {
        if (auto done = std::exchange(pickDone, {})) done(std::nullopt);
    }
    void checkMicrophone(std::function<void(std::optional<QString>)> done) override { done(microphoneReason); }
    std::shared_ptr<RecRecorder> makeRecorder(const RecTarget& target, const RecOptions& options,
                                              const QString& temp) override
    {
        recorders.push_back(std::make_shared<FakeRecorder>(options, target, temp));
        return recorders.back();
    }
    std::optional<QString> stopShortcutText() override { return QStringLiteral("Ctrl+Shift+L"); }
    QString captureFolder() override { return folder; }
    QString captureFolderDisplayName() override { return QStringLiteral("录屏夹"); }
    QString tempFolder() override { return temp; }
    void toast(const QString& title, const QString& subtitle, const QString&) override
    {
        toasts << title + "|" + subtitle;
    }
    void notify(const QString& title, const QString& body) override { notices << title + "|" + body; }
    double monotonicSeconds() override { return clock; }
    QDateTime now() override { return QDateTime(QDate(2026, 1, 5), QTime(10, 15, 0)); }

    bool overlayActive = false;
    std::function<void(std::optional<RecPick>)> pickDone;
    std::optional<QString> microphoneReason;
    std::vector<std::shared_ptr<FakeRecorder>> recorders;
    QString folder = test::freshDir("captures");
    QString temp = test::freshDir("tmp");
    QStringList toasts, notices;
    double clock = 100;
};

class RecFlowTest : public test::SettingsTest {
protected:
    RecFlowTest() : service(ports) {}
    ~RecFlowTest() override
    {
        for (const char* key : {"recFormat", "recFPS", "recMicrophone"})
            platform::SettingsStore::shared().remove(key);
    }

    QScreen* screen() const { return QGuiApplication::primaryScreen(); }
    // A pick of `global` (points, y down) on the primary screen.
    RecPick pickOf(QRectF global) const
    {
        const QRect geometry = screen()->geometry();
        return RecPick{screen(), geometry,
                       QRectF(global.x() - geometry.x(), geometry.y() + geometry.height() - global.bottom(),
                              global.width(), global.height())};
    }
    // The hot key, a pick of `global` and the options bar's start.
    FakeRecorder& startThroughTheBar(QRectF global, RecOptions options)
    {
        service.toggle();
        ports->pickDone(pickOf(global));
        service.optionsBar()->onStart(options);
        return *ports->recorders.back();
    }
    FakeRecorder& recordDirectly(RecOptions options = {})
    {
        service.startRecording(QRectF(80, 80, 400, 300), screen(), options);
        ports->recorders.back()->startDone(std::nullopt);
        return *ports->recorders.back();
    }

    std::shared_ptr<FakePorts> ports = std::make_shared<FakePorts>();
    RecService service;
};

TEST_F(RecFlowTest, hotKeyPickOptionsAndStop_SaveTheFile_WithFrameBarsClockMenuTitleAndTrayLook)
{
    QList<bool> trayLook;
    std::optional<QString> savedForTest;
    service.onRecordingStateChanged = [&](bool on) { trayLook << on; };
    service.onSavedForTest = [&](std::optional<QString> path) { savedForTest = path; };
    const QRectF region(100, 120, 320, 200);

    // Esc while the options bar is open ends the flow and reaches nothing else.
    service.toggle();
    ASSERT_EQ(service.state, State::picking);
    ports->pickDone(pickOf(region));
    ASSERT_EQ(service.state, State::options);
    EXPECT_EQ(service.regionWindow()->geometry(), region.adjusted(-3, -3, 3, 3).toRect());
    EXPECT_FALSE(service.optionsBar()->geometry().intersects(region.toRect()));
    QTest::keyClick(service.optionsBar(), Qt::Key_Escape);
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(service.optionsBar(), nullptr);
    EXPECT_EQ(service.regionWindow(), nullptr);

    FakeRecorder& recorder = startThroughTheBar(region, {RecFormat::mov, 60, false});
    EXPECT_EQ(service.state, State::starting);
    EXPECT_EQ(Settings::recFormat(), RecFormat::mov);
    EXPECT_EQ(Settings::recFPS(), 60);
    EXPECT_EQ(RecGeometry::pixelRect(recorder.target), region.toRect());
    EXPECT_TRUE(recorder.temp.startsWith(ports->folder + "/.klipo_rec_"));
    EXPECT_TRUE(trayLook.isEmpty());

    recorder.startDone(std::nullopt);
    ASSERT_EQ(service.state, State::recording);
    EXPECT_EQ(trayLook, QList<bool>{true});
    EXPECT_EQ(RecMenuProvider::title(service.state), "停止录屏");
    RecControlBarPanel* bar = service.controlBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->geometry().intersects(region.toRect()));
    ports->clock += 59.5;
    service.tick();
    EXPECT_EQ(bar->timeLabel()->text(), "00:59");

    bar->stopTapped();
    EXPECT_EQ(service.state, State::stopping);
    EXPECT_EQ(trayLook, (QList<bool>{true, false}));
    EXPECT_EQ(RecMenuProvider::title(service.state), "局部录屏");
    service.toggle();  // ignored while the file is finished
    EXPECT_EQ(recorder.stopDone.size(), 1u);

    recorder.stopWith(recorder.fileResult());
    const QString saved = ports->folder + "/录屏_20260105_101500.mov";
    EXPECT_EQ(service.state, State::idle);
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(QFile::exists(recorder.temp));
    EXPECT_EQ(ports->toasts.last(), "录屏已保存（01:00）|录屏夹 · 录屏_20260105_101500.mov，点击在文件管理器中显示");
    EXPECT_EQ(savedForTest, saved);
    EXPECT_EQ(service.lastSavedPath(), saved);
}

TEST_F(RecFlowTest, aLateAnswerOfAnAttemptGivenUp_LeavesTheNewOneAlone_AndRuntimeErrorsEndOrStop)
{
    int nothingSaved = 0;
    service.onSavedForTest = [&](std::optional<QString> path) { nothingSaved += !path; };

    // A failure before the start finished ends the attempt like a failed start.
    service.startRecording(QRectF(80, 80, 400, 300), screen(), {});
    ASSERT_NE(service.regionWindow(), nullptr);
    FakeRecorder& first = *ports->recorders.back();
    first.runtimeError(QStringLiteral("画面读取失败"));
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(ports->toasts.last(), "录屏启动失败|画面读取失败");
    EXPECT_EQ(first.stopDone.size(), 1u);
    EXPECT_EQ(nothingSaved, 1);

    // The first engine's late answers touch nothing of the second attempt.
    service.startRecording(QRectF(80, 80, 400, 300), screen(), {});
    FakeRecorder& second = *ports->recorders.back();
    first.startDone(QStringLiteral("太迟的失败"));
    first.startDone(std::nullopt);
    EXPECT_EQ(service.state, State::starting);
    EXPECT_NE(service.regionWindow(), nullptr);
    EXPECT_EQ(ports->toasts.size(), 1);
    EXPECT_TRUE(second.stopDone.empty());

    second.startDone(std::nullopt);
    ASSERT_EQ(service.state, State::recording);
    first.runtimeError(QStringLiteral("太迟"));
    EXPECT_EQ(service.state, State::recording);
    second.runtimeError(QStringLiteral("磁盘已满"));
    EXPECT_EQ(service.state, State::stopping);
    second.stopWith(second.fileResult());
    EXPECT_TRUE(ports->toasts.last().startsWith("录制中断：磁盘已满|录屏夹 · 录屏_20260105_101500.mp4"));

    // Nothing written: "录屏失败" with the default reason.
    FakeRecorder& third = recordDirectly();
    service.stopRecording();
    third.stopWith(RecStopResult{});
    EXPECT_EQ(ports->toasts.last(), "录屏失败|视频写入失败（可能磁盘空间不足），未生成文件");
    EXPECT_EQ(nothingSaved, 2);
}

TEST_F(RecFlowTest, quit_WaitsForTheStopUnderWay_SavesTheFile_AndNamesItInANotification)
{
    // Quit while the file is being finished: the running stop's file is saved once.
    std::optional<QString> savedForTest;
    service.onSavedForTest = [&](std::optional<QString> path) { savedForTest = path; };
    FakeRecorder& stopping = recordDirectly();
    service.stopRecording();
    ASSERT_EQ(service.state, State::stopping);
    stopping.syncResult = stopping.fileResult();
    service.handleAppTermination();
    const QString first = ports->folder + "/录屏_20260105_101500.mp4";
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(stopping.syncTimeout, 5.0);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_EQ(ports->notices, QStringList{"录屏已保存|退出时已停止录屏，文件保存在 " + first});
    stopping.stopWith(stopping.fileResult());  // the stop's own answer comes too late
    EXPECT_EQ(ports->toasts, QStringList{});
    EXPECT_FALSE(savedForTest);

    // Quit while recording, the stop outlasting the wait: what exists is saved.
    FakeRecorder& slow = recordDirectly();
    slow.syncResult.timedOut = true;
    service.handleAppTermination();
    const QString second = ports->folder + "/录屏_20260105_101500 2.mp4";
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(ports->notices.last(), "录屏已保存（可能不完整）|退出时录屏未能及时收尾，已保存到 " + second);
}

TEST_F(RecFlowTest, stopBar_StaysOutOfTheRegion_HiddenWithNoRoomAndSaidOnce_AndRefusalsAreTold)
{
    // A region filling the screen: the bar is never put inside it.
    startThroughTheBar(screen()->geometry(), {}).startDone(std::nullopt);
    ASSERT_EQ(service.state, State::recording);
    ASSERT_NE(service.controlBar(), nullptr);
    EXPECT_FALSE(service.controlBar()->isVisible());
    EXPECT_EQ(ports->toasts.filter("录屏控制条已隐藏").size(), 1);
    EXPECT_TRUE(ports->toasts.last().contains("Ctrl+Shift+L"));
    service.toggle();
    EXPECT_EQ(service.state, State::stopping);
    ports->recorders.back()->stopWith(RecStopResult{});

    // Without a microphone the recording goes on without sound, and says so.
    ports->microphoneReason = QStringLiteral("没有可用的声音服务（PulseAudio 未运行）");
    recordDirectly({RecFormat::mp4, 30, true});
    EXPECT_FALSE(ports->recorders.back()->options.microphone);
    EXPECT_EQ(ports->toasts.last(), "麦克风不可用，本次录屏将不带声音|没有可用的声音服务（PulseAudio 未运行）");
    service.screenParametersDidChange();
    EXPECT_EQ(service.state, State::stopping);
    ports->recorders.back()->stopWith(ports->recorders.back()->fileResult());
    EXPECT_TRUE(ports->toasts.last().startsWith("屏幕参数变化，已停止并保存|"));

    // Busy scrolling capture or overlay: nothing starts.
    service.scrollCaptureBusy = [] { return true; };
    service.toggle();
    EXPECT_EQ(ports->toasts.last(), "滚动长截图进行中|请先完成或取消滚动长截图，再开始录屏");
    service.scrollCaptureBusy = {};
    ports->pickDone = {};
    ports->overlayActive = true;
    service.toggle();
    EXPECT_EQ(service.state, State::idle);
    EXPECT_FALSE(ports->pickDone);
}

TEST(RecSelfTestTest, durationAndScreenAreReadStrictly_AndAWrongFileFails)
{
    using Kind = RecSelfTest::Duration::Kind;
    const auto kind = [](const char* value) { return RecSelfTest::parseDuration(value).kind; };
    for (const char* off : {"", "abc", "3 ", " 3", "3s"}) EXPECT_EQ(kind(off), Kind::off) << off;
    for (const char* refused : {"nan", "inf", "-INFINITY", "-1", "-1e-9", "1e11"})
        EXPECT_EQ(kind(refused), Kind::refused) << refused;
    EXPECT_EQ(RecSelfTest::parseDuration("0x1.8p1").seconds, 3.0);
    EXPECT_EQ(RecSelfTest::parseDuration("2.5e0").seconds, 2.5);
    EXPECT_EQ(RecSelfTest::parseDuration("-1e-10").seconds, 0.0);
    EXPECT_EQ(RecSelfTest::parseScreenIndex("-1"), -1);
    EXPECT_EQ(RecSelfTest::parseScreenIndex("+2"), 2);
    for (const char* zero : {"", "1.0", "x", "+", "99999999999"}) EXPECT_EQ(RecSelfTest::parseScreenIndex(zero), 0);

    platform::media::MediaInfo info;
    info.opened = true;
    info.width = 400;
    info.height = 300;
    info.frameRate = 30;
    info.durationSeconds = 3.02;
    info.videoFramesDecoded = 90;
    bool pass = false;
    EXPECT_EQ(RecSelfTest::resultLine("/s/a.mp4", info, QSize(400, 300), 3, &pass),
              "REC_SELFTEST_OK path=/s/a.mp4 duration=3.02 size=400x300 expected=400x300 fps=30.0 playable=true");
    EXPECT_TRUE(pass);
    // A size off by the engine's rounding, a short file, an unreadable one: failures.
    EXPECT_TRUE(RecSelfTest::resultLine("/s/a.mp4", info, QSize(402, 300), 3, &pass).startsWith("REC_SELFTEST_FAIL"));
    EXPECT_FALSE(pass);
    RecSelfTest::resultLine("/s/a.mp4", info, QSize(400, 300), 5, &pass);
    EXPECT_FALSE(pass);
    EXPECT_EQ(RecSelfTest::resultLine("/s/b.mp4", {}, QSize(400, 300), 3, &pass),
              "REC_SELFTEST_FAIL bad-recording path=/s/b.mp4 duration=-1.00 size=none expected=400x300 fps=- "
              "playable=false");
}

}  // namespace
