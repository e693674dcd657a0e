// Scrolling capture over a program's whole text area, framed as users frame
// it (borders, padding and all), by the wheel and automatically: a terminal
// in the X server's own fixed font, a terminal showing a coloured listing and
// a Tk text widget in its sunken frame. Each saved image must be the content
// pixel for pixel, what stands still around it once, with no seam left unsure
// and no stop on the way. Skips without the desktop.
#include "DesktopCapture.h"
#include "NumberedPage.h"

using namespace klipo;

namespace {

class FramedDesktop : public test::CaptureOnDesktop {
protected:
    // Captures `region` by `notches` wheel notches and automatically, each
    // from the content's top, against the content put together from settled grabs.
    void captureWhole(const QRect& region, const std::function<bool()>& toTop, test::StillParts still, int notches)
    {
        ASSERT_TRUE(toTop());
        const QImage reference = test::scrolledReference(region, 100, 0, still);
        ASSERT_GT(reference.height(), 3 * region.height()) << "the content did not scroll";

        ASSERT_TRUE(toTop());
        ASSERT_TRUE(start(region));
        test::turnWheel(region.center(), notches, 0, 150);
        EXPECT_EQ(test::contentDifference(finish(), reference), "") << "by the wheel";
        EXPECT_EQ(m_env->inexactSeams, 0) << "by the wheel";

        ASSERT_TRUE(toTop());
        ASSERT_TRUE(start(region));
        ASSERT_TRUE(scrollAutomatically());
        EXPECT_EQ(test::contentDifference(finish(), reference), "") << "automatically";
        EXPECT_EQ(m_env->inexactSeams, 0) << "automatically";
        EXPECT_EQ(m_env->toasts.filter(QStringLiteral("自动滚动已停止")).join('\n').toStdString(), "");
    }

    static constexpr test::StillParts xtermBorder{test::TerminalPage::innerBorder, test::TerminalPage::innerBorder};
};

}  // namespace

// The X server's fixed 6x13: one-pixel strokes, short numbers at the left.
TEST_F(FramedDesktop, xtermInItsDefaultFont_IsThePageOnce)
{
    test::TerminalPage terminal(QPoint(300, 40), 90, 40, QStringLiteral("seq 1 240"), QString());
    ASSERT_TRUE(terminal.shown()) << "needs xterm";
    captureWhole(
        terminal.area(), [&] { return terminal.toTop(); }, xtermBorder, 45);
}

// Bold coloured words touching the cells' edges: a blank border row laid
// over them at a seam would show.
TEST_F(FramedDesktop, xtermShowingAColouredListing_IsThePageOnce_WithNoTornRow)
{
    test::TerminalPage terminal(QPoint(300, 40), 80, 36, test::TerminalPage::colouredLog(160));
    ASSERT_TRUE(terminal.shown()) << "needs xterm";
    captureWhole(
        terminal.area(), [&] { return terminal.toTop(); }, xtermBorder, 30);
}

TEST_F(FramedDesktop, aTkTextWidgetInItsFrame_IsThePageOnce_WithNoTornRow)
{
    test::NumberedPage page(QRect(300, 20, 687, 700), 160, test::NumberedPage::Look::framed);
    ASSERT_TRUE(page.shown()) << "needs python3-tk";
    // The sunken border (2), the focus ring (1) and the padding (3), top and bottom.
    captureWhole(
        page.area(), [&] { return page.toTop(); }, test::StillParts{6, 6}, 55);
}
