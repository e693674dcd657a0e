#include "app/Appearance.h"
#include "app/Settings.h"
#include "SettingsFixture.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QStyle>

using namespace klipo;

namespace {
using SettingsReadingTest = test::SettingsTest;

TEST_F(SettingsReadingTest, storedValues_CountOnlyWhenTheirTypeAndValueAreRight)
{
    set("saveHistory", QStringLiteral("NO"));  // defaults to true: only a stored false turns it off
    EXPECT_TRUE(Settings::saveHistory());
    set("captureIncludeCursor", QStringLiteral("YES"));  // plain booleans read words too
    EXPECT_TRUE(Settings::captureIncludeCursor());
    set("menuBarOnly", QJsonArray{true});
    EXPECT_FALSE(Settings::menuBarOnly());
    for (const QJsonValue& notWhole : {QJsonValue(QStringLiteral("500")), QJsonValue(12.5), QJsonValue(1e12)}) {
        set("historyLimit", notWhole);
        EXPECT_EQ(Settings::historyLimit(), 300);
    }
    set("appearanceTheme", QStringLiteral("Dark"));  // names match exactly, else the first case
    EXPECT_EQ(Settings::appearanceTheme(), PrefsAppearanceTheme::system);
    set("captureFileNameTemplate", 42);
    EXPECT_EQ(Settings::captureFileNameTemplate(), QStringLiteral("截图 %F %T"));
}

TEST_F(SettingsReadingTest, captureDirectory_FallsBackToDesktop_UnlessAnExistingFolderIsStored)
{
    const QString desktop = Settings::defaultPlainCaptureDirectory();
    EXPECT_FALSE(desktop.isEmpty());
    EXPECT_EQ(Settings::plainCaptureDirectory(), desktop);

    const QString folder = test::freshDir(QStringLiteral("Captures"));
    set("plainCaptureDirectory", folder);
    EXPECT_EQ(Settings::plainCaptureDirectory(), folder);
    EXPECT_TRUE(Settings::plainCaptureDirectoryDisplayName().startsWith(QStringLiteral("Captures")));

    const QString file = folder + QStringLiteral("/not-a-folder.txt");
    QFile(file).open(QIODevice::WriteOnly);
    set("plainCaptureDirectory", file);
    EXPECT_EQ(Settings::plainCaptureDirectory(), desktop);
    set("plainCaptureDirectory", folder + QStringLiteral("/gone"));
    EXPECT_EQ(Settings::plainCaptureDirectory(), desktop);
}

TEST(AppearanceTest, darkThenSystem_RestoresTheDesktopPalette)
{
    const QPalette original = QApplication::palette();
    applyAppearance(PrefsAppearanceTheme::dark);
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightnessF(), 0.5);
    EXPECT_EQ(QApplication::style()->name(), "fusion");
    applyAppearance(PrefsAppearanceTheme::light);
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightnessF(), 0.5);
    applyAppearance(PrefsAppearanceTheme::system);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), original.color(QPalette::Window));
}

}  // namespace
