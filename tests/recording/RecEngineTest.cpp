// The recording engine on a synthetic desktop, with the real encoder and file
// writer: the ways a recording can go wrong.
#include "platform/media/MediaProbe.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

using namespace klipo;
using klipo::platform::media::probeMediaFile;

namespace {

class RecEngineTest : public ::testing::Test {
protected:
    QString tempPath(const char* extension = "mp4") const
    {
        return m_dir + QStringLiteral("/.klipo_rec_test.") + QLatin1String(extension);
    }

    // Collects the engine's runtime errors (they arrive on the main thread).
    void watch(RecEngine& engine)
    {
        engine.setOnRuntimeError([this](const QString& message) { m_reports << message; });
    }

    QString m_dir = test::freshDir(QStringLiteral("engine"));
    QStringList m_reports;
};

TEST_F(RecEngineTest, stopBeforeAnyPicture_LeavesNoFile_AndAFailingGrabIsReportedOnce)
{
    RecEngine engine(test::targetOfSize(QSize(320, 240)), RecOptions{}, tempPath(),
                     test::syntheticParts(test::SyntheticGrabber::Mode::failing));
    watch(engine);
    ASSERT_EQ(engine.start(), std::nullopt);
    QTest::qWait(400);  // a dozen failing ticks
    const RecStopResult result = engine.stop();
    QTest::qWait(50);

    EXPECT_FALSE(result.file);
    EXPECT_FALSE(QFile::exists(tempPath()));
    EXPECT_EQ(m_reports, QStringList{QStringLiteral("画面读取失败")});
}

TEST_F(RecEngineTest, slowEncoder_DropsAndCountsPictures_AndTheFileStillPlays)
{
    RecEngineParts parts = test::syntheticParts();
    parts.writer = [] { return std::make_unique<test::ScriptedWriter>(test::ScriptedWriter::Script{std::chrono::milliseconds(60)}); };
    RecEngine engine(test::targetOfSize(QSize(320, 240)), RecOptions{RecFormat::mp4, 60, false}, tempPath(), parts);
    ASSERT_EQ(engine.start(), std::nullopt);
    QTest::qWait(1500);
    const RecStopResult result = engine.stop();

    const RecEngineStats stats = engine.stats();
    EXPECT_GT(stats.framesDropped, 0);
    EXPECT_GT(stats.framesWritten, 0);
    EXPECT_EQ(stats.frameSlots, stats.framesWritten + stats.framesDropped);
    ASSERT_TRUE(result.file);
    EXPECT_TRUE(probeMediaFile(*result.file).playable());
}

TEST_F(RecEngineTest, failedWrite_StopsTakingPictures_KeepsWhatCameBefore_AndSaysItWasCutShort)
{
    std::atomic<int> writesAfterFailure{0};
    RecEngineParts parts = test::syntheticParts();
    parts.writer = [&writesAfterFailure] {
        test::ScriptedWriter::Script script;
        script.failAtFrame = 45;  // 1.5 s in: one whole fragment lies before
        script.writesAfterFailure = &writesAfterFailure;
        return std::make_unique<test::ScriptedWriter>(script);
    };
    RecEngine engine(test::targetOfSize(QSize(320, 240)), RecOptions{RecFormat::mov, 30, false},
                     tempPath("mov"), parts);
    watch(engine);
    ASSERT_EQ(engine.start(), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_reports.isEmpty(); }, 10000));
    QTest::qWait(300);
    const RecStopResult result = engine.stop();

    EXPECT_EQ(m_reports, QStringList{QStringLiteral("写入失败：磁盘空间不足")});
    ASSERT_EQ(result.file, tempPath("mov"));
    EXPECT_EQ(result.cutShortReason, QStringLiteral("写入失败：磁盘空间不足"));
    EXPECT_EQ(writesAfterFailure.load(), 0);
    const auto info = probeMediaFile(*result.file);
    EXPECT_TRUE(info.playable());
    EXPECT_GE(info.videoFramesDecoded, 25);
    EXPECT_LE(info.videoFramesDecoded, 45);
}

TEST_F(RecEngineTest, stopForQuit_WaitsForTheStopAlreadyUnderWay_AndGetsItsFile)
{
    RecEngine engine(test::targetOfSize(QSize(320, 240)), RecOptions{}, tempPath(), test::syntheticParts());
    ASSERT_EQ(engine.start(), std::nullopt);
    QTest::qWait(600);
    std::optional<RecStopResult> asyncResult;
    engine.stopAsync([&asyncResult](RecStopResult result) { asyncResult = result; });
    const RecStopResult quitResult = engine.stopSyncForTermination(5.0);

    EXPECT_FALSE(quitResult.timedOut);
    EXPECT_EQ(quitResult.file, tempPath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return asyncResult.has_value(); }, 5000));
    EXPECT_EQ(asyncResult->file, tempPath());
    EXPECT_TRUE(probeMediaFile(tempPath()).playable());
}

TEST_F(RecEngineTest, microphoneWithoutSoundServer_RecordsPicturesWithoutSound_AndSaysWhy)
{
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/klipo-no-sound-server");
    RecEngine engine(test::targetOfSize(QSize(320, 240)), RecOptions{RecFormat::mp4, 30, true}, tempPath(),
                     test::syntheticParts());
    const auto started = engine.start();
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
    ASSERT_EQ(started, std::nullopt);
    QTest::qWait(500);
    const RecStopResult result = engine.stop();

    ASSERT_TRUE(engine.microphoneError());
    EXPECT_TRUE(engine.microphoneError()->contains(QStringLiteral("声音服务"))) << engine.microphoneError()->toStdString();
    ASSERT_TRUE(result.file);
    const auto info = probeMediaFile(*result.file);
    EXPECT_TRUE(info.playable());
    EXPECT_FALSE(info.hasAudio);
}

}  // namespace
