#pragma once

#include "app/CaptureHUDController.h"
#include "platform/CapturePermission.h"
#include "support/DesktopDriver.h"
#include "tools/PlainCaptureOverlay.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTest>

#include <ostream>
#include <string>

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace klipo::test {

struct FakePermission : platform::CapturePermission {
    bool granted = true;
    int requests = 0;
    bool canCapture() const override { return granted; }
    bool request() override { return ++requests, granted; }
    QString reason() const override { return {}; }
};

// Notes what plain capture asks of the overlay, and when.
struct FakeOverlay : PlainCaptureOverlay {
    bool active = false;
    QList<qint64> beginsAtMs;
    int closes = 0;
    QElapsedTimer clock;

    FakeOverlay() { clock.start(); }
    bool isActive() const override { return active; }
    void beginCopy() override { beginsAtMs << clock.elapsed(), active = true; }
    void close() override { ++closes, active = false; }
};

// A code as ZXing's writer draws it (black on white, `size` pixels square
// or wide), placed on a white page at `at`.
inline void drawCode(QImage& page, ZXing::BarcodeFormat format, const std::string& text, const QRect& at)
{
    const ZXing::BitMatrix bits = ZXing::MultiFormatWriter(format)
                                      .setMargin(10)
                                      .setEncoding(ZXing::CharacterSet::UTF8)
                                      .encode(text, at.width(), at.height());
    QImage code(bits.width(), bits.height(), QImage::Format_RGB32);
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x) code.setPixel(x, y, bits.get(x, y) ? 0xff000000 : 0xffffffff);
    QPainter(&page).drawImage(at.topLeft(), code);
}

inline QImage whitePage(const QSize& size)
{
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    return page;
}

inline QString toastTitle()
{
    return CaptureHUDController::shared().isShowingToast() ? CaptureHUDController::shared().currentTitle() : QString();
}

}  // namespace klipo::test
