// Another program's window for the overlay's desktop test: an ordinary,
// managed window showing a fine pattern, placed where asked. Prints its X
// window id once it is on the screen.
//   overlay_fixture_window X Y WIDTH HEIGHT
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>

struct PatternWindow : QWidget {
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int y = 0; y < height(); y += 4)
            for (int x = 0; x < width(); x += 4)
                painter.fillRect(x, y, 4, 4, QColor((x * 3) & 255, (y * 2) & 255, ((x + y) * 5) & 255));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    PatternWindow window;
    window.setWindowTitle("KlipoVersa 测试窗口");
    window.setGeometry(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    window.show();
    QTimer::singleShot(300, &window, [&window] { std::printf("%llu\n", static_cast<unsigned long long>(window.winId())), std::fflush(stdout); });
    return app.exec();
}
