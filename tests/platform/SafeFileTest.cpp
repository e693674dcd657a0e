#include "platform/FileLock.h"
#include "platform/SafeFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

using namespace klipo::platform;

namespace {

void put(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray get(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(SafeFile, write_NeverGoesThroughALinkOrOtherEntryUnderTheName_AndMakesPrivateFiles)
{
    const QString dir = klipo::test::freshDir("safe-write");
    const QString outside = klipo::test::freshDir("outside") + "/victim.json";
    put(outside, "keep me");
    ASSERT_TRUE(QFile::link(outside, dir + "/index.json"));
    const safefile::WriteResult linked = safefile::writeFile(dir + "/index.json", "overwritten");
    EXPECT_FALSE(linked);
    EXPECT_FALSE(linked.error.isEmpty());
    EXPECT_EQ(get(outside), "keep me");
    EXPECT_TRUE(QFileInfo(dir + "/index.json").isSymLink());

    QDir(dir).mkpath("folder.json");
    EXPECT_FALSE(safefile::writeFile(dir + "/folder.json", "x"));

    // A regular file is replaced; new folders and files are the user's only.
    const QString nested = dir + "/new/deeper/book.json";
    ASSERT_TRUE(safefile::writeFile(nested, "one"));
    ASSERT_TRUE(safefile::writeFile(nested, "two"));
    EXPECT_EQ(get(nested), "two");
    EXPECT_EQ(modeOf(nested), 0600u);
    EXPECT_EQ(modeOf(dir + "/new"), 0700u);
    EXPECT_EQ(modeOf(dir + "/new/deeper"), 0700u);
    EXPECT_EQ(QDir(dir + "/new/deeper").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"book.json"});  // no temporary file left behind
}

TEST(SafeFile, read_TakesOnlyRegularFilesUnderTheCap_WithoutBlockingOnAFifo)
{
    const QString dir = klipo::test::freshDir("safe-read");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/fifo").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir + "/fifo", dir + "/to-fifo.json"));
    ASSERT_TRUE(QFile::link("/dev/zero", dir + "/to-device.json"));
    ASSERT_TRUE(QFile::link(dir + "/nothing", dir + "/dangling.json"));
    QDir(dir).mkpath("folder.json");
    for (const char* name : {"fifo", "to-fifo.json", "to-device.json", "dangling.json", "folder.json"})
        EXPECT_EQ(safefile::readFile(dir + '/' + name, 1024).status, safefile::ReadStatus::NotRegular) << name;

    EXPECT_EQ(safefile::readFile(dir + "/absent.json", 1024).status, safefile::ReadStatus::Missing);
    put(dir + "/exact.json", QByteArray(1024, 'a'));
    EXPECT_EQ(safefile::readFile(dir + "/exact.json", 1024).data.size(), 1024);
    put(dir + "/large.json", QByteArray(1025, 'a'));
    const safefile::ReadResult large = safefile::readFile(dir + "/large.json", 1024);
    EXPECT_EQ(large.status, safefile::ReadStatus::TooLarge);
    EXPECT_TRUE(large.data.isEmpty());
    EXPECT_TRUE(large.error.contains("过大"));
    ASSERT_TRUE(QFile::link(dir + "/exact.json", dir + "/to-file.json"));
    EXPECT_TRUE(safefile::readFile(dir + "/to-file.json", 1024).ok());
}

TEST(SafeFile, moveAside_NeverReplacesAnEarlierMovedFile)
{
    const QString dir = klipo::test::freshDir("safe-aside");
    put(dir + "/old-1.json", "first");
    put(dir + "/index.json", "second");
    EXPECT_EQ(safefile::moveAside(dir + "/index.json", "old-1", ".json"), dir + "/old-1-2.json");
    EXPECT_EQ(get(dir + "/old-1.json"), "first");
    EXPECT_EQ(get(dir + "/old-1-2.json"), "second");
    EXPECT_TRUE(safefile::moveAside(dir + "/index.json", "old-1", ".json").isEmpty());
}

TEST(FileLock, excludesASecondHolder_InThisProcessAndAnother_UntilTheFirstEnds)
{
    const QString path = klipo::test::freshDir("lock") + "/.History.lock";
    auto otherProcessGetsIt = [&] {
        // util-linux flock(1): exit 0 when it got the lock at once.
        return QProcess::execute("flock", {"-n", path, "true"}) == 0;
    };
    {
        FileLock first(path);
        ASSERT_EQ(first.status(), FileLock::Status::Held);
        EXPECT_EQ(FileLock(path).status(), FileLock::Status::Busy);
        EXPECT_FALSE(otherProcessGetsIt());
    }
    EXPECT_TRUE(otherProcessGetsIt());
    EXPECT_EQ(FileLock(path).status(), FileLock::Status::Held);
}
