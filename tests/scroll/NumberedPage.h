#pragma once

// Another program's page that repaints as it scrolls, for the desktop tests
// and the benchmark of scrolling capture.
#include "platform/RegionGrabber.h"
#include "platform/WheelScroller.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace klipo::test {

// A Tk text window of numbered lines (numbered_page.py), 50 rows a wheel notch.
class NumberedPage {
public:
    static constexpr int rowsPerNotch = 50;

    // `place`: the window's geometry (global pixels); `lines`: the page's length.
    NumberedPage(QRect place, int lines)
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        m_process.start("/usr/bin/python3", {KLIPO_NUMBERED_PAGE, at, QString::number(lines)});
        const QList<QByteArray> words = waitForLine("shown", 15000).split(' ');
        if (words.size() == 5) m_area = QRect(words[1].toInt(), words[2].toInt(), words[3].toInt(), words[4].toInt());
    }
    ~NumberedPage()
    {
        m_process.write("quit\n");
        m_process.waitForFinished(3000);  // else killed as the process object goes
    }

    bool shown() const { return m_area.isValid(); }
    // The text area on the screen, as the program reports it.
    QRect area() const { return m_area; }
    // Back to the first line, drawn.
    bool toTop()
    {
        m_process.write("top\n");
        return !waitForLine("top", 5000).isEmpty();
    }

private:
    QByteArray waitForLine(const QByteArray& start, int timeoutMs)
    {
        QByteArray line;
        const auto found = [&] {
            while (m_process.canReadLine())
                if ((line = m_process.readLine().trimmed()).startsWith(start)) return true;
            return m_process.state() == QProcess::NotRunning;
        };
        return QTest::qWaitFor(found, timeoutMs) && line.startsWith(start) ? line : QByteArray();
    }

    QProcess m_process;
    QRect m_area;
};

// A still of `rectPx` once two grabs a little apart agree; null when the
// screen did not settle within 3 s.
inline QImage settledGrab(platform::RegionGrabber& grabber, const QRect& rectPx)
{
    QElapsedTimer clock;
    clock.start();
    QImage previous, still;
    while (clock.elapsed() < 3000 && !grabber.grab(rectPx, still, false)) {
        if (!previous.isNull() && still == previous) return still;
        previous = still;
        QTest::qWait(60);
    }
    return {};
}

// The page's rows under `rectPx` from where it is through `notches` wheel
// notches down, put together from settled grabs (the page is left scrolled
// there). Null when a notch did not move it by exactly rowsPerNotch.
inline QImage pageReference(const QRect& rectPx, int notches)
{
    auto grabber = platform::createRegionGrabber();
    auto wheel = platform::createWheelScroller();
    QImage last = grabber && wheel ? settledGrab(*grabber, rectPx) : QImage();
    if (last.isNull()) return {};
    const int step = NumberedPage::rowsPerNotch;
    QImage page(rectPx.width(), rectPx.height() + notches * step, QImage::Format_RGB32);
    QPainter painter(&page);
    painter.drawImage(0, 0, last);
    for (int notch = 1; notch <= notches; ++notch) {
        wheel->scroll(rectPx.center(), 1);
        QTest::qWait(100);
        const QImage next = settledGrab(*grabber, rectPx);
        // Moved by exactly one notch: the rows it kept are the old ones, higher up.
        if (next.isNull() || next.copy(0, 0, next.width(), next.height() - step) !=
                                 last.copy(0, step, last.width(), last.height() - step))
            return {};
        painter.drawImage(0, rectPx.height() + (notch - 1) * step, next, 0, next.height() - step, -1, step);
        last = next;
    }
    painter.end();
    return page;
}

// Every core spinning while it lives, as on a loaded machine.
class BusyCores {
public:
    BusyCores()
    {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            m_threads.emplace_back([this] {
                while (!m_stop.load(std::memory_order_relaxed)) {}
            });
    }
    ~BusyCores()
    {
        m_stop = true;
        for (auto& thread : m_threads) thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

}  // namespace klipo::test
