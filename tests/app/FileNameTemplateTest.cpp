#include "app/PrefsFileNameTemplate.h"
#include "SettingsFixture.h"


using namespace klipo;
namespace T = klipo::PrefsFileNameTemplate;

namespace {
const QDateTime kMoment(QDate(2025, 3, 7), QTime(9, 5, 3));

TEST(FileNameTemplateTest, render_ExpandsDateFields)
{
    EXPECT_EQ(T::render(QStringLiteral("%Y%m%d-%H%M%S"), kMoment), "20250307-090503");
    EXPECT_EQ(T::render(T::defaultTemplate(), kMoment), QStringLiteral("截图 2025-03-07 09.05.03"));
    EXPECT_EQ(T::render(QStringLiteral("%y"), kMoment), "25");
    EXPECT_EQ(T::render(QStringLiteral("%Y"), QDateTime(QDate(5, 1, 1), QTime(0, 0))), "0005");
    EXPECT_EQ(T::render(QString(), kMoment), "");
}

TEST(FileNameTemplateTest, render_KeepsUnknownPairsAndLonePercent)
{
    EXPECT_EQ(T::render(QStringLiteral("%q"), kMoment), "%q");
    EXPECT_EQ(T::render(QStringLiteral("100%"), kMoment), "100%");
    EXPECT_EQ(T::render(QStringLiteral("%%Y"), kMoment), "%Y");
    EXPECT_EQ(T::render(QStringLiteral("%"), kMoment), "%");
    // A letter with a combining mark is one character, not a field letter.
    EXPECT_EQ(T::render(QStringLiteral("%Y\u0308"), kMoment), QStringLiteral("%Y\u0308"));
}

TEST(FileNameTemplateTest, components_OfAnInvalidDate_AreTheFallbacks)
{
    const T::Components c = T::components(QDateTime());
    EXPECT_EQ(c.year, 2000);
    EXPECT_EQ(c.month, 1);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(c.hour, 0);
}

TEST(FileNameTemplateTest, sanitize_ReplacesUnsafeCharacters_AndTrimsBlanks)
{
    EXPECT_EQ(T::sanitize(QStringLiteral("AB:C")), "AB-C");
    EXPECT_EQ(T::sanitize(QStringLiteral("a\nb")), "a-b");
    EXPECT_EQ(T::sanitize(QStringLiteral("a\r\nb")), "a--b");
    EXPECT_EQ(T::sanitize(QStringLiteral("x/\\*?\"<>|y")), "x--------y");
    EXPECT_EQ(T::sanitize(QStringLiteral("bell\u0007")), "bell-");
    EXPECT_EQ(T::sanitize(QStringLiteral(" \u3000截图\u00A0 ")), QStringLiteral("截图"));
    EXPECT_EQ(T::sanitize(QStringLiteral("\tx")), "-x");  // a tab is a control character
}

TEST(FileNameTemplateTest, baseName_FallsBackToDefault_WhenNothingIsLeft)
{
    EXPECT_EQ(T::baseName(QStringLiteral(" / "), kMoment), "-");
    const QString fallback = QStringLiteral("截图 2025-03-07 09.05.03");
    EXPECT_EQ(T::baseName(QString(), kMoment), fallback);
    EXPECT_EQ(T::baseName(QStringLiteral("   "), kMoment), fallback);
    EXPECT_EQ(T::preview(QStringLiteral("  "), CaptureFileFormat::jpeg, kMoment), fallback + ".jpg");
    EXPECT_EQ(T::preview(QStringLiteral("%Y"), CaptureFileFormat::png, kMoment), "2025.png");
}

using CurrentBaseNameTest = test::SettingsTest;

TEST_F(CurrentBaseNameTest, currentBaseName_UsesStoredTemplate_AndDefaultForEmptyOne)
{
    set("captureFileNameTemplate", QStringLiteral("Shot-%H%M"));
    EXPECT_EQ(T::currentBaseName(kMoment), "Shot-0905");
    set("captureFileNameTemplate", QStringLiteral("\n"));
    EXPECT_EQ(T::currentBaseName(kMoment), "-");
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

    const QString shortName = QStringLiteral("截图");
    EXPECT_EQ(T::capToFileNameLength(shortName), shortName);
}

}  // namespace
