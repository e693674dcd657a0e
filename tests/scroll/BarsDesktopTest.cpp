// The bars and frames of scrolling capture and recording on the headless X11
// desktop (openbox), driven by real pointer and key events; skips elsewhere.
#include "app/HUDBarButton.h"
#include "platform/WindowFocus.h"
#include "platform/WindowShadow.h"
#include "recording/RecOptionsBarPanel.h"
#include "scroll/ScrollControlBarPanel.h"
#include "scroll/ScrollRegionWindow.h"
#include "support/ScreenProbe.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace klipo;
using platform::windowFocus;

namespace {

void xdotool(const QStringList& arguments) { QProcess::execute(QStringLiteral("xdotool"), arguments); }
void clickAt(QPoint p) { xdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"}); }
QPoint centreOf(const QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); }

// Whether the screen shows the bar's dark background at its left end (the
// other program's window is white).
bool showsOnTop(const QWidget* bar)
{
    const QRect shown = platform::innerGeometry(bar);  // without its shadow
    const QPoint spot(shown.x() + 5, shown.center().y());
    const QImage pixel = QGuiApplication::primaryScreen()->grabWindow(0, spot.x(), spot.y(), 1, 1).toImage();
    return !pixel.isNull() && pixel.pixelColor(0, 0).lightness() < 80;
}

// Another program's ordinary window, focused: the content being captured.
struct ForeignWindow {
    explicit ForeignWindow(QRect r)
    {
        process.start(QStringLiteral(KLIPO_FOREIGN_WINDOW),
                      {"--at", QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())});
        shown = process.waitForReadyRead(10000) && process.readAll().contains("shown");
        QTest::qWait(200);
    }
    ~ForeignWindow()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    QProcess process;
    bool shown = false;
};

struct PressCounter : QWidget {
    int presses = 0;
    QPoint lastPress;
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        lastPress = event->position().toPoint();
    }
};

class BarsDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    }
};

TEST_F(BarsDesktop, clicksInsideAndOnTheFrame_ReachTheWindowUnderneath)
{
    PressCounter beneath;
    beneath.setGeometry(200, 200, 700, 500);
    beneath.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&beneath));
    const QRect framed(400, 350, 300, 200);
    ScrollRegionWindow frame(framed.adjusted(-3, -3, 3, 3));
    frame.orderFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::qWait(200);

    clickAt(framed.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return beneath.presses == 1; }, 3000));
    EXPECT_EQ(beneath.mapToGlobal(beneath.lastPress), framed.center());
    // On the dashed line itself.
    clickAt(QPoint(framed.left() - 2, framed.center().y()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return beneath.presses == 2; }, 3000));

    // The clicked window came to the front; the frame stays over it.
    QTest::qWait(200);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    int blue = 0;
    for (int y = framed.top(); y < framed.bottom(); ++y) blue += screen.pixelColor(framed.left() - 2, y).blue() > 200;
    EXPECT_GT(blue, framed.height() * 4 / 10);  // dashes: 6 drawn, 4 left out
}

// Clicking or dragging the scrolling bar leaves the other program active;
// the recording's options bar takes the keyboard for Return and gives it back.
TEST_F(BarsDesktop, theBarsAndTheFocusOfTheProgramBeingCaptured)
{
    ForeignWindow content(QRect(100, 100, 900, 700));
    ASSERT_TRUE(content.shown);
    const auto active = windowFocus().activeWindow();
    ASSERT_TRUE(active.has_value());

    const QRectF captured(300, 200, 500, 300);
    ScrollControlBarPanel scrollBar(true);
    int finishes = 0;
    scrollBar.onFinish = [&] { ++finishes; };
    scrollBar.place(captured, QGuiApplication::primaryScreen());
    scrollBar.orderFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scrollBar));
    QTest::qWait(200);
    EXPECT_EQ(platform::innerGeometry(&scrollBar).top(), 510);  // where it was put, not where the window manager likes

    clickAt(centreOf(scrollBar.finishButton()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finishes == 1; }, 3000));
    QTest::qWait(200);
    EXPECT_EQ(windowFocus().activeWindow(), active);

    const QPoint from = centreOf(scrollBar.countLabel());
    const QPoint before = scrollBar.pos();
    xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1", "mousemove",
             QString::number(from.x() + 60), QString::number(from.y() + 30), "mousemove",
             QString::number(from.x() + 120), QString::number(from.y() + 60), "mouseup", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return scrollBar.pos() == before + QPoint(120, 60); }, 3000));
    EXPECT_EQ(windowFocus().activeWindow(), active);

    // A click in the other program brings it forward; the bar stays on top.
    clickAt(QPoint(200, 150));
    QTest::qWait(300);
    EXPECT_TRUE(showsOnTop(&scrollBar));
    EXPECT_EQ(QApplication::activeWindow(), nullptr);
    scrollBar.hide();

    RecOptionsBarPanel options({RecFormat::mov, 60, false});
    std::optional<RecOptions> started;
    options.onStart = [&](RecOptions chosen) { started = chosen; };
    options.place(captured, QGuiApplication::primaryScreen());
    options.showAndFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windowFocus().activeWindow() == options.winId(); }, 3000));
    xdotool({"key", "Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.has_value(); }, 3000));
    EXPECT_EQ(started->format, RecFormat::mov);
    EXPECT_EQ(started->fps, 60);

    options.hide();
    windowFocus().activateWindow(*active);
    EXPECT_TRUE(QTest::qWaitFor([&] { return windowFocus().activeWindow() == active; }, 3000));
}

}  // namespace

// With no room beside the region the bar goes inside it: the rows a capture
// keeps show nothing of the bar, its shadow included.
TEST_F(BarsDesktop, aBarInsideTheRegion_LeavesTheRowsACaptureKeepsUntouched)
{
    ForeignWindow content(QRect(0, 0, 1920, 1080));  // white
    ASSERT_TRUE(content.shown);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRectF region = QRectF(screen->availableGeometry()).adjusted(100, 0, -100, 0);
    ScrollControlBarPanel bar(false);
    const platform::PanelPlacement placement = bar.place(region, screen);
    ASSERT_EQ(placement.side, platform::PanelSide::inside);
    bar.orderFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QTest::qWait(300);
    EXPECT_TRUE(showsOnTop(&bar));
    const QRect shown = platform::innerGeometry(&bar);
    const int lastKept = int(region.bottom()) - placement.coveredBottom - 1;
    const QImage rows = test::screenImage(QRect(shown.left() - 20, lastKept - 9, shown.width() + 40, 10));
    EXPECT_EQ(test::pixelsUnlike(rows, Qt::white), 0)
        << "the bar's top at " << shown.top() << ", rows kept up to " << lastKept;
}
