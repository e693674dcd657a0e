#include "platform/FileLock.h"
#include "platform/SafeFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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

}  // namespace

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
