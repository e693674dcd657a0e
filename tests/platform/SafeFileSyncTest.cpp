// A replaced file survives a power cut: the new content is on the disk before
// it takes the name, and the new name is on the disk before the write counts
// as done; a failed sync fails the write and keeps the old file.
#include "SyncTrace.h"
#include "platform/SafeFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

using namespace klipo::platform;

TEST(SafeFile, write_SyncsTheNewFileBeforeItTakesTheName_AndTheFolderAfter)
{
    const QString dir = QFileInfo(klipo::test::freshDir("durable")).canonicalFilePath();
    const QString path = dir + "/data.json";
    ASSERT_TRUE(safefile::writeFile(path, "old"));

    klipo::test::SyncTrace trace;
    ASSERT_TRUE(safefile::writeFile(path, "new"));
    const QStringList calls = trace.calls();
    const QString shown = "\n" + calls.join('\n');

    const QRegularExpression renamed("^rename (" + QRegularExpression::escape(dir) +
                                     R"(/\.data\.json\.klipoversa-\w{6}) )" + QRegularExpression::escape(path) + "$");
    const qsizetype renameAt = calls.indexOf(renamed);
    ASSERT_GE(renameAt, 0) << "no rename of a new file beside it onto data.json:" << qPrintable(shown);
    const QString temporary = renamed.match(calls[renameAt]).captured(1);
    const qsizetype fileSyncAt = calls.indexOf("sync " + temporary);
    EXPECT_TRUE(fileSyncAt >= 0 && fileSyncAt < renameAt)
        << "the new file is not synced before the rename:" << qPrintable(shown);
    EXPECT_GT(calls.indexOf("sync " + dir, renameAt), renameAt)
        << "the folder is not synced after the rename:" << qPrintable(shown);
    EXPECT_EQ(safefile::readFile(path, 1024).data, "new");
}

TEST(SafeFile, write_WhoseSyncFails_FailsAndLeavesTheOldFile_WithNothingBesideIt)
{
    const QString dir = klipo::test::freshDir("sync-fails");
    const QString path = dir + "/data.json";
    ASSERT_TRUE(safefile::writeFile(path, "old"));

    klipo::test::SyncTrace trace;
    trace.failSyncsWith(EIO);
    const safefile::WriteResult result = safefile::writeFile(path, "new");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.toStdString(), "磁盘读写出错");
    EXPECT_EQ(safefile::readFile(path, 1024).data, "old");
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(' ').toStdString(),
              "data.json");
}
