#include "NumberedPage.h"

#include "platform/RegionGrabber.h"
#include "platform/WheelScroller.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace klipo::test {

NumberedPage::NumberedPage(QRect place, int lines)
{
    const QString at =
        QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(KLIPO_NUMBERED_PAGE), at, QString::number(lines)});
    const QList<QByteArray> words = waitForLine("shown ", 15000).split(' ');
    if (words.size() == 5) m_area = QRect(words[1].toInt(), words[2].toInt(), words[3].toInt(), words[4].toInt());
}

NumberedPage::~NumberedPage()
{
    m_process.write("quit\n");
    if (!m_process.waitForFinished(3000)) {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
}

QByteArray NumberedPage::waitForLine(const QByteArray& start, int timeoutMs)
{
    QByteArray line;
    (void)QTest::qWaitFor(
        [&] {
            m_process.waitForReadyRead(10);
            m_out += m_process.readAllStandardOutput();
            for (qsizetype end = m_out.indexOf('\n'); end >= 0; end = m_out.indexOf('\n')) {
                const QByteArray next = m_out.left(end).trimmed();
                m_out.remove(0, end + 1);
                if (next.startsWith(start.trimmed())) {
                    line = next;
                    return true;
                }
            }
            return m_process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return line;
}

bool NumberedPage::toTop()
{
    m_process.write("top\n");
    return !waitForLine("top", 5000).isEmpty();
}

QImage settledGrab(platform::RegionGrabber& grabber, const QRect& rectPx, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QImage previous;
    while (clock.elapsed() < timeoutMs) {
        QImage still;
        if (grabber.grab(rectPx, still, false)) return {};
        if (!previous.isNull() && still == previous) return still;
        previous = still;
        QTest::qWait(60);
    }
    return {};
}

QImage pageReference(const QRect& rectPx, int notches)
{
    auto grabber = platform::createRegionGrabber();
    auto wheel = platform::createWheelScroller();
    if (!grabber || !wheel) return {};
    const int step = NumberedPage::rowsPerNotch;
    QImage page(rectPx.width(), rectPx.height() + notches * step, QImage::Format_RGB32);
    QImage last = settledGrab(*grabber, rectPx);
    if (last.isNull()) return {};
    for (int y = 0; y < rectPx.height(); ++y)
        std::memcpy(page.scanLine(y), last.constScanLine(y), size_t(last.bytesPerLine()));
    for (int notch = 1; notch <= notches; ++notch) {
        wheel->scroll(rectPx.center(), 1);
        QTest::qWait(100);
        const QImage next = settledGrab(*grabber, rectPx);
        // Moved by exactly one notch: the rows it kept are the old ones, higher up.
        if (next.isNull() || next.copy(0, 0, next.width(), next.height() - step) !=
                                 last.copy(0, step, last.width(), last.height() - step))
            return {};
        const int top = rectPx.height() + (notch - 1) * step;
        for (int y = 0; y < step; ++y)
            std::memcpy(page.scanLine(top + y), next.constScanLine(next.height() - step + y),
                        size_t(next.bytesPerLine()));
        last = next;
    }
    return page;
}

BusyCores::BusyCores()
{
    for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
        m_threads.emplace_back([this] {
            while (!m_stop.load(std::memory_order_relaxed)) {}
        });
}

BusyCores::~BusyCores()
{
    m_stop = true;
    for (auto& thread : m_threads) thread.join();
}

}  // namespace klipo::test
