// The scrolling self-check: what its variables accept, and runs of the
// program itself with their result lines and exit statuses.
#include "selfcheck/ScrollSelfTest.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace klipo;

TEST(ScrollSelfCheck, variables_AreReadStrictly_AndNoWaitIsMadeOfANonsenseNumber)
{
    for (const char* on : {"5", "0.5", "1e1", "-2", "nan"}) EXPECT_TRUE(ScrollSelfTest::parseSeconds(on)) << on;
    for (const char* off : {"", "abc", " 5", "5 ", "5s", "1,5"}) EXPECT_FALSE(ScrollSelfTest::parseSeconds(off)) << off;
    for (double bad : {-1.0, qInf(), qQNaN(), 1e12}) EXPECT_FALSE(ScrollSelfTest::waitMilliseconds(bad)) << bad;
    EXPECT_EQ(ScrollSelfTest::waitMilliseconds(2.5), 2500);
    EXPECT_EQ(ScrollSelfTest::parseScreenIndex("-1"), -1);
    for (const char* zero : {"x", "1.0", "+", "99999999999"}) EXPECT_EQ(ScrollSelfTest::parseScreenIndex(zero), 0);
}

namespace {

// The program's exit status (-1: none) and its self-check lines.
std::pair<int, std::string> runProgram(const QMap<QString, QString>& vars)
{
    QStringList env = QProcess::systemEnvironment();
    env << "QT_QPA_PLATFORM=offscreen" << "KLIPO_INSTANCE_NAME=scroll-selfcheck" << "TMPDIR=" + test::freshDir("tmp");
    for (auto it = vars.begin(); it != vars.end(); ++it) env << it.key() + "=" + it.value();
    QProcess app;
    app.setEnvironment(env);
    app.start(QStringLiteral(KLIPO_BINARY), {});
    if (!app.waitForFinished(60000)) return {-1, {}};
    // Only the check's lines (the offscreen hot keys report their failures too).
    QString lines;
    for (const QString& line : QString::fromUtf8(app.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("SCROLL_SELFTEST"))) lines += line + QLatin1Char('\n');
    return {app.exitStatus() == QProcess::NormalExit ? app.exitCode() : -1, lines.trimmed().toStdString()};
}

}  // namespace

TEST(ScrollSelfCheck, syntheticRun_StitchesThePage_AndAppendsItsLine_RefusedRunsEndWithTheirStatus)
{
    const QString dir = test::freshDir(QStringLiteral("synth"));
    QFile earlier(QDir(dir).filePath(QStringLiteral("selftest_result.txt")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier line\n");
    earlier.close();

    const std::string line =
        "SCROLL_SELFTEST_SYNTH_OK size=800x3000 expected=800x3000 sizeOK=true kept=11 dupSkipped=2 exactSeams=11/11 "
        "lowConf=0 savedFiles=1 clipboardHasImage=false(应为false:超1KB上限不进剪贴板) dir=" +
        dir.toStdString();
    EXPECT_EQ(runProgram({{"KLIPO_SCROLL_SELFTEST", "1"}, {"KLIPO_SCROLL_SELFTEST_SYNTH", "1"},
                          {"KLIPO_SCROLL_SELFTEST_DIR", dir}}),
              std::pair(0, line));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll().toStdString(), "earlier line\n" + line + '\n');

    // A wait that cannot be made, or a screen that is not there, ends the run before it starts.
    EXPECT_EQ(runProgram({{"KLIPO_SCROLL_SELFTEST", "nan"}, {"KLIPO_SCROLL_SELFTEST_DIR", dir}}),
              std::pair(1, std::string("SCROLL_SELFTEST_FAIL bad-duration value=nan")));
    EXPECT_EQ(runProgram({{"KLIPO_SCROLL_SELFTEST", "1"}, {"KLIPO_SCROLL_SELFTEST_SCREEN", "3"},
                          {"KLIPO_SCROLL_SELFTEST_DIR", dir}}),
              std::pair(2, std::string("SCROLL_SELFTEST_FAIL no-screen index=3 count=1")));
}
