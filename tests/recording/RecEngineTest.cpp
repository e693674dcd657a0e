// The recording engine: its numbers (picture sizes, sound lined up with the
// pictures), the stored choices, and on a synthetic desktop with the real
// encoder and file writer the ways a recording can go wrong.
#include "app/SettingsFixture.h"
#include "platform/media/MediaProbe.h"
#include "recording/RecAudioAligner.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "recording/RecGeometry.h"
#include "recording/RecSettings.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

using namespace klipo;
using klipo::platform::media::probeMediaFile;
using Mode = test::SyntheticGrabber::Mode;

namespace {

TEST(RecGeometryTest, sizes_AreRoundedAtLeastTwoAndEven_AndThePixelRectComesFromTheLowerLeft)
{
    const QRect screen(0, 0, 1920, 1080);
    for (const auto& [rect, scale, size] : {std::tuple{QRectF(0, 0, 0.4, 0.4), 1.0, QSize(2, 2)},
                                            {QRectF(0, 0, 101.5, 50.25), 1.0, QSize(102, 50)},
                                            {QRectF(0, 0, 401, 301), 1.0, QSize(400, 300)},
                                            {QRectF(80, 80, 400, 300), 1.5, QSize(600, 450)}})
        EXPECT_EQ(RecGeometry::outputSize(RecTarget{screen, scale, rect}), size) << rect.width();

    // A second screen right of the first at twice the pixels: its top-left
    // corner is the same in points and pixels, the rest scales.
    EXPECT_EQ(RecGeometry::pixelRect(RecTarget{QRect(1920, 0, 640, 512), 2.0, QRectF(10, 20, 100, 50)}),
              QRect(1920 + 20, (512 - 70) * 2, 200, 100));
    EXPECT_EQ(RecGeometry::pixelRect(RecTarget{screen, 1.0, QRectF(80, 80, 400, 300)}), QRect(80, 700, 400, 300));
}

class RecSettingsTest : public test::SettingsTest {};

TEST_F(RecSettingsTest, storedChoices_ComeBack_AndAnFpsNotOfferedFallsBack)
{
    set(QStringLiteral("recMicrophone"), false);
    Settings::storeRecOptions(RecOptions{RecFormat::mov, 60, true});
    EXPECT_EQ(std::tuple(Settings::recFormat(), Settings::recFPS(), Settings::recMicrophone()),
              std::tuple(RecFormat::mov, 60, true));
    set(QStringLiteral("recFPS"), 24);
    set(QStringLiteral("recFormat"), QStringLiteral("MOV"));
    EXPECT_EQ(std::pair(Settings::recFormat(), Settings::recFPS()), std::pair(RecFormat::mp4, 30));
}

TEST(RecAudioAlignerTest, sound_StartsWithTheFirstPicture_AndFollowsTheClock)
{
    RecAudioAligner aligner(48000, 40);
    // Before there is a picture, all sound is left out.
    EXPECT_EQ(aligner.place(1000, 480).skip, 480);
    aligner.setOrigin(1'000'000);
    // Wholly before the first picture: left out; across it: cut at it.
    EXPECT_EQ(aligner.place(990'000, 480).skip, 480);
    EXPECT_EQ(aligner.place(995'000, 480).skip, 240);  // 5 ms early: 240 samples too soon
    EXPECT_EQ(aligner.position(), 240);
    // On time, give or take the tolerance: nothing changes.
    auto placed = aligner.place(1'005'000 + 30'000, 480);
    EXPECT_EQ(placed.skip + placed.silenceBefore, 0);
    // 100 ms of sound lost by the server: silence fills the gap.
    EXPECT_EQ(aligner.place(1'015'000 + 100'000, 480).silenceBefore, 4800);
    EXPECT_EQ(aligner.position(), 720 + 4800 + 480);
    // The sound runs 50 ms ahead of the clock: that much is left out.
    EXPECT_EQ(aligner.place(1'125'000 - 50'000, 4800).skip, 2400);
    EXPECT_NEAR(aligner.largestDriftMillis(), 100.0, 0.1);

    // Sound that starts late gets silence in front.
    RecAudioAligner late(48000);
    late.setOrigin(0);
    EXPECT_EQ(late.place(20'000, 480).silenceBefore, 960);
}

class RecEngineTest : public ::testing::Test {
protected:
    // An engine for a 320x240 region, its runtime errors collected (they
    // arrive on the main thread).
    std::unique_ptr<RecEngine> engine(RecOptions options, RecEngineParts parts = test::syntheticParts())
    {
        auto made = std::make_unique<RecEngine>(test::targetOfSize(QSize(320, 240)), options, path, parts);
        made->setOnRuntimeError([this](const QString& message) { reports << message; });
        return made;
    }
    static RecEngineParts writing(test::ScriptedWriter::Script script)
    {
        RecEngineParts parts = test::syntheticParts();
        parts.writer = [script] { return std::make_unique<test::ScriptedWriter>(script); };
        return parts;
    }

    const QString path = test::freshDir(QStringLiteral("engine")) + QStringLiteral("/.klipo_rec_test.mp4");
    QStringList reports;
};

TEST_F(RecEngineTest, stopBeforeAnyPicture_LeavesNoFile_AndAFailingGrabIsReportedOnce)
{
    auto recording = engine({}, test::syntheticParts(Mode::failing));
    ASSERT_EQ(recording->start(), std::nullopt);
    QTest::qWait(400);  // a dozen failing ticks
    EXPECT_FALSE(recording->stop().file);
    QTest::qWait(50);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(reports, QStringList{QStringLiteral("画面读取失败")});
}

TEST_F(RecEngineTest, slowEncoder_DropsAndCountsPictures_AndTheFileStillPlays)
{
    auto recording = engine({RecFormat::mp4, 60, false}, writing({std::chrono::milliseconds(60)}));
    ASSERT_EQ(recording->start(), std::nullopt);
    QTest::qWait(1500);
    const RecStopResult result = recording->stop();
    const RecEngineStats stats = recording->stats();
    EXPECT_GT(stats.framesDropped, 0);
    EXPECT_GT(stats.framesWritten, 0);
    EXPECT_EQ(stats.frameSlots, stats.framesWritten + stats.framesDropped);
    ASSERT_TRUE(result.file);
    EXPECT_TRUE(probeMediaFile(*result.file).playable());
}

// Each picture stands at its slot on the clock: grabs that take three slots
// (100 ms at 30 a second) leave gaps, yet the file lasts as long as the
// recording did (the sound runs on the same clock). And every picture written
// is in the file, those the encoder still held at the stop too.
TEST_F(RecEngineTest, picturesKeepTheirClockSlots_WhenGrabsAreSlow_AndEveryPictureWrittenIsInTheFile)
{
    for (const auto& [perGrab, millis] : {std::pair{0, 1000}, {100, 3000}}) {
        SCOPED_TRACE(perGrab);
        auto recording = engine({RecFormat::mp4, 30, false},
                                test::syntheticParts(Mode::pattern, std::chrono::milliseconds(perGrab)));
        ASSERT_EQ(recording->start(), std::nullopt);
        QTest::qWait(millis);
        const RecStopResult result = recording->stop();
        const RecEngineStats stats = recording->stats();
        ASSERT_TRUE(result.file);
        const auto info = probeMediaFile(*result.file);
        EXPECT_TRUE(info.playable());
        EXPECT_EQ(info.videoFramesDecoded, stats.framesWritten);
        // A picture in flight at the stop may be missing: a few slots.
        EXPECT_NEAR(info.durationSeconds, double(stats.frameSlots) / 30, 0.2) << stats.framesWritten;
        QFile::remove(path);
    }
}

TEST_F(RecEngineTest, failedWrite_StopsTakingPictures_KeepsWhatCameBefore_AndSaysItWasCutShort)
{
    std::atomic<int> writesAfterFailure{0};
    // 1.5 s in: one whole fragment lies before.
    auto recording = engine({RecFormat::mov, 30, false}, writing({{}, 45, &writesAfterFailure}));
    ASSERT_EQ(recording->start(), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !reports.isEmpty(); }, 10000));
    QTest::qWait(300);
    const RecStopResult result = recording->stop();

    EXPECT_EQ(reports, QStringList{QStringLiteral("写入失败：磁盘空间不足")});
    ASSERT_EQ(result.file, path);
    EXPECT_EQ(result.cutShortReason, QStringLiteral("写入失败：磁盘空间不足"));
    EXPECT_EQ(writesAfterFailure.load(), 0);
    const auto info = probeMediaFile(path);
    EXPECT_TRUE(info.playable());
    EXPECT_GE(info.videoFramesDecoded, 25);
    EXPECT_LE(info.videoFramesDecoded, 45);
}

TEST_F(RecEngineTest, stopForQuit_WaitsForTheStopAlreadyUnderWay_AndGetsItsFile)
{
    auto recording = engine({});
    ASSERT_EQ(recording->start(), std::nullopt);
    QTest::qWait(600);
    std::optional<RecStopResult> asyncResult;
    recording->stopAsync([&asyncResult](RecStopResult result) { asyncResult = result; });
    const RecStopResult quitResult = recording->stopSyncForTermination(5.0);
    EXPECT_FALSE(quitResult.timedOut);
    EXPECT_EQ(quitResult.file, path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asyncResult.has_value(); }, 5000));
    EXPECT_EQ(asyncResult->file, path);
    EXPECT_TRUE(probeMediaFile(path).playable());
}

TEST_F(RecEngineTest, microphoneWithoutSoundServer_RecordsPicturesWithoutSound_AndSaysWhy)
{
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/klipo-no-sound-server");
    auto recording = engine({RecFormat::mp4, 30, true});
    const auto started = recording->start();
    saved.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", saved);
    ASSERT_EQ(started, std::nullopt);
    QTest::qWait(500);
    const RecStopResult result = recording->stop();

    ASSERT_TRUE(recording->microphoneError());
    EXPECT_TRUE(recording->microphoneError()->contains(QStringLiteral("声音服务")));
    ASSERT_TRUE(result.file);
    const auto info = probeMediaFile(*result.file);
    EXPECT_TRUE(info.playable());
    EXPECT_FALSE(info.hasAudio);
}

}  // namespace
