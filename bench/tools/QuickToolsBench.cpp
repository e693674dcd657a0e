// Prints what the quick tools cost on a 1920x1080 desktop: from the colour
// picker's start to its windows showing the frozen screen with the magnifier,
// one poll of the pointer (alone and with the repaint it causes), and from the
// remembered-area command to its file being written.
#include "app/CaptureHUDController.h"
#include "platform/Session.h"
#include "platform/SettingsStore.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorMagnifierView.h"
#include "tools/QuickColorPicker.h"
#include "tools/QuickColorPickerWindow.h"
#include "tools/QuickSettings.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace klipo;

namespace {

double ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

void waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done() && limit.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

void settle(int msecs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < msecs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Something to pick from: a window of text and colours over the whole screen.
QImage desktop()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(58, 110, 165));
    QPainter p(&image);
    p.fillRect(120, 80, 1500, 900, QColor(250, 250, 252));
    QFont font;
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
    for (int i = 0; i < 36; ++i)
        p.drawText(160, 160 + i * 22, QStringLiteral("第 %1 行 The quick brown fox jumps over the lazy dog").arg(i));
    for (int i = 0; i < 12; ++i) p.fillRect(1000 + i * 40, 600, 40, 300, QColor::fromHsv(i * 30, 200, 220));
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    bench::usePrivateHome(home);
    if (!platform::checkDisplayOrExplain()) return 1;
    QApplication app(argc, argv);
    constexpr int runs = 15;

    QLabel page(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    page.setPixmap(QPixmap::fromImage(desktop()));
    page.setGeometry(0, 0, 1920, 1080);
    page.show();
    settle(300);

    QuickColorPickerController& picker = QuickColorPickerController::shared();
    std::vector<double> opening;
    for (int i = 0; i < runs; ++i) {
        QCursor::setPos(700 + i * 10, 400);
        settle(50);
        QElapsedTimer t;
        t.start();
        picker.start();
        waitUntil([&] { return picker.isActive() && picker.magnifier(0) && picker.magnifier(0)->isVisible(); });
        // Painted on screen: the frozen picture with the magnifier in it.
        picker.overlays().first()->repaint();
        QCoreApplication::processEvents();
        opening.push_back(ms(t));
        if (i + 1 < runs) {
            picker.finish(false);
            settle(100);
        }
    }
    std::printf("colour picker: start to frozen screen with magnifier on screen: median %6.1f ms\n",
                bench::median(opening));

    std::vector<double> update, updateAndPaint;
    for (int i = 0; i < 400; ++i) {
        QCursor::setPos(300 + (i * 7) % 1200, 200 + (i * 3) % 700);
        QElapsedTimer t;
        t.start();
        picker.updateForMouse();
        update.push_back(ms(t));
        QCoreApplication::processEvents();
        updateAndPaint.push_back(ms(t));
    }
    std::printf("colour picker: one poll's update:                          median %6.3f ms\n", bench::median(update));
    std::printf("colour picker: one poll's update with the repaint it causes: median %6.3f ms\n",
                bench::median(updateAndPaint));
    picker.finish(false);
    settle(200);

    const QString folder = home.path() + "/captures";
    platform::SettingsStore::shared().setValue("plainCaptureDirectory", folder);
    QDir().mkpath(folder);
    Settings::setQuickLastCaptureArea(QRectF(300, 400, 640, 480));
    std::vector<double> area;
    for (int i = 0; i < runs; ++i) {
        CaptureHUDController::shared().dismiss(false);
        settle(100);
        const qsizetype before = QDir(folder).entryList(QDir::Files).size();
        QElapsedTimer t;
        t.start();
        QuickCaptureService::captureLastArea();
        waitUntil([&] { return QDir(folder).entryList(QDir::Files).size() > before; });
        area.push_back(ms(t));
        settle(300);
    }
    std::printf("remembered area 640x480: command to file written (120 ms pause included): median %6.1f ms\n",
                bench::median(area));
    return 0;
}
