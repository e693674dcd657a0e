// Entry of every test binary: a private home and XDG folders, then a
// QApplication on whatever platform the test was started with (offscreen for
// widget tests, xcb inside the headless desktop). Built twice: with
// KLIPO_DESKTOP_TEST for the tests that drive the headless desktop, which
// run nowhere else.
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace klipo::test {
QString& sandboxRootRef();
}

int main(int argc, char** argv)
{
#ifdef KLIPO_DESKTOP_TEST
    // These tests press keys, move the pointer, grab hot keys and use the
    // clipboard of the desktop they run on: only on one that
    // scripts/headless-desktop.sh made (it names its display), never on the
    // user's. Anywhere else the whole program reports itself skipped to CTest
    // (SKIP_RETURN_CODE), not passed.
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty() || display != qgetenv("KLIPO_HEADLESS_DESKTOP")) {
        std::fprintf(stderr,
                     "Skipped: this test runs only inside the headless desktop (scripts/headless-desktop.sh)\n");
        return klipo::test::kSkippedOutsideDesktop;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
#endif
    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/klipo-test-XXXXXX"));
    const QString root = sandbox.path();
    klipo::test::sandboxRootRef() = root;
    const struct {
        const char* var;
        const char* sub;
    } dirs[] = {
        {"HOME", "/home"}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"}, {"XDG_CACHE_HOME", "/cache"}};
    for (const auto& d : dirs) {
        const QString path = root + QLatin1String(d.sub);
        QDir().mkpath(path);
        qputenv(d.var, path.toLocal8Bit());
    }
    // The tests' own fonts, not the machine's, so that text measures and
    // draws the same wherever they run (unless the run names a fontconfig
    // file of its own, to try the tests with other faces).
    if (qEnvironmentVariableIsEmpty("FONTCONFIG_FILE")) qputenv("FONTCONFIG_FILE", KLIPO_TEST_FONTS_CONF);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KlipoVersa"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
