// The renderer: pixel probes of the drawings, the mosaic and composing crops.
#include "annotation/marks/BoxMarks.h"
#include "annotation/marks/SegmentMarks.h"
#include "annotation/render/AnnoMosaic.h"
#include "annotation/render/AnnoRenderer.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace klipo {
namespace {

AnnoItem mark(AnnoTool tool, QPointF start, QPointF end, double lineWidth)
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

// The rectangle of pixels with any alpha.
QRect paintedArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) area |= QRect(x, y, 1, 1);
    return area;
}

QImage composeOnTransparent(const AnnoItem& item, QSize size = {200, 100})
{
    AnnoRenderer renderer(filled(size.width(), size.height(), Qt::transparent));
    return renderer.compose({item}, QRectF(QPointF(0, 0), size));
}

TEST(AnnoRendererTest, outlineRectangle_PaintsExactlyItsBox)
{
    EXPECT_EQ(paintedArea(composeOnTransparent(mark(AnnoTool::rectangle, {10, 10}, {110, 60}, 6))),
              QRect(10, 10, 100, 50));
    EXPECT_TRUE(paintedArea(composeOnTransparent(mark(AnnoTool::ellipse, {10, 10}, {10.5, 60}, 6))).isEmpty());
    EXPECT_FALSE(paintedArea(composeOnTransparent(mark(AnnoTool::line, {10, 10}, {10.5, 10}, 6))).isEmpty());
    // A stroke wider than the box covers the box.
    EXPECT_EQ(paintedArea(composeOnTransparent(mark(AnnoTool::rectangle, {10, 10}, {14, 14}, 6))), QRect(10, 10, 4, 4));
}

TEST(AnnoRendererTest, arrowHeads_GrowWithWidth_ButNeverPassTheArrow)
{
    const auto shortArrow = ArrowMark::shape(mark(AnnoTool::arrow, {0, 0}, {10, 0}, 4));
    ASSERT_TRUE(shortArrow);
    EXPECT_DOUBLE_EQ(shortArrow->headLength, 10);
    EXPECT_NEAR(shortArrow->shaftEnd.x(), 2.5, 1e-9);
    EXPECT_FALSE(ArrowMark::shape(mark(AnnoTool::arrow, {0, 0}, {1, 0}, 4)));

    const AnnoItem wide = mark(AnnoTool::arrow, {10, 50}, {190, 50}, 10);
    EXPECT_DOUBLE_EQ(ArrowMark::shape(wide)->headLength, 32);
    const QImage image = composeOnTransparent(wide);
    // At x = 165 the head is 25 × tan(π/7) ≈ 12 pixels wide on each side.
    EXPECT_EQ(qAlpha(image.pixel(165, 60)), 255);
    EXPECT_EQ(qAlpha(image.pixel(165, 64)), 0);
    EXPECT_EQ(qAlpha(image.pixel(100, 56)), 0);  // the shaft is 10 wide
}

TEST(AnnoRendererTest, mosaic_BlockSizes_AndSlimMarksAreNotDrawn)
{
    EXPECT_EQ(MosaicMark::blockSize(2.25), 5);
    EXPECT_EQ(MosaicMark::blockSize(std::nan("")), 4);

    QImage base = filled(200, 100, Qt::white);
    base.setPixelColor(10, 10, Qt::black);
    AnnoRenderer renderer(base);
    const auto at = [&](const AnnoItem& item) { return renderer.compose({item}, QRectF(0, 0, 200, 100)).pixel(10, 10); };
    EXPECT_EQ(at(mark(AnnoTool::mosaic, {10, 0}, {11, 50}, 2)), qRgb(0, 0, 0));   // 1 × 50: not drawn
    EXPECT_NE(at(mark(AnnoTool::mosaic, {10, 0}, {12, 50}, 2)), qRgb(0, 0, 0));   // 2 × 50: drawn
    // An image narrower than the block still gets one block across.
    EXPECT_EQ(AnnoMosaic::pixelate(filled(3, 40, Qt::red), 16).size(), QSize(1, 2));
}

TEST(AnnoRendererTest, mosaic_EachBlockIsTheMeanOfItsPixels_SoTextIsGone)
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
    AnnoRenderer renderer(base);
    const QImage out = renderer.compose({mark(AnnoTool::mosaic, {0, 0}, {240, 80}, 2)}, QRectF(0, 0, 240, 80));
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

TEST(AnnoRendererTest, labelsPaintWithinTheirBoxes_AndTheMarkBeingEditedIsSkipped)
{
    AnnoItem text = mark(AnnoTool::text, {20, 20}, {}, 3);
    text.style.fontSize = 30;
    EXPECT_TRUE(paintedArea(composeOnTransparent(text)).isEmpty());  // empty text draws nothing
    text.text = QStringLiteral("标注");
    const QRect painted = paintedArea(composeOnTransparent(text));
    EXPECT_TRUE(QRectF(text.boundingBox()).adjusted(-1, -1, 1, 1).contains(QRectF(painted)));
    EXPECT_GT(painted.width(), 40);

    AnnoItem badge = mark(AnnoTool::number, {50, 50}, {}, 3);
    badge.number = 7;
    badge.style.fontSize = 24;  // radius 20.4
    EXPECT_EQ(paintedArea(composeOnTransparent(badge)), QRect(29, 29, 42, 42));

    AnnoRenderer renderer(filled(100, 100, Qt::transparent));
    QImage target = filled(100, 100, Qt::transparent);
    QPainter painter(&target);
    renderer.draw({badge}, badge.id, painter);
    painter.end();
    EXPECT_TRUE(paintedArea(target).isEmpty());
}

}  // namespace
}  // namespace klipo
