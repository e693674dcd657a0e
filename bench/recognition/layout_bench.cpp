// The page layout alone (everything before the engine reads a line): the time
// analysePage takes on each picture given, wall and processor time, the
// median of a few runs. With --print FILE, what it found on each picture (the
// lines with their region and looks, and a digest of the structure mask), so
// that two builds can be compared picture by picture.
//   bench_page_layout [--runs N] [--print FILE] PICTURE|FOLDER ...
#include "LayoutLineText.h"
#include "platform/text/PageLayout.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace klipo;

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QByteArray described(const platform::PageLayout& layout)
{
    QByteArray out =
        QByteArray("text height ") + QByteArray::number(layout.textHeight) + " structure " +
        QCryptographicHash::hash(QByteArrayView(layout.structure.data(), qsizetype(layout.structure.size())),
                                 QCryptographicHash::Sha1)
            .toHex() +
        '\n';
    for (const platform::LayoutLine& l : layout.lines)
        out += bench::layoutLineText(l).toUtf8();
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    int runs = 3;
    QString printTo;
    QStringList pictures;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--runs") && i + 1 < arguments.size()) {
            runs = std::max(1, arguments[++i].toInt());
        } else if (a == QLatin1String("--print") && i + 1 < arguments.size()) {
            printTo = arguments[++i];
        } else if (QFileInfo(a).isDir()) {
            for (const QString& name : QDir(a).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
                pictures << QDir(a).filePath(name);
        } else {
            pictures << a;
        }
    }
    if (pictures.isEmpty()) {
        std::fprintf(stderr, "usage: bench_page_layout [--runs N] [--print FILE] PICTURE|FOLDER ...\n");
        return 2;
    }
    QFile printed(printTo);
    if (!printTo.isEmpty() && !printed.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(printTo));
        return 1;
    }
    double totalWall = 0;
    double totalCpu = 0;
    std::printf("%-40s %9s %9s %6s\n", "picture", "wall ms", "cpu ms", "lines");
    for (const QString& path : pictures) {
        const QImage image(path);
        if (image.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            continue;
        }
        // As the recogniser hands it over: a colour picture without alpha.
        const QImage picture =
            image.format() == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_RGB32);
        std::vector<double> wall, cpu;
        platform::PageLayout layout;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer clock;
            clock.start();
            const double cpu0 = cpuMs();
            layout = platform::analysePage(picture);
            cpu.push_back(cpuMs() - cpu0);
            wall.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        totalWall += median(wall);
        totalCpu += median(cpu);
        std::printf("%-40s %9.1f %9.1f %6zu\n", qPrintable(QFileInfo(path).fileName()), median(wall), median(cpu),
                    layout.lines.size());
        std::fflush(stdout);
        if (printed.isOpen()) printed.write("=== " + QFileInfo(path).fileName().toUtf8() + '\n' + described(layout));
    }
    std::printf("%-40s %9.1f %9.1f\n", "total (medians)", totalWall, totalCpu);
    return 0;
}
