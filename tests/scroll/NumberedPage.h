#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QRect>

#include <atomic>
#include <thread>
#include <vector>

namespace klipo::platform {
class RegionGrabber;
}

namespace klipo::test {

// Another program's page that repaints as it scrolls: a Tk text window of
// numbered lines (numbered_page.py), 50 rows a wheel notch. For the desktop
// tests and the benchmark of scrolling capture.
class NumberedPage {
public:
    static constexpr int rowsPerNotch = 50;

    // `place`: the window's wanted geometry (global pixels); `lines`: how
    // long the page is.
    NumberedPage(QRect place, int lines);
    ~NumberedPage();

    bool shown() const { return m_area.isValid(); }
    // The text area on the screen, as the program reports it.
    QRect area() const { return m_area; }
    // Back to the first line, drawn.
    bool toTop();

private:
    QByteArray waitForLine(const QByteArray& start, int timeoutMs);

    QProcess m_process;
    QByteArray m_out;
    QRect m_area;
};

// A still of `rectPx` once two grabs a little apart agree; null when the
// screen did not settle within `timeoutMs`.
QImage settledGrab(platform::RegionGrabber& grabber, const QRect& rectPx, int timeoutMs = 3000);

// The page's rows under `rectPx`, from where it is now through `notches`
// wheel notches down, put together from settled grabs (the page is left
// scrolled there). Null when a notch did not move it by exactly rowsPerNotch.
QImage pageReference(const QRect& rectPx, int notches);

// Every core spinning while it lives, as on a loaded machine: the program
// underneath then repaints slowly.
class BusyCores {
public:
    BusyCores();
    ~BusyCores();

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

}  // namespace klipo::test
