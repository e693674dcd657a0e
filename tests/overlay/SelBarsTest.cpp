// The inline toolbar and the style strip: what each mode lets the user press,
// which tool is marked, and which colour and level the strip marks.
#include "app/HUDButton.h"
#include "annotation/style/AnnoStyleStore.h"
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

TEST(SelStyleStripTest, sectionsFollowTheTool_TheNearestLevelWinsLow_AndTheToolsOwnColoursAreMarked)
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
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0], QColor::fromRgbF(0.1f, 0.52f, 0.96f));  // the strip's blue

    // The tools' own colours are marked, and so is anything within 0.02 of a
    // swatch whatever its alpha; other colours mark none.
    const struct {
        AnnoStyle style;
        std::optional<int> marked;
    } cases[] = {
        {AnnoStyleStore::factoryStyle(AnnoTool::rectangle), 0},
        {AnnoStyleStore::factoryStyle(AnnoTool::highlight), 2},
        {{.red = 0.95, .green = 0.24, .blue = 0.22}, 0},
        {{.red = 0.1, .green = 0.1, .blue = 0.1, .alpha = 0.5}, 6},
        {{.red = 0.6, .green = 0.3, .blue = 0.885}, 5},
        {{.red = 0.5, .green = 0.5, .blue = 0.5}, std::nullopt},
        {{.red = 0.0, .green = 0.0, .blue = 0.0}, std::nullopt},  // the preferences' black is not near-black
    };
    for (const auto& c : cases) {
        strip.configure(AnnoTool::rectangle, c.style);
        EXPECT_EQ(strip.markedColor(), c.marked) << c.style.red << " " << c.style.green << " " << c.style.blue;
        for (int i = 0; i < strip.colorButtons().size(); ++i) EXPECT_EQ(strip.colorButtons()[i]->isMarked(), c.marked == i);
    }
}
