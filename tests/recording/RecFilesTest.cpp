// Where a recording lives: its temporary place, saving it into the capture
// folder without ever losing or replacing a file, and leftovers of a crash.
#include "platform/FileUseLock.h"
#include "platform/media/MediaProbe.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "recording/RecFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace klipo;

namespace {

const QDateTime when(QDate(2026, 1, 5), QTime(10, 15, 0));

QString writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return stat(QFile::encodeName(a).constData(), &sa) == 0 && stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev;
}

// A real recording of about a second into `path`.
void record(const QString& path)
{
    RecEngine engine(test::targetOfSize(QSize(160, 120)), RecOptions{}, path, test::syntheticParts());
    ASSERT_EQ(engine.start(), std::nullopt);
    QTest::qWait(1300);
    ASSERT_TRUE(engine.stop().file);
}

TEST(RecFilesTest, savesInOneSecond_TakeTheNextCounter_AndNeverReplaceAFile)
{
    const QString folder = test::freshDir(QStringLiteral("captures"));
    const QString scratch = test::freshDir(QStringLiteral("scratch"));
    const QString theirs = writeFile(QDir(folder).filePath(QStringLiteral("录屏_20260105_101500.mp4")), "mine");

    for (int i = 2; i <= 3; ++i) {
        const QString temp = writeFile(scratch + QStringLiteral("/klipo_rec_%1.mp4").arg(i), QByteArray::number(i));
        const RecFiles::ExportResult result = RecFiles::exportRecording(temp, RecFormat::mp4, folder, when);
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_FALSE(QFile::exists(temp));
        EXPECT_EQ(QFileInfo(*result.savedPath).fileName(), QStringLiteral("录屏_20260105_101500 %1.mp4").arg(i));
        EXPECT_EQ(readFile(*result.savedPath), QByteArray::number(i));
    }
    EXPECT_EQ(readFile(theirs), QByteArray("mine"));
}

TEST(RecFilesTest, saveAcrossFileSystems_CopiesThenRemoves_BothWays)
{
    const QString shm = QStringLiteral("/dev/shm/klipo-rec-test-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(shm);
    const QString local = test::freshDir(QStringLiteral("local"));
    if (sameFileSystem(shm, local)) {
        QDir(shm).removeRecursively();
        GTEST_SKIP() << "/dev/shm and the sandbox share one file system here";
    }
    const QByteArray content(3 << 20, 'r');  // a few megabytes, more than one copy step
    for (const auto& [from, to] : {std::pair{shm, local}, std::pair{local, shm}}) {
        const QString temp = writeFile(from + QStringLiteral("/klipo_rec_x.mov"), content);
        const RecFiles::ExportResult result =
            RecFiles::exportRecording(temp, RecFormat::mov, to + QStringLiteral("/captures"), when);
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_TRUE(result.savedPath->startsWith(to));
        EXPECT_EQ(readFile(*result.savedPath), content);
        EXPECT_FALSE(QFile::exists(temp));
    }
    QDir(shm).removeRecursively();
}

TEST(RecFilesTest, failedSave_KeepsTheFile_AndNamesWhereItIs)
{
    const QString scratch = test::freshDir(QStringLiteral("scratch"));
    const QString notAFolder = writeFile(scratch + QStringLiteral("/captures"), "a file, not a folder");
    const QString temp = writeFile(scratch + QStringLiteral("/klipo_rec_1.mp4"), "video");

    const RecFiles::ExportResult result = RecFiles::exportRecording(temp, RecFormat::mp4, notAFolder, when);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.keptPath, temp);
    EXPECT_TRUE(result.error.contains(temp)) << result.error.toStdString();
    EXPECT_EQ(readFile(temp), QByteArray("video"));

    // The temporary place: hidden in the capture folder when it can be, else the temporary folder.
    const auto hidden = RecFiles::createTempFile(scratch + QStringLiteral("/made"), scratch, RecFormat::mov);
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->startsWith(scratch + QStringLiteral("/made/.klipo_rec_")) && hidden->endsWith(".mov"));
    const auto fallback = RecFiles::createTempFile(notAFolder, scratch, RecFormat::mp4);
    ASSERT_TRUE(fallback);
    EXPECT_TRUE(fallback->startsWith(scratch + QStringLiteral("/klipo_rec_")));
}

TEST(RecFilesTest, leftovers_AreTrimmedAndSaved_UnlessInUseOrEmpty)
{
    const QString captures = test::freshDir(QStringLiteral("captures"));
    const QString temp = test::freshDir(QStringLiteral("tmp"));
    const QString crashed = captures + QStringLiteral("/.klipo_rec_crashed.mp4");
    record(crashed);
    if (HasFatalFailure()) return;
    // A crash in the middle of a fragment: a box that promises more than is there.
    QFile tail(crashed);
    ASSERT_TRUE(tail.open(QIODevice::Append));
    tail.write(QByteArray::fromHex("00100000") + "moof" + QByteArray(200, '\0'));
    tail.close();
    const QString inUse = captures + QStringLiteral("/.klipo_rec_running.mov");
    record(inUse);
    if (HasFatalFailure()) return;
    platform::FileUseLock running;
    ASSERT_TRUE(running.tryLock(inUse));
    const QString empty = writeFile(temp + QStringLiteral("/klipo_rec_empty.mp4"), QByteArray());

    const QList<RecFiles::Leftover> found = RecFiles::recoverLeftovers(captures, temp);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].foundAt, crashed);
    ASSERT_TRUE(found[0].result.ok()) << found[0].result.error.toStdString();
    EXPECT_TRUE(QFileInfo(*found[0].result.savedPath).fileName().startsWith(QStringLiteral("录屏_")));
    const auto info = platform::media::probeMediaFile(*found[0].result.savedPath);
    EXPECT_TRUE(info.playable());
    EXPECT_GT(info.durationSeconds, 0.5);
    EXPECT_TRUE(QFile::exists(inUse));
    EXPECT_FALSE(QFile::exists(empty));
}

}  // namespace
