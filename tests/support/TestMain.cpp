// Entry of every test binary: a private home and XDG folders, then a
// QApplication on whatever platform the test was started with (offscreen for
// widget tests, xcb inside the headless desktop).
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace klipo::test {
QString& sandboxRootRef();
}

int main(int argc, char** argv)
{
    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/klipo-test-XXXXXX"));
    const QString root = sandbox.path();
    klipo::test::sandboxRootRef() = root;
    const struct {
        const char* var;
        const char* sub;
    } dirs[] = {{"HOME", "/home"},
                {"XDG_CONFIG_HOME", "/config"},
                {"XDG_DATA_HOME", "/data"},
                {"XDG_CACHE_HOME", "/cache"}};
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
