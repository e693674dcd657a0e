// The inline toolbar and the style strip: what they show for each mode,
// tool and style, and what a tap reports.
#include "app/HUDButton.h"
#include "app/PrefsAnnotationPalette.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelStyleStrip.h"
#include "overlay/SelWidgets.h"

#include <gtest/gtest.h>

using namespace klipo;

TEST(SelInlineToolbarTest, modes_DisableAndDim_UndoStaysOffUntilTheOwnerSaysSo_AndTheTranslatedRowKeepsTextSelect)
{
    SelInlineToolbar bar;
    QList<SelAction> tapped;
    bar.onAction = [&](SelAction a) { tapped << a; };
    bar.actionButton(SelAction::save)->click();
    EXPECT_EQ(tapped, QList<SelAction>({SelAction::save}));
    EXPECT_TRUE(bar.copySelectedButton()->isHidden());

    bar.setUndoEnabled(true);
    bar.setMode(SelInlineToolbar::Mode::translating);
    for (AnnoTool tool : SelInlineToolbar::tools()) {
        EXPECT_FALSE(bar.toolButton(tool)->isEnabled());
        EXPECT_DOUBLE_EQ(SelWidgets::alpha(bar.toolButton(tool)), 0.4);
    }
    EXPECT_FALSE(bar.undoButton()->isEnabled());
    EXPECT_FALSE(bar.textSelectBoxes()[0]->button()->isEnabled());
    bar.setMode(SelInlineToolbar::Mode::translating);  // no change the second time
    bar.setMode(SelInlineToolbar::Mode::normal);
    EXPECT_TRUE(bar.actionButton(SelAction::copy)->isEnabled());
    EXPECT_FALSE(bar.undoButton()->isEnabled());  // the owner re-enables undo

    bar.setMode(SelInlineToolbar::Mode::translated);
    ASSERT_TRUE(bar.translatedRow());
    EXPECT_TRUE(bar.normalRow()->isHidden());
    ASSERT_EQ(bar.textSelectBoxes().size(), 2);
    EXPECT_TRUE(bar.textSelectBoxes()[1]->button()->isEnabled());
    bar.setTextSelectLoading(true);  // both rows' spinners stand in
    for (SelTextToolBox* box : bar.textSelectBoxes()) {
        EXPECT_TRUE(box->button()->isHidden());
        EXPECT_FALSE(box->spinner()->isHidden());
    }
    bar.updateCopyTitles(true);
    EXPECT_EQ(bar.copyTextButton()->text(), QStringLiteral("复制所选"));
    EXPECT_EQ(bar.copySelectedButton()->text(), QStringLiteral("复制所选"));
}

TEST(SelInlineToolbarTest, activeTool_MarksOnlyItsButton_AndAToolWithoutAButtonMarksNone)
{
    SelInlineToolbar bar;
    bar.setActiveTool(AnnoTool::arrow);
    EXPECT_TRUE(bar.toolButton(AnnoTool::arrow)->baseBackground().has_value());
    EXPECT_FALSE(bar.toolButton(AnnoTool::rectangle)->baseBackground().has_value());
    bar.setActiveTool(AnnoTool::ellipse);
    for (AnnoTool tool : SelInlineToolbar::tools()) EXPECT_FALSE(bar.toolButton(tool)->baseBackground()) << int(tool);
    EXPECT_EQ(bar.undoButton()->toolTip(), QStringLiteral("撤销（Ctrl+Z）"));
}

TEST(SelStyleStripTest, sectionsFollowTheTool_AndTheNearestLevelWinsWithTiesGoingLow)
{
    SelStyleStrip strip;
    AnnoStyle style;
    for (AnnoTool tool : {AnnoTool::select, AnnoTool::crop}) {
        strip.configure(tool, style);
        EXPECT_FALSE(strip.showsColors());
        EXPECT_FALSE(strip.showsLevels());
    }
    strip.configure(AnnoTool::mosaic, style);
    EXPECT_FALSE(strip.showsColors());
    EXPECT_TRUE(strip.showsLevels());
    EXPECT_EQ(SelStyleStrip::levelValues(AnnoTool::mosaic), (std::array<double, 3>{6, 10, 16}));
    strip.configure(AnnoTool::highlight, style);
    EXPECT_TRUE(strip.showsColors());
    EXPECT_FALSE(strip.showsLevels());

    style.fontSize = 24;  // 4 from both 20 and 28
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::text, style), 0);
    style.fontSize = 100;
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::number, style), 2);
    style.lineWidth = 3;
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::pen, style), 0);
    style.lineWidth = 6;
    EXPECT_EQ(SelStyleStrip::nearestLevel(AnnoTool::pen, style), 1);
}

TEST(SelStyleStripTest, offersThePreferencesPalette_AndMarksAColourWithinTwoHundredths)
{
    EXPECT_EQ(&SelStyleStrip::palette(), &PrefsAnnotationPalette::colors());
    SelStyleStrip strip;
    QList<QColor> chosen;
    strip.onColor = [&](const QColor& c) { chosen << c; };
    strip.colorButtons()[4]->click();
    EXPECT_EQ(chosen, QList<QColor>({PrefsAnnotationPalette::colors()[4]}));

    AnnoStyle style;
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
