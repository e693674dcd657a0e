// Another program's window for desktop tests: a focused window that covers the
// whole screen (as a video player or a presentation does), painted white with
// the lines given on the command line in large black letters. Prints "shown"
// once the window is on the screen and has the focus, and "key TEXT" for each
// key typed into it.
// With --at X,Y,W,H it is an ordinary window at that place instead.
// Usage: klipo_foreign_window [--at X,Y,W,H] [LINE...]
#include <QApplication>
#include <QKeyEvent>
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
    void keyPressEvent(QKeyEvent* event) override
    {
        std::printf("key %s\n", event->text().toUtf8().constData());
        std::fflush(stdout);
    }

private:
    QStringList m_lines;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList lines = QApplication::arguments().mid(1);
    QRect place;
    if (lines.size() >= 2 && lines[0] == QLatin1String("--at")) {
        const QStringList n = lines[1].split(QLatin1Char(','));
        if (n.size() == 4) place = QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt());
        lines = lines.mid(2);
    }
    ForeignWindow window(lines);
    window.setWindowTitle(QStringLiteral("foreign"));
    if (place.isValid()) {
        window.setGeometry(place);
        window.show();
    } else {
        window.showFullScreen();
    }
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
