// The inline toolbar and the style strip: what each mode lets the user press,
// which tool is marked, and which colour and level the strip marks.
#include "app/HUDButton.h"
#include "app/PrefsAnnotationPalette.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelStyleStrip.h"
#include "overlay/SelWidgets.h"

#include <gtest/gtest.h>

using namespace klipo;

TEST(SelInlineToolbarTest, translatingDisablesTheTools_UndoWaitsForItsOwner_AndTheTranslatedRowKeepsTextSelect)
{
    SelInlineToolbar bar;
    QList<SelAction> tapped;
    bar.onAction = [&](SelAction a) { tapped << a; };
    bar.actionButton(SelAction::save)->click();
    EXPECT_EQ(tapped, QList<SelAction>({SelAction::save}));

    bar.setUndoEnabled(true);
    bar.setMode(SelInlineToolbar::Mode::translating);
    for (AnnoTool tool : SelInlineToolbar::tools()) EXPECT_FALSE(bar.toolButton(tool)->isEnabled()) << int(tool);
    EXPECT_FALSE(bar.undoButton()->isEnabled());
    EXPECT_FALSE(bar.textSelectBoxes()[0]->button()->isEnabled());
    bar.setMode(SelInlineToolbar::Mode::normal);
    EXPECT_TRUE(bar.actionButton(SelAction::copy)->isEnabled());
    EXPECT_FALSE(bar.undoButton()->isEnabled());  // the owner re-enables undo

    bar.setMode(SelInlineToolbar::Mode::translated);
    ASSERT_TRUE(bar.translatedRow());
    EXPECT_TRUE(bar.normalRow()->isHidden());
    ASSERT_EQ(bar.textSelectBoxes().size(), 2);
    EXPECT_TRUE(bar.textSelectBoxes()[1]->button()->isEnabled());
    bar.setTextSelectLoading(true);  // both rows' spinners stand in
    for (SelTextToolBox* box : bar.textSelectBoxes()) EXPECT_TRUE(box->button()->isHidden() && !box->spinner()->isHidden());

    // Only the active tool's button is marked; a tool without a button marks none.
    bar.setActiveTool(AnnoTool::arrow);
    EXPECT_TRUE(bar.toolButton(AnnoTool::arrow)->baseBackground().has_value());
    EXPECT_FALSE(bar.toolButton(AnnoTool::rectangle)->baseBackground().has_value());
    bar.setActiveTool(AnnoTool::ellipse);
    for (AnnoTool tool : SelInlineToolbar::tools()) EXPECT_FALSE(bar.toolButton(tool)->baseBackground()) << int(tool);
}

TEST(SelStyleStripTest, sectionsFollowTheTool_TheNearestLevelWinsLow_AndAColourWithinTwoHundredthsIsMarked)
{
    SelStyleStrip strip;
    AnnoStyle style;
    for (AnnoTool tool : {AnnoTool::select, AnnoTool::crop, AnnoTool::mosaic, AnnoTool::highlight}) {
        strip.configure(tool, style);
        EXPECT_EQ(strip.showsColors(), tool == AnnoTool::highlight) << int(tool);
        EXPECT_EQ(strip.showsLevels(), tool == AnnoTool::mosaic) << int(tool);
    }
    style.fontSize = 24;  // 4 from both 20 and 28
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::text, style), 0);
    style.fontSize = 100;
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::number, style), 2);
    style.lineWidth = 6;
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::pen, style), 1);

    QList<QColor> chosen;
    strip.onColor = [&](const QColor& c) { chosen << c; };
    strip.colorButtons()[4]->click();
    EXPECT_EQ(chosen, QList<QColor>({PrefsAnnotationPalette::colors()[4]}));
    style.apply(PrefsAnnotationPalette::colors()[0]);
    style.red -= 0.015, style.alpha = 0.5;  // close enough; alpha does not count
    strip.configure(AnnoTool::rectangle, style);
    EXPECT_EQ(strip.markedColor(), 0);
    EXPECT_TRUE(strip.colorButtons()[0]->isMarked());
    style.red = style.green = style.blue = 0.5;
    strip.configure(AnnoTool::rectangle, style);
    EXPECT_FALSE(strip.markedColor());
    for (SelSwatch* swatch : strip.colorButtons()) EXPECT_FALSE(swatch->isMarked());
}
