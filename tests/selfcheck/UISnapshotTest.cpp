// The interface snapshots: every piece drawn at twice its size in both
// appearances, and the run's files, list and exit status.
#include "selfcheck/SnapshotExpectations.h"
#include "selfcheck/UISnapshotPieces.h"
#include "selfcheck/UISnapshotSelfTest.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace klipo;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(UISnapshotPieces, drawsEveryPieceAtTwiceItsSize_InBothAppearances)
{
    for (PrefsAppearanceTheme theme : {PrefsAppearanceTheme::dark, PrefsAppearanceTheme::light}) {
        const QList<UISnapshotPieces::Shot> shots = UISnapshotPieces::renderAll(theme);
        const QList<test::ExpectedSnapshot> expected = test::expectedSnapshots(theme);
        ASSERT_EQ(shots.size(), expected.size());
        for (qsizetype i = 0; i < shots.size(); ++i) {
            EXPECT_EQ(shots[i].name, expected[i].name);
            EXPECT_EQ(shots[i].image.size(), expected[i].pixels) << qPrintable(shots[i].name);
            EXPECT_EQ(shots[i].image.devicePixelRatio(), 2.0);
        }
    }
}

TEST(UISnapshotSelfTest, succeedsOnlyWhenAllEighteenFilesAreWritten)
{
    QTemporaryDir temp;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(temp.path());

    // A relative root lands under the current folder; dark first, then light.
    const UISnapshotSelfTest::Outcome all = UISnapshotSelfTest::run(QStringLiteral("shots/run"));
    EXPECT_EQ(all.exitStatus, 0);
    ASSERT_EQ(all.paths.size(), 18);
    const QStringList names{"toolbar-normal",     "toolbar-annotate-with-style",
                            "toolbar-translated", "hint-selecting",
                            "hint-editing",       "rec-options-bar",
                            "rec-control-bar",    "scroll-control-bar",
                            "overlay-composite"};
    QByteArray expectedList;
    for (int i = 0; i < 18; ++i) {
        const QString expected = temp.path() + (i < 9 ? "/shots/run/dark/" : "/shots/run/light/") + names[i % 9] + ".png";
        EXPECT_EQ(all.paths[i], expected);
        EXPECT_TRUE(QFile::exists(expected)) << qPrintable(expected);
        expectedList += expected.toUtf8() + '\n';
    }
    const QByteArray list = readAll(temp.path() + "/shots/run/snapshot_list.txt");
    EXPECT_EQ(list.toStdString(), expectedList.toStdString());  // one path a line, each line ended
    EXPECT_EQ(list.count('\n'), 18);
    EXPECT_TRUE(list.endsWith('\n'));

    // A root that cannot be made: nothing written, an empty line, a failure.
    QFile plain(temp.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const UISnapshotSelfTest::Outcome none = UISnapshotSelfTest::run(temp.path() + "/plain/out");
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_TRUE(none.paths.isEmpty());
    EXPECT_EQ(UISnapshotSelfTest::listText(none.paths), "\n");

    // Only the light folder cannot be made: the nine dark files, still a failure.
    ASSERT_TRUE(QDir().mkpath(temp.path() + "/half"));
    QFile light(temp.path() + "/half/light");
    ASSERT_TRUE(light.open(QIODevice::WriteOnly));
    light.close();
    const UISnapshotSelfTest::Outcome half = UISnapshotSelfTest::run(temp.path() + "/half");
    EXPECT_EQ(half.exitStatus, 1);
    ASSERT_EQ(half.paths.size(), 9);
    for (const QString& path : half.paths) EXPECT_TRUE(path.startsWith(temp.path() + "/half/dark/"));
    EXPECT_EQ(readAll(temp.path() + "/half/snapshot_list.txt").count('\n'), 9);

    QDir::setCurrent(previous);
}
