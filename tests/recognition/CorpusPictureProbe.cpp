// Draws the generated screens of the seeds given (FIRST-LAST) and prints one
// line per seed: the seed and the screen's fingerprint. Run with whatever
// font configuration its environment names (the machine's own when none).
#include "corpus/GeneratedScreens.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList range = app.arguments().value(1).split(QLatin1Char('-'));
    const quint32 first = range.value(0).toUInt();
    const quint32 last = range.value(1, range.value(0)).toUInt();
    if (first == 0 || last < first) {
        std::fprintf(stderr, "usage: corpus_picture_probe FIRST-LAST\n");
        return 2;
    }
    for (quint32 seed = first; seed <= last; ++seed)
        std::printf("%u %s\n", seed, klipo::test::screenFingerprint(klipo::test::generateScreen(seed)).constData());
    return 0;
}
