// A program that asks the history store to save a few large captures and
// ends at once, as a quit right after a capture does: it must end cleanly
// with every capture stored, not crash while the process is torn down.
#include "stores/HistoryStore.h"

#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (app.arguments().size() < 2) return 2;
    static klipo::HistoryStore store(app.arguments().at(1));  // lives on past the application, as the shared one
    QImage noise(2400, 1600, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x) line[x] = QRandomGenerator::global()->generate();
    }
    for (int i = 0; i < 3; ++i) store.save(noise, noise, QStringLiteral("capture %1").arg(i), {}, QStringLiteral("en"));
    return 0;
}
