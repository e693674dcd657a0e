// Another program's scrolling content for desktop tests of scrolling capture:
// a frameless window showing a synthetic text page (tests/scroll/TestPages)
// that moves a known number of pixels per wheel notch, or on a timer.
// Prints "shown X Y" (the window's top-left corner) once it is on the screen,
// then "offset N" after every move.
// Usage: klipo_scroll_fixture --at X,Y,W,H --page-height P --per-notch N
//        [--timer DELAY_MS,EVERY_MS,STEP,TOTAL]
// With a negative delay the timer starts at the first line on standard input.
#include "TestPages.h"

#include <QApplication>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>

using namespace klipo::test;

namespace {

class FixtureWindow : public QWidget {
public:
    FixtureWindow(int pageHeight, int perNotch) : m_pageHeight(pageHeight), m_perNotch(perNotch)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setCursor(Qt::ArrowCursor);
    }

    void scrollBy(int rows)
    {
        const int to = std::clamp(m_offset + rows, 0, std::max(0, m_pageHeight - height()));
        if (to == m_offset) return;
        m_offset = to;
        repaint();
        std::printf("offset %d\n", m_offset);
        std::fflush(stdout);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(0, 0, pageFrame(PageSpec{PageKind::text, width(), 7}, m_offset, height()));
    }
    void wheelEvent(QWheelEvent* event) override
    {
        // One notch is 120; towards the user (negative) scrolls down.
        m_wheel += event->angleDelta().y();
        const int notches = m_wheel / 120;
        m_wheel -= notches * 120;
        scrollBy(-notches * m_perNotch);
    }

private:
    int m_pageHeight, m_perNotch, m_offset = 0, m_wheel = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    auto option = [&](const char* name) {
        QList<int> numbers;
        const int i = int(args.indexOf(QLatin1String(name)));
        if (i >= 0 && i + 1 < args.size())
            for (const QString& part : args[i + 1].split(QLatin1Char(','))) numbers << part.toInt();
        return numbers;
    };
    const QList<int> at = option("--at"), timer = option("--timer");
    if (at.size() != 4) return 2;
    FixtureWindow window(option("--page-height").value(0), option("--per-notch").value(0));
    window.setWindowTitle(QStringLiteral("scroll fixture"));
    window.setGeometry(at[0], at[1], at[2], at[3]);
    window.show();

    QTimer steps;
    int left = timer.value(3);
    QObject::connect(&steps, &QTimer::timeout, &window, [&] {
        window.scrollBy(std::min(timer[2], left));
        if ((left -= timer[2]) <= 0) steps.stop();
    });
    QSocketNotifier input(0, QSocketNotifier::Read);
    input.setEnabled(timer.size() == 4 && timer[0] < 0);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        input.setEnabled(false);
        steps.start(timer[1]);
    });
    if (timer.size() == 4 && timer[0] >= 0) QTimer::singleShot(timer[0], &steps, [&] { steps.start(timer[1]); });

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed()) return;
        poll.stop();
        const QPoint origin = window.mapToGlobal(QPoint(0, 0));
        std::printf("shown %d %d\n", origin.x(), origin.y());
        std::fflush(stdout);
    });
    poll.start(20);
    return app.exec();
}
