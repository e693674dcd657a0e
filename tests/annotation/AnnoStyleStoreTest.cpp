// Remembered tool styles: the three layers, the clamps and bad stored values.
#include "annotation/style/AnnoStyleStore.h"

#include "app/SettingsFixture.h"
#include "app/SettingsReading.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace klipo {
namespace {

using AnnoStyleStoreTest = test::SettingsTest;

TEST_F(AnnoStyleStoreTest, preferenceKeys_ApplyToTheirToolsOnly_AndPerToolKeysWin)
{
    set(QStringLiteral("prefsAnnotationColor"), QStringLiteral("  #1a2B3c\n"));
    set(QStringLiteral("prefsAnnotationLineWidth"), 55);
    set(QStringLiteral("prefsAnnotationFontSize"), QStringLiteral("250"));
    const AnnoStyle arrow = AnnoStyleStore::style(AnnoTool::arrow);
    EXPECT_NEAR(arrow.red, 26 / 255.0, 1e-6);
    EXPECT_NEAR(arrow.blue, 60 / 255.0, 1e-6);
    EXPECT_EQ(arrow.lineWidth, 40);
    EXPECT_EQ(arrow.fontSize, 28);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::mosaic).red, 0.5);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::highlight).lineWidth, 3);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::text).fontSize, 200);

    set(QStringLiteral("prefsAnnotationLineWidth"), 0.5);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::pen).lineWidth, 4);
    set(QStringLiteral("prefsAnnotationLineWidth"), 10);
    set(AnnoStyleStore::key(AnnoTool::line, "lineWidth"), 2);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::line).lineWidth, 2);

    EXPECT_TRUE(AnnoStyleStore::colorFromHex(QStringLiteral("1a2b3c")));
    for (const char* bad : {"#1a2b3", "#1a2b3c4", "#1a2g3c"}) EXPECT_FALSE(AnnoStyleStore::colorFromHex(bad)) << bad;
}

TEST_F(AnnoStyleStoreTest, storedValues_AreClampedOrIgnored_NeverTrusted)
{
    const auto key = [](const char* field) { return AnnoStyleStore::key(AnnoTool::pen, field); };
    AnnoStyle wild;
    wild.lineWidth = 100;
    wild.fontSize = 4;
    AnnoStyleStore::save(wild, AnnoTool::pen);
    const AnnoStyle back = AnnoStyleStore::style(AnnoTool::pen);
    EXPECT_EQ(back.lineWidth, 40);
    EXPECT_EQ(back.fontSize, 8);
    for (const char* field : {"color", "lineWidth", "fontSize", "filled"})  // removed after the test
        set(key(field), platform::SettingsStore::shared().value(key(field)));

    set(key("lineWidth"), QStringLiteral("not a number"));
    set(key("fontSize"), 1e300);
    set(key("filled"), QStringLiteral("YES"));
    set(key("color"), QJsonArray{7, -3, 0.5, 1});  // a hand-edited file
    AnnoStyle s = AnnoStyleStore::style(AnnoTool::pen);
    EXPECT_EQ(s.lineWidth, 1);
    EXPECT_EQ(s.fontSize, 200);
    EXPECT_TRUE(s.filled);
    EXPECT_EQ((std::tuple{s.red, s.green, s.blue}), (std::tuple{1.0, 0.0, 0.5}));

    for (const QJsonValue& color : {QJsonValue(QJsonArray{0.1, 0.2, 0.3}), QJsonValue(QJsonArray{0.1, 0.2, "0.3", 1}),
                                    QJsonValue(QStringLiteral("red"))}) {
        set(key("color"), color);
        EXPECT_EQ(AnnoStyleStore::style(AnnoTool::pen).red, 0.94);  // the factory colour
    }
}

TEST_F(AnnoStyleStoreTest, numberRead_TakesNumbersAndNumericStrings_ElseZero)
{
    const auto read = [this](const QJsonValue& v) {
        set(QStringLiteral("n"), v);
        return SettingsReading::number(platform::SettingsStore::shared(), QStringLiteral("n"));
    };
    EXPECT_EQ(read(QStringLiteral(" 7.5px")), 7.5);
    EXPECT_EQ(read(QStringLiteral("-.5e1")), -5);
    for (const QJsonValue& v : {QJsonValue(QStringLiteral("abc")), QJsonValue(QJsonArray{3}), QJsonValue(true)})
        EXPECT_EQ(read(v), 0);
}

}  // namespace
}  // namespace klipo
