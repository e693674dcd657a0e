// The recording flow over fake neighbours: from the pick to the saved file,
// attempts given up, the stop bar's place, the quit; the bars themselves; the
// self-check's input and verdict.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "app/HUDBarButton.h"
#include "recording/RecBlinkDot.h"
#include "recording/RecService.h"
#include "recording/RecSelfTest.h"
#include "recording/RecSystemPorts.h"
#include "app/Settings.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <cmath>

using namespace klipo;
using State = RecService::RecState;

namespace {

struct FakeRecorder : RecRecorder {
    FakeRecorder(RecOptions options, RecTarget target, QString temp) : options(options), target(target), temp(temp) {}
    void setOnRuntimeError(std::function<void(const QString&)> callback) override { runtimeError = callback; }
    void startAsync(std::function<void(std::optional<QString>)> done) override { startDone = done; }
    void stopAsync(std::function<void(RecStopResult)> done) override { stopDone.push_back(done); }
    RecStopResult stopSyncForTermination(double timeout) override { return syncTimeout = timeout, syncResult; }
    std::optional<QString> microphoneError() const override { return std::nullopt; }
    QString tempPath() const override { return temp; }
    void stopWith(std::optional<QString> file)
    {
        for (auto& done : std::exchange(stopDone, {})) done(RecStopResult{file, std::nullopt, false});
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

struct FakePorts : RecPorts {
    bool overlayIsActive() override { return false; }
    void beginPick(std::function<void(std::optional<RecPick>)> done) override { pickDone = done; }
    void endPick() override { std::exchange(pickDone, {})(std::nullopt); }
    void checkMicrophone(std::function<void(std::optional<QString>)> done) override { done(microphoneReason); }
    std::shared_ptr<RecRecorder> makeRecorder(const RecTarget& target, const RecOptions& options,
                                              const QString& temp) override
    {
        return recorders.emplace_back(std::make_shared<FakeRecorder>(options, target, temp));
    }
    std::optional<QString> stopShortcutText() override { return QStringLiteral("Ctrl+Shift+L"); }
    QString captureFolder() override { return folder; }
    QString captureFolderDisplayName() override { return QStringLiteral("录屏夹"); }
    QString recordingFolder() override { return recording; }
    void keepOutOfRegion(std::optional<QRect> region, const QList<QWidget*>&) override { keptOut << region; }
    void leavingRegion(QWidget* window) override { leaving << (window->isVisible() ? "shown" : "hidden"); }
    void whenRegionClear(std::function<void()> then) override
    {
        if (regionShowsOurs)
            regionClear = then;
        else
            then();
    }
    void toast(const QString& title, const QString& text, const QString&) override { toasts << title + "|" + text; }
    void notify(const QString& title, const QString& body) override { notices << title + "|" + body; }
    double monotonicSeconds() override { return clock; }
    QDateTime now() override { return QDateTime(QDate(2026, 1, 5), QTime(10, 15, 0)); }

    std::function<void(std::optional<RecPick>)> pickDone;
    std::optional<QString> microphoneReason;
    std::vector<std::shared_ptr<FakeRecorder>> recorders;
    QString folder = test::freshDir("captures");
    QString recording = test::freshDir("cache") + "/recording";
    QStringList toasts, notices;
    QList<std::optional<QRect>> keptOut;  // regions our windows keep out of, none: let go
    QStringList leaving;                  // whether each window said to leave the region still showed
    bool regionShowsOurs = false;         // the screen still shows windows of ours that left the region
    std::function<void()> regionClear;
    double clock = 100;
};

class RecFlowTest : public ::testing::Test {
protected:
    ~RecFlowTest() override
    {
        for (const char* key : {"recFormat", "recFPS", "recMicrophone"}) platform::SettingsStore::shared().remove(key);
    }
    static QScreen* screen() { return QGuiApplication::primaryScreen(); }
    // The hot key and a pick of `global` (points, y down).
    void pick(QRectF global)
    {
        service.toggle();
        const QRect g = screen()->geometry();
        ports->pickDone(RecPick{screen(), g, QRectF(global.x(), g.height() - global.bottom(), global.width(),
                                                    global.height())});
    }
    FakeRecorder& startThroughTheBar(QRectF global, RecOptions options = {})
    {
        pick(global);
        service.optionsBar()->onStart(options);
        return *ports->recorders.back();
    }
    FakeRecorder& recordDirectly(RecOptions options = {})
    {
        service.startRecording(QRectF(80, 80, 400, 300), screen(), options);
        ports->recorders.back()->startDone(std::nullopt);
        return *ports->recorders.back();
    }
    QString saved(const QString& suffix = ".mp4") const { return ports->folder + "/录屏_20260105_101500" + suffix; }

    std::shared_ptr<FakePorts> ports = std::make_shared<FakePorts>();
    RecService service{ports};
};

TEST_F(RecFlowTest, hotKeyPickOptionsAndStop_SaveTheFile_WithFrameBarsClockAndTrayLook)
{
    QList<bool> trayLook;
    std::optional<QString> savedForTest;
    service.onRecordingStateChanged = [&](bool on) { trayLook << on; };
    service.onSavedForTest = [&](std::optional<QString> path) { savedForTest = path; };
    const QRectF region(100, 120, 320, 200);

    // Esc while the options bar is open ends the flow and reaches nothing else.
    pick(region);
    ASSERT_EQ(service.state, State::options);
    EXPECT_EQ(service.regionWindow()->geometry(), region.adjusted(-3, -3, 3, 3).toRect());
    EXPECT_FALSE(service.optionsBar()->geometry().intersects(region.toRect()));
    QTest::keyClick(service.optionsBar(), Qt::Key_Escape);
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(service.regionWindow(), nullptr);

    FakeRecorder& recorder = startThroughTheBar(region, {RecFormat::mov, 60, false});
    EXPECT_EQ(RecGeometry::pixelRect(recorder.target), region.toRect());
    EXPECT_TRUE(recorder.temp.startsWith(ports->recording + "/klipo_rec_"));
    recorder.startDone(std::nullopt);
    ASSERT_EQ(service.state, State::recording);
    RecControlBarPanel* bar = service.controlBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->geometry().intersects(region.toRect()));
    ports->clock += 59.5;
    service.tick();
    EXPECT_EQ(bar->timeLabel()->text(), "00:59");

    bar->stopTapped();
    EXPECT_EQ(service.state, State::stopping);
    service.toggle();  // ignored while the file is finished
    EXPECT_EQ(recorder.stopDone.size(), 1u);
    recorder.stopWith(recorder.temp);
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(trayLook, (QList<bool>{true, false}));
    EXPECT_TRUE(QFile::exists(saved(".mov")));
    EXPECT_EQ(ports->toasts.last(), "录屏已保存（01:00）|录屏夹 · 录屏_20260105_101500.mov，点击在文件管理器中显示");
    EXPECT_EQ(savedForTest, saved(".mov"));
}

// The start may take a while (a microphone waking up): the bar shows at once
// that the recording is starting, runs its clock once it has, and its stop
// gives a start under way up without a file or a word.
TEST_F(RecFlowTest, theStopBarShowsAtOnceThatTheRecordingIsStarting_AndItsStopGivesTheStartUp)
{
    const QRectF region(100, 120, 320, 200);
    FakeRecorder& slow = startThroughTheBar(region, {RecFormat::mp4, 30, true});
    ASSERT_EQ(service.state, State::starting);
    ASSERT_NE(service.controlBar(), nullptr);
    EXPECT_TRUE(service.controlBar()->isVisible());
    EXPECT_FALSE(service.controlBar()->geometry().intersects(region.toRect()));
    EXPECT_EQ(service.controlBar()->timeLabel()->text(), "准备中…");
    EXPECT_NE(service.controlBar()->windowTitle(), "KlipoVersa") << "only the running recording's bar is named so";
    EXPECT_FALSE(service.controlBar()->dotView()->isBlinking());
    slow.startDone(std::nullopt);
    ASSERT_EQ(service.state, State::recording);
    EXPECT_EQ(service.controlBar()->timeLabel()->text(), "00:00");
    EXPECT_EQ(service.controlBar()->windowTitle(), "KlipoVersa");
    EXPECT_TRUE(service.controlBar()->dotView()->isBlinking());
    service.stopRecording();
    slow.stopWith(slow.temp);

    std::optional<std::optional<QString>> savedForTest;
    service.onSavedForTest = [&](std::optional<QString> path) { savedForTest = path; };
    const int toastsBefore = int(ports->toasts.size());
    FakeRecorder& givenUp = startThroughTheBar(region);
    service.controlBar()->stopTapped();
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(service.controlBar(), nullptr);
    EXPECT_EQ(givenUp.stopDone.size(), 1u) << "the engine is stopped and its file dropped";
    ASSERT_TRUE(savedForTest.has_value());
    EXPECT_FALSE(savedForTest->has_value()) << "nothing saved";
    givenUp.startDone(std::nullopt);  // its late answer starts nothing
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(int(ports->toasts.size()), toastsBefore);
}

// Our other windows keep out of the region from the options step until the
// file is finished (the last pictures may still be taken then); a cancel or a
// failed start lets the region go.
TEST_F(RecFlowTest, ourWindowsKeepOutOfTheRegion_FromTheOptionsUntilTheFileIsFinished)
{
    const QRectF region(100, 120, 320, 200);
    pick(region);
    ASSERT_FALSE(ports->keptOut.isEmpty());
    EXPECT_EQ(ports->keptOut.last(), region.toRect());
    QTest::keyClick(service.optionsBar(), Qt::Key_Escape);
    EXPECT_EQ(ports->keptOut.last(), std::nullopt);

    FakeRecorder& recorder = startThroughTheBar(region);
    recorder.startDone(std::nullopt);
    service.stopRecording();
    ASSERT_EQ(service.state, State::stopping);
    EXPECT_EQ(ports->keptOut.last(), region.toRect());
    recorder.stopWith(recorder.temp);
    EXPECT_EQ(ports->keptOut.last(), std::nullopt);

    FakeRecorder& failing = startThroughTheBar(region);
    failing.startDone(QStringLiteral("无法开始录制"));
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(ports->keptOut.last(), std::nullopt);
}

// The first picture is taken only once the region no longer shows the
// windows of ours that left it; the options bar placed inside a region that
// fills the screen is one of them.
TEST_F(RecFlowTest, theRecordingStarts_OnceTheRegionShowsNoneOfOurWindowsThatLeftIt)
{
    ports->regionShowsOurs = true;
    pick(screen()->geometry());
    service.optionsBar()->onStart(RecOptions{});
    EXPECT_EQ(ports->leaving, QStringList{"shown"});
    EXPECT_EQ(service.optionsBar(), nullptr);
    EXPECT_EQ(service.state, State::starting);
    EXPECT_TRUE(ports->recorders.empty()) << "started while our windows still showed";
    ASSERT_TRUE(ports->regionClear);
    std::exchange(ports->regionClear, {})();
    ASSERT_EQ(ports->recorders.size(), 1u);
    ports->recorders.back()->startDone(std::nullopt);
    EXPECT_EQ(service.state, State::recording);
}

TEST_F(RecFlowTest, aLateAnswerOfAnAttemptGivenUp_LeavesTheNewOneAlone_AndRuntimeErrorsEndOrStop)
{
    int nothingSaved = 0;
    service.onSavedForTest = [&](std::optional<QString> path) { nothingSaved += !path; };

    // A failure before the start finished ends the attempt like a failed start.
    service.startRecording(QRectF(80, 80, 400, 300), screen(), {});
    FakeRecorder& first = *ports->recorders.back();
    first.runtimeError(QStringLiteral("画面读取失败"));
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(ports->toasts.last(), "录屏启动失败|画面读取失败");
    EXPECT_EQ(first.stopDone.size(), 1u);

    // The first engine's late answers touch nothing of the second attempt.
    service.startRecording(QRectF(80, 80, 400, 300), screen(), {});
    FakeRecorder& second = *ports->recorders.back();
    first.startDone(QStringLiteral("太迟的失败"));
    first.startDone(std::nullopt);
    EXPECT_EQ(service.state, State::starting);
    EXPECT_NE(service.regionWindow(), nullptr);
    EXPECT_EQ(ports->toasts.size(), 1);
    second.startDone(std::nullopt);
    first.runtimeError(QStringLiteral("太迟"));
    EXPECT_EQ(service.state, State::recording);
    second.runtimeError(QStringLiteral("磁盘已满"));
    second.stopWith(second.temp);
    EXPECT_TRUE(ports->toasts.last().startsWith("录制中断：磁盘已满|录屏夹 · 录屏_20260105_101500.mp4"));

    // Nothing written: "录屏失败" with the default reason.
    recordDirectly();
    service.stopRecording();
    ports->recorders.back()->stopWith(std::nullopt);
    EXPECT_EQ(ports->toasts.last(), "录屏失败|视频写入失败（可能磁盘空间不足），未生成文件");
    EXPECT_EQ(nothingSaved, 2);
}

TEST_F(RecFlowTest, quit_WaitsForTheStopUnderWay_SavesTheFile_AndNamesItInANotification)
{
    bool calledBack = false;
    service.onSavedForTest = [&](std::optional<QString>) { calledBack = true; };
    FakeRecorder& stopping = recordDirectly();
    service.stopRecording();
    stopping.syncResult.file = stopping.temp;
    service.handleAppTermination();
    EXPECT_EQ(service.state, State::idle);
    EXPECT_EQ(stopping.syncTimeout, 5.0);
    EXPECT_TRUE(QFile::exists(saved()));
    EXPECT_EQ(ports->notices, QStringList{"录屏已保存|退出时已停止录屏，文件保存在 " + saved()});
    stopping.stopWith(stopping.temp);  // the stop's own answer comes too late
    EXPECT_TRUE(ports->toasts.isEmpty());
    EXPECT_FALSE(calledBack);

    // The stop outlasting the wait: what exists is saved.
    recordDirectly().syncResult.timedOut = true;
    service.handleAppTermination();
    EXPECT_TRUE(QFile::exists(saved(" 2.mp4")));
    EXPECT_EQ(ports->notices.last(), "录屏已保存（可能不完整）|退出时录屏未能及时收尾，已保存到 " + saved(" 2.mp4"));
}

TEST_F(RecFlowTest, stopBarWithNoRoomOutsideTheRegion_StaysHiddenAndIsToldOnce_AndAMissingMicrophoneIsTold)
{
    startThroughTheBar(screen()->geometry()).startDone(std::nullopt);
    ASSERT_EQ(service.state, State::recording);
    EXPECT_FALSE(service.controlBar()->isVisible());
    EXPECT_EQ(ports->toasts, QStringList{"录屏控制条已隐藏|选区四周放不下控制条，可用托盘菜单或Ctrl+Shift+L停止"});
    service.toggle();
    ports->recorders.back()->stopWith(std::nullopt);

    ports->microphoneReason = QStringLiteral("没有可用的声音服务（PulseAudio 未运行）");
    recordDirectly({RecFormat::mp4, 30, true});
    EXPECT_FALSE(ports->recorders.back()->options.microphone);
    EXPECT_EQ(ports->toasts.last(), "麦克风不可用，本次录屏将不带声音|没有可用的声音服务（PulseAudio 未运行）");
}

// The toast of a hidden stop bar writes the hot key as the tray menu does.
TEST(RecSystemPortsTest, stopShortcutText_ReadsAsTheTrayMenuItemsKeyText)
{
    using namespace GlobalShortcuts;
    QAction trayItem;
    setShortcut(&trayItem, Name::recordScreen());
    const auto menuText = [&] { return trayItem.shortcut().toString(QKeySequence::NativeText).toStdString(); };
    RecSystemPorts ports;
    const auto toastText = [&] { return ports.stopShortcutText().value_or("(none)").toStdString(); };
    EXPECT_EQ(menuText(), "Ctrl+Shift+L");
    EXPECT_EQ(toastText(), "Ctrl+Shift+L");
    setShortcut(Shortcut(Key::f5, Qt::AltModifier), Name::recordScreen());  // the user's own
    EXPECT_EQ(menuText(), "Alt+F5");
    EXPECT_EQ(toastText(), "Alt+F5");
    reset({Name::recordScreen()});
}

TEST(RecOptionsBarTest, showsTheStoredChoice_AndReturnFromAnyChoiceOrTheButtonsStartOrCancelWithTheShownOptions)
{
    EXPECT_EQ(RecOptionsBarPanel({RecFormat::mp4, 24, false}).fpsPopup()->currentText(), "30");  // 24 is not offered
    RecOptionsBarPanel panel({RecFormat::mov, 60, true});
    std::optional<RecOptions> started;
    int cancels = 0;
    QTest::keyClick(&panel, Qt::Key_Return);  // unset: nothing
    panel.onStart = [&](RecOptions options) { started = options; };
    panel.onCancel = [&] { ++cancels; };
    panel.fpsPopup()->setCurrentIndex(0);
    panel.micPopup()->setCurrentIndex(0);
    QTest::keyClick(panel.fpsPopup(), Qt::Key_Return);
    ASSERT_TRUE(started.has_value());
    EXPECT_EQ(std::tuple(started->format, started->fps, started->microphone), std::tuple(RecFormat::mov, 15, false));
    panel.formatPopup()->setCurrentIndex(0);
    QTest::mouseClick(panel.startButton(), Qt::LeftButton);
    EXPECT_EQ(started->format, RecFormat::mp4);
    QTest::mouseClick(panel.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
}

TEST(RecControlBarTest, clockTruncatesAndNeverWraps_DotBlinksUntilStopped_AndStopCalls)
{
    for (double nothing : {-3.0, std::nan(""), HUGE_VAL}) EXPECT_EQ(RecControlBarPanel::clockText(nothing), "00:00");
    RecControlBarPanel panel;
    panel.move(100, 500);
    panel.setElapsed(6001.9);
    EXPECT_EQ(panel.timeLabel()->text(), "100:01");
    EXPECT_EQ(panel.x(), 100);
    EXPECT_GE(panel.timeLabel()->width(), panel.timeLabel()->sizeHint().width());

    RecBlinkDot* dot = panel.dotView();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dot->opacity() < 0.8; }, 2000));
    dot->stopBlinking();
    EXPECT_EQ(dot->opacity(), 1.0);
    int stops = 0;
    panel.onStop = [&] { ++stops; };
    QTest::mouseClick(panel.stopButton(), Qt::LeftButton);
    EXPECT_EQ(stops, 1);
}

TEST(RecSelfTestTest, durationIsReadStrictly_AndAWrongFileFails)
{
    using Kind = RecSelfTest::Duration::Kind;
    for (const char* off : {"", "3 ", " 3"}) EXPECT_EQ(RecSelfTest::parseDuration(off).kind, Kind::off) << off;
    for (const char* refused : {"nan", "inf", "-1", "1e11"})
        EXPECT_EQ(RecSelfTest::parseDuration(refused).kind, Kind::refused) << refused;

    platform::media::MediaInfo info;
    info.opened = true;
    std::tie(info.width, info.height, info.frameRate, info.durationSeconds, info.videoFramesDecoded) =
        std::tuple(400, 300, 30.0, 3.02, 90);
    bool pass = false;
    EXPECT_EQ(RecSelfTest::resultLine("/s/a.mp4", info, QSize(400, 300), 3, &pass),
              "REC_SELFTEST_OK path=/s/a.mp4 duration=3.02 size=400x300 expected=400x300 fps=30.0 playable=true");
    EXPECT_TRUE(pass);
    // A size off by the engine's rounding, or a short file: failures.
    for (auto [size, seconds] : {std::pair{QSize(402, 300), 3}, {QSize(400, 300), 5}}) {
        RecSelfTest::resultLine("/s/a.mp4", info, size, seconds, &pass);
        EXPECT_FALSE(pass) << seconds;
    }
}

// A self-check folder that does not exist gives the default capture folder,
// for this process only, never the user's own.
TEST(RecSelfTestTest, aFolderThatDoesNotExist_FallsBackToTheDefaultForThisProcessOnly)
{
    platform::SettingsStore& store = platform::SettingsStore::shared();
    const QString own = test::freshDir("own-captures");
    store.setValue(QStringLiteral("plainCaptureDirectory"), own);
    RecSystemPorts ports;
    RecSelfTest::useCaptureFolder(test::sandboxRoot() + QStringLiteral("/no-such-folder"));
    EXPECT_EQ(ports.captureFolder(), Settings::defaultPlainCaptureDirectory()) << qPrintable(ports.captureFolder());
    store.setProcessOverride(QStringLiteral("plainCaptureDirectory"), QJsonValue::Undefined);
    EXPECT_EQ(ports.captureFolder(), own);  // never stored
    store.remove(QStringLiteral("plainCaptureDirectory"));
}

}  // namespace
