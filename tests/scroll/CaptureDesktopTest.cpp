// Scrolling capture on the headless X11 desktop, end to end: another
// program's page that moves a known distance per wheel notch, the hot key,
// the overlay's pick, wheel notches from XTEST, the bar's buttons, the saved
// file, the history and the clipboard; automatic scrolling; the on-screen
// self-check of the program itself. Skips without the desktop.
#include "TestPages.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/HUDBarButton.h"
#include "overlay/SelOverlayController.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/X11KeyboardLayout.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollCaptureService.h"
#include "scroll/ScrollWheelPacer.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace klipo;
using State = ScrollCaptureService::ScrollState;

namespace {

void xdotool(const QStringList& arguments) { QProcess::execute(QStringLiteral("xdotool"), arguments); }
void clickAt(QPoint p) { xdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"}); }
QPoint centreOf(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

// Another program's page (klipo_scroll_fixture).
class Page {
public:
    Page(QRect place, int pageHeight, int perNotch, const QString& timer = {}) : m_place(place)
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        QStringList args{"--at", at, "--page-height", QString::number(pageHeight), "--per-notch",
                         QString::number(perNotch)};
        if (!timer.isEmpty()) args << "--timer" << timer;
        m_process.start(QStringLiteral(KLIPO_SCROLL_FIXTURE), args);
        shown = QTest::qWaitFor([&] { return read().contains("shown"); }, 10000);
        QTest::qWait(300);  // drawn
    }
    ~Page()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    // The page's last offset as the program reported it.
    int offset()
    {
        read();
        const qsizetype at = m_out.lastIndexOf("offset ");
        return at < 0 ? 0 : m_out.mid(at + 7).split('\n').first().toInt();
    }
    void go()
    {
        m_process.write("go\n");
        m_process.waitForBytesWritten(1000);
    }
    // Rows [top, top + rows) and columns [left, left + width) of the page
    // (window coordinates at offset 0).
    QImage rows(int left, int top, int width, int rows) const
    {
        return test::pageFrame(test::PageSpec{test::PageKind::text, m_place.width(), 7}, top, rows)
            .copy(left, 0, width, rows);
    }
    QRect place() const { return m_place; }
    bool shown = false;

private:
    QByteArray read()
    {
        m_process.waitForReadyRead(20);
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QProcess m_process;
    QByteArray m_out;
    QRect m_place;
};

// The desktop, with the toasts written down.
class WatchedDesktop : public DesktopScrollEnvironment {
public:
    QStringList toasts;
    void toast(const QString& title, const QString& subtitle) override
    {
        toasts << title + " / " + subtitle;
        DesktopScrollEnvironment::toast(title, subtitle);
    }
};

class ScrollDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display()) return;
        auto watched = std::make_unique<WatchedDesktop>();
        s_env = watched.get();
        s_service = new ScrollCaptureService(std::move(watched), ScrollCaptureService::Timing{});
    }
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        m_folder = test::freshDir(QStringLiteral("captures"));
        platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureDirectory"), m_folder);
    }
    void TearDown() override
    {
        if (s_service && s_service->state == State::capturing) s_service->cancelCapture();
    }
    // The one file the capture saved.
    QImage savedImage()
    {
        QStringList files;
        if (!QTest::qWaitFor([&] { return !(files = QDir(m_folder).entryList(QDir::Files)).isEmpty(); }, 15000))
            return {};
        return QImage(QDir(m_folder).filePath(files.first()));
    }
    // The target of a region given in global points (y down).
    static ScrollTarget targetAt(const QRect& global)
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const double fromBottom = screen.height() - global.bottom() - 1;
        return {screen, 1.0, QRectF(global.x(), fromBottom, global.width(), global.height())};
    }
    bool waitKept(int count) { return QTest::qWaitFor([&] { return s_service->keptCount() >= count; }, 5000); }

    static inline WatchedDesktop* s_env = nullptr;
    static inline ScrollCaptureService* s_service = nullptr;
    QString m_folder;
};

}  // namespace

// Runs first, while no hot key of ours holds Control-Shift-G.
TEST_F(ScrollDesktop, aHotKeyHeldByAnotherProgram_IsToldOnce_WhenCapturesStartFromTheMenu)
{
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    auto* layout = dynamic_cast<platform::X11KeyboardLayout*>(&platform::keyboardLayout());
    ASSERT_NE(layout, nullptr);
    const quint8 g = layout->nativeKeyCode(GlobalShortcuts::Key::g.rawValue).value_or(0);
    xcb_grab_key(other, 0, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT, g, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));

    for (int run = 0; run < 2; ++run) {
        s_service->toggle();
        ASSERT_TRUE(QTest::qWaitFor([] { return !SelOverlayController::shared().windows().isEmpty(); }, 5000));
        QTest::qWait(300);
        xdotool({"key", "Escape"});
        ASSERT_TRUE(QTest::qWaitFor([] { return s_service->state == State::idle; }, 5000));
    }
    xcb_disconnect(other);
    ASSERT_EQ(s_env->toasts.size(), 1) << qPrintable(s_env->toasts.join('\n'));
    EXPECT_TRUE(s_env->toasts[0].startsWith(QStringLiteral("滚动长截图快捷键可能失效 / ⌃⇧G "))) << qPrintable(s_env->toasts[0]);
}

TEST_F(ScrollDesktop, hotKeyPickScrollAndFinish_SavesThePageRowsPixelForPixel_WithHistoryAndClipboard)
{
    QObject context;
    const auto registration = GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::scrollCapture(), &context,
                                                         [] { s_service->toggle(); });
    ASSERT_EQ(registration.state, GlobalShortcuts::Registration::State::registered);
    Page page(QRect(300, 150, 700, 700), 3000, 40);
    ASSERT_TRUE(page.shown);
    const int historyBefore = int(HistoryStore::shared().records().size());

    xdotool({"key", "ctrl+shift+g"});
    ASSERT_TRUE(QTest::qWaitFor([] { return !SelOverlayController::shared().windows().isEmpty(); }, 5000));
    QTest::qWait(300);
    xdotool({"mousemove", "350", "250", "mousedown", "1", "mousemove", "600", "400", "mousemove", "800", "600",
             "mouseup", "1"});
    ASSERT_TRUE(QTest::qWaitFor([] { return s_service->state == State::capturing; }, 5000));
    ASSERT_TRUE(waitKept(1));
    for (int notch = 0; notch < 6; ++notch) {
        xdotool({"mousemove", "600", "400", "click", "5"});
        ASSERT_TRUE(waitKept(notch + 2));
    }
    EXPECT_EQ(page.offset(), 240);
    clickAt(centreOf(s_service->controlBar()->finishButton()));

    const QImage saved = savedImage();
    const QRect region = s_service->target().pixelRect().translated(-page.place().topLeft());
    ASSERT_EQ(saved.size(), QSize(region.width(), region.height() + 240));
    EXPECT_TRUE(saved.convertToFormat(QImage::Format_RGB32) ==
                page.rows(region.left(), region.top(), region.width(), region.height() + 240));
    EXPECT_TRUE(QTest::qWaitFor([&] { return HistoryStore::shared().records().size() == historyBefore + 1; }, 5000));
    EXPECT_EQ(platform::services().clipboard->image().size(), saved.size());
}

TEST_F(ScrollDesktop, autoScroll_CapturesToThePagesEnd_StopsAfterSixUnchangedStills_AndPutsThePointerBack)
{
    Page page(QRect(300, 150, 700, 600), 1400, 40);
    ASSERT_TRUE(page.shown);
    const QRect region(350, 250, 450, 350);
    s_service->startCapture(targetAt(region));
    ASSERT_TRUE(waitKept(1));
    const QPoint button = centreOf(s_service->controlBar()->autoButton());
    clickAt(button);
    ASSERT_TRUE(QTest::qWaitFor([] { return s_service->isAutoScrolling(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([] { return !s_service->isAutoScrolling(); }, 30000));
    EXPECT_EQ(page.offset(), 800) << "to the end of the page";
    EXPECT_EQ(QCursor::pos(), button);
    EXPECT_EQ(s_service->controlBar()->autoButton()->text(), QStringLiteral("▶ 自动滚动"));

    clickAt(centreOf(s_service->controlBar()->finishButton()));
    const QImage saved = savedImage();
    const QRect inWindow = region.translated(-page.place().topLeft());
    EXPECT_TRUE(saved.convertToFormat(QImage::Format_RGB32) ==
                page.rows(inWindow.left(), inWindow.top(), inWindow.width(), inWindow.height() + 800));
    EXPECT_NEAR(*s_service->pacer()->pixelsPerNotch(), 40.0, 0.5);
}

// The program itself: a region 120 points in from the screen's bottom-left
// corner, over a page that scrolls 600 rows on a timer during the capture.
TEST_F(ScrollDesktop, onScreenSelfCheck_StitchesTheScrolledRegion_AndEndsWithSuccess)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Page page(QRect(120, screen.height() - 120 - 280, 360, 280), 880, 0, QStringLiteral("-1,150,60,600"));
    ASSERT_TRUE(page.shown);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KLIPO_SCROLL_SELFTEST"), QStringLiteral("4"));
    env.insert(QStringLiteral("KLIPO_SCROLL_SELFTEST_DIR"), m_folder);
    env.insert(QStringLiteral("KLIPO_INSTANCE_NAME"), QStringLiteral("scroll-onscreen"));
    env.insert(QStringLiteral("TMPDIR"), test::freshDir(QStringLiteral("tmp")));
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(KLIPO_BINARY), {});
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            app.waitForReadyRead(20);
            out += app.readAllStandardOutput();
            return out.contains("SCROLL_SELFTEST_DIAG preflight=true screens=1 scale=1.0");
        },
        15000))
        << out.constData();
    QTest::qWait(800);  // the first still is in
    page.go();
    ASSERT_TRUE(app.waitForFinished(30000));
    out += app.readAllStandardOutput();
    EXPECT_EQ(app.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains("SCROLL_SELFTEST_OK size=360x880 expectedW=360 ")) << out.constData();
    EXPECT_TRUE(out.contains(" files=1 dir=")) << out.constData();
}
