// Scrolling capture on the headless X11 desktop, end to end, over another
// program's page that moves a known distance per wheel notch; the on-screen
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
struct Page {
    Page(QRect place, int pageHeight, int perNotch, const QString& timer = {}) : place(place)
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        QStringList args{"--at", at, "--page-height", QString::number(pageHeight), "--per-notch",
                         QString::number(perNotch)};
        if (!timer.isEmpty()) args << "--timer" << timer;
        process.start(QStringLiteral(KLIPO_SCROLL_FIXTURE), args);
        shown = QTest::qWaitFor([&] { return read().contains("shown"); }, 10000);
        QTest::qWait(300);  // drawn
    }
    ~Page()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    QByteArray read()
    {
        process.waitForReadyRead(20);
        return out += process.readAllStandardOutput();
    }
    // The page's last offset as the program reported it.
    int offset()
    {
        const qsizetype at = read().lastIndexOf("offset ");
        return at < 0 ? 0 : out.mid(at + 7).split('\n').first().toInt();
    }
    // The page under `region` (window pixels at offset 0) and `more` rows below it.
    QImage under(QRect region, int more) const
    {
        const int rows = region.height() + more;
        return test::pageFrame({test::PageKind::text, place.width(), 7}, region.top(), rows)
            .copy(region.left(), 0, region.width(), rows);
    }

    QRect place;
    QProcess process;
    QByteArray out;
    bool shown = false;
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
    EXPECT_TRUE(s_env->toasts[0].startsWith(QStringLiteral("滚动长截图快捷键可能失效 / Ctrl+Shift+G ")))
        << qPrintable(s_env->toasts[0]);
}

// The hot key, a drag in the overlay, six notches of the wheel, then
// automatic scrolling to the page's end and the bar's finish button.
TEST_F(ScrollDesktop, hotKeyPickScrollAutoScrollAndFinish_SavesThePageRowsPixelForPixel_WithHistoryAndClipboard)
{
    QObject context;
    const auto registration = GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::scrollCapture(), &context,
                                                         [] { s_service->toggle(); });
    ASSERT_EQ(registration.state, GlobalShortcuts::Registration::State::registered);
    Page page(QRect(300, 150, 700, 700), 1420, 40);
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

    const QPoint button = centreOf(s_service->controlBar()->autoButton());
    clickAt(button);
    ASSERT_TRUE(QTest::qWaitFor([] { return s_service->isAutoScrolling(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([] { return !s_service->isAutoScrolling(); }, 30000))
        << "six unchanged stills at the end stop the scrolling";
    EXPECT_EQ(page.offset(), 720) << "to the end of the page";
    EXPECT_EQ(QCursor::pos(), button);
    EXPECT_NEAR(*s_service->pacer()->pixelsPerNotch(), 40.0, 0.5);
    clickAt(centreOf(s_service->controlBar()->finishButton()));

    QStringList files;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(files = QDir(m_folder).entryList(QDir::Files)).isEmpty(); }, 15000));
    const QImage saved(QDir(m_folder).filePath(files.first()));
    const QRect region = s_service->target().pixelRect().translated(-page.place.topLeft());
    ASSERT_EQ(saved.size(), QSize(region.width(), region.height() + 720));
    EXPECT_TRUE(saved.convertToFormat(QImage::Format_RGB32) == page.under(region, 720));
    EXPECT_TRUE(QTest::qWaitFor([&] { return HistoryStore::shared().records().size() == historyBefore + 1; }, 5000));
    EXPECT_EQ(platform::services().clipboard->image().size(), saved.size());
}

// The program itself: a region 120 points in from the screen's bottom-left
// corner, over a page that scrolls 600 rows on a timer during the capture.
TEST_F(ScrollDesktop, onScreenSelfCheck_StitchesTheScrolledRegion_AndEndsWithSuccess)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Page page(QRect(120, screen.height() - 120 - 280, 360, 280), 880, 0, QStringLiteral("-1,150,60,600"));
    ASSERT_TRUE(page.shown);
    QProcess app;
    app.setEnvironment(QProcess::systemEnvironment()
                       << "KLIPO_SCROLL_SELFTEST=4" << "KLIPO_SCROLL_SELFTEST_DIR=" + m_folder
                       << "KLIPO_INSTANCE_NAME=scroll-onscreen" << "TMPDIR=" + test::freshDir("tmp"));
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
    page.process.write("go\n");
    page.process.waitForBytesWritten(1000);
    ASSERT_TRUE(app.waitForFinished(30000));
    out += app.readAllStandardOutput();
    EXPECT_EQ(app.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains("SCROLL_SELFTEST_OK size=360x880 expectedW=360 ")) << out.constData();
    EXPECT_TRUE(out.contains(" files=1 dir=")) << out.constData();
}
