// A recording never gets lost: not when the disk fills up under it, not when
// its process is killed. The recording runs in a process of its own.
#include "platform/media/MediaProbe.h"
#include "recording/RecFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QProcess>
#include <QThread>

using namespace klipo;

namespace {

const QString probe = QStringLiteral(KLIPO_RECORDING_PROBE);

// The probe's "key=value" lines.
QMap<QString, QString> linesOf(const QByteArray& output)
{
    QMap<QString, QString> lines;
    for (const QString& line : QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    return lines;
}

QMap<QString, QString> run(const QString& program, const QStringList& arguments, int* exitCode)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return linesOf(process.readAllStandardOutput());
}

TEST(RecCrashTest, fullDisk_KeepsWhatWasWritten_Playable_AndSavesIt)
{
    // Noise compresses badly: a 1 MB disk fills within a few seconds.
    const QStringList recording{QStringLiteral("--size"), QStringLiteral("640x480"), QStringLiteral("--fps"),
                                QStringLiteral("60"),     QStringLiteral("--seconds"), QStringLiteral("15"),
                                QStringLiteral("--noise")};
    const QString disk = test::freshDir(QStringLiteral("disk"));
    int exitCode = 0;
    // A small disk of its own in a private mount namespace ...
    QMap<QString, QString> lines = run(
        QStringLiteral("unshare"),
        QStringList{QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"),
                    QStringLiteral("mount -t tmpfs -o size=1024k tmpfs \"$0\" || exit 97; exec \"$@\""), disk, probe,
                    QStringLiteral("--capture"), disk + QStringLiteral("/captures"), QStringLiteral("--temp"), disk} +
            recording,
        &exitCode);
    if (!lines.contains(QStringLiteral("recording"))) {
        // ... or, where namespaces are not allowed, a file size limit.
        lines = run(probe,
                    QStringList{QStringLiteral("--capture"), disk + QStringLiteral("/captures"),
                                QStringLiteral("--temp"), disk, QStringLiteral("--fsize-limit"),
                                QStringLiteral("1048576")} +
                        recording,
                    &exitCode);
    }
    ASSERT_TRUE(lines.contains(QStringLiteral("recording"))) << lines.value(QStringLiteral("error")).toStdString();
    EXPECT_EQ(exitCode, 0);
    const QString failure = lines.value(QStringLiteral("runtime-error"));
    EXPECT_TRUE(failure.contains(QStringLiteral("磁盘空间不足")) || failure.contains(QStringLiteral("大小上限")))
        << failure.toStdString();
    EXPECT_EQ(lines.value(QStringLiteral("cut-short")), failure);
    EXPECT_TRUE(lines.value(QStringLiteral("saved")).contains(QStringLiteral("/captures/录屏_")))
        << lines.value(QStringLiteral("save-error")).toStdString();
    EXPECT_TRUE(lines.value(QStringLiteral("playable")).startsWith(QStringLiteral("true frames=")))
        << lines.value(QStringLiteral("playable")).toStdString();
}

TEST(RecCrashTest, killedRecording_LeavesAFileThatPlays_AndIsRecoveredAtTheNextStart)
{
    const QString captures = test::freshDir(QStringLiteral("captures"));
    const QString temp = test::freshDir(QStringLiteral("tmp"));
    QProcess process;
    process.start(probe, {QStringLiteral("--capture"), captures, QStringLiteral("--temp"), temp,
                          QStringLiteral("--seconds"), QStringLiteral("60")});
    ASSERT_TRUE(process.waitForReadyRead(10000));
    ASSERT_TRUE(process.readAllStandardOutput().startsWith("recording="));
    QThread::msleep(2600);  // a couple of fragments
    process.kill();         // SIGKILL: no stop, no trailer, no save
    ASSERT_TRUE(process.waitForFinished(5000));

    const QList<RecFiles::Leftover> found = RecFiles::recoverLeftovers(captures, temp);
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0].foundAt.contains(QStringLiteral("/.klipo_rec_")));
    ASSERT_TRUE(found[0].result.ok()) << found[0].result.error.toStdString();
    const auto info = platform::media::probeMediaFile(*found[0].result.savedPath);
    EXPECT_TRUE(info.playable());
    EXPECT_GE(info.durationSeconds, 0.9);
    // Nothing is found twice.
    EXPECT_TRUE(RecFiles::recoverLeftovers(captures, temp).isEmpty());
}

}  // namespace
