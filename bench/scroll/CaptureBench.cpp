// What scrolling capture costs on this X server, with another program's page
// scrolling under the region (klipo_scroll_fixture): the grab of one still
// per region size, stills per second and ticks skipped because the stitcher
// was behind, how well the pixels per wheel notch are learnt, and the memory
// over a capture of 280 frames; and, over real programs (a Tk text window
// that repaints as it scrolls, numbered_page.py, also with a band of
// identical rows; a terminal showing sparse short lines), how many images
// came out exact, how many seams of each capture were matched exactly and how
// long the saved file takes after "✓ 完成", on an idle machine and with every
// core kept busy. The programs users frame whole (chromium pages with a sticky header and a
// fixed button, bands of identical rows, a view as tall as the screen; xterm in
// its default font and with a coloured listing; a framed Tk text widget) are
// captured by hand and automatically, idle and busy. Run inside the headless
// desktop:
//   scripts/headless-desktop.sh build/bench/scroll/scroll_capture_bench
//       [grab|rate|calibration|memory|repaint|band|terminal|sticky|table|bottom|xfixed|listing|tkframed]...
#include "BrowserPage.h"
#include "NumberedPage.h"
#include "app/HUDBarButton.h"
#include "platform/RegionGrabber.h"
#include "platform/SettingsStore.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollCaptureService.h"
#include "scroll/ScrollControlBarPanel.h"
#include "scroll/ScrollWheelPacer.h"
#include "support/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <optional>
#include <vector>

using namespace klipo;

namespace {

class Page {
public:
    Page(QRect place, int pageHeight, int perNotch, const QString& timer = {})
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        QStringList args{
            "--at", at, "--page-height", QString::number(pageHeight), "--per-notch", QString::number(perNotch)};
        if (!timer.isEmpty()) args << "--timer" << timer;
        m_process.start(QStringLiteral(KLIPO_SCROLL_FIXTURE), args);
        QByteArray out;
        (void)QTest::qWaitFor(
            [&] {
                m_process.waitForReadyRead(20);
                out += m_process.readAllStandardOutput();
                return out.contains("shown");
            },
            10000);
        QTest::qWait(300);
    }
    ~Page()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

ScrollTarget targetAt(const QRect& global)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const double fromBottom = screen.height() - global.bottom() - 1;
    return {screen, 1.0, QRectF(global.x(), fromBottom, global.width(), global.height())};
}

std::unique_ptr<ScrollCaptureService> newService()
{
    return std::make_unique<ScrollCaptureService>(std::make_unique<DesktopScrollEnvironment>(),
                                                  ScrollCaptureService::Timing{});
}

void benchGrab()
{
    std::printf("== grab of one still (X11 shared memory, no pointer)\n");
    auto grabber = platform::createRegionGrabber();
    if (!grabber) return;
    for (QSize size : {QSize(360, 280), QSize(800, 600), QSize(1280, 720), QSize(1920, 1080)}) {
        std::vector<double> ms;
        QImage frame;
        for (int i = 0; i < 200; ++i) {
            QElapsedTimer t;
            t.start();
            grabber->grab(QRect(QPoint(0, 0), size), frame, false);
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            frame = QImage();  // a new image every time, as each still goes to the worker
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%5dx%-5d median %6.2f ms   p95 %6.2f ms\n", size.width(), size.height(), ms[ms.size() / 2],
                    ms[ms.size() * 95 / 100]);
    }
}

void benchRate(QSize region, int seconds)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect place(40, 20, std::min(region.width() + 80, screen.width() - 80), region.height() + 60);
    Page page(place, 40000, 0, QStringLiteral("0,100,40,40000"));
    auto service = newService();
    service->startCapture(targetAt(QRect(place.topLeft() + QPoint(40, 30), region)));
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(seconds * 1000);
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const auto counters = service->counters();
    std::printf(
        "%5dx%-5d %5.2f stills/s (aim 8.3)   kept %3d   ticks skipped: %d for the stitcher's backlog, %d for "
        "our windows\n",
        region.width(), region.height(), counters.stills / elapsed, service->keptCount(), counters.skippedForBacklog,
        counters.skippedForWindows);
    service->cancelCapture();
}

void benchCalibration(int perNotch)
{
    Page page(QRect(300, 100, 900, 900), 30000, perNotch);
    auto service = newService();
    service->startCapture(targetAt(QRect(350, 200, 800, 500)));
    (void)QTest::qWaitFor([&] { return service->keptCount() >= 1; }, 5000);
    service->startAutoScroll();
    QTest::qWait(12000);
    const auto learnt = service->pacer()->pixelsPerNotch();
    std::printf("%3d px per notch: learnt %7.3f   error %.3f %%   notches %d   kept %d   automatic ticks waiting %d\n",
                perNotch, learnt.value_or(0), learnt ? 100.0 * std::abs(*learnt - perNotch) / perNotch : 100.0,
                service->counters().notchesPosted, service->keptCount(), service->counters().autoTicksWaiting);
    service->cancelCapture();
}

void benchMemory()
{
    std::printf("== memory over a capture of 280 frames, 800x600, every frame kept\n");
    Page page(QRect(100, 100, 900, 700), 40000, 0, QStringLiteral("0,120,60,40000"));
    auto service = newService();
    service->startCapture(targetAt(QRect(150, 150, 800, 600)));
    for (int checkpoint : {1, 70, 140, 210, 279}) {
        (void)QTest::qWaitFor([&] { return service->inputCount() >= checkpoint; }, 120000);
        std::printf("input %3d  kept %3d  resident %6ld KiB\n", service->inputCount(), service->keptCount(),
                    bench::residentKiB());
    }
    (void)QTest::qWaitFor([&] { return service->state == ScrollCaptureService::ScrollState::idle; }, 120000);
    std::printf("finished (limit reached, stitched, delivered): peak resident %ld KiB\n", bench::statusKiB("VmHWM"));
}

// A page of a real program to capture again and again: brought back to its
// top before each capture, turned `notches` notches by hand (30-130 ms
// apart, or `pauseMs` apart), or scrolled automatically to its end.
struct RealPage {
    const char* name;
    QRect region;
    int notches;
    std::function<bool()> toTop;
    int pauseMs = 0;
    int ignoreRight = 0;  // columns of a scroll bar, whose thumb is caught anywhere
};

void benchRealPage(const RealPage& page, const QImage& reference, int captures, bool busy, bool automatic = false)
{
    const QString how = automatic ? QStringLiteral("scrolled automatically")
                        : page.pauseMs
                            ? QStringLiteral("of %1 notches by hand (%2 ms apart)").arg(page.notches).arg(page.pauseMs)
                            : QStringLiteral("of %1 notches by hand (30-130 ms apart)").arg(page.notches);
    std::printf("== %s, %d captures %s, %s\n", page.name, captures, qPrintable(how),
                busy ? "every core kept busy" : "idle");
    if (reference.isNull()) {
        std::printf("no reference: the page did not scroll as expected\n");
        return;
    }
    const QString folder = QDir::tempPath() + QStringLiteral("/klipo-repaint-bench");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureDirectory"), folder);
    platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureCopyToClipboard"), false);

    auto service = newService();
    std::optional<ScrollStitchOutput> stitched;
    service->onStitchedForTest = [&](const ScrollStitchOutput* output) {
        stitched = output ? std::optional(*output) : std::nullopt;
    };
    const int pauses[] = {30, 60, 90, 130};
    std::optional<test::BusyCores> load;
    if (busy) load.emplace();
    int right = 0, toldUnsure = 0, wrongAsSuccess = 0;
    std::vector<double> toFile;
    const QRect region = page.region;
    for (int run = 0; run < captures; ++run) {
        // The last capture's file may still be on its way: each capture starts from idle.
        (void)QTest::qWaitFor([&] { return service->state == ScrollCaptureService::ScrollState::idle; }, 60000);
        page.toTop();
        stitched.reset();
        const int before = int(QDir(folder).entryList(QDir::Files).size());
        service->startCapture(targetAt(region));
        (void)QTest::qWaitFor([&] { return service->keptCount() >= 1; }, 5000);
        if (automatic) {
            service->startAutoScroll();
            (void)QTest::qWaitFor([&] { return !service->isAutoScrolling(); }, 120000);
        } else {
            QStringList hand{"mousemove", QString::number(region.center().x()), QString::number(region.center().y())};
            for (int notch = 0; notch < page.notches; ++notch)
                hand += {"click", "5", "sleep",
                         QString::number((page.pauseMs ? page.pauseMs : pauses[(run + notch) % 4]) / 1000.0)};
            QProcess wheel;
            wheel.start(QStringLiteral("xdotool"), hand);
            (void)QTest::qWaitFor([&] { return wheel.state() == QProcess::NotRunning; }, 120000);
        }
        QTest::qWait(400);
        const ScrollCaptureService::Counters counters = service->counters();
        QElapsedTimer clock;
        clock.start();
        if (!service->controlBar()) {
            std::printf("capture %2d: no capture running to finish\n", run + 1);
            toFile.push_back(0);
            continue;
        }
        QTest::mouseClick(service->controlBar()->finishButton(), Qt::LeftButton);
        QStringList files;
        (void)QTest::qWaitFor([&] { return (files = QDir(folder).entryList(QDir::Files, QDir::Time)).size() > before; },
                              20000);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        toFile.push_back(ms);
        const bool same =
            !files.isEmpty() &&
            test::contentDifference(QImage(QDir(folder).filePath(files.first())), reference, page.ignoreRight).empty();
        const int seams = stitched ? int(stitched->placements.size()) - 1 : 0;
        const int exact = stitched ? stitched->exactSeamCount() - 1 : 0;
        right += same;
        // What the user hears: the seams the toast asks to check.
        const bool told = stitched && !stitched->unalignedSeams.empty();
        toldUnsure += told;
        wrongAsSuccess += !same && !told;
        std::printf(
            "capture %2d: seams exact %2d of %2d   image %s   stills %3d (%2d unsettled)   "
            "\"✓ 完成\" to the saved file %5.0f ms\n",
            run + 1, exact, seams, same ? "exact" : "WRONG", counters.stills, counters.unsettledStills, ms);
    }
    std::sort(toFile.begin(), toFile.end());
    std::printf(
        "%s, %s, %s: %d of %d images exact, %d told unsure, %d wrong without a word; \"✓ 完成\" to the saved "
        "file: median %.0f ms, worst %.0f ms\n",
        page.name, automatic ? "automatically" : "by hand", busy ? "busy" : "idle", right, captures, toldUnsure,
        wrongAsSuccess, toFile[toFile.size() / 2], toFile.back());
    QDir(folder).removeRecursively();
}

// By hand and automatically, idle and busy.
void benchEveryWay(const RealPage& page, const QImage& reference, int captures)
{
    for (bool automatic : {false, true})
        for (bool busy : {false, true}) benchRealPage(page, reference, captures, busy, automatic);
}

// Whole text areas framed with their borders: xterm in its default font and
// with a coloured listing, a Tk text widget in its frame.
void benchFramed(const QString& which, int captures)
{
    const test::StillParts xtermBorder{test::TerminalPage::innerBorder, test::TerminalPage::innerBorder};
    if (which == QLatin1String("tkframed")) {
        test::NumberedPage page(QRect(300, 20, 687, 700), 160, test::NumberedPage::Look::framed);
        if (!page.shown() || !page.toTop()) return (void)std::printf("no Tk page (python3-tk missing?)\n");
        const QImage reference = test::scrolledReference(page.area(), 100, 0, {6, 6});
        benchEveryWay({"a Tk text widget framed whole", page.area(), 55, [&] { return page.toTop(); }, 150}, reference,
                      captures);
        return;
    }
    const bool fixedFont = which == QLatin1String("xfixed");
    test::TerminalPage terminal(QPoint(300, 40), fixedFont ? 90 : 80, fixedFont ? 40 : 36,
                                fixedFont ? QStringLiteral("seq 1 240") : test::TerminalPage::colouredLog(160),
                                fixedFont ? QString() : QStringLiteral("DejaVu Sans Mono"));
    if (!terminal.shown() || !terminal.toTop()) return (void)std::printf("no terminal (xterm missing?)\n");
    const QImage reference = test::scrolledReference(terminal.area(), 100, 0, xtermBorder);
    benchEveryWay(
        {fixedFont ? "xterm in its default font, framed whole" : "xterm showing a coloured listing, framed whole",
         terminal.area(), fixedFont ? 45 : 30, [&] { return terminal.toTop(); }, 150},
        reference, captures);
}

// Pages in chromium: a sticky header with a fixed button framed whole, a
// table with bands of identical rows, a view as tall as the screen.
void benchBrowser(const QString& which, int captures)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const bool sticky = which == QLatin1String("sticky"), table = which == QLatin1String("table");
    const QRect window = sticky || table ? QRect(200, 40, 1000, 800) : QRect(200, 0, 1000, screen.height());
    test::BrowserPage page(window, sticky  ? test::pages::stickyHeader(100)
                                   : table ? test::pages::tableWithBands(200)
                                           : test::pages::article(40));
    if (!page.shown() || !page.toTop()) return (void)std::printf("no browser page (chromium missing?)\n");
    const QRect region = sticky ? page.area() : page.area().adjusted(0, test::BrowserPage::infoBarRows, 0, 0) & screen;
    const test::StillParts still =
        sticky ? test::StillParts{test::BrowserPage::infoBarRows + 56, 80, 15} : test::StillParts{8, 0, 15};
    const QImage reference = test::scrolledReference(region, 200, 100, still, page.step());
    const char* name = sticky  ? "chromium, a sticky header and a fixed button, framed whole"
                       : table ? "chromium, a table with bands of identical rows"
                               : "chromium, a view as tall as the screen";
    benchEveryWay({name, region, table ? 50 : 40, [&] { return page.toTop(); }, table ? 400 : 200,
                   test::BrowserPage::scrollBarColumns},
                  reference, captures);
}

// The Tk page (numbered lines, or with its band of 18 identical rows 40 apart).
void benchTkPage(bool band, int captures)
{
    test::NumberedPage page(band ? QRect(300, 20, 700, 640) : QRect(300, 20, 640, 800), band ? 200 : 400,
                            band ? test::NumberedPage::Look::repeated : test::NumberedPage::Look::plain);
    if (!page.shown() || !page.toTop()) {
        std::printf("no Tk page (python3-tk missing?)\n");
        return;
    }
    const QRect region = band ? page.area().adjusted(0, 20, 0, -60) : page.area().adjusted(2, 30, -60, -100);
    const int notches = band ? 24 : 20;
    const QImage reference = test::pageReference(region, notches);
    const RealPage real{band ? "the Tk page with 18 identical rows" : "the Tk page", region, notches,
                        [&] { return page.toTop(); }};
    for (bool busy : {false, true}) benchRealPage(real, reference, captures, busy);
}

// A terminal (xterm) showing `seq 1 400`, framed whole, wheeled to its end.
void benchTerminal(int captures)
{
    test::TerminalPage terminal(QPoint(300, 40), 60, 42, QStringLiteral("seq 1 400"));
    if (!terminal.shown() || !terminal.toTop()) {
        std::printf("no terminal (xterm missing?)\n");
        return;
    }
    const QImage reference = test::scrolledReference(terminal.area(), 200);
    const RealPage real{"xterm showing seq 1 400", terminal.area(), 100, [&] { return terminal.toTop(); }};
    for (bool busy : {false, true}) benchRealPage(real, reference, captures, busy);
}

}  // namespace

int main(int argc, char** argv)
{
    // Captures, settings and history go to a private home, not the user's.
    QTemporaryDir home;
    bench::usePrivateHome(home);
    QApplication app(argc, argv);
    QStringList parts = QApplication::arguments().mid(1);
    if (parts.isEmpty())
        parts = {"grab",   "rate",  "calibration", "memory", "repaint", "band",    "terminal",
                 "sticky", "table", "bottom",      "xfixed", "listing", "tkframed"};
    if (parts.contains("grab")) benchGrab();
    if (parts.contains("rate")) {
        std::printf("== stills per second over 10 s, the page moving 400 px/s\n");
        benchRate(QSize(800, 600), 10);
        benchRate(QSize(1800, 960), 10);
    }
    if (parts.contains("calibration")) {
        std::printf("== automatic scrolling for 12 s, pixels per notch learnt from exact seams\n");
        for (int perNotch : {37, 53, 100}) benchCalibration(perNotch);
    }
    if (parts.contains("memory")) benchMemory();
    if (parts.contains("repaint")) benchTkPage(false, 10);
    if (parts.contains("band")) benchTkPage(true, 10);
    if (parts.contains("terminal")) benchTerminal(10);
    for (const char* browserPage : {"sticky", "table", "bottom"})
        if (parts.contains(browserPage)) benchBrowser(QString::fromLatin1(browserPage), 10);
    for (const char* framed : {"xfixed", "listing", "tkframed"})
        if (parts.contains(framed)) benchFramed(QString::fromLatin1(framed), 10);
    return 0;
}
