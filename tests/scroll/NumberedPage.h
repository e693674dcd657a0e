#pragma once

// Another program's page that repaints as it scrolls, for the desktop tests
// and the benchmark of scrolling capture.
#include "platform/RegionGrabber.h"
#include "platform/WheelScroller.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QList>
#include <QMap>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

namespace klipo::test {

// A Tk text window of numbered lines (numbered_page.py), 50 rows a wheel notch.
class NumberedPage {
public:
    static constexpr int rowsPerNotch = 50;

    enum class Look {
        plain,     // the text from the widget's edges
        repeated,  // with a band of 18 identical rows
        framed,    // in a sunken border, focus ring and padding (Tk's own look of a text widget)
    };

    // `place`: the window's geometry (global pixels); `lines`: the page's length.
    NumberedPage(QRect place, int lines, Look look = Look::plain)
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        QStringList args{KLIPO_NUMBERED_PAGE, at, QString::number(lines)};
        if (look == Look::repeated) args << QStringLiteral("repeated");
        if (look == Look::framed) args << QStringLiteral("framed");
        m_process.start("/usr/bin/python3", args);
        const QList<QByteArray> words = waitForLine("shown", 15000).split(' ');
        if (words.size() == 5) m_area = QRect(words[1].toInt(), words[2].toInt(), words[3].toInt(), words[4].toInt());
    }
    ~NumberedPage()
    {
        m_process.write("quit\n");
        m_process.waitForFinished(3000);  // else killed as the process object goes
    }

    bool shown() const { return m_area.isValid(); }
    // The text widget on the screen (its border included), as the program reports it.
    QRect area() const { return m_area; }
    // Keeps the program from repainting anything, as a busy machine may;
    // and lets it go on.
    void pause() { ::kill(pid_t(m_process.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
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

// Where a window's content is on the screen (global pixels), as xwininfo says.
inline QRect windowArea(const QString& window)
{
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {"-id", window});
    info.waitForFinished(5000);
    QMap<QString, int> values;
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
        values[line.section(':', 0, 0).trimmed()] = line.section(':', 1).trimmed().toInt();
    return {values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"], values["Height"]};
}

// The largest visible window titled exactly `title` (a program may title a
// small window of its own alike), waited for; empty when none came.
inline QString findWindow(const QString& title, int timeoutMs = 15000)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"});
    if (!search.waitForFinished(timeoutMs)) {
        search.kill();
        search.waitForFinished();
        return {};
    }
    QString largest;
    qint64 largestArea = 0;
    for (const QString& window : QString::fromUtf8(search.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QRect area = windowArea(window.trimmed());
        if (qint64(area.width()) * area.height() > largestArea) {
            largest = window.trimmed();
            largestArea = qint64(area.width()) * area.height();
        }
    }
    return largest;
}

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

// Parts of a region that stand still while its content scrolls: rows at the
// top (a header, a border) and at the bottom (a border, a status line, the
// rows of a fixed button), and columns at the right (a scroll bar, whose thumb
// moves on its own).
struct StillParts {
    int top = 0;
    int bottom = 0;
    int right = 0;
};

// How far a still moved against the one before, judged on the rows and
// columns between the still parts: the least s (or only `expected`, when
// given) with the newer still's rows equal to the older one's s rows further
// down; 0 when they are equal, -1 when no shift explains the change.
inline int shiftBetween(const QImage& older, const QImage& newer, int expected = -1, StillParts still = {})
{
    if (older.size() != newer.size() || older.format() != newer.format()) return -1;
    const QRect band(0, still.top, older.width() - still.right, older.height() - still.top - still.bottom);
    const QImage a = older.copy(band), b = newer.copy(band);
    const auto rowKeys = [](const QImage& image) {
        std::vector<size_t> keys;
        const qsizetype bytes = qsizetype(image.width()) * image.depth() / 8;
        for (int y = 0; y < image.height(); ++y)
            keys.push_back(qHash(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)), bytes)));
        return keys;
    };
    const std::vector<size_t> ka = rowKeys(a), kb = rowKeys(b);
    const int h = a.height();
    for (int s = 0; s < h; ++s)
        if ((expected < 0 || s == 0 || s == expected) && std::equal(kb.begin(), kb.end() - s, ka.begin() + s) &&
            b.copy(0, 0, b.width(), h - s) == a.copy(0, s, a.width(), h - s))
            return s;
    return -1;
}

// One wheel notch down over `rectPx`.
inline std::function<void()> wheelNotch(const QRect& rectPx)
{
    return [rectPx, wheel = std::shared_ptr<platform::WheelScroller>(platform::createWheelScroller())] {
        if (wheel) wheel->scroll(rectPx.center(), 1);
    };
}

// The content under `rectPx` from where it is down to its end (or through
// `maxSteps` steps), put together from settled grabs, each after one `step`
// (a wheel notch unless given); the content is left scrolled there. What
// stands still (`still`) comes once: the top rows from the first grab, the
// bottom rows from the last. Null when a step moved it by anything else than
// `perStep` rows (any distance with 0) before the end; a shorter step ends it.
inline QImage scrolledReference(const QRect& rectPx, int maxSteps, int perStep = 0, StillParts still = {},
                                std::function<void()> step = {})
{
    if (!step) step = wheelNotch(rectPx);
    auto grabber = platform::createRegionGrabber();
    QImage last = grabber ? settledGrab(*grabber, rectPx) : QImage();
    if (last.isNull()) return {};
    const int h = last.height();
    QList<QImage> bands{last.copy(0, 0, last.width(), h - still.bottom)};
    for (int done = 1; done <= maxSteps; ++done) {
        step();
        QTest::qWait(100);
        const QImage next = settledGrab(*grabber, rectPx);
        int moved = next.isNull() ? -1 : shiftBetween(last, next, perStep > 0 ? perStep : -1, still);
        // A shorter step is the last one, where the content ends.
        const bool end = moved != perStep && perStep > 0 && !next.isNull() &&
                         (moved = shiftBetween(last, next, -1, still)) < perStep;
        if (moved == 0) break;  // the end of the content
        if (moved < 0 || (perStep > 0 && moved != perStep && !end)) return {};
        bands << next.copy(0, h - still.bottom - moved, next.width(), moved);
        last = next;
        if (end) break;
    }
    bands << last.copy(0, h - still.bottom, last.width(), still.bottom);
    int height = 0;
    for (const QImage& band : bands) height += band.height();
    QImage page(rectPx.width(), height, QImage::Format_RGB32);
    QPainter painter(&page);
    int y = 0;
    for (const QImage& band : bands) {
        painter.drawImage(0, y, band);
        y += band.height();
    }
    painter.end();
    return page;
}

// How a saved long image differs from the reference, but for `ignoreRight`
// columns at the right (a scroll bar's thumb, caught at different places);
// empty when it does not.
inline std::string contentDifference(const QImage& saved, const QImage& reference, int ignoreRight = 0)
{
    const auto size = [](const QImage& image) {
        return std::to_string(image.width()) + "x" + std::to_string(image.height());
    };
    if (saved.isNull()) return "no image saved";
    if (saved.size() != reference.size()) return size(saved) + " saved for " + size(reference);
    const QRect content(0, 0, saved.width() - ignoreRight, saved.height());
    const QImage a = saved.copy(content).convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.copy(content).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), std::size_t(a.width()) * 4) != 0)
            return "row " + std::to_string(y) + " of " + std::to_string(a.height()) + " differs";
    return {};
}

// The Tk page's rows under `rectPx` from where it is through `notches` wheel
// notches down (the page is left scrolled there). Null when a notch did not
// move it by exactly rowsPerNotch.
inline QImage pageReference(const QRect& rectPx, int notches, StillParts still = {})
{
    return scrolledReference(rectPx, notches, NumberedPage::rowsPerNotch, still);
}

// A terminal (xterm, black on white) showing the output of `command`,
// without its cursor and without a scroll bar; in DejaVu Sans Mono 10, or in
// the X server's own fixed 6x13 when no face is named (xterm's default).
class TerminalPage {
public:
    TerminalPage(QPoint at, int columns, int rows, const QString& command,
                 const QString& face = QStringLiteral("DejaVu Sans Mono"))
    {
        const QString title = QStringLiteral("klipo-terminal-page");
        QStringList args{"-T", title, "-geometry",
                         QStringLiteral("%1x%2+%3+%4").arg(columns).arg(rows).arg(at.x()).arg(at.y())};
        if (!face.isEmpty()) args << "-fa" << face << "-fs" << "10";
        args << "-bg" << "white" << "-fg" << "black" << "+sb" << "-e" << "sh" << "-c"
             << command + QStringLiteral("; printf '\033[?25l'; exec sleep 100000");
        m_process.start(QStringLiteral("xterm"), args);
        if (!m_process.waitForStarted(5000)) return;
        m_window = findWindow(title);
        if (m_window.isEmpty()) return;
        QTest::qWait(500);  // drawn
        m_area = windowArea(m_window);
    }
    ~TerminalPage()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }

    bool shown() const { return m_area.isValid() && m_area.width() > 1; }
    // The whole text area with xterm's inner border, global pixels.
    QRect area() const { return m_area; }
    // Back to the first line of the output, drawn.
    bool toTop()
    {
        const QPoint c = m_area.center();
        QProcess::execute(QStringLiteral("xdotool"), {"mousemove", QString::number(c.x()), QString::number(c.y()),
                                                      "click", "--repeat", "150", "--delay", "2", "4"});
        auto grabber = platform::createRegionGrabber();
        return grabber && !settledGrab(*grabber, m_area).isNull();
    }

    // xterm's inner border around the text, pixels.
    static constexpr int innerBorder = 2;
    // A coloured listing of commits, as `git log --oneline --decorate` prints
    // in colour: `count` lines.
    static QString colouredLog(int count)
    {
        return QStringLiteral("seq 1 ") + QString::number(count) +
               QStringLiteral(" | awk '{printf \"\\033[33m%07x\\033[0m \\033[1;36m(tag: v%d)\\033[0m "
                              "\\033[32mchange\\033[0m number %d of the listing\\n\", ($1*2654435761)%268435456, "
                              "$1, $1}'");
    }

private:
    QProcess m_process;
    QString m_window;
    QRect m_area;
};

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
