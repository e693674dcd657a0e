// A recording is never lost: its temporary place, saving it into the capture
// folder without ever replacing a file, a full disk under it, a kill of its
// process (the recording then runs in a process of its own, recording_probe).
#include "platform/FileUseLock.h"
#include "platform/media/MediaProbe.h"
#include "recording/RecFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStorageInfo>
#include <QThread>

#include <unistd.h>

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
    if (QStorageInfo(shm) == QStorageInfo(local)) {
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
}

// A recording is written where only this user can look: a folder made 0700
// (also one that was open to others), never one behind a link.
TEST(RecFilesTest, recordingsRunInAFolderOfThisUserAlone)
{
    const QString scratch = test::freshDir(QStringLiteral("scratch"));
    const QString opened = scratch + QStringLiteral("/opened");
    QDir().mkpath(opened);
    QFile::setPermissions(opened, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                      QFile::ExeOther);
    for (const QString& folder : {scratch + QStringLiteral("/made/below"), opened}) {
        const auto file = RecFiles::createTempFile(folder, RecFormat::mov);
        ASSERT_TRUE(file && file->startsWith(folder + "/klipo_rec_")) << folder.toStdString();
        EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0) << folder.toStdString();
    }
    ASSERT_TRUE(QFile::link(opened, scratch + QStringLiteral("/link")));
    EXPECT_FALSE(RecFiles::createTempFile(scratch + QStringLiteral("/link"), RecFormat::mp4));
    EXPECT_TRUE(RecFiles::recoverLeftovers(scratch, scratch + QStringLiteral("/link")).isEmpty());
    EXPECT_EQ(QDir(opened).entryList(QDir::Files).size(), 1) << "a folder behind a link was looked at";
}

const QString probe = QStringLiteral(KLIPO_RECORDING_PROBE);

// The probe's "key=value" lines.
QMap<QString, QString> run(const QString& program, const QStringList& arguments, int* exitCode)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    QMap<QString, QString> lines;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        lines.insert(line.section('=', 0, 0), line.section('=', 1));
    return lines;
}

TEST(RecFilesTest, fullDisk_KeepsWhatWasWritten_Playable_AndSavesIt)
{
    // Noise compresses badly: a 1 MB disk fills within a few seconds.
    const QString disk = test::freshDir(QStringLiteral("disk"));
    const QStringList recording{"--capture", disk + "/captures", "--private", disk + "/recording", "--seconds", "15",
                                "--noise"};
    int exitCode = 0;
    // A small disk of its own in a private mount namespace ...
    const QString mountAndRun = "mount -t tmpfs -o size=1024k tmpfs \"$0\" || exit 97; exec \"$@\"";
    QMap<QString, QString> lines = run("unshare", QStringList{"-rm", "sh", "-c", mountAndRun, disk, probe} + recording,
                                       &exitCode);
    // ... or, where namespaces are not allowed, a file size limit.
    if (!lines.contains("recording"))
        lines = run(probe, recording + QStringList{"--fsize-limit", "1048576"}, &exitCode);
    ASSERT_TRUE(lines.contains("recording")) << lines.value("error").toStdString();
    EXPECT_EQ(exitCode, 0);
    const QString failure = lines.value("runtime-error");
    EXPECT_TRUE(failure.contains(QStringLiteral("磁盘空间不足")) || failure.contains(QStringLiteral("大小上限")))
        << failure.toStdString();
    EXPECT_EQ(lines.value("cut-short"), failure);
    EXPECT_TRUE(lines.value("saved").contains(QStringLiteral("/captures/录屏_")))
        << lines.value("save-error").toStdString();
    EXPECT_TRUE(lines.value("playable").startsWith("true frames=")) << lines.value("playable").toStdString();
}

// Recovered at the next start: a killed recording, cut off in the middle of
// a fragment; not one still in use, nor an empty one.
TEST(RecFilesTest, killedRecording_IsTrimmedAndSavedAtTheNextStart_ButNotOneInUseOrEmpty)
{
    const QString captures = test::freshDir(QStringLiteral("captures"));
    const QString own = test::freshDir(QStringLiteral("scratch")) + QStringLiteral("/recording");
    QProcess process;
    process.start(probe, {"--capture", captures, "--private", own, "--seconds", "60"});
    ASSERT_TRUE(process.waitForReadyRead(10000));
    const QString killed = QString::fromUtf8(process.readAllStandardOutput()).section('=', 1).trimmed();
    ASSERT_TRUE(killed.startsWith(own + "/klipo_rec_")) << killed.toStdString();
    QThread::msleep(2600);  // a couple of fragments
    process.kill();         // SIGKILL: no stop, no trailer, no save
    ASSERT_TRUE(process.waitForFinished(5000));
    // A box that promises more than is there.
    QFile tail(killed);
    ASSERT_TRUE(tail.open(QIODevice::Append));
    tail.write(QByteArray::fromHex("00100000") + "moof" + QByteArray(200, '\0'));
    tail.close();
    const QString inUse = own + "/klipo_rec_running.mov";
    QFile(inUse).open(QIODevice::WriteOnly);
    platform::FileUseLock running;
    ASSERT_TRUE(running.tryLock(inUse));
    const QString empty = own + "/klipo_rec_empty.mp4";
    QFile(empty).open(QIODevice::WriteOnly);

    const QList<RecFiles::Leftover> found = RecFiles::recoverLeftovers(captures, own);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].foundAt, killed);
    ASSERT_TRUE(found[0].result.ok()) << found[0].result.error.toStdString();
    EXPECT_TRUE(QFileInfo(*found[0].result.savedPath).fileName().startsWith(QStringLiteral("录屏_")));
    const auto info = platform::media::probeMediaFile(*found[0].result.savedPath);
    EXPECT_TRUE(info.playable());
    EXPECT_GE(info.durationSeconds, 0.9);
    EXPECT_TRUE(QFile::exists(inUse));
    EXPECT_FALSE(QFile::exists(empty));
    // Nothing is found twice.
    EXPECT_TRUE(RecFiles::recoverLeftovers(captures, own).isEmpty());
}

// A link left in the recordings folder under a recording's name, or another
// name of a file elsewhere, leads to the user's own file: the look for
// leftovers at start neither cuts it, nor moves it, nor removes it.
TEST(RecFilesTest, leftoversThatAreLinks_LeaveTheFilesTheyLeadToUntouched)
{
    const QString captures = test::freshDir(QStringLiteral("captures"));
    const QString elsewhere = test::freshDir(QStringLiteral("documents"));
    const QString own = test::freshDir(QStringLiteral("scratch")) + QStringLiteral("/recording");
    ASSERT_TRUE(RecFiles::makePrivateFolder(own));
    const QByteArray thesis(10801, 'T');
    const QString soft = writeFile(elsewhere + "/thesis.txt", thesis);
    const QString hard = writeFile(elsewhere + "/notes.txt", thesis);
    ASSERT_TRUE(QFile::link(soft, own + "/klipo_rec_soft.mp4"));
    ASSERT_EQ(::link(QFile::encodeName(hard).constData(), QFile::encodeName(own + "/klipo_rec_hard.mov").constData()),
              0);

    EXPECT_TRUE(RecFiles::recoverLeftovers(captures, own).isEmpty());
    EXPECT_EQ(readFile(soft), thesis);
    EXPECT_EQ(readFile(hard), thesis);
    EXPECT_TRUE(QFileInfo(own + "/klipo_rec_soft.mp4").isSymLink());
    EXPECT_TRUE(QDir(captures).isEmpty());
}

}  // namespace
