// Scrolling capture over real programs: a terminal with sparse short lines,
// a page with a band of identical rows on a loaded machine, and a page
// scrolled back and on again. Each saved image must equal the content put
// together from settled grabs, and a capture whose seams were not all
// matched must not pass for a success. Skips without the desktop.
#include "DesktopCapture.h"
#include "NumberedPage.h"

#include <QWidget>

using namespace klipo;

namespace {

using ProgramsDesktop = test::CaptureOnDesktop;
using test::turnWheel;

::testing::AssertionResult sameImage(const QImage& saved, const QImage& reference)
{
    if (saved == reference) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << saved.width() << "x" << saved.height() << " saved for " << reference.width()
                                         << "x" << reference.height();
}

}  // namespace

// Short lines far apart: frames a few lines apart hardly differ on average,
// and frames that share no line hardly differ either.
TEST_F(ProgramsDesktop, aTerminalFramedWhole_ScrolledByTheWheelAndAutomatically_GivesEveryLineOnceInOrder)
{
    test::TerminalPage terminal(QPoint(300, 40), 60, 42, QStringLiteral("seq 1 400"));
    ASSERT_TRUE(terminal.shown()) << "needs xterm";
    const QRect region = terminal.area();
    ASSERT_TRUE(terminal.toTop());
    const QImage reference = test::scrolledReference(region, 200);
    ASSERT_FALSE(reference.isNull()) << "the terminal did not scroll by whole rows";
    ASSERT_GT(reference.height(), region.height() * 5);

    ASSERT_TRUE(terminal.toTop());
    ASSERT_TRUE(start(region));
    turnWheel(region.center(), 100);
    EXPECT_TRUE(sameImage(finish(), reference)) << "by the wheel";
    EXPECT_EQ(m_env->inexactSeams, 0);

    ASSERT_TRUE(terminal.toTop());
    ASSERT_TRUE(start(region));
    m_service->startAutoScroll();
    ASSERT_TRUE(m_service->isAutoScrolling());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_service->isAutoScrolling(); }, 60000));
    EXPECT_TRUE(sameImage(finish(), reference)) << "by automatic scrolling";
    EXPECT_EQ(m_env->inexactSeams, 0);
}

// A band of identical rows, taller than what two stills share, on a loaded
// machine: stills come late, and where two share only the band every
// multiple of its rows fits. The wheel's step learnt before the band places
// them, where the rows agree: no seam to tell the user to check.
TEST_F(ProgramsDesktop, aBandOfIdenticalRows_OnABusyMachine_IsPlacedByTheLearntStep_WithoutAWarning)
{
    constexpr int notches = 24;
    test::NumberedPage page(QRect(300, 20, 700, 640), 200, test::NumberedPage::Look::repeated);
    ASSERT_TRUE(page.shown()) << "needs python3-tk";
    const QRect region = page.area().adjusted(0, 20, 0, -60);
    ASSERT_TRUE(page.toTop());
    const QImage reference = test::pageReference(region, notches);
    ASSERT_FALSE(reference.isNull()) << "the page did not move 50 rows a notch";

    test::BusyCores busy;
    for (int run = 0; run < 5; ++run) {
        ASSERT_TRUE(page.toTop());
        ASSERT_TRUE(start(region));
        turnWheel(region.center(), notches, run);
        const QImage saved = finish();
        EXPECT_TRUE(sameImage(saved, reference)) << "capture " << run + 1;
        EXPECT_EQ(m_env->inexactSeams, 0) << "capture " << run + 1;
    }
}

// Down ten notches, back three, on down: nothing comes twice, whether the way
// back stays within what two stills share or goes further than a still.
TEST_F(ProgramsDesktop, scrolledDownBackAndOnDown_GivesEachRowOnce_TallOrLow)
{
    test::NumberedPage page(QRect(300, 20, 640, 800), 400);
    ASSERT_TRUE(page.shown()) << "needs python3-tk";
    for (const int height : {600, 140}) {
        SCOPED_TRACE(height);
        const QRect region(page.area().left() + 2, page.area().top() + 30, page.area().width() - 60, height);
        ASSERT_TRUE(page.toTop());
        const QImage reference = test::pageReference(region, 20);
        ASSERT_FALSE(reference.isNull()) << "the page did not move 50 rows a notch";
        ASSERT_TRUE(page.toTop());
        ASSERT_TRUE(start(region));
        turnWheel(region.center(), 10);
        turnWheel(region.center(), -3, 1);
        turnWheel(region.center(), 13, 2);
        EXPECT_TRUE(sameImage(finish(), reference));
        EXPECT_EQ(m_env->inexactSeams, 0);
    }
}

// One of our windows (the library, say) in front of the region: it is kept
// out of every still for the whole capture, and back afterwards; the first
// still waits for the page to repaint where it was.
TEST_F(ProgramsDesktop, ourWindowInFrontOfTheRegion_IsNotInTheLongImage_AndComesBackAfter)
{
    test::NumberedPage page(QRect(300, 20, 640, 800), 400);
    ASSERT_TRUE(page.shown()) << "needs python3-tk";
    const QRect region = page.area().adjusted(2, 30, -60, -100);
    ASSERT_TRUE(page.toTop());
    const QImage reference = test::pageReference(region, 8);
    ASSERT_FALSE(reference.isNull()) << "the page did not move 50 rows a notch";
    ASSERT_TRUE(page.toTop());

    QWidget library;
    library.setWindowTitle(QStringLiteral("KlipoVersa"));
    library.setStyleSheet(QStringLiteral("background: #3050a0"));
    // Over the region's first rows, which only the first still holds.
    library.setGeometry(region.left() + 100, region.top() + 20, 500, 300);
    library.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&library));
    library.raise();
    library.activateWindow();
    QTest::qWait(300);

    // The page repaints what our window uncovers only once a still is kept
    // or a moment has passed, as on a busy machine.
    page.pause();
    const bool kept = start(region, 600);
    page.resume();
    ASSERT_TRUE(kept || QTest::qWaitFor([&] { return m_service->keptCount() >= 1; }, 5000));
    turnWheel(region.center(), 8);
    EXPECT_TRUE(sameImage(finish(), reference));
    EXPECT_TRUE(QTest::qWaitFor([&] { return library.isVisible(); }, 3000));
    EXPECT_EQ(library.geometry().topLeft(), QPoint(region.left() + 100, region.top() + 20));
}
