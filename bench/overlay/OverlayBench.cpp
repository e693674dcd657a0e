// Prints what the capture overlay costs where users feel it: from the hot key
// to the overlay painted on every screen, the paint of one drag step, and the
// memory the overlay holds while it is up. Run it on a desktop with two
// 1920 x 1080 monitors:
//   KLIPO_DESKTOP_SCREENS="1920x1080 1920x1080" scripts/headless-desktop.sh build/bench/overlay/overlay_bench
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "platform/Session.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace klipo;

namespace {

double percentile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(q * double(values.size())))];
}

xcb_connection_t* connection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Presses and releases Ctrl+Shift+T through the X server, as a keyboard would.
void pressHotKey()
{
    xcb_connection_t* c = connection();
    // Key codes of the usual X keyboard map: Control_L 37, Shift_L 50, t 28.
    for (const quint8 code : {37, 50, 28}) xcb_test_fake_input(c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    for (const quint8 code : {28, 50, 37}) xcb_test_fake_input(c, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c);
}

// Waits until the X server has handled everything sent so far.
void roundTrip()
{
    xcb_connection_t* c = connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void mouse(QWidget* view, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &event);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!platform::checkDisplayOrExplain()) return 1;
    QApplication app(argc, argv);
    if (!platform::isX11Session() || QGuiApplication::screens().size() < 2) {
        std::fprintf(stderr, "needs an X11 desktop with two monitors (see the comment at the top)\n");
        return 1;
    }
    for (QScreen* s : QGuiApplication::screens())
        std::printf("screen %s: %d x %d at %d,%d\n", qPrintable(s->name()), s->geometry().width(),
                    s->geometry().height(), s->geometry().x(), s->geometry().y());

    SelOverlayController& overlay = SelOverlayController::shared();
    GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::captureTranslate(), &app, [&overlay] {
        if (overlay.isActive()) {
            overlay.cancel();
            return;
        }
        SelRequest request;
        request.primaryAction = SelAction::translate;
        overlay.begin(std::move(request));
    });
    bool painted = false;
    QObject::connect(&overlay, &SelOverlayController::overlaysPainted, &app, [&painted] { painted = true; });
    QTest::qWait(300);

    // Hot key to overlay painted on every screen.
    const double idleMiB = bench::residentKiB() / 1024.0;
    double upMiB = 0;
    const auto timesToOpen = [&](int runs) {
        std::vector<double> open;
        for (int run = 0; run < runs; ++run) {
            painted = false;
            QElapsedTimer timer;
            timer.start();
            pressHotKey();
            if (!QTest::qWaitFor([&] { return painted; }, 5000)) return std::vector<double>{};
            QCoreApplication::processEvents();  // the flush to the X server
            roundTrip();
            open.push_back(timer.nsecsElapsed() / 1e6);
            if (upMiB == 0) upMiB = bench::residentKiB() / 1024.0;
            QTest::qWait(100);
            pressHotKey();  // closes it
            if (!QTest::qWaitFor([&] { return !overlay.isActive(); }, 5000)) return std::vector<double>{};
            QTest::qWait(150);
        }
        return open;
    };
    const std::vector<double> open = timesToOpen(12);
    // With a window of ours on the screen, which goes off it for the stills.
    QLabel window(QStringLiteral("历史记录\n还没有翻译记录"));
    window.setAlignment(Qt::AlignCenter);
    window.resize(900, 640);
    window.move(300, 200);
    window.show();
    QTest::qWait(500);
    const std::vector<double> openWithWindow = timesToOpen(12);
    window.hide();
    if (open.empty() || openWithWindow.empty()) {
        std::fprintf(stderr, "the overlay did not come up\n");
        return 1;
    }
    std::printf("hot key to overlay painted on every screen: median %.1f ms, p90 %.1f ms, first %.1f ms (%zu runs)\n",
                percentile(open, 0.5), percentile(open, 0.9), open.front(), open.size());
    std::printf("  with a window of ours to take off the screen first: median %.1f ms, p90 %.1f ms (%zu runs)\n",
                percentile(openWithWindow, 0.5), percentile(openWithWindow, 0.9), openWithWindow.size());
    std::printf("resident memory: %.1f MiB idle, %.1f MiB with the overlay up (+%.1f MiB)\n", idleMiB, upMiB,
                upMiB - idleMiB);

    // One drag step: the pointer moves, the view repaints what changed and
    // the window is flushed to the X server.
    SelRequest request;
    overlay.begin(std::move(request));
    if (!QTest::qWaitFor([&] { return overlay.windows().size() >= 2; }, 5000)) return 1;
    QTest::qWait(200);
    SelOverlayView* view = overlay.windows().first()->overlayView();
    // Paint: the move handled and the changed parts painted into the
    // window's buffer; shown: until the X server has put them on the screen.
    struct Steps {
        std::vector<double> paint, shown;
        void report(const char* what) const
        {
            std::printf("%s: paint median %.2f ms, p95 %.2f ms; on screen median %.2f ms, p95 %.2f ms (%zu steps)\n",
                        what, percentile(paint, 0.5), percentile(paint, 0.95), percentile(shown, 0.5),
                        percentile(shown, 0.95), paint.size());
        }
    };
    const auto step = [&view](Steps& steps, QPointF at) {
        QElapsedTimer timer;
        timer.start();
        mouse(view, QEvent::MouseMove, at, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        view->window()->windowHandle()->requestUpdate();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        steps.paint.push_back(timer.nsecsElapsed() / 1e6);
        roundTrip();
        steps.shown.push_back(timer.nsecsElapsed() / 1e6);
    };
    Steps selecting;
    mouse(view, QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton);
    for (int i = 0; i < 400; ++i) step(selecting, QPointF(300 + i * 3, 250 + i * 2));
    mouse(view, QEvent::MouseButtonRelease, {1500, 1050}, Qt::NoButton);
    QCoreApplication::processEvents();
    selecting.report("drag step while selecting (up to 1300 x 900)");

    if (overlay.phase() == SelPhase::editing) {
        Steps moving;
        mouse(view, QEvent::MouseButtonPress, {600, 500}, Qt::LeftButton);
        for (int i = 0; i < 300; ++i) step(moving, QPointF(600 - (i % 100), 500 - (i % 80)));
        mouse(view, QEvent::MouseButtonRelease, {500, 420}, Qt::NoButton);
        moving.report("drag step moving the selection with its toolbar");
    }
    overlay.cancel();
    return 0;
}
