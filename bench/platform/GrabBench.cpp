// Prints what a full-screen grab costs on this X server, with and without the
// pointer drawn in, and what the first PNG request of a copied screenshot costs.
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenshotTool.h"
#include "platform/Session.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace klipo::platform;

namespace {

CaptureOutcome grabOnce(bool cursor)
{
    CaptureOptions options;
    options.includeCursor = cursor;
    std::optional<CaptureOutcome> outcome;
    services().screenshots->capture(options, [&](CaptureOutcome o) { outcome = std::move(o); });
    while (!outcome) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return *outcome;
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %6.1f ms   min %6.1f ms   max %6.1f ms   (%zu runs)\n", what, ms[ms.size() / 2],
                ms.front(), ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (!checkDisplayOrExplain()) return 1;
    QApplication app(argc, argv);
    if (!isX11Session()) {
        std::fprintf(stderr, "needs an X11 session\n");
        return 1;
    }
    constexpr int runs = 30;
    QSize size;
    for (const bool cursor : {false, true}) {
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            const CaptureOutcome outcome = grabOnce(cursor);
            ms.push_back(timer.nsecsElapsed() / 1e6);
            if (!outcome.ok()) {
                std::fprintf(stderr, "grab failed: %s\n", qPrintable(outcome.error));
                return 1;
            }
            size = outcome.image.size();
        }
        report(cursor ? "full-screen grab with pointer" : "full-screen grab", ms);
    }
    std::printf("screen: %d x %d pixels\n", size.width(), size.height());

    const QImage shot = grabOnce(false).image;
    std::vector<double> copy, png;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer timer;
        timer.start();
        services().clipboard->setImage(shot);
        copy.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        const QByteArray bytes = QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png"));
        png.push_back(timer.nsecsElapsed() / 1e6);
        if (bytes.isEmpty()) return 1;
    }
    report("copy screenshot to clipboard", copy);
    report("first image/png request", png);
    return 0;
}
