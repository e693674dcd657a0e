// The marks on their own: tools and styles, hit tests, remembered styles and
// their bad stored values, and the renderer (each mark inside its box, the
// mosaic, composing crops).
#include "annotation/icons/AnnoIcons.h"
#include "annotation/marks/BoxMarks.h"
#include "annotation/marks/SegmentMarks.h"
#include "annotation/render/AnnoMosaic.h"
#include "annotation/render/AnnoRenderer.h"
#include "annotation/style/AnnoStyleStore.h"
#include "app/SettingsFixture.h"

#include <QJsonArray>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace klipo {
namespace {

AnnoItem mark(AnnoTool tool, QPointF start, QPointF end, double lineWidth = 4)
{
    AnnoItem item = AnnoItem::make(tool, AnnoStyle{});
    item.start = start;
    item.end = end;
    item.style.lineWidth = lineWidth;
    return item;
}

QImage filled(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// The rectangle of pixels with any alpha when the mark is drawn alone.
QRect paintedArea(const AnnoItem& item)
{
    const QImage image = AnnoRenderer(filled(200, 100, Qt::transparent)).compose({item}, QRectF(0, 0, 200, 100));
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) area |= QRect(x, y, 1, 1);
    return area;
}

TEST(AnnoToolTest, storedNamesMatchExactly_EveryToolHasAnIcon_AndAnInvalidColourGivesRed)
{
    EXPECT_FALSE(AnnoTools::fromRawValue(QStringLiteral("Mosaic")));
    for (AnnoTool tool : AnnoTools::allCases()) {
        EXPECT_EQ(AnnoTools::fromRawValue(AnnoTools::rawValue(tool)), tool);
        EXPECT_FALSE(AnnoIcons::icon(AnnoTools::symbolName(tool), Qt::black).isNull()) << qPrintable(AnnoTools::rawValue(tool));
    }
    AnnoStyle style;
    style.apply(QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.5f));
    EXPECT_NEAR(style.alpha, 0.5, 1e-3);
    style.apply(QColor());
    EXPECT_EQ((std::tuple{style.red, style.green, style.blue, style.alpha}), (std::tuple{1.0, 0.0, 0.0, 1.0}));
}

TEST(AnnoItemTest, hitTests_UseRingsSegmentsAndStrokes_AndBoxesFollowTheMark)
{
    AnnoItem outline = mark(AnnoTool::rectangle, {0, 0}, {100, 100}, 4);
    EXPECT_FALSE(outline.hitTest({50, 50}, 2));
    EXPECT_TRUE(outline.hitTest({3, 50}, 2));
    EXPECT_FALSE(outline.hitTest({-5, 50}, 2));
    EXPECT_TRUE(outline.hitTest({-4, 50}, 2));    // minimum edge is inside
    EXPECT_FALSE(outline.hitTest({104, 50}, 2));  // maximum edge is outside
    outline.style.filled = true;
    EXPECT_TRUE(outline.hitTest({50, 50}, 2));
    EXPECT_TRUE(mark(AnnoTool::ellipse, {0, 0}, {6, 6}, 4).hitTest({3, 3}, 2));  // shrunk box is empty

    const AnnoItem arrow = mark(AnnoTool::arrow, {0, 0}, {100, 0}, 2);
    EXPECT_TRUE(arrow.hitTest({50, 5.9}, 6));
    EXPECT_FALSE(arrow.hitTest({107, 0}, 6));  // beyond the head: distance to the end

    AnnoItem pen = mark(AnnoTool::pen, {}, {}, 5);
    EXPECT_FALSE(pen.hitTest({0, 0}, 100));
    pen.points = {{10, 10}};
    EXPECT_TRUE(pen.hitTest({14, 13}, 1));  // within the line width of the dot
    pen.points = {{0, 0}, {50, 0}, {50, 50}};
    EXPECT_TRUE(pen.hitTest({54, 25}, 2));
    EXPECT_FALSE(pen.hitTest({25, 25}, 2));
    pen.translate(10, -1);  // every stroke point moves with the mark
    EXPECT_TRUE(pen.hitTest({64, 24}, 2));

    EXPECT_EQ(mark(AnnoTool::rectangle, {30, 40}, {10, 10}).boundingBox(), QRectF(10, 10, 20, 30));
    AnnoItem text = mark(AnnoTool::text, {5, 5}, {});
    const QRectF empty = text.boundingBox();
    EXPECT_TRUE(empty.topLeft() == QPointF(5, 5) && empty.width() >= 8 && empty.height() >= 8);
    text.text = QStringLiteral("你好 world");
    EXPECT_GT(text.boundingBox().width(), 4 * empty.width());
}

using AnnoStyleStoreTest = test::SettingsTest;

TEST_F(AnnoStyleStoreTest, preferenceKeysApplyToTheirToolsOnly_AndPerToolKeysWin)
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
    set(QStringLiteral("prefsAnnotationLineWidth"), QStringLiteral(" 10px"));
    set(AnnoStyleStore::key(AnnoTool::line, "lineWidth"), 2);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::line).lineWidth, 2);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::pen).lineWidth, 10);
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

TEST(AnnoRendererTest, eachMarkPaintsWithinItsBox_SlimMarksNotAtAll_AndTheMarkBeingEditedIsSkipped)
{
    EXPECT_EQ(paintedArea(mark(AnnoTool::rectangle, {10, 10}, {110, 60}, 6)), QRect(10, 10, 100, 50));
    EXPECT_EQ(paintedArea(mark(AnnoTool::rectangle, {10, 10}, {14, 14}, 6)), QRect(10, 10, 4, 4));  // stroke wider than the box
    EXPECT_TRUE(paintedArea(mark(AnnoTool::ellipse, {10, 10}, {10.5, 60}, 6)).isEmpty());
    EXPECT_FALSE(paintedArea(mark(AnnoTool::line, {10, 10}, {10.5, 10}, 6)).isEmpty());

    AnnoItem text = mark(AnnoTool::text, {20, 20}, {}, 3);
    text.style.fontSize = 30;
    EXPECT_TRUE(paintedArea(text).isEmpty());  // empty text draws nothing
    text.text = QStringLiteral("标注");
    EXPECT_TRUE(QRectF(text.boundingBox()).adjusted(-1, -1, 1, 1).contains(QRectF(paintedArea(text))));
    EXPECT_GT(paintedArea(text).width(), 40);
    AnnoItem badge = mark(AnnoTool::number, {50, 50}, {}, 3);
    badge.number = 7;
    badge.style.fontSize = 24;
    EXPECT_TRUE(badge.boundingBox().adjusted(-1, -1, 1, 1).contains(QRectF(paintedArea(badge))));
    EXPECT_GT(paintedArea(badge).width(), 30);

    // An arrow's head never reaches past its tail; one too short for a head is not drawn.
    const auto shortArrow = ArrowMark::shape(mark(AnnoTool::arrow, {0, 0}, {10, 0}, 4));
    ASSERT_TRUE(shortArrow);
    EXPECT_TRUE(shortArrow->headLength <= 10 && shortArrow->shaftEnd.x() >= 0);
    EXPECT_FALSE(ArrowMark::shape(mark(AnnoTool::arrow, {0, 0}, {1, 0}, 4)));

    QImage target = filled(100, 100, Qt::transparent);
    QPainter painter(&target);
    AnnoRenderer(filled(100, 100, Qt::transparent)).draw({badge}, badge.id, painter);
    painter.end();
    EXPECT_EQ(target, filled(100, 100, Qt::transparent));
}

// An arrow's head, whichever way it points: filled on both sides of the
// shaft just short of the tip, and no wider than its barbs.
TEST(AnnoRendererTest, arrowHead_CoversBothSidesOfTheShaftNearTheTip_InEveryDirection)
{
    for (const auto& [start, end] : {std::pair{QPointF(20, 50), QPointF(180, 50)},
                                     {QPointF(180, 50), QPointF(20, 50)},
                                     {QPointF(100, 10), QPointF(100, 90)},
                                     {QPointF(100, 90), QPointF(100, 10)},
                                     {QPointF(30, 90), QPointF(170, 10)}}) {
        SCOPED_TRACE(QStringLiteral("%1,%2").arg(end.x()).arg(end.y()).toStdString());
        const QImage image = AnnoRenderer(filled(200, 100, Qt::transparent))
                                 .compose({mark(AnnoTool::arrow, start, end, 4)}, QRectF(0, 0, 200, 100));
        const QPointF along = (end - start) / std::hypot(end.x() - start.x(), end.y() - start.y());
        const QPointF across(-along.y(), along.x());
        // Alpha `back` pixels before the tip and `aside` off the axis (14-pixel head, barbs 2π/7 apart).
        const auto alpha = [&](double back, double aside) {
            return qAlpha(image.pixel((end - back * along + aside * across).toPoint()));
        };
        EXPECT_GT(alpha(3, 0), 128);
        for (const double side : {-1.0, 1.0}) {
            EXPECT_GT(alpha(10, 3.5 * side), 128) << side;
            EXPECT_EQ(alpha(10, 7 * side), 0) << side;
            EXPECT_EQ(alpha(40, 4 * side), 0) << side;  // beside the shaft, 4 wide
        }
    }
}

TEST(AnnoRendererTest, mosaic_EachBlockIsTheMeanOfItsPixels_SoTextIsGone_AndOddSizesDoNotFail)
{
    QImage base = filled(240, 80, Qt::white);
    {
        QPainter p(&base);
        QFont font = p.font();
        font.setPixelSize(22);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, 240, 80), Qt::AlignCenter, QStringLiteral("Secret 密码 42"));
    }
    const QImage out = AnnoRenderer(base).compose({mark(AnnoTool::mosaic, {0, 0}, {240, 80}, 2)}, QRectF(0, 0, 240, 80));
    ASSERT_EQ(out.size(), base.size());
    int darkBlocks = 0;
    for (int by = 0; by < 80; by += 4) {
        for (int bx = 0; bx < 240; bx += 4) {
            int sum = 0;
            for (int y = by; y < by + 4; ++y)
                for (int x = bx; x < bx + 4; ++x) sum += qGray(base.pixel(x, y));
            const int mean = (sum + 8) / 16;
            const QRgb first = out.pixel(bx, by);
            for (int y = by; y < by + 4; ++y)
                for (int x = bx; x < bx + 4; ++x) ASSERT_EQ(out.pixel(x, y), first) << bx << "," << by;
            ASSERT_LE(std::abs(qGray(first) - mean), 2) << bx << "," << by;
            darkBlocks += mean < 200;
        }
    }
    EXPECT_GT(darkBlocks, 10);  // the text was there to hide

    // A mark one pixel wide is not drawn, two are; odd widths and images still work.
    base.fill(Qt::white);
    base.setPixelColor(10, 10, Qt::black);
    const auto at = [&](double right) {
        return AnnoRenderer(base).compose({mark(AnnoTool::mosaic, {10, 0}, {right, 50}, 2)}, QRectF(0, 0, 240, 80)).pixel(10, 10);
    };
    EXPECT_EQ(at(11), qRgb(0, 0, 0));
    EXPECT_NE(at(12), qRgb(0, 0, 0));
    EXPECT_EQ(MosaicMark::blockSize(std::nan("")), 4);
    EXPECT_EQ(AnnoMosaic::pixelate(filled(3, 40, Qt::red), 16).size(), QSize(1, 2));
}

TEST(AnnoRendererTest, compose_CutsTheCropToWholePixels_OrFallsBackToTheImage)
{
    QImage base(200, 100, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) base.setPixel(x, y, qRgb(x, y, 7));
    AnnoRenderer renderer(base);

    const QImage cut = renderer.compose({}, QRectF(10.4, 10.6, 99.2, 49.1));
    EXPECT_EQ(cut.size(), QSize(100, 50));
    EXPECT_EQ(cut.pixel(0, 0), qRgb(10, 10, 7));
    EXPECT_EQ(renderer.compose({}, QRectF(20.2, 20, 0.5, 80)).size(), QSize(1, 80));
    EXPECT_EQ(renderer.compose({}, QRectF(300, 300, 50, 50)).size(), QSize(200, 100));
    EXPECT_EQ(renderer.compose({}, QRectF(200, 0, 50, 50)).size(), QSize(200, 100));  // only touches the edge
    // Marks wholly outside the crop leave it as it was.
    EXPECT_EQ(renderer.compose({mark(AnnoTool::rectangle, {150, 80}, {190, 95}, 4)}, QRectF(0, 0, 100, 50)),
              renderer.compose({}, QRectF(0, 0, 100, 50)));
}

}  // namespace
}  // namespace klipo
