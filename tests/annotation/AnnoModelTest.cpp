// The mark model: tools, styles and the geometry of every kind of mark.
#include "annotation/icons/AnnoIcons.h"
#include "annotation/marks/LabelMarks.h"
#include "annotation/model/AnnoGeometry.h"
#include "annotation/model/AnnoItem.h"

#include <gtest/gtest.h>

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

TEST(AnnoToolTest, storedNamesMatchExactly_EveryToolHasAnIcon_AndAnInvalidColourGivesRed)
{
    EXPECT_FALSE(AnnoTools::fromRawValue(QStringLiteral("Mosaic")));
    for (AnnoTool tool : AnnoTools::allCases()) {
        EXPECT_EQ(AnnoTools::fromRawValue(AnnoTools::rawValue(tool)), tool);
        EXPECT_FALSE(AnnoIcons::icon(AnnoTools::symbolName(tool), Qt::black).isNull()) << qPrintable(AnnoTools::rawValue(tool));
    }
    EXPECT_EQ(AnnoTools::toolbarOrder().size(), AnnoTools::allCases().size());

    AnnoStyle style;
    style.lineWidth = 7;
    style.apply(QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.5f));
    EXPECT_NEAR(style.alpha, 0.5, 1e-3);
    style.apply(QColor());
    EXPECT_EQ((std::tuple{style.red, style.green, style.blue, style.alpha}), (std::tuple{1.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(style.lineWidth, 7);
}

TEST(AnnoItemTest, boundingBoxes_FollowEachTool)
{
    AnnoItem badge = mark(AnnoTool::number, {50, 50}, {});
    badge.style.fontSize = 8;
    EXPECT_EQ(badge.boundingBox(), QRectF(41, 41, 18, 18));  // radius raised to 9
    EXPECT_EQ(mark(AnnoTool::rectangle, {30, 40}, {10, 10}).boundingBox(), QRectF(10, 10, 20, 30));

    AnnoItem pen = mark(AnnoTool::pen, {}, {}, 3);
    pen.points = {{20, 20}};
    EXPECT_EQ(pen.boundingBox(), QRectF(17, 17, 6, 6));

    AnnoItem text = mark(AnnoTool::text, {5, 5}, {});
    const QRectF empty = text.boundingBox();
    EXPECT_EQ(empty.topLeft(), QPointF(5, 5));
    EXPECT_GE(empty.width(), 8);
    EXPECT_GE(empty.height(), 8);
    text.text = QStringLiteral("你好 world");
    EXPECT_GT(text.boundingBox().width(), 4 * empty.width());
}

TEST(AnnoItemTest, hitTests_UseRingsSegmentsAndStrokes)
{
    AnnoItem outline = mark(AnnoTool::rectangle, {0, 0}, {100, 100}, 4);
    EXPECT_FALSE(outline.hitTest({50, 50}, 2));
    EXPECT_TRUE(outline.hitTest({3, 50}, 2));
    EXPECT_FALSE(outline.hitTest({-5, 50}, 2));
    EXPECT_TRUE(outline.hitTest({-4, 50}, 2));   // minimum edge is inside
    EXPECT_FALSE(outline.hitTest({104, 50}, 2));  // maximum edge is outside
    outline.style.filled = true;
    EXPECT_TRUE(outline.hitTest({50, 50}, 2));

    const AnnoItem smallEllipse = mark(AnnoTool::ellipse, {0, 0}, {6, 6}, 4);
    EXPECT_TRUE(smallEllipse.hitTest({3, 3}, 2));  // shrunk box is empty

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

}

}  // namespace
}  // namespace klipo
