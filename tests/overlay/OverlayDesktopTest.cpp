// The overlay on a real X desktop with two monitors side by side (1920 x 1080
// and 1280 x 1024), driven as a user would: the hot key and the pointer and
// keys through xdotool, other programs' windows, the clipboard read by
// another program, and reference pictures taken by another program before
// the overlay came up. Runs inside its own desktop (see CMakeLists.txt).
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/HUDButton.h"
#include "app/shell/OverlayWiring.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "platform/SettingsStore.h"
#include "platform/WindowShadow.h"
#include "support/DesktopDriver.h"
#include "support/TestEnv.h"
#include "tools/PinWindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

using namespace klipo;
using test::xdotool;

namespace {

// The whole desktop, or the clipboard's PNG, as another program sees it.
QImage desktopPicture()
{
    return QImage::fromData(test::programOutput("import", {"-window", "root", "png:-"}), "PNG").convertToFormat(QImage::Format_RGB32);
}
QImage clipboardPicture()
{
    return QImage::fromData(test::programOutput("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"}), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

// Where two pictures differ, for a failure message; empty when they are the same.
std::string difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return QStringLiteral("sizes %1x%2 and %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height()).toStdString();
    int count = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0)
                first = QStringLiteral("first at %1,%2: %3 vs %4").arg(x).arg(y).arg(a.pixel(x, y), 0, 16).arg(b.pixel(x, y), 0, 16);
    return count ? QStringLiteral("%1 pixels differ, %2").arg(count).arg(first).toStdString() : std::string();
}

quint32 activeWindow() { return test::xdotoolOutput({"getactivewindow"}).toUInt(); }

// A window's frame on the root window: its client area grown by the frame extents.
QRect frameOf(quint32 id)
{
    QMap<QString, int> v;
    for (const QString& line : QString::fromUtf8(test::programOutput("xwininfo", {"-id", QString::number(id)})).split(u'\n'))
        if (const auto kv = line.split(u':'); kv.size() == 2) v[kv[0].trimmed()] = kv[1].trimmed().toInt();
    const QStringList e = QString::fromUtf8(test::programOutput("xprop", {"-id", QString::number(id), "_NET_FRAME_EXTENTS"}))
                              .section(u'=', 1).split(u',');
    if (e.size() != 4) return {};
    const int left = e[0].trimmed().toInt(), right = e[1].trimmed().toInt(), top = e[2].trimmed().toInt();
    return QRect(v["Absolute upper-left X"] - left, v["Absolute upper-left Y"] - top, v["Width"] + left + right,
                 v["Height"] + top + e[3].trimmed().toInt());
}

QStringList at(QPoint p) { return {QString::number(p.x()), QString::number(p.y())}; }

class OverlayDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display() || QGuiApplication::screens().size() != 2) return;
        const QString fixture = QCoreApplication::applicationDirPath() + "/overlay_fixture_window";
        for (const QStringList& geometry : {QStringList{"200", "150", "700", "450"}, QStringList{"2100", "200", "600", "400"}}) {
            auto* p = new QProcess;
            p->start(fixture, geometry);
            if (!QTest::qWaitFor([p] { return p->canReadLine(); }, 10000)) return;
            fixtureIds << QString::fromUtf8(p->readLine()).trimmed().toUInt();
            fixtures << p;
        }
        QTest::qWait(300);
        SelOverlayController::shared().setOutputs(new OverlayOutputs);
        GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::captureTranslate(), qApp, [] {  // what the shell does
            if (overlay().isActive()) return overlay().cancel();
            overlay().begin({.primaryAction = SelAction::translate});
        });
    }
    static void TearDownTestSuite()
    {
        for (QProcess* p : std::as_const(fixtures)) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
        fixtures.clear();
    }

    void SetUp() override
    {
        if (!test::hasX11Display() || QGuiApplication::screens().size() != 2) GTEST_SKIP() << "needs an X11 desktop with two monitors";
        ASSERT_EQ(fixtureIds.size(), 2);
        platform::SettingsStore::shared().setValue("plainCaptureDirectory", folder);
        platform::SettingsStore::shared().setValue("saveHistory", false);
        // The first fixture has the focus before every test.
        xdotool({"windowactivate", "--sync", QString::number(fixtureIds[0])});
        QTest::qWait(100);
    }
    void TearDown() override
    {
        overlay().cancel();
        PinWindowController::closeAll();
        QTest::qWait(100);
    }

    static SelOverlayController& overlay() { return SelOverlayController::shared(); }

    // Opens a copy session and waits for both windows to paint.
    static void openForCopy()
    {
        overlay().begin({.primaryAction = SelAction::copy});
        waitPainted();
    }
    static void waitPainted()
    {
        ASSERT_TRUE(QTest::qWaitFor([] { return overlay().windows().size() == 2; }, 5000));
        QTest::qWait(300);  // the X server draws them
    }
    static SelOverlayView* editingView()
    {
        if (!QTest::qWaitFor([] { return overlay().phase() == SelPhase::editing; }, 3000)) return nullptr;
        return overlay().activeView();
    }
    static bool closed() { return QTest::qWaitFor([] { return !overlay().isActive(); }, 3000); }
    static bool focusBack() { return QTest::qWaitFor([] { return activeWindow() == fixtureIds[0]; }, 3000); }

    // The selection in root-window pixels (scale 1 on this desktop).
    static QRect selectionOnDesktop()
    {
        SelOverlayView* view = overlay().activeView();
        return view ? view->selection().toRect().translated(view->overlayWindow()->screenFrame().topLeft()) : QRect();
    }

    static void drag(QPoint from, QPoint to)
    {
        xdotool(QStringList{"mousemove"} + at(from) + QStringList{"mousedown", "1"});
        QTest::qWait(50);
        xdotool(QStringList{"mousemove", "--"} + at((from + to) / 2));
        QTest::qWait(50);
        xdotool(QStringList{"mousemove", "--"} + at(to) + QStringList{"mouseup", "1"});
        QTest::qWait(150);
    }
    static void click(QPoint p, const char* button = "1")
    {
        xdotool(QStringList{"mousemove"} + at(p) + QStringList{"click", button});
        QTest::qWait(200);
    }
    static void clickButton(QWidget* button) { click(button->mapToGlobal(button->rect().center())); }
    static void key(const QString& name)
    {
        xdotool({"key", name});
        QTest::qWait(120);
    }

    const QString folder = test::freshDir("captures");
    static inline QList<QProcess*> fixtures;
    static inline QList<quint32> fixtureIds;
};

// The stills, then copies on either screen (a pick request during the second
// session gets nothing at once), all compared with one picture taken before.
TEST_F(OverlayDesktopTest, hotKeyFreezesEachScreenExactly_AndADragAndReturnCopyExactlyTheDraggedPixels)
{
    const QImage before = desktopPicture();
    ASSERT_EQ(before.size(), QSize(3200, 1080));
    // A window of ours (the library, say) is left out of the stills and comes back.
    QWidget own;
    own.setStyleSheet("background: red");
    own.setAttribute(Qt::WA_ShowWithoutActivating);
    own.setGeometry(1200, 650, 300, 200);
    own.show();
    QTest::qWait(300);
    key("ctrl+shift+t");
    waitPainted();
    EXPECT_TRUE(own.isVisible());
    const auto windows = overlay().windows();
    const auto screens = QGuiApplication::screens();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(windows[i]->geometry(), screens[i]->geometry());
        EXPECT_TRUE(windows[i]->windowFlags() & Qt::BypassWindowManagerHint);
        EXPECT_EQ(difference(windows[i]->frozenImage().convertToFormat(QImage::Format_RGB32), before.copy(screens[i]->geometry())), "");
    }
    const QImage shown = desktopPicture();  // the still, dimmed
    for (const QPoint p : {QPoint(400, 400), QPoint(2300, 400), QPoint(1500, 900), QPoint(2400, 1000), QPoint(1300, 700)})
        EXPECT_NEAR(shown.pixelColor(p).red(), before.pixelColor(p).red() * 0.65, 2) << p.x() << "," << p.y();
    key("ctrl+shift+t");
    EXPECT_TRUE(closed());
    EXPECT_TRUE(focusBack());
    own.hide();

    for (const QRect region : {QRect(300, 250, 340, 270), QRect(2150, 300, 300, 200)}) {
        openForCopy();
        int answers = 0;
        if (region.x() > 1920)
            overlay().begin({.mode = SelRequest::Mode::pickRect, .pickRectCompletion = [&](std::optional<SelPickedRect> r) {
                                 ++answers;
                                 EXPECT_FALSE(r);
                             }});
        drag(region.topLeft(), region.topLeft() + QPoint(region.width(), region.height()));
        ASSERT_TRUE(editingView());
        EXPECT_EQ(selectionOnDesktop(), region);
        key("Return");
        ASSERT_TRUE(closed());
        EXPECT_EQ(difference(clipboardPicture(), before.copy(region)), "") << region.x();
        EXPECT_EQ(answers, region.x() > 1920 ? 1 : 0);
    }
}

TEST_F(OverlayDesktopTest, aClickTakesAWindowsFrame_FTakesTheScreen_ArrowsHandlesAndMovesStayOnIt)
{
    openForCopy();
    click({500, 400});
    ASSERT_TRUE(editingView());
    EXPECT_EQ(selectionOnDesktop(), frameOf(fixtureIds[0]));
    key("Escape");
    ASSERT_FALSE(overlay().isActive());

    openForCopy();
    xdotool({"mousemove", "2600", "900"});
    // The second screen's window takes the keyboard once the pointer has entered it.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            const QWindow* focused = QGuiApplication::focusWindow();
            return focused && focused->geometry().contains(QPoint(2600, 900));
        },
        3000));
    key("f");
    ASSERT_TRUE(editingView());
    EXPECT_EQ(selectionOnDesktop(), QRect(1920, 0, 1280, 1024));
    key("Escape");

    openForCopy();
    drag({100, 100}, {300, 200});
    ASSERT_TRUE(editingView());
    key("Right");
    key("shift+Down");
    EXPECT_EQ(selectionOnDesktop(), QRect(101, 110, 200, 100));
    drag({301, 160}, {51, 160});  // the right handle past the left edge: flipped
    EXPECT_EQ(selectionOnDesktop(), QRect(51, 110, 50, 100));
    drag({75, 160}, {-500, 2000});  // moved far past the corner: stays on the screen
    EXPECT_EQ(selectionOnDesktop(), QRect(0, 980, 50, 100));
    xdotool({"click", "3"});  // a right click while editing does nothing
    QTest::qWait(100);
    EXPECT_TRUE(overlay().isActive());
    key("Escape");
    EXPECT_FALSE(overlay().isActive());
    EXPECT_TRUE(focusBack());

    openForCopy();
    click({1000, 600}, "3");  // a right click while selecting closes
    EXPECT_TRUE(closed());
    EXPECT_TRUE(focusBack());
}

TEST_F(OverlayDesktopTest, saveWritesAFile_PinShowsAPinnedImage_AndADrawnRectangleIsInTheCopy)
{
    const QRect region(300, 250, 400, 300);
    const auto select = [&] {
        openForCopy();
        drag(region.topLeft(), region.bottomRight() + QPoint(1, 1));
        return editingView();
    };
    SelOverlayView* view = select();
    ASSERT_TRUE(view);
    clickButton(view->chrome()->toolbar()->actionButton(SelAction::save));
    EXPECT_FALSE(overlay().isActive());
    QStringList files;
    // The output path writes in the background.
    ASSERT_TRUE(QTest::qWaitFor([&] { return (files = QDir(folder).entryList(QDir::Files)).size() == 1; }, 5000));
    EXPECT_EQ(QImage(QDir(folder).filePath(files[0])).size(), region.size());

    ASSERT_TRUE(view = select());
    clickButton(view->chrome()->toolbar()->actionButton(SelAction::pin));
    ASSERT_TRUE(QTest::qWaitFor([] { return PinWindowController::pinned().size() == 1; }, 3000));
    EXPECT_TRUE(PinWindowController::pinned()[0]->panel()->isVisible());
    EXPECT_EQ(platform::innerGeometry(PinWindowController::pinned()[0]->panel()).size(), region.size());
    PinWindowController::closeAll();

    const QImage before = desktopPicture();
    ASSERT_TRUE(view = select());
    clickButton(view->chrome()->toolbar()->toolButton(AnnoTool::rectangle));
    drag(region.topLeft() + QPoint(50, 50), region.topLeft() + QPoint(250, 200));
    key("Return");
    ASSERT_TRUE(closed());
    const QImage copied = clipboardPicture();
    ASSERT_EQ(copied.size(), region.size());
    const QColor edge = copied.pixelColor(50, 120);  // on the rectangle's left side
    EXPECT_TRUE(edge.red() > 180 && edge.green() < 100) << qPrintable(edge.name());
    EXPECT_EQ(copied.pixelColor(150, 120), before.pixelColor(region.topLeft() + QPoint(150, 120)));  // inside: untouched
}

}  // namespace
