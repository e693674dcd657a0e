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
#include <memory>

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
        QPainter p(this);
        p.drawImage(0, 0, pageFrame(PageSpec{PageKind::text, width(), 7}, m_offset, height()));
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
    int m_pageHeight;
    int m_perNotch;
    int m_offset = 0;
    int m_wheel = 0;
};

QList<int> numbers(const QString& text)
{
    QList<int> n;
    for (const QString& part : text.split(QLatin1Char(','))) n << part.toInt();
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    auto option = [&](const char* name) {
        const int i = int(args.indexOf(QLatin1String(name)));
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
    };
    const QList<int> at = numbers(option("--at"));
    if (at.size() != 4) return 2;
    FixtureWindow window(option("--page-height").toInt(), option("--per-notch").toInt());
    window.setWindowTitle(QStringLiteral("scroll fixture"));
    window.setGeometry(at[0], at[1], at[2], at[3]);
    window.show();

    const QList<int> timer = numbers(option("--timer"));
    if (timer.size() == 4) {
        auto* steps = new QTimer(&window);
        auto left = std::make_shared<int>(timer[3]);
        QObject::connect(steps, &QTimer::timeout, &window, [&window, steps, left, step = timer[2]] {
            window.scrollBy(std::min(step, *left));
            *left -= step;
            if (*left <= 0) steps->stop();
        });
        if (timer[0] >= 0) {
            QTimer::singleShot(timer[0], steps, [steps, every = timer[1]] { steps->start(every); });
        } else {
            auto* input = new QSocketNotifier(0, QSocketNotifier::Read, &window);
            QObject::connect(input, &QSocketNotifier::activated, steps, [input, steps, every = timer[1]] {
                input->setEnabled(false);
                steps->start(every);
            });
        }
    }

    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
        if (!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed()) return;
        poll->stop();
        const QPoint origin = window.mapToGlobal(QPoint(0, 0));
        std::printf("shown %d %d\n", origin.x(), origin.y());
        std::fflush(stdout);
    });
    poll->start(20);
    return app.exec();
}
