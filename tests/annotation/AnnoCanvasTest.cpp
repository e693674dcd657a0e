// Canvas scripts: display and mapping, drawing every tool, selecting, moving,
// resizing, cropping, keys, undo and restyling.
#include "AnnoDrivers.h"

#include "annotation/canvas/AnnoDisplayMapping.h"

#include <QLineF>
#include <cmath>

namespace klipo {
namespace {

using test::CanvasTest;

QRectF boxOf(const AnnoItem& item) { return QRectF(item.start, item.end).normalized(); }

TEST(AnnoDisplayMappingTest, windowModeFitsWithoutEnlarging_InlineModeFillsTheBounds_AndPointsMapBothWays)
{
    EXPECT_EQ(AnnoDisplayMapping::compute({900, 540}, {0, 0, 2000, 1000}, false).displayRect, QRectF(14, 52, 872, 436));
    EXPECT_EQ(AnnoDisplayMapping::compute({901, 540}, {0, 0, 300, 200}, false).displayRect, QRectF(301, 170, 300, 200));
    EXPECT_TRUE(AnnoDisplayMapping::compute({20, 20}, {0, 0, 300, 200}, false).displayRect.isEmpty());

    const auto inlineMap = AnnoDisplayMapping::compute({400, 300}, {100, 50, 800, 600}, true);
    EXPECT_EQ(inlineMap.scale, 0.5);
    EXPECT_EQ(inlineMap.viewPoint({900, 650}), QPointF(400, 300));
    const auto odd = AnnoDisplayMapping::compute({901, 540}, {0, 0, 2000, 1000}, false);
    for (const QPointF p : {QPointF(0, 0), QPointF(123.25, -7.5), QPointF(1e4, 3)})
        EXPECT_LT(QLineF(odd.imagePoint(odd.viewPoint(p)), p).length(), 1e-9) << p.x();
}

TEST_F(CanvasTest, everyDrawingTool_MakesItsMark_AndTinyDragsMakeNone)
{
    for (AnnoTool tool : {AnnoTool::rectangle, AnnoTool::ellipse, AnnoTool::line, AnnoTool::arrow, AnnoTool::mosaic,
                          AnnoTool::highlight}) {
        const AnnoItem item = draw(tool, {10, 20}, {60, 90});
        EXPECT_EQ(item.tool, tool);
        EXPECT_EQ(item.end, QPointF(60, 90));
    }
    EXPECT_EQ(canvas.items().size(), 6);
    EXPECT_EQ(log.count(QStringLiteral("state")), 6);

    draw(AnnoTool::rectangle, {10, 20}, {350, -40});  // corners are clamped to the image
    EXPECT_EQ(canvas.items().last().end, QPointF(300, 0));

    canvas.setTool(AnnoTool::line);
    drag({10, 10}, {13, 10});
    drag({10, 10}, {12, 10});
    canvas.setTool(AnnoTool::rectangle);
    click({40, 40});
    EXPECT_EQ(canvas.items().size(), 8);  // only the 3-pixel line joined

    canvas.setTool(AnnoTool::pen);
    press({0, 0});
    for (double x : {1.0, 2.0, 2.5}) dragTo({x, 0});
    release({2.5, 0});
    EXPECT_EQ(canvas.items().last().points, (QList<QPointF>{{0, 0}, {2, 0}, {2.5, 0}}));
    click({50, 50});
    EXPECT_EQ(canvas.items().size(), 9);  // a one-point stroke is dropped

    canvas.setTool(AnnoTool::number);
    click({20, 20});
    click({40, 20});
    EXPECT_EQ(canvas.items().last().number, 2);
    EXPECT_EQ(canvas.items().last().start, QPointF(40, 20));
    EXPECT_EQ(canvas.nextNumber(), 3);
    canvas.undo();
    EXPECT_EQ(canvas.nextNumber(), 2);
}

TEST_F(CanvasTest, shift_SnapsLinesTo45Degrees_AndBoxesToSquares)
{
    const auto endOf = [&](QPointF to) {
        drag({100, 100}, to, Qt::ShiftModifier);
        return QPointF(std::round(canvas.items().last().end.x() * 100) / 100, std::round(canvas.items().last().end.y() * 100) / 100);
    };
    canvas.setTool(AnnoTool::arrow);
    EXPECT_EQ(endOf({110, 109}), QPointF(109.51, 109.51));
    EXPECT_EQ(endOf({110, 103}), QPointF(110.44, 100));

    canvas.setTool(AnnoTool::rectangle);
    EXPECT_EQ(endOf({130, 90}), QPointF(130, 70));
}

TEST_F(CanvasTest, handles_ResizeFromTheBoxAtThePress_KeepingTheOppositeCornerFixed)
{
    draw(AnnoTool::rectangle, {0, 0}, {100, 100});
    canvas.setTool(AnnoTool::select);
    click({0, 50});
    ASSERT_TRUE(canvas.selectedItem());
    // The top-left handle dragged past the far corner and on: the far corner stays.
    press({0, 0});
    dragTo({150, 150});
    dragTo({160, 160});
    release({160, 160});
    EXPECT_EQ(boxOf(canvas.items().last()), QRectF(100, 100, 60, 60));

    const QRectF start(50, 50, 100, 100);
    const QList<QRectF> expected{{70, 60, 80, 90}, {50, 60, 120, 90}, {50, 50, 120, 110}, {70, 50, 80, 110}};
    for (int handle = 0; handle < 4; ++handle) {
        canvas.clearAll();
        draw(AnnoTool::rectangle, start.topLeft(), start.bottomRight());
        canvas.setTool(AnnoTool::select);
        click(start.center() + QPointF(50, 0));
        const QList<QPointF> corners{start.topLeft(), start.topRight(), start.bottomRight(), start.bottomLeft()};
        // Handles grab up to 3 points outside their 8-point squares.
        drag(corners[handle] + QPointF(6, 6), corners[handle] + QPointF(20, 10));
        EXPECT_EQ(boxOf(canvas.items().last()), expected[handle]) << handle;
    }

    canvas.clearAll();
    draw(AnnoTool::line, {10, 10}, {100, 10});
    canvas.setTool(AnnoTool::select);
    click({50, 10});
    drag({100, 10}, {100, 80});
    EXPECT_EQ(canvas.items().last().end, QPointF(100, 80));
    EXPECT_EQ(canvas.items().last().start, QPointF(10, 10));
}

TEST_F(CanvasTest, moves_AreUndoable_StopBeforeTheMarkLeavesTheImage_AndDeleteTakesOnlyTheSelection)
{
    const AnnoItem rect = draw(AnnoTool::rectangle, {20, 20}, {60, 60});
    canvas.setTool(AnnoTool::select);
    press({20, 40});
    dragTo({30, 45});
    release({30, 45});
    EXPECT_EQ(boxOf(canvas.items().last()), QRectF(30, 25, 40, 40));
    const qsizetype steps = canvas.undoStack().size();
    log.clear();
    drag({30, 45}, {30, 45});  // a move back where it began
    EXPECT_EQ(canvas.undoStack().size(), steps);
    EXPECT_FALSE(log.contains(QStringLiteral("state")));

    drag({30, 45}, {2000, -900});
    const QRectF moved = boxOf(canvas.items().last());
    EXPECT_EQ(moved.left(), 300 - 8);  // 8 points of it stay on the image
    EXPECT_EQ(moved.bottom(), 8);
    canvas.setSelectedID(std::nullopt);
    key(Qt::Key_Delete);  // nothing selected: nothing deleted
    click({293, 4});  // still there to pick, and to delete
    ASSERT_TRUE(canvas.selectedItem());
    key(Qt::Key_Backspace);
    EXPECT_TRUE(canvas.items().isEmpty());
    canvas.undo();
    canvas.undo();
    EXPECT_EQ(boxOf(canvas.items().last()), QRectF(30, 25, 40, 40));
    EXPECT_EQ(canvas.items().last().id, rect.id);
}

TEST_F(CanvasTest, selection_PrefersTheTopmostMark_AndHandlesWinOverMarks)
{
    const AnnoItem below = draw(AnnoTool::rectangle, {10, 10}, {100, 100});
    const AnnoItem above = draw(AnnoTool::rectangle, {10, 10}, {50, 50});
    canvas.setTool(AnnoTool::select);
    log.clear();
    click({10, 30});
    EXPECT_EQ(canvas.selectedID(), above.id);
    click({100, 50});
    EXPECT_EQ(canvas.selectedID(), below.id);
    press({12, 12});  // on the top-left handle of the selected mark, also inside the other
    release({12, 12});
    EXPECT_EQ(canvas.selectedID(), below.id);
    canvas.setTool(AnnoTool::rectangle);
    EXPECT_FALSE(canvas.selectedID());
    canvas.setTool(AnnoTool::select);
    EXPECT_FALSE(canvas.selectedID());
    EXPECT_EQ(log, (QStringList{QStringLiteral("selected"), QStringLiteral("selected"), QStringLiteral("deselected")}));
}

TEST_F(CanvasTest, crop_KeepsWholePixels_ThenSwitchesToSelectBeforeReporting)
{
    canvas.setTool(AnnoTool::crop);
    drag({10, 10}, {17.9, 30});
    EXPECT_EQ(canvas.cropRect(), QRectF(0, 0, 300, 200));
    EXPECT_TRUE(log.isEmpty());
    drag({10, 10}, {18, 18});
    EXPECT_EQ(canvas.cropRect(), QRectF(10, 10, 8, 8));
    canvas.undo();
    canvas.setTool(AnnoTool::crop);
    log.clear();

    drag({10.3, 20.6}, {60.5, 50.7});
    EXPECT_EQ(canvas.cropRect(), QRectF(10, 20, 51, 31));
    EXPECT_EQ(canvas.tool(), AnnoTool::select);
    EXPECT_EQ(log, (QStringList{QStringLiteral("tool:select"), QStringLiteral("state")}));
    EXPECT_TRUE(canvas.hasAnnotations());

    canvas.setTool(AnnoTool::crop);
    log.clear();
    drag({0, 0}, {8, 8});  // corners clamp to the current crop: too small now
    EXPECT_EQ(canvas.cropRect(), QRectF(10, 20, 51, 31));
    canvas.clearAll();
    EXPECT_EQ(canvas.cropRect(), QRectF(0, 0, 300, 200));
    EXPECT_FALSE(canvas.hasAnnotations());
}

TEST_F(CanvasTest, undoHistory_KeepsTheNewest200Steps)
{
    canvas.setTool(AnnoTool::number);
    for (int i = 0; i < 201; ++i) click({double(10 + i % 250), 100});
    EXPECT_EQ(canvas.undoStack().size(), 200);
    while (!canvas.undoStack().isEmpty()) canvas.undo();
    EXPECT_EQ(canvas.items().size(), 1);  // the state before the first step is gone
    EXPECT_EQ(canvas.redoStack().size(), 200);
    canvas.redo();
    draw(AnnoTool::line, {0, 0}, {50, 50});
    EXPECT_TRUE(canvas.redoStack().isEmpty());
    log.clear();
    canvas.clearAll();
    canvas.undo();
    EXPECT_EQ(canvas.items().size(), 3);
    EXPECT_EQ(log.count(QStringLiteral("state")), 2);
}

TEST_F(CanvasTest, restyles_WithinASecondOfEachOther_AreOneStep)
{
    draw(AnnoTool::rectangle, {10, 10}, {50, 50});
    canvas.setTool(AnnoTool::select);
    click({10, 30});
    const qsizetype before = canvas.undoStack().size();
    AnnoStyle style = canvas.items().last().style;
    for (double t : {200.0, 201.0, 202.0, 300.0, 301.0, 302.3}) {
        clock = t;
        style.lineWidth += 1;
        canvas.applyStyleToSelection(style);
        if (t == 202.0) { EXPECT_EQ(canvas.undoStack().size(), before + 1); }  // each within a second of the last
    }
    EXPECT_EQ(canvas.undoStack().size(), before + 3);
    log.clear();
    canvas.applyStyleToSelection(style);
    EXPECT_TRUE(log.isEmpty());
    canvas.undo();
    EXPECT_EQ(canvas.items().last().style.lineWidth, 4 + 5);
}

// The cached layer must follow every change: compare the screen with the export.
TEST_F(CanvasTest, whatTheCanvasShows_IsWhatIsExported)
{
    QImage gradient = test::whiteImage(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) gradient.setPixel(x, y, qRgb(x % 256, y, 128));
    canvas.load(gradient);
    AnnoStyle blue;
    blue.apply(Qt::blue);
    blue.filled = true;
    canvas.setStyle(blue);
    draw(AnnoTool::rectangle, {20, 20}, {80, 80});
    draw(AnnoTool::mosaic, {100, 20}, {160, 80});
    canvas.setTool(AnnoTool::select);
    drag({50, 50}, {250, 150});
    canvas.undo();
    canvas.setSelectedID(std::nullopt);

    const QImage shown = canvas.grab(QRect(300, 170, 300, 200)).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage exported =
        canvas.renderer()->compose(canvas.items(), canvas.cropRect()).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(50, 50), qRgb(0, 0, 255));
    int differing = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) differing += shown.pixel(x, y) != exported.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(CanvasTest, oddImages_LoadDrawAndCompose_WithoutFailing)
{
    for (const QSize size : {QSize(1, 1), QSize(16000, 1)}) {
        canvas.load(test::whiteImage(size.width(), size.height(), Qt::gray));
        for (AnnoTool tool : {AnnoTool::rectangle, AnnoTool::mosaic, AnnoTool::pen, AnnoTool::number}) {
            canvas.setTool(tool);
            QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(450, 270));
            drag({0, 0}, {5, 5});
        }
        canvas.repaint();
        EXPECT_EQ(canvas.renderer()->compose(canvas.items(), canvas.cropRect()).size(), size);
    }
    canvas.load(QImage());
    canvas.setTool(AnnoTool::rectangle);
    drag({0, 0}, {50, 50});
    canvas.repaint();
    EXPECT_TRUE(canvas.renderer()->compose(canvas.items(), canvas.cropRect()).isNull());
}

}  // namespace
}  // namespace klipo
