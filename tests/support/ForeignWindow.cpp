// Another program's window for desktop tests: a focused window that covers the
// whole screen (as a video player or a presentation does), painted white with
// the lines given on the command line in large black letters. Prints "shown"
// once the window is on the screen and has the focus.
// Usage: klipo_foreign_window [LINE...]
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class ForeignWindow : public QWidget {
public:
    explicit ForeignWindow(QStringList lines) : m_lines(std::move(lines)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        p.setFont(font);
        p.setPen(Qt::black);
        for (int i = 0; i < m_lines.size(); ++i) p.drawText(QPoint(120, 160 + i * 120), m_lines[i]);
    }

private:
    QStringList m_lines;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ForeignWindow window(QApplication::arguments().mid(1));
    window.setWindowTitle(QStringLiteral("foreign"));
    window.showFullScreen();
    window.activateWindow();
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
        if (!window.isActiveWindow()) return;
        poll->stop();
        std::printf("shown\n");
        std::fflush(stdout);
    });
    poll->start(20);
    return app.exec();
}
