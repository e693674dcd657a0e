#include "app/Appearance.h"
#include "app/PrefsInterfaceLanguage.h"
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

TEST_F(SettingsReadingTest, booleansDefaultingToTrue_CountOnlyStoredBooleans)
{
    EXPECT_TRUE(Settings::saveHistory());
    set("saveHistory", QStringLiteral("NO"));
    EXPECT_TRUE(Settings::saveHistory());
    set("saveHistory", 0);
    EXPECT_TRUE(Settings::saveHistory());
    set("saveHistory", false);
    EXPECT_FALSE(Settings::saveHistory());

    set("autoCloudSync", QStringLiteral("false"));
    EXPECT_TRUE(Settings::autoCloudSync());
    set("selCaptureOverlayEnabled", false);
    EXPECT_FALSE(Settings::selCaptureOverlayEnabled());
}

TEST_F(SettingsReadingTest, plainBooleans_AreFalseWhenAbsent_AndReadNumbersAndWords)
{
    EXPECT_FALSE(Settings::captureSoundEnabled());
    set("captureSoundEnabled", true);
    EXPECT_TRUE(Settings::captureSoundEnabled());
    set("captureShowNotification", 1);
    EXPECT_TRUE(Settings::captureShowNotification());
    set("captureIncludeCursor", QStringLiteral("YES"));
    EXPECT_TRUE(Settings::captureIncludeCursor());
    set("captureIncludeCursor", QStringLiteral("no"));
    EXPECT_FALSE(Settings::captureIncludeCursor());
    set("menuBarOnly", QJsonArray{true});
    EXPECT_FALSE(Settings::menuBarOnly());
}

TEST_F(SettingsReadingTest, historyLimit_TakesOnlyWholeNumbers)
{
    EXPECT_EQ(Settings::historyLimit(), 300);
    set("historyLimit", QStringLiteral("500"));
    EXPECT_EQ(Settings::historyLimit(), 300);
    set("historyLimit", 12.5);
    EXPECT_EQ(Settings::historyLimit(), 300);
    set("historyLimit", 1e12);
    EXPECT_EQ(Settings::historyLimit(), 300);
    set("historyLimit", 0);
    EXPECT_EQ(Settings::historyLimit(), 0);
    set("historyLimit", 1000);
    EXPECT_EQ(Settings::historyLimit(), 1000);
}

TEST_F(SettingsReadingTest, enumerations_MatchRawValuesExactly_ElseFirstCase)
{
    EXPECT_EQ(Settings::appearanceTheme(), PrefsAppearanceTheme::system);
    set("appearanceTheme", QStringLiteral("Dark"));
    EXPECT_EQ(Settings::appearanceTheme(), PrefsAppearanceTheme::system);
    set("appearanceTheme", QStringLiteral("dark"));
    EXPECT_EQ(Settings::appearanceTheme(), PrefsAppearanceTheme::dark);

    set("captureAfterAction", QStringLiteral("openInPreview"));
    EXPECT_EQ(Settings::captureAfterAction(), PrefsAfterCaptureAction::openInPreview);
    set("captureAfterAction", 2);
    EXPECT_EQ(Settings::captureAfterAction(), PrefsAfterCaptureAction::none);

    set("quickColorFormat", QStringLiteral("rgba"));
    EXPECT_EQ(Settings::quickColorFormat(), QuickColorFormat::rgba);
    set("quickColorFormat", QStringLiteral("hsl"));
    EXPECT_EQ(Settings::quickColorFormat(), QuickColorFormat::hex);

    set("plainCaptureFormat", QStringLiteral("jpg"));
    EXPECT_EQ(Settings::plainCaptureFormat(), CaptureFileFormat::png);
    set("plainCaptureFormat", QStringLiteral("jpeg"));
    EXPECT_EQ(Settings::plainCaptureFormat(), CaptureFileFormat::jpeg);
}

TEST_F(SettingsReadingTest, stringsWithDefaults_TreatEmptyAsAbsent)
{
    EXPECT_EQ(Settings::targetLanguage(), "zh-Hans");
    set("targetLanguage", QString());
    EXPECT_EQ(Settings::targetLanguage(), "zh-Hans");
    set("targetLanguage", QStringLiteral("en"));
    EXPECT_EQ(Settings::targetLanguage(), "en");

    set("captureSoundName", QString());
    EXPECT_EQ(Settings::captureSoundName(), "Tink");
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

TEST(PrefsInterfaceLanguageTest, apply_StoresOwnKey_AndEmptyCodeRemovesIt)
{
    auto& store = platform::SettingsStore::shared();
    PrefsInterfaceLanguage::apply(QStringLiteral("en"));
    EXPECT_EQ(store.value(QStringLiteral("interfaceLanguage")).toString(), "en");
    EXPECT_FALSE(store.contains(QStringLiteral("AppleLanguages")));
    PrefsInterfaceLanguage::apply(QString());
    EXPECT_FALSE(store.contains(QStringLiteral("interfaceLanguage")));
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
