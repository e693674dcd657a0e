// The scrolling self-check: what its variables accept, and the synthetic run
// of the program itself with its exact result line.
#include "selfcheck/ScrollSelfTest.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace klipo;

TEST(ScrollSelfCheck, variables_AreReadAsTheCLibraryReadsThem)
{
    for (const char* on : {"5", "0.5", "1e1", "0x10", "-2", "inf", "nan"})
        EXPECT_TRUE(ScrollSelfTest::parseSeconds(on).has_value()) << on;
    for (const char* off : {"", "abc", " 5", "5 ", "5s", "1,5"})
        EXPECT_FALSE(ScrollSelfTest::parseSeconds(off).has_value()) << off;
    // Accepted numbers that are no wait.
    for (double bad : {-1.0, qInf(), qQNaN(), 1e12}) EXPECT_FALSE(ScrollSelfTest::waitMilliseconds(bad)) << bad;
    EXPECT_EQ(ScrollSelfTest::waitMilliseconds(2.5), 2500);

    EXPECT_EQ(ScrollSelfTest::parseScreenIndex("+1"), 1);
    EXPECT_EQ(ScrollSelfTest::parseScreenIndex("-1"), -1);
    for (const char* zero : {"", "x", "1.0", "+", "99999999999"})
        EXPECT_EQ(ScrollSelfTest::parseScreenIndex(zero), 0) << zero;
}

namespace {

struct ProgramRun {
    int status = -1;
    QString out;
};

ProgramRun runProgram(const QMap<QString, QString>& vars)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KLIPO_INSTANCE_NAME"), QStringLiteral("scroll-selfcheck"));
    env.insert(QStringLiteral("TMPDIR"), test::freshDir(QStringLiteral("tmp")));
    for (auto it = vars.begin(); it != vars.end(); ++it) env.insert(it.key(), it.value());
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(KLIPO_BINARY), {});
    ProgramRun run;
    if (!app.waitForFinished(60000)) {
        app.kill();
        app.waitForFinished();
        return run;
    }
    run.status = app.exitStatus() == QProcess::NormalExit ? app.exitCode() : -2;
    // Only the check's lines (the offscreen hot keys report their failures too).
    for (const QString& line : QString::fromUtf8(app.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("SCROLL_SELFTEST"))) run.out += line + QLatin1Char('\n');
    return run;
}

}  // namespace

TEST(ScrollSelfCheck, syntheticRun_StitchesThePage_AndAppendsItsLine)
{
    const QString dir = test::freshDir(QStringLiteral("synth"));
    QFile earlier(QDir(dir).filePath(QStringLiteral("selftest_result.txt")));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier line\n");
    earlier.close();

    const ProgramRun run = runProgram({{"KLIPO_SCROLL_SELFTEST", "1"},
                                {"KLIPO_SCROLL_SELFTEST_SYNTH", "1"},
                                {"KLIPO_SCROLL_SELFTEST_DIR", dir}});
    EXPECT_EQ(run.status, 0) << qPrintable(run.out);
    const QString line =
        QStringLiteral("SCROLL_SELFTEST_SYNTH_OK size=800x3000 expected=800x3000 sizeOK=true kept=11 dupSkipped=2 "
                       "exactSeams=11/11 lowConf=0 savedFiles=1 clipboardHasImage=false(应为false:超1KB上限不进剪贴板) "
                       "dir=") +
        dir;
    EXPECT_EQ(run.out.trimmed().toStdString(), line.toStdString());
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll().toStdString(), ("earlier line\n" + line + '\n').toStdString());

    // A wait that cannot be made ends the on-screen run before it starts.
    const ProgramRun refused = runProgram({{"KLIPO_SCROLL_SELFTEST", "nan"}, {"KLIPO_SCROLL_SELFTEST_DIR", dir}});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out.trimmed().toStdString(), "SCROLL_SELFTEST_FAIL bad-duration value=nan");
}
