// Scrolling capture over real programs: a terminal with sparse short lines,
// a page with a band of identical rows on a loaded machine, and a page
// scrolled back and on again. Each saved image must equal the content put
// together from settled grabs, and a capture whose seams were not all
// matched must not pass for a success. Skips without the desktop.
#include "NumberedPage.h"
#include "platform/SettingsStore.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollCaptureService.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

using namespace klipo;

namespace {

ScrollTarget targetAt(const QRect& global)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen, 1.0, QRectF(global.x(), screen.height() - global.bottom() - 1, global.width(), global.height())};
}

// The desktop, with the delivered images' inexact seams written down.
class WatchedDesktop : public DesktopScrollEnvironment {
public:
    int inexactSeams = -1;
    QStringList toasts;
    void deliver(const QImage& image, const QString& noteSuffix, int inexact) override
    {
        inexactSeams = inexact;
        DesktopScrollEnvironment::deliver(image, noteSuffix, inexact);
    }
    void toast(const QString& title, const QString& subtitle) override
    {
        toasts << title + " / " + subtitle;
        DesktopScrollEnvironment::toast(title, subtitle);
    }
};

// Turns the wheel over `at` on its own time, as a hand does: `notches`
// notches (negative: up), 30 to 130 ms apart.
void turnWheel(QPoint at, int notches, int seed = 0)
{
    const int pauses[] = {30, 60, 90, 130};
    QStringList hand{"mousemove", QString::number(at.x()), QString::number(at.y())};
    for (int notch = 0; notch < std::abs(notches); ++notch)
        hand += {"click", notches > 0 ? "5" : "4", "sleep", QString::number(pauses[(seed + notch) % 4] / 1000.0)};
    QProcess wheel;  // the capture goes on meanwhile
    wheel.start(QStringLiteral("xdotool"), hand);
    (void)QTest::qWaitFor([&] { return wheel.state() == QProcess::NotRunning; }, 60000);
}

class ProgramsDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        m_folder = test::freshDir(QStringLiteral("captures"));
        platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureDirectory"), m_folder);
        auto env = std::make_unique<WatchedDesktop>();
        m_env = env.get();
        m_service = std::make_unique<ScrollCaptureService>(std::move(env), ScrollCaptureService::Timing{});
    }

    // Starts; true once the first still is kept (within `waitMs`).
    bool start(const QRect& region, int waitMs = 5000)
    {
        m_saved = int(QDir(m_folder).entryList(QDir::Files).size());
        m_env->inexactSeams = -1;
        m_service->startCapture(targetAt(region));
        return QTest::qWaitFor([&] { return m_service->keptCount() >= 1; }, waitMs);
    }
    // Finishes and reads the saved image.
    QImage finish()
    {
        QTest::qWait(400);  // the last notch is in a still
        m_service->finishCapture();
        QStringList files;
        if (!QTest::qWaitFor(
                [&] { return (files = QDir(m_folder).entryList(QDir::Files, QDir::Time)).size() > m_saved; }, 20000))
            return {};
        return QImage(QDir(m_folder).filePath(files.first())).convertToFormat(QImage::Format_RGB32);
    }

    QString m_folder;
    WatchedDesktop* m_env = nullptr;
    std::unique_ptr<ScrollCaptureService> m_service;
    int m_saved = 0;
};

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
// them; the seams there cannot be sure and must say so.
TEST_F(ProgramsDesktop, aBandOfIdenticalRows_OnABusyMachine_IsPlacedByTheLearntStep_AndToldUnsure)
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
        EXPECT_GT(m_env->inexactSeams, 0) << "capture " << run + 1;
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
