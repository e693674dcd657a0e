// Prints what a finished screenshot costs until it is written, copied and
// told (1920x1080, PNG and JPEG, plain and shared paths), the longest stall
// of the interface thread meanwhile and while another program pastes it, and
// what reading one QR code in a full screen costs.
#include "app/CaptureHUDController.h"
#include "platform/Session.h"
#include "tools/CaptureFiles.h"
#include "tools/PlainCaptureService.h"
#include "tools/QuickBarcodeDetector.h"
#include "tools/QuickCaptureOutput.h"

#include "support/BenchSupport.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace klipo;

namespace {

// A desktop-like screen: a window with a title bar, lines of text, a few
// controls and a photo.
QImage screen()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(58, 110, 165));
    QPainter p(&image);
    p.fillRect(120, 80, 1500, 900, QColor(250, 250, 252));
    p.fillRect(120, 80, 1500, 40, QColor(44, 48, 56));
    QFont font;
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
    for (int i = 0; i < 36; ++i)
        p.drawText(160, 160 + i * 22, QStringLiteral("第 %1 行 The quick brown fox jumps over the lazy dog 0123456789").arg(i));
    for (int i = 0; i < 6; ++i) p.fillRect(1000, 160 + i * 50, 160, 32, QColor(0, 120, 215));
    QRandomGenerator random(7);
    for (int y = 520; y < 920; ++y)
        for (int x = 1000; x < 1560; ++x) {
            const int n = int(random.bounded(24));
            image.setPixel(x, y, qRgb(std::clamp((x - 1000) / 3 + n, 0, 255), std::clamp((y - 520) / 2 + n, 0, 255), 120 + n));
        }
    return image;
}

void drawQr(QImage& page, const QRect& at)
{
    const ZXing::BitMatrix bits = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).encode(
        std::string("https://example.com/klipoversa/download?from=benchmark"), at.width(), at.height());
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x) page.setPixel(at.x() + x, at.y() + y, bits.get(x, y) ? 0xff000000 : 0xffffffff);
}

// The longest gap between two turns of the interface thread's event loop.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const double now = m_clock.nsecsElapsed() / 1e6;
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_longest = 0;
};

void waitUntil(const std::function<bool()>& done)
{
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Run {
    std::vector<double> ms;
    std::vector<double> stalls;
};

void print(const char* what, const Run& run)
{
    std::printf("%-44s median %7.1f ms   longest stall (median) %5.1f ms   (%zu runs)\n", what, bench::median(run.ms),
                bench::median(run.stalls), run.ms.size());
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    bench::usePrivateHome(home);
    if (!platform::checkDisplayOrExplain()) return 1;
    QApplication app(argc, argv);
    const QImage picture = screen();
    const QString folder = home.path() + "/captures";
    constexpr int runs = 9;
    StallMeter meter;
    CaptureHUDController& toast = CaptureHUDController::shared();

    for (const CaptureFileFormat format : {CaptureFileFormat::png, CaptureFileFormat::jpeg}) {
        const char* name = format == CaptureFileFormat::png ? "PNG" : "JPEG";
        std::vector<double> encoding;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            const QByteArray data = CaptureFiles::encode(picture, format);
            encoding.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("%s encoding alone: median %.1f ms (%lld bytes)\n", name, bench::median(encoding),
                    qint64(CaptureFiles::encode(picture, format).size()));

        PlainCaptureService::Options options;
        options.directory = folder;
        options.format = format;
        Run plain, shared, paste;
        for (int i = 0; i < runs; ++i) {
            toast.dismiss(false);
            settle(50);
            meter.start();
            QElapsedTimer t;
            t.start();
            PlainCaptureService::handleCapture(platform::CaptureOutcome::success(picture, 1.0), options);
            waitUntil([&] { return toast.isShowingToast(); });
            plain.ms.push_back(t.nsecsElapsed() / 1e6);
            settle(300);  // the history's write and the fade-in belong to the run
            plain.stalls.push_back(meter.stop());

            // Another program pastes what was copied, in both forms.
            meter.start();
            for (const char* type : {"image/png", "image/tiff"}) {
                QProcess xclip;
                xclip.setStandardOutputFile(QProcess::nullDevice());
                xclip.start("xclip", {"-selection", "clipboard", "-t", type, "-o"});
                waitUntil([&] { return xclip.state() == QProcess::NotRunning; });
            }
            paste.stalls.push_back(meter.stop());
            paste.ms.push_back(0);

            toast.dismiss(false);
            settle(50);
            QuickCaptureOutput::Options outputOptions{folder, format, true, true, true};
            meter.start();
            t.restart();
            QuickCaptureOutput::deliver(picture, {}, outputOptions);
            waitUntil([&] { return toast.isShowingToast(); });
            shared.ms.push_back(t.nsecsElapsed() / 1e6);
            settle(300);
            shared.stalls.push_back(meter.stop());
        }
        print((std::string("plain capture, ") + name + ": written, copied, toasted").c_str(), plain);
        print((std::string("shared path, ") + name + ": written, copied, toasted").c_str(), shared);
        std::printf("%-44s longest stall (median) %5.1f ms\n",
                    (std::string("another program pastes the ") + name + " capture").c_str(),
                    bench::median(paste.stalls));
    }

    QImage withCode = picture;
    drawQr(withCode, QRect(1300, 600, 260, 260));
    std::vector<double> reading;
    QStringList codes;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        codes = QuickBarcodeDetector::detect(withCode);
        reading.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("barcode reading, 1920x1080 with one QR:      median %7.1f ms   (%lld code(s) read)\n",
                bench::median(reading), qint64(codes.size()));
    return codes.size() == 1 ? 0 : 1;
}
