// Recognition of realistic screens: for every drawn screen (widgets, article,
// terminal, chat, spreadsheet, full desktop; six languages; 1x and 2x) the
// character accuracy in reading order and line by line, and the time, side by
// side with one plain Tesseract engine using its own page layout on the same
// picture. Then resident memory after recognition and after the engines'
// idle minute.
//   bench_recognition_screens [--runs N] [--kinds desktop,chat] [--langs English,Chinese]
//                             [--scales 1,2] [--latin MODEL] [--no-plain] [--memory] [--dump DIR] [--cold]
// --cold: every run starts as after the engines' idle minute: they are freed,
// then warmed up as a key press does, and the page is read at once.
#include "ScreenFixtures.h"
#include "ScreenScore.h"
#include "platform/text/EnginePool.h"
#include "platform/text/ModelFile.h"
#include "platform/text/PageLayout.h"
#include "platform/text/TesseractRecognizer.h"
#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <dlfcn.h>
#include <map>
#include <memory>

using namespace klipo;
using namespace klipo::test;

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The language's own model when installed, else the Latin script model.
QString installedOr(const QString& model)
{
    return QFile::exists(platform::ModelFile::pathOf(model)) ? model : QStringLiteral("Latin");
}

QString plainModel(ScreenLanguage language)
{
    switch (language) {
    case ScreenLanguage::English: return QStringLiteral("eng");
    case ScreenLanguage::Chinese: return QStringLiteral("chi_sim");
    case ScreenLanguage::Mixed: return QStringLiteral("chi_sim+eng");
    case ScreenLanguage::Spanish: return installedOr(QStringLiteral("spa"));
    case ScreenLanguage::French: return installedOr(QStringLiteral("fra"));
    case ScreenLanguage::German: return installedOr(QStringLiteral("deu"));
    }
    return QStringLiteral("eng");
}

// One Tesseract engine with its own page layout, as a plain user of it would run it.
class PlainEngine {
public:
    explicit PlainEngine(const QString& model)
    {
        std::vector<std::string> names = {"debug_file"};
        std::vector<std::string> values = {"/dev/null"};
        m_ok = m_api.Init(nullptr, model.toUtf8().constData(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                          false) == 0;
        m_api.SetPageSegMode(tesseract::PSM_AUTO);
    }
    ~PlainEngine() { m_api.End(); }

    bool read(const QImage& image, std::vector<ReadLine>& lines, QString& text)
    {
        if (!m_ok) return false;
        const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
        m_api.SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
        if (m_api.Recognize(nullptr) != 0) return false;
        std::unique_ptr<tesseract::ResultIterator> it(m_api.GetIterator());
        if (it) {
            do {
                if (it->Empty(tesseract::RIL_TEXTLINE)) continue;
                int l, t, r, b;
                it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b);
                char* utf8 = it->GetUTF8Text(tesseract::RIL_TEXTLINE);
                const QString line = QString::fromUtf8(utf8).trimmed();
                delete[] utf8;
                if (!line.isEmpty()) {
                    lines.push_back({line, QRect(QPoint(l, t), QPoint(r - 1, b - 1))});
                    text += line + QLatin1Char('\n');
                }
            } while (it->Next(tesseract::RIL_TEXTLINE));
        }
        m_api.Clear();
        return true;
    }

private:
    tesseract::TessBaseAPI m_api;
    bool m_ok = false;
};

struct Totals {
    double ms = 0;
    double plainMs = 0;
    double comparedMs = 0;
    long chars = 0;
    long lineErrors = 0;
    long plainLineErrors = 0;
};

QStringList option(const QStringList& args, const QString& name)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].split(QLatin1Char(',')) : QStringList();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = option(args, QStringLiteral("--runs")).isEmpty() ? 3 : option(args, QStringLiteral("--runs"))[0].toInt();
    const QStringList kinds = option(args, QStringLiteral("--kinds"));
    const QStringList langs = option(args, QStringLiteral("--langs"));
    QStringList scales = option(args, QStringLiteral("--scales"));
    if (scales.isEmpty()) scales = {QStringLiteral("1"), QStringLiteral("2")};
    const QStringList latin = option(args, QStringLiteral("--latin"));
    const QStringList dump = option(args, QStringLiteral("--dump"));
    const bool plain = !args.contains(QStringLiteral("--no-plain"));
    const bool cold = args.contains(QStringLiteral("--cold"));
    if (!dump.isEmpty()) QDir().mkpath(dump[0]);

    // The plain engine runs on one thread, as Tesseract advises for throughput
    // (its OpenMP threads spin against other work on a shared machine).
    using SetLevels = void (*)(int);
    if (auto set = reinterpret_cast<SetLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
    const long atRest = bench::residentKiB();
    platform::TesseractRecognizer::Options options;
    if (!latin.isEmpty()) options.latinModel = latin[0];
    auto* recognizer = new platform::TesseractRecognizer(options);
    const platform::ScopedTextServices scoped({recognizer, nullptr, nullptr});

    std::printf("Machine shared with other work: times are medians of %d runs%s; plain engine: one run.\n", runs,
                cold ? " (cold: engines freed and warmed up at the start of each)" : "");
    std::printf("%-28s | %8s %8s %8s | %8s %8s %8s | %s\n", "screen", "order%", "line%", "ms", "order%", "line%", "ms",
                "faults (ours)");
    std::printf("%-28s | %26s | %26s |\n", "", "ours", "plain Tesseract, one engine");
    std::map<QString, Totals> byLanguage;
    Totals all;
    std::map<QString, std::unique_ptr<PlainEngine>> plainEngines;
    for (int k = 0; k < kScreenKinds; ++k) {
        const auto kind = ScreenKind(k);
        if (!kinds.isEmpty() && !kinds.contains(kindName(kind))) continue;
        for (int l = 0; l < 6; ++l) {
            const auto language = ScreenLanguage(l);
            if (!langs.isEmpty() && !langs.contains(languageName(language))) continue;
            for (const QString& scaleText : scales) {
                const Screen screen = drawScreen(kind, language, scaleText.toDouble());
                // The first read of a model pays for loading it: not counted.
                OCRService::recognizeBlocks(screen.image, false).waitForFinished();
                std::vector<double> times;
                std::vector<double> cpu;
                OcrOutcome outcome;
                for (int r = 0; r < runs; ++r) {
                    if (cold) recognizer->freeIdleEngines();
                    QElapsedTimer timer;
                    timer.start();
                    if (cold) recognizer->warmUp();
                    const double before = cpuMs();
                    outcome = OCRService::recognizeBlocks(screen.image, false).result();
                    times.push_back(double(timer.nsecsElapsed()) / 1e6);
                    cpu.push_back(cpuMs() - before);
                }
                QElapsedTimer layoutTimer;
                layoutTimer.start();
                platform::analysePage(screen.image.convertToFormat(QImage::Format_Grayscale8));
                const double layoutMs = double(layoutTimer.nsecsElapsed()) / 1e6;
                QString text;
                for (const TextBlock& b : outcome.blocks) text += b.text + QLatin1Char('\n');
                const ScreenScore ours = scoreScreen(screen, readLines(outcome.blocks, screen.image.height()), text);

                ScreenScore theirs;
                double plainMs = 0;
                double plainCpu = 0;
                if (plain) {
                    auto& engine = plainEngines[plainModel(language)];
                    if (!engine) engine = std::make_unique<PlainEngine>(plainModel(language));
                    std::vector<ReadLine> lines;
                    QString plainText;
                    QElapsedTimer timer;
                    timer.start();
                    const double before = cpuMs();
                    engine->read(screen.image, lines, plainText);
                    plainMs = double(timer.nsecsElapsed()) / 1e6;
                    plainCpu = cpuMs() - before;
                    theirs = scoreScreen(screen, lines, plainText);
                }
                QString faults;
                if (!ours.sharedLines.isEmpty()) faults += QStringLiteral(" shared:%1").arg(ours.sharedLines.size());
                if (!ours.twiceRead.isEmpty()) faults += QStringLiteral(" twice:%1").arg(ours.twiceRead.size());
                if (!ours.missingWindows.empty()) faults += QStringLiteral(" missing-windows:%1").arg(ours.missingWindows.size());
                if (ours.accents) faults += QStringLiteral(" accents %1/%2").arg(ours.accentsRead).arg(ours.accents);
                faults += QStringLiteral("  cpu %1/%2 ms, layout %3 ms")
                              .arg(bench::median(cpu), 0, 'f', 0)
                              .arg(plainCpu, 0, 'f', 0)
                              .arg(layoutMs, 0, 'f', 0);
                std::printf("%-28s | %8.2f %8.2f %8.0f | %8.2f %8.2f %8.0f |%s\n", qPrintable(screen.name),
                            100 * ours.orderAccuracy(), 100 * ours.lineAccuracy(), bench::median(times),
                            100 * theirs.orderAccuracy(), 100 * theirs.lineAccuracy(), plainMs, qPrintable(faults));
                std::fflush(stdout);
                for (Totals* t : {&byLanguage[languageName(language)], &all}) {
                    t->ms += bench::median(times);
                    t->plainMs += plainMs;
                    // The ratio only counts screens the plain engine read too.
                    if (plainMs > 0) t->comparedMs += bench::median(times);
                    t->chars += ours.characters;
                    t->lineErrors += ours.lineErrors;
                    t->plainLineErrors += theirs.lineErrors;
                }
                if (!dump.isEmpty()) {
                    const QString base = dump[0] + QLatin1Char('/') + QString(screen.name).replace(QLatin1Char(' '), QLatin1Char('-'));
                    screen.image.save(base + QStringLiteral(".png"));
                    QFile out(base + QStringLiteral(".txt"));
                    if (out.open(QIODevice::WriteOnly)) {
                        QString report;
                        for (const TextBlock& b : outcome.blocks)
                            for (const TextLine& line : b.lines) {
                                const QRect box = flipped(line.rect, screen.image.height()).toRect();
                                report += QStringLiteral("%1,%2 %3x%4 [%5] %6\n")
                                              .arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())
                                              .arg(int(line.confidence * 100)).arg(line.text);
                            }
                        const platform::PageLayout layout =
                            platform::analysePage(screen.image.convertToFormat(QImage::Format_Grayscale8));
                        report += QStringLiteral("--- layout (text height %1)\n").arg(layout.textHeight);
                        for (const platform::LayoutLine& l : layout.lines)
                            report += QStringLiteral("%1,%2 %3x%4 region %5 script %6 bg %7 ink %8%9\n")
                                          .arg(l.rect.x()).arg(l.rect.y()).arg(l.rect.width()).arg(l.rect.height())
                                          .arg(l.region).arg(int(l.script)).arg(l.background).arg(l.ink)
                                          .arg(l.stacked ? QStringLiteral(" stacked") : QString());
                        report += QStringLiteral("--- drawn\n");
                        for (const ReferenceLine& l : screen.lines) report += l.text + QLatin1Char('\n');
                        report += QStringLiteral("--- shared\n") + ours.sharedLines.join(QLatin1Char('\n'));
                        report += QStringLiteral("\n--- twice\n") + ours.twiceRead.join(QLatin1Char('\n'));
                        out.write(report.toUtf8());
                    }
                }
            }
        }
    }
    std::printf("\nper language: line accuracy ours / plain, time ours / plain\n");
    for (const auto& [name, t] : byLanguage)
        std::printf("  %-8s %7.2f %% / %7.2f %%   %7.0f ms / %7.0f ms\n", qPrintable(name),
                    100.0 * (1 - double(t.lineErrors) / std::max(1L, t.chars)),
                    100.0 * (1 - double(t.plainLineErrors) / std::max(1L, t.chars)), t.ms, t.plainMs);
    if (plain)
        std::printf("overall time: ours %.0f ms, plain %.0f ms on the same screens, ratio %.2f\n", all.comparedMs,
                    all.plainMs, all.plainMs > 0 ? all.comparedMs / all.plainMs : 0.0);

    plainEngines.clear();
    platform::returnFreedMemory();
    std::printf("\nresident memory: at rest %ld MB, after recognition %ld MB (%d engines loaded)\n", atRest / 1024,
                bench::residentKiB() / 1024, recognizer->loadedEngines());
    if (args.contains(QStringLiteral("--memory"))) {
        QThread::sleep(65);
        std::printf("resident memory a minute after the last recognition: %ld MB (%d engines loaded)\n",
                    bench::residentKiB() / 1024, recognizer->loadedEngines());
    }
    recognizer->shutDown();
    return 0;
}
