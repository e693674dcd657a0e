// The overlay on a real X desktop with two monitors side by side (1920 x 1080
// and 1280 x 1024), driven as a user would: the hot key and the pointer and
// keys through xdotool, other programs' windows, the clipboard read by
// another program, and reference pictures taken by another program before
// the overlay came up. Runs inside its own desktop (see CMakeLists.txt).
#include "app/shell/OverlayWiring.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/HUDButton.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"
#include "tools/PinWindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace klipo;

namespace {

int xdotool(const QStringList& arguments) { return QProcess::execute(QStringLiteral("xdotool"), arguments); }

QString run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The whole desktop as another program sees it.
QImage desktopPicture()
{
    QProcess p;
    p.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    p.waitForFinished(20000);
    return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// The clipboard's PNG as another program gets it (we own the clipboard, so
// our event loop must keep running while it asks).
QImage clipboardPicture()
{
    QProcess p;
    p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                      QStringLiteral("image/png"), QStringLiteral("-o")});
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) return {};
    return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// Where two pictures differ, for a failure message; empty when they are the same.
std::string difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes %1x%2 and %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height()).toStdString();
    int count = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (count++ == 0)
                    first = QStringLiteral("first at %1,%2: %3 vs %4").arg(x).arg(y).arg(a.pixel(x, y), 0, 16).arg(b.pixel(x, y), 0, 16);
            }
    return count ? QStringLiteral("%1 pixels differ, %2").arg(count).arg(first).toStdString() : std::string();
}

quint32 activeWindow() { return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).toUInt(); }

// A window's frame on the root window: its client area grown by the frame extents.
QRect frameOf(quint32 id)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(id)});
    QMap<QString, int> v;
    for (const QString& line : info.split(u'\n')) {
        const auto kv = line.split(u':');
        if (kv.size() == 2) v[kv[0].trimmed()] = kv[1].trimmed().toInt();
    }
    const QString extents =
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(id), QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList e = extents.section(u'=', 1).split(u',');
    if (e.size() != 4) return {};
    const int left = e[0].trimmed().toInt(), right = e[1].trimmed().toInt(), top = e[2].trimmed().toInt(),
              bottom = e[3].trimmed().toInt();
    return QRect(v["Absolute upper-left X"] - left, v["Absolute upper-left Y"] - top, v["Width"] + left + right,
                 v["Height"] + top + bottom);
}

class OverlayDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display() || QGuiApplication::screens().size() != 2) return;
        const QString fixture = QCoreApplication::applicationDirPath() + QStringLiteral("/overlay_fixture_window");
        for (const QStringList& geometry : {QStringList{"200", "150", "700", "450"}, QStringList{"2100", "200", "600", "400"}}) {
            auto* p = new QProcess;
            p->start(fixture, geometry);
            if (!QTest::qWaitFor([p] { return p->canReadLine(); }, 10000)) return;
            fixtureIds << QString::fromUtf8(p->readLine()).trimmed().toUInt();
            fixtures << p;
        }
        QTest::qWait(300);
        s_outputs = new OverlayOutputs;
        SelOverlayController::shared().setOutputs(s_outputs);
        GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::captureTranslate(), qApp, [] {
            // What the shell does with the hot key.
            auto& overlay = SelOverlayController::shared();
            if (overlay.isActive()) {
                overlay.cancel();
                return;
            }
            SelRequest request;
            request.primaryAction = SelAction::translate;
            overlay.begin(std::move(request));
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
        if (!test::hasX11Display()) GTEST_SKIP() << "needs an X11 desktop";
        if (QGuiApplication::screens().size() != 2) GTEST_SKIP() << "needs the desktop with two monitors";
        ASSERT_EQ(fixtureIds.size(), 2);
        platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureDirectory"), folder);
        platform::SettingsStore::shared().setValue(QStringLiteral("saveHistory"), false);
        // The first fixture has the focus before every test.
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(fixtureIds[0])});
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
        SelRequest request;
        request.primaryAction = SelAction::copy;
        overlay().begin(std::move(request));
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

    // The selection in root-window pixels (scale 1 on this desktop).
    static QRect selectionOnDesktop()
    {
        SelOverlayView* view = overlay().activeView();
        return view ? view->selection().toRect().translated(view->overlayWindow()->screenFrame().topLeft()) : QRect();
    }

    static void drag(QPoint from, QPoint to)
    {
        xdotool({QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()), QStringLiteral("mousedown"),
                 QStringLiteral("1")});
        QTest::qWait(50);
        const QPoint mid = (from + to) / 2;
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(mid.x()), QString::number(mid.y())});
        QTest::qWait(50);
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(to.x()), QString::number(to.y())});
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        QTest::qWait(150);
    }

    static void key(const QString& name)
    {
        xdotool({QStringLiteral("key"), name});
        QTest::qWait(120);
    }

    static void clickButton(QWidget* button)
    {
        const QPoint at = button->mapToGlobal(button->rect().center());
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                 QStringLiteral("1")});
        QTest::qWait(200);
    }

    const QString folder = test::freshDir(QStringLiteral("captures"));
    static inline QList<QProcess*> fixtures;
    static inline QList<quint32> fixtureIds;
    static inline OverlayOutputs* s_outputs = nullptr;
};

TEST_F(OverlayDesktopTest, hotKey_CoversEachScreenWithItsFrozenPicture_AndASecondPressCloses)
{
    const QImage before = desktopPicture();
    ASSERT_EQ(before.size(), QSize(3200, 1080));
    key(QStringLiteral("ctrl+shift+t"));
    waitPainted();
    const auto windows = overlay().windows();
    const auto screens = QGuiApplication::screens();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(windows[i]->geometry(), screens[i]->geometry());
        EXPECT_TRUE(windows[i]->windowFlags() & Qt::BypassWindowManagerHint);
        // The still is exactly what the screen showed.
        EXPECT_EQ(difference(windows[i]->frozenImage().convertToFormat(QImage::Format_RGB32),
                             before.copy(screens[i]->geometry())),
                  "");
    }
    // On the screen: the still, dimmed by 35 %.
    const QImage shown = desktopPicture();
    for (const QPoint p : {QPoint(400, 400), QPoint(2300, 400), QPoint(1500, 900), QPoint(2400, 1000)}) {
        const QColor was = before.pixelColor(p), now = shown.pixelColor(p);
        EXPECT_NEAR(now.red(), was.red() * 0.65, 2) << p.x() << "," << p.y();
        EXPECT_NEAR(now.green(), was.green() * 0.65, 2) << p.x() << "," << p.y();
    }
    key(QStringLiteral("ctrl+shift+t"));
    EXPECT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([] { return activeWindow() == fixtureIds[0]; }, 3000));
}

TEST_F(OverlayDesktopTest, aDragAndReturn_CopyExactlyTheDraggedPixels_OnEitherScreen)
{
    const QImage before = desktopPicture();
    for (const QRect region : {QRect(300, 250, 340, 270), QRect(2150, 300, 300, 200)}) {
        openForCopy();
        drag(region.topLeft(), region.topLeft() + QPoint(region.width(), region.height()));
        ASSERT_TRUE(editingView());
        EXPECT_EQ(selectionOnDesktop(), region);
        key(QStringLiteral("Return"));
        ASSERT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
        EXPECT_EQ(difference(clipboardPicture(), before.copy(region)), "") << region.x();
    }
}

TEST_F(OverlayDesktopTest, aClickTakesAWindowsFrame_FTakesTheScreen_ArrowsHandlesAndMovesStayOnIt)
{
    openForCopy();
    xdotool({QStringLiteral("mousemove"), QStringLiteral("500"), QStringLiteral("400"), QStringLiteral("click"),
             QStringLiteral("1")});
    ASSERT_TRUE(editingView());
    EXPECT_EQ(selectionOnDesktop(), frameOf(fixtureIds[0]));
    key(QStringLiteral("Escape"));
    ASSERT_FALSE(overlay().isActive());

    openForCopy();
    xdotool({QStringLiteral("mousemove"), QStringLiteral("2600"), QStringLiteral("900")});
    QTest::qWait(100);
    key(QStringLiteral("f"));
    ASSERT_TRUE(editingView());
    EXPECT_EQ(selectionOnDesktop(), QRect(1920, 0, 1280, 1024));
    key(QStringLiteral("Escape"));

    openForCopy();
    drag({100, 100}, {300, 200});
    ASSERT_TRUE(editingView());
    key(QStringLiteral("Right"));
    key(QStringLiteral("shift+Down"));
    EXPECT_EQ(selectionOnDesktop(), QRect(101, 110, 200, 100));
    drag({301, 160}, {51, 160});  // the right handle past the left edge: flipped
    EXPECT_EQ(selectionOnDesktop(), QRect(51, 110, 50, 100));
    drag({75, 160}, {-500, 2000});  // moved far past the corner: stays on the screen
    EXPECT_EQ(selectionOnDesktop(), QRect(0, 980, 50, 100));
    xdotool({QStringLiteral("click"), QStringLiteral("3")});  // a right click while editing does nothing
    QTest::qWait(100);
    EXPECT_TRUE(overlay().isActive());
    key(QStringLiteral("Escape"));
    EXPECT_FALSE(overlay().isActive());
    EXPECT_TRUE(QTest::qWaitFor([] { return activeWindow() == fixtureIds[0]; }, 3000));

    openForCopy();
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("600"), QStringLiteral("click"),
             QStringLiteral("3")});
    EXPECT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([] { return activeWindow() == fixtureIds[0]; }, 3000));
}

TEST_F(OverlayDesktopTest, saveWritesAFile_PinShowsAPinnedImage_AndADrawnRectangleIsInTheCopy)
{
    const QRect region(300, 250, 400, 300);
    openForCopy();
    drag(region.topLeft(), region.bottomRight() + QPoint(1, 1));
    SelOverlayView* view = editingView();
    ASSERT_TRUE(view);
    clickButton(view->chrome()->toolbar()->actionButton(SelAction::save));
    EXPECT_FALSE(overlay().isActive());
    QStringList files;
    // The output path writes in the background.
    ASSERT_TRUE(QTest::qWaitFor([&] { return (files = QDir(folder).entryList(QDir::Files)).size() == 1; }, 5000));
    EXPECT_EQ(QImage(QDir(folder).filePath(files[0])).size(), region.size());

    openForCopy();
    drag(region.topLeft(), region.bottomRight() + QPoint(1, 1));
    view = editingView();
    ASSERT_TRUE(view);
    clickButton(view->chrome()->toolbar()->actionButton(SelAction::pin));
    ASSERT_TRUE(QTest::qWaitFor([] { return PinWindowController::pinned().size() == 1; }, 3000));
    EXPECT_TRUE(PinWindowController::pinned()[0]->panel()->isVisible());
    EXPECT_EQ(PinWindowController::pinned()[0]->panel()->size(), region.size());
    PinWindowController::closeAll();

    const QImage before = desktopPicture();
    openForCopy();
    drag(region.topLeft(), region.bottomRight() + QPoint(1, 1));
    view = editingView();
    ASSERT_TRUE(view);
    clickButton(view->chrome()->toolbar()->toolButton(AnnoTool::rectangle));
    drag(region.topLeft() + QPoint(50, 50), region.topLeft() + QPoint(250, 200));
    key(QStringLiteral("Return"));
    ASSERT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
    const QImage copied = clipboardPicture();
    ASSERT_EQ(copied.size(), region.size());
    const QColor edge = copied.pixelColor(50, 120);    // on the rectangle's left side
    EXPECT_GT(edge.red(), 180);
    EXPECT_LT(edge.green(), 100);
    EXPECT_EQ(copied.pixelColor(150, 120), before.pixelColor(region.topLeft() + QPoint(150, 120)));  // inside: untouched
}

TEST_F(OverlayDesktopTest, aPickRectRequestDuringASession_GetsNothing_AndTheSessionStillCopies)
{
    const QImage before = desktopPicture();
    openForCopy();
    int answers = 0;
    SelRequest pick;
    pick.mode = SelRequest::Mode::pickRect;
    pick.pickRectCompletion = [&](std::optional<SelPickedRect> r) {
        ++answers;
        EXPECT_FALSE(r);
    };
    overlay().begin(std::move(pick));
    EXPECT_EQ(answers, 1);
    const QRect region(2200, 250, 250, 150);
    drag(region.topLeft(), region.bottomRight() + QPoint(1, 1));
    ASSERT_TRUE(editingView());
    key(QStringLiteral("Return"));
    ASSERT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
    EXPECT_EQ(difference(clipboardPicture(), before.copy(region)), "");
    EXPECT_EQ(answers, 1);
}

}  // namespace
