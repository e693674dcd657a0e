#include "app/PrefsFileNameTemplate.h"
#include "SettingsFixture.h"


using namespace klipo;
namespace T = klipo::PrefsFileNameTemplate;

namespace {
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

using CurrentBaseNameTest = test::SettingsTest;

TEST_F(CurrentBaseNameTest, currentBaseName_UsesStoredTemplate_AndDefaultForEmptyOne)
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
