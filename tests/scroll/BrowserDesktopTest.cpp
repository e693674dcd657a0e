// Scrolling capture over pages in a real browser (chromium, smooth scrolling
// as users have it), framed as users frame a browser view, by the wheel and
// automatically: a page under a sticky header with a fixed button, a table
// with bands of identical rows, a view reaching the screen's bottom and a
// page with a spinner turning beside its text. Each saved image must be the
// page once (its scroll bar's thumb aside), what stands still once.
// Skips without the desktop.
#include "BrowserPage.h"
#include "DesktopCapture.h"
#include "platform/WindowShadow.h"

using namespace klipo;

namespace {

class BrowserDesktop : public test::CaptureOnDesktop {
protected:
    // The page under `region` put together 100 rows at a time, from its top.
    static QImage referenceOf(test::BrowserPage& page, const QRect& region, test::StillParts still)
    {
        if (!page.toTop()) return {};
        return test::scrolledReference(region, 200, 100, still, page.step());
    }
    static std::string differenceFrom(const QImage& saved, const QImage& reference)
    {
        return test::contentDifference(saved, reference, test::BrowserPage::scrollBarColumns);
    }
};

constexpr int browserNotchPauseMs = 200;

}  // namespace

// Framed whole: the browser's info bar and the page's sticky header stand
// still on top, the button at the bottom right; they come once, the rows of
// the page in between every one once, and no seam is left unsure.
TEST_F(BrowserDesktop, aStickyHeaderAndAFixedButton_FramedWhole_ComeOnce_ByTheWheelAndAutomatically)
{
    test::BrowserPage page(QRect(200, 40, 1000, 800), test::pages::stickyHeader(100));
    ASSERT_TRUE(page.shown()) << "needs chromium";
    const QRect region = page.area();
    // The info bar and the header; the button's rows at the bottom.
    const QImage reference = referenceOf(page, region, {test::BrowserPage::infoBarRows + 56, 80, 15});
    ASSERT_GT(reference.height(), 3 * region.height());

    ASSERT_TRUE(page.toTop());
    ASSERT_TRUE(start(region));
    test::turnWheel(region.center(), 30, 0, browserNotchPauseMs);
    EXPECT_EQ(differenceFrom(finish(), reference), "") << "by the wheel";
    EXPECT_EQ(m_env->inexactSeams, 0) << "by the wheel";

    ASSERT_TRUE(page.toTop());
    ASSERT_TRUE(start(region));
    ASSERT_TRUE(scrollAutomatically());
    EXPECT_EQ(differenceFrom(finish(), reference), "") << "automatically";
    EXPECT_EQ(m_env->inexactSeams, 0) << "automatically";
    EXPECT_EQ(m_env->toasts.filter(QStringLiteral("自动滚动已停止")).join('\n').toStdString(), "");
}

// Bands of 60 and 30 identical rows, taller than the view: placed where the
// content comes to rest, and automatic scrolling goes on over them to the
// table's end.
TEST_F(BrowserDesktop, aTableWithBandsOfIdenticalRows_HasEveryRowOnce_ByTheWheelAndAutomatically)
{
    test::BrowserPage page(QRect(200, 40, 1000, 800), test::pages::tableWithBands(200));
    ASSERT_TRUE(page.shown()) << "needs chromium";
    const QRect region = page.area().adjusted(0, test::BrowserPage::infoBarRows, 0, 0);
    const QImage reference = referenceOf(page, region, {8, 0, 15});
    ASSERT_GT(reference.height(), 5 * region.height());

    // A slow hand: inside a band only a still at rest can be placed.
    ASSERT_TRUE(page.toTop());
    ASSERT_TRUE(start(region));
    test::turnWheel(region.center(), 50, 0, 400);
    EXPECT_EQ(differenceFrom(finish(), reference), "") << "by the wheel";
    EXPECT_EQ(m_env->inexactSeams, 0) << "by the wheel";

    ASSERT_TRUE(page.toTop());
    ASSERT_TRUE(start(region));
    ASSERT_TRUE(scrollAutomatically());
    EXPECT_EQ(differenceFrom(finish(), reference), "") << "automatically";
    EXPECT_EQ(m_env->inexactSeams, 0) << "automatically";
    EXPECT_EQ(m_env->toasts.filter(QStringLiteral("自动滚动已停止")).join('\n').toStdString(), "");
}

// A view as tall as the screen: the bar goes beside it, and the page's last
// rows are in the image.
TEST_F(BrowserDesktop, aViewReachingTheScreensBottom_KeepsItsLastRows_WithTheBarBesideIt)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    test::BrowserPage page(QRect(200, 0, 1000, screen.height()), test::pages::article(40));
    ASSERT_TRUE(page.shown()) << "needs chromium";
    // A window manager may leave the window's bottom past the screen's.
    const QRect region = page.area().adjusted(0, test::BrowserPage::infoBarRows, 0, 0) & screen;
    ASSERT_GE(region.bottom(), screen.bottom() - 8) << "the view ends at the screen's bottom";
    const QImage reference = referenceOf(page, region, {8, 0, 15});

    ASSERT_TRUE(page.toTop());
    ASSERT_TRUE(start(region));
    const QRect bar = platform::innerGeometry(m_service->controlBar());
    EXPECT_FALSE(bar.intersects(region)) << "the bar over the view";
    test::turnWheel(region.center(), 40, 0, browserNotchPauseMs);
    EXPECT_EQ(differenceFrom(finish(), reference), "");
}

// The spinner turns while the page stands still and while it moves: the
// stills in between are the same picture, not rows more.
TEST_F(BrowserDesktop, aSpinnerBesideTheText_AddsNoRows)
{
    test::BrowserPage page(QRect(200, 40, 1000, 800), test::pages::articleWithAnimation(30));
    ASSERT_TRUE(page.shown()) << "needs chromium";
    const QRect region = page.area().adjusted(0, test::BrowserPage::infoBarRows, 0, 0);
    const QImage reference = referenceOf(page, region, {8, 0, 15});  // the spinner stands still meanwhile

    ASSERT_TRUE(page.toTop());
    page.pause();  // it turns
    ASSERT_TRUE(start(region));
    QTest::qWait(1500);
    ASSERT_TRUE(scrollAutomatically());
    // Rows and columns but the spinner's, caught at any turn.
    EXPECT_EQ(test::contentDifference(finish(), reference, 200), "");
}
