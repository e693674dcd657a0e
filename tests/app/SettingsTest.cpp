#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "SettingsFixture.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

using namespace klipo;
namespace T = klipo::PrefsFileNameTemplate;

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

// A chosen folder on a share or disk that is not mounted is not made in its
// place: captures go to the Desktop, and every place that names the folder
// (the toasts, the preferences) says the chosen one is missing.
TEST_F(SettingsReadingTest, captureDirectory_ThatIsMissing_IsNamedMissing_AndNotMade)
{
    const QString share = test::freshDir(QStringLiteral("nas"));
    const QString desktopName = QFileInfo(Settings::defaultPlainCaptureDirectory()).fileName();
    set("plainCaptureDirectory", share + QStringLiteral("/KlipoShots"));
    EXPECT_EQ(Settings::plainCaptureDirectory(), Settings::defaultPlainCaptureDirectory());
    EXPECT_EQ(Settings::plainCaptureDirectoryDisplayName(),
              desktopName + QStringLiteral("（所选的「KlipoShots」不存在）"));
    EXPECT_TRUE(QDir(share).isEmpty());
    QFile(share + QStringLiteral("/file")).open(QIODevice::WriteOnly);
    set("plainCaptureDirectory", share + QStringLiteral("/file"));
    EXPECT_EQ(Settings::plainCaptureDirectoryDisplayName(),
              desktopName + QStringLiteral("（所选的「file」不是文件夹）"));
    set("plainCaptureDirectory", share);
    EXPECT_EQ(Settings::plainCaptureDirectoryDisplayName(), QFileInfo(share).fileName());
}

const QDateTime kMoment(QDate(2025, 3, 7), QTime(9, 5, 3));

TEST(FileNameTemplateTest, render_ExpandsDateFields_AndKeepsUnknownPairsAndLonePercent)
{
    EXPECT_EQ(T::render(QStringLiteral("%Y%m%d-%H%M%S %y"), kMoment), "20250307-090503 25");
    EXPECT_EQ(T::render(T::defaultTemplate(), kMoment), QStringLiteral("截图 2025-03-07 09.05.03"));
    EXPECT_EQ(T::render(QStringLiteral("%Y"), QDateTime(QDate(5, 1, 1), QTime(0, 0))), "0005");
    EXPECT_EQ(T::render(QStringLiteral("%q 100% %%Y %"), kMoment), "%q 100% %Y %");
    // A letter with a combining mark is one character, not a field letter.
    EXPECT_EQ(T::render(QStringLiteral("%Y\u0308"), kMoment), QStringLiteral("%Y\u0308"));
}

TEST(FileNameTemplateTest, baseName_ReplacesUnsafeCharacters_TrimsBlanks_AndFallsBackWhenNothingIsLeft)
{
    EXPECT_EQ(T::sanitize(QStringLiteral("x/\\*?\"<>|:y")), "x---------y");
    EXPECT_EQ(T::sanitize(QStringLiteral("a\r\n\tb\u0007")), "a---b-");
    EXPECT_EQ(T::sanitize(QStringLiteral(" \u3000截图\u00A0 ")), QStringLiteral("截图"));

    const QString fallback = QStringLiteral("截图 2025-03-07 09.05.03");
    EXPECT_EQ(T::baseName(QStringLiteral(" / "), kMoment), "-");
    EXPECT_EQ(T::baseName(QStringLiteral("   "), kMoment), fallback);
    EXPECT_EQ(T::preview(QStringLiteral("  "), CaptureFileFormat::jpeg, kMoment), fallback + ".jpg");
    EXPECT_EQ(T::preview(QStringLiteral("%Y"), CaptureFileFormat::png, kMoment), "2025.png");
}

TEST_F(SettingsReadingTest, currentBaseName_UsesStoredTemplate_AndDefaultForEmptyOne)
{
    set("captureFileNameTemplate", QStringLiteral("Shot-%H%M"));
    EXPECT_EQ(T::currentBaseName(kMoment), "Shot-0905");
    set("captureFileNameTemplate", QString());
    EXPECT_EQ(T::currentBaseName(kMoment), QStringLiteral("截图 2025-03-07 09.05.03"));
}

TEST(FileNameTemplateTest, longNames_AreCappedOnCharacterBoundaries)
{
    // 100 ideographs are 300 bytes: 66 of them fit in 200.
    const QString chinese = T::baseName(QString(100, QChar(0x622A)), kMoment);
    EXPECT_EQ(chinese.size(), 66);
    EXPECT_LE(chinese.toUtf8().size(), T::maxBaseNameBytes);

    // Flags are two code points each (8 bytes): never split in half.
    QString flags;
    for (int i = 0; i < 40; ++i) flags += QStringLiteral("\U0001F1E8\U0001F1F3");
    const QString cut = T::baseName(flags, kMoment);
    EXPECT_EQ(cut.toUtf8().size(), 200);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("\U0001F1E8\U0001F1F3")));

    // A cut right after a blank leaves no blank at the end.
    const QString spaced = QString(199, QChar(u'a')) + QStringLiteral(" bcd");
    EXPECT_EQ(T::baseName(spaced, kMoment), QString(199, QChar(u'a')));
}

}  // namespace
