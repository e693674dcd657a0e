// Recognition of screens: the character accuracy in reading order and line
// by line, and the time, side by side with one plain Tesseract engine using
// its own page layout on the same picture. Three sets, reported apart:
//   fixtures  the drawn screens (widgets, article, terminal, chat, spreadsheet,
//             desktop ...; six languages; 1x and 2x)
//   tuning    generated screens (seeds 1-200) and screenshots of real programs
//   heldout   generated screens (seeds 100001-100100) and other real
//             screenshots, kept out of sight while tuning
//   fresh     generated screens (seeds 200001-204000), only when asked for:
//             new screens to look for faults on (their plain figures need --plain)
// Han and kana read off a screen that has no Chinese or Japanese on it are
// characters that are not there: counted per screen and per group.
// Every screen is compared with the checked-in baseline: those read worse
// than it are listed at the end. The plain engine's figures come from the
// baseline unless --plain runs it again.
//   bench_recognition_screens [--sets fixtures,tuning,heldout,fresh] [--seeds FIRST-LAST,SEED,...] [--runs N]
//                             [--pages NAME,NAME|none] [--kinds desktop,chat] [--langs English,Chinese] [--scales 1,2]
//                             [--latin MODEL]
//                             [--plain] [--baseline FILE] [--write-baseline FILE] [--memory] [--dump DIR] [--cold]
// --cold: every run starts as after the engines' idle minute: they are freed,
// then warmed up as a key press does, and the page is read at once.
#include "LayoutLineText.h"
#include "ScreenFixtures.h"
#include "ScreenScore.h"
#include "corpus/GeneratedScreens.h"
#include "corpus/RealPages.h"
#include "platform/text/EnginePool.h"
#include "platform/text/ModelFile.h"
#include "platform/text/PageLayout.h"
#include "platform/text/ScriptCounts.h"
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
#include <functional>
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

// The figures of one screen.
struct Figures {
    double order = 0;  // percent
    double line = 0;
    double ms = 0;
};

struct Totals {
    int screens = 0;
    int compared = 0;  // of which the plain engine's figures are known
    double ms = 0;
    double comparedMs = 0;
    double plainMs = 0;
    long chars = 0;
    long orderErrors = 0;
    long lineErrors = 0;
    long plainOrderErrors = 0;
    long plainLineErrors = 0;
    double worstOrder = 100;
    double worstMargin = 1e9;  // our order against the plain engine's, in points
    int belowPlain = 0;        // screens whose order is more than a point below the plain engine's
    int invented = 0;          // Han and kana read off screens with no Chinese or Japanese on them
    int inventedScreens = 0;

    void add(const ScreenScore& ours, const ScreenScore& plain, const Figures& o, const Figures& p, bool plainKnown,
             int cjkInvented)
    {
        ++screens;
        invented += cjkInvented;
        inventedScreens += cjkInvented > 0;
        ms += o.ms;
        chars += ours.characters;
        orderErrors += ours.orderErrors;
        lineErrors += ours.lineErrors;
        worstOrder = std::min(worstOrder, o.order);
        if (!plainKnown) return;
        ++compared;
        comparedMs += o.ms;
        plainMs += p.ms;
        plainOrderErrors += plain.orderErrors;
        plainLineErrors += plain.lineErrors;
        worstMargin = std::min(worstMargin, o.order - p.order);
        belowPlain += o.order < p.order - 1;
    }
    static double percent(long errors, long chars) { return 100.0 * (1 - double(errors) / std::max(1L, chars)); }
};

QStringList option(const QStringList& args, const QString& name)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].split(QLatin1Char(',')) : QStringList();
}

// name -> ours and the plain engine's figures
using Baseline = std::map<QString, std::pair<Figures, Figures>>;

Baseline readBaseline(const QString& path)
{
    Baseline out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return out;
    for (const QString& row : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = row.split(QLatin1Char('\t'));
        if (f.size() < 7 || row.startsWith(QLatin1Char('#'))) continue;
        out[f[0]] = {{f[1].toDouble(), f[2].toDouble(), f[3].toDouble()},
                     {f[4].toDouble(), f[5].toDouble(), f[6].toDouble()}};
    }
    return out;
}

// One screen to read, made when its turn comes.
struct Source {
    QString set;
    std::function<Screen()> make;
};

// Han and kana characters read off a screen that shows none: characters that are not there.
int inventedCjk(const Screen& screen, const std::vector<TextBlock>& blocks)
{
    if (isCjk(screen.language)) return 0;
    int count = 0;
    for (const TextBlock& block : blocks)
        for (const TextLine& line : block.lines) {
            const platform::ScriptCounts counts = platform::ScriptCounts::of(line.text);
            count += counts.han + counts.kana;
        }
    return count;
}

// Chinese and mixed screens together, apart from the Chinese ones alone.
QString languageGroup(ScreenLanguage l) { return isCjk(l) ? QStringLiteral("CJK") : QStringLiteral("Latin"); }

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs =
        option(args, QStringLiteral("--runs")).isEmpty() ? 1 : option(args, QStringLiteral("--runs"))[0].toInt();
    const QStringList kinds = option(args, QStringLiteral("--kinds"));
    const QStringList langs = option(args, QStringLiteral("--langs"));
    QStringList sets = option(args, QStringLiteral("--sets"));
    if (sets.isEmpty()) sets = {QStringLiteral("fixtures"), QStringLiteral("tuning"), QStringLiteral("heldout")};
    QStringList scales = option(args, QStringLiteral("--scales"));
    if (scales.isEmpty()) scales = {QStringLiteral("1"), QStringLiteral("2")};
    const QStringList seeds = option(args, QStringLiteral("--seeds"));      // FIRST-LAST, or none
    const QStringList pageNames = option(args, QStringLiteral("--pages"));  // real pages by name, or none
    const QStringList latin = option(args, QStringLiteral("--latin"));
    const QStringList dump = option(args, QStringLiteral("--dump"));
    const QStringList baselineOption = option(args, QStringLiteral("--baseline"));
    const QStringList writeBaseline = option(args, QStringLiteral("--write-baseline"));
    const bool plain = args.contains(QStringLiteral("--plain"));
    const bool cold = args.contains(QStringLiteral("--cold"));
    if (!dump.isEmpty()) QDir().mkpath(dump[0]);
    const Baseline baseline =
        readBaseline(baselineOption.isEmpty() ? QStringLiteral(KLIPO_SCREENS_BASELINE) : baselineOption[0]);

    std::vector<Source> sources;
    auto wanted = [&](ScreenLanguage language, double scale) {
        return (langs.isEmpty() || langs.contains(languageName(language))) && scales.contains(QString::number(scale));
    };
    if (sets.contains(QStringLiteral("fixtures"))) {
        for (int k = 0; k < kScreenKinds; ++k) {
            if (!kinds.isEmpty() && !kinds.contains(kindName(ScreenKind(k)))) continue;
            for (int l = 0; l < 6; ++l)
                for (const QString& scale : scales)
                    if (wanted(ScreenLanguage(l), scale.toDouble()))
                        sources.push_back({QStringLiteral("fixtures"), [k, l, scale] {
                                               return drawScreen(ScreenKind(k), ScreenLanguage(l), scale.toDouble());
                                           }});
        }
    }
    const auto seedRange = [&](quint32 first, quint32 count, const QString& set) {
        if (seeds == QStringList{QStringLiteral("none")}) return;
        const quint32 last = first + count - 1;
        // Each of the seeds given is one seed or a range FIRST-LAST.
        const QStringList given = seeds.isEmpty() ? QStringList{QStringLiteral("%1-%2").arg(first).arg(last)} : seeds;
        for (const QString& range : given) {
            const quint32 from = std::max(first, range.section(QLatin1Char('-'), 0, 0).toUInt());
            const quint32 to =
                std::min(last, range.contains(QLatin1Char('-')) ? range.section(QLatin1Char('-'), 1, 1).toUInt()
                                                                : range.toUInt());
            for (quint32 seed = from; seed <= to; ++seed)
                sources.push_back({set, [seed] { return generateScreen(seed); }});
        }
    };
    if (sets.contains(QStringLiteral("fresh"))) seedRange(kFreshFirstSeed, kFreshSeeds, QStringLiteral("fresh"));
    const QString pages = QStringLiteral(KLIPO_REAL_PAGES);
    for (const QString& set : {QStringLiteral("tuning"), QStringLiteral("heldout")}) {
        if (!sets.contains(set)) continue;
        if (set == QLatin1String("tuning"))
            seedRange(1, kTuningSeeds, set);
        else
            seedRange(kHeldOutFirstSeed, kHeldOutSeeds, set);
        for (const QString& name : realPageNames(pages))
            if (pageNames.isEmpty() || pageNames.contains(name))
                sources.push_back({set, [pages, name, set] {
                                       RealPage page = loadRealPage(pages, name);
                                       return page.set == set ? page.screen : Screen{};
                                   }});
    }

    // The plain engine runs on one thread, as Tesseract advises for throughput
    // (its OpenMP threads spin against other work on a shared machine).
    using SetLevels = void (*)(int);
    if (auto set = reinterpret_cast<SetLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
    const long atRest = bench::residentKiB();
    platform::TesseractRecognizer::Options options;
    if (!latin.isEmpty()) options.latinModel = latin[0];
    auto* recognizer = new platform::TesseractRecognizer(options);
    const platform::ScopedTextServices scoped({recognizer, nullptr, nullptr});

    std::printf("Machine shared with other work: times are medians of %d runs%s; plain engine: %s.\n", runs,
                cold ? " (cold: engines freed and warmed up at the start of each)" : "",
                plain ? "one run" : "figures of the baseline");
    std::printf("%-7s %-44s | %7s %7s %6s | %7s %7s %6s | %s\n", "set", "screen", "order%", "line%", "ms", "order%",
                "line%", "ms", "faults (ours)");
    std::printf("%-52s | %22s | %22s |\n", "", "ours", "plain Tesseract");
    std::map<QString, std::map<QString, Totals>> bySet;  // set -> group (language, Latin, Chinese, all) -> totals
    std::map<QString, std::unique_ptr<PlainEngine>> plainEngines;
    QStringList worse;
    QString written = QStringLiteral("# screen\torder\tline\tms\tplain order\tplain line\tplain ms\n");
    platform::TesseractRecognizer::Readings readings;  // over all screens, one run each
    for (const Source& source : sources) {
        const Screen screen = source.make();
        if (screen.image.isNull()) continue;
        // A generated screen or real page picks its own language and scale: those not asked for are left out.
        if (source.set != QLatin1String("fixtures") && !wanted(screen.language, screen.scale)) continue;
        const bool heldOut = source.set == QLatin1String("heldout");
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
        const platform::TesseractRecognizer::Readings last = recognizer->lastReadings();
        readings.first += last.first;
        readings.resized += last.resized;
        readings.second += last.second;
        readings.otherCjk += last.otherCjk;
        readings.twins += last.twins;
        readings.pieces += last.pieces;
        readings.inPageLanguage += last.inPageLanguage;
        const ScreenScore ours = scoreScreen(screen, readLines(outcome.blocks, screen.image.height()));
        const Figures o{100 * ours.orderAccuracy(), 100 * ours.lineAccuracy(), bench::median(times)};

        ScreenScore theirs;
        Figures p;
        bool plainKnown = false;
        const auto before = baseline.find(screen.name);
        if (plain) {
            auto& engine = plainEngines[plainModel(screen.language)];
            if (!engine) engine = std::make_unique<PlainEngine>(plainModel(screen.language));
            std::vector<ReadLine> lines;
            QString plainText;
            QElapsedTimer timer;
            timer.start();
            engine->read(screen.image, lines, plainText);
            p.ms = double(timer.nsecsElapsed()) / 1e6;
            theirs = scoreScreen(screen, lines);
            p.order = 100 * theirs.orderAccuracy();
            p.line = 100 * theirs.lineAccuracy();
            plainKnown = true;
        } else if (before != baseline.end() && before->second.second.ms > 0) {
            p = before->second.second;
            // The totals count errors: the plain engine's are taken back from its percentages.
            theirs.characters = ours.characters;
            theirs.orderErrors = int(std::lround((100 - p.order) / 100 * ours.characters));
            theirs.lineErrors = int(std::lround((100 - p.line) / 100 * ours.characters));
            plainKnown = true;
        }
        const int invented = inventedCjk(screen, outcome.blocks);
        QString faults;
        if (invented) faults += QStringLiteral(" han/kana:%1").arg(invented);
        if (!ours.sharedLines.isEmpty()) faults += QStringLiteral(" shared:%1").arg(ours.sharedLines.size());
        if (!ours.twiceRead.isEmpty()) faults += QStringLiteral(" twice:%1").arg(ours.twiceRead.size());
        if (!ours.unmatched.isEmpty()) faults += QStringLiteral(" unmatched:%1").arg(ours.unmatched.size());
        if (!ours.missingWindows.empty())
            faults += QStringLiteral(" missing-windows:%1").arg(ours.missingWindows.size());
        if (ours.accents) faults += QStringLiteral(" accents %1/%2").arg(ours.accentsRead).arg(ours.accents);
        faults += QStringLiteral("  cpu %1 ms").arg(bench::median(cpu), 0, 'f', 0);
        // Held-out screens are reported by their figures only: no names or faults to tune on.
        const QString shown = heldOut ? screen.name.section(QLatin1Char(' '), 0, 2) : screen.name;
        std::printf("%-7s %-44s | %7.2f %7.2f %6.0f | %7.2f %7.2f %6.0f |%s\n", qPrintable(source.set),
                    qPrintable(shown.left(44)), o.order, o.line, o.ms, plainKnown ? p.order : 0.0,
                    plainKnown ? p.line : 0.0, plainKnown ? p.ms : 0.0, heldOut ? "" : qPrintable(faults));
        std::fflush(stdout);
        for (const QString& group :
             {languageName(screen.language), languageGroup(screen.language), QStringLiteral("all")})
            bySet[source.set][group].add(ours, theirs, o, p, plainKnown, invented);
        if (before != baseline.end()) {
            const Figures& was = before->second.first;
            const double down = std::max(was.order - o.order, was.line - o.line);
            if (down > 0.005)
                worse << QStringLiteral("%1 %2: order %3 -> %4, line %5 -> %6")
                             .arg(source.set, -7)
                             .arg(shown)
                             .arg(was.order, 0, 'f', 2)
                             .arg(o.order, 0, 'f', 2)
                             .arg(was.line, 0, 'f', 2)
                             .arg(o.line, 0, 'f', 2);
        }
        written += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\n")
                       .arg(screen.name)
                       .arg(o.order, 0, 'f', 2)
                       .arg(o.line, 0, 'f', 2)
                       .arg(o.ms, 0, 'f', 0)
                       .arg(p.order, 0, 'f', 2)
                       .arg(p.line, 0, 'f', 2)
                       .arg(p.ms, 0, 'f', 0);
        if (!dump.isEmpty() && !heldOut) {
            const QString base =
                dump[0] + QLatin1Char('/') +
                screen.name.section(QLatin1Char(' '), 0, 2).replace(QLatin1Char(' '), QLatin1Char('-'));
            screen.image.save(base + QStringLiteral(".png"));
            QFile out(base + QStringLiteral(".txt"));
            if (out.open(QIODevice::WriteOnly)) {
                QString report = screen.name + QLatin1Char('\n');
                for (const TextBlock& b : outcome.blocks)
                    for (const TextLine& line : b.lines) {
                        const QRect box = flipped(line.rect, screen.image.height()).toRect();
                        report += QStringLiteral("%1,%2 %3x%4 [%5] %6\n")
                                      .arg(box.x())
                                      .arg(box.y())
                                      .arg(box.width())
                                      .arg(box.height())
                                      .arg(int(line.confidence * 100))
                                      .arg(line.text);
                    }
                const platform::PageLayout layout =
                    platform::analysePage(screen.image.convertToFormat(QImage::Format_RGB32));
                report += QStringLiteral("--- layout (text height %1)\n").arg(layout.textHeight);
                for (const platform::LayoutLine& l : layout.lines) report += bench::layoutLineText(l);
                report += QStringLiteral("--- drawn\n");
                for (const ReferenceLine& l : screen.lines)
                    report += QStringLiteral("w%1 p%2 %3,%4 %5x%6 %7\n")
                                  .arg(l.window)
                                  .arg(l.part)
                                  .arg(l.box.x())
                                  .arg(l.box.y())
                                  .arg(l.box.width())
                                  .arg(l.box.height())
                                  .arg(l.text);
                report += QStringLiteral("--- ignored\n");
                for (const QRegion& hidden : screen.ignored)
                    for (const QRect& r : hidden)
                        report += QStringLiteral("%1,%2 %3x%4\n").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
                report += QStringLiteral("--- shared\n") + ours.sharedLines.join(QLatin1Char('\n'));
                report += QStringLiteral("\n--- twice\n") + ours.twiceRead.join(QLatin1Char('\n'));
                report += QStringLiteral("\n--- unmatched\n") + ours.unmatched.join(QLatin1Char('\n'));
                out.write(report.toUtf8());
            }
        }
    }

    std::printf("\nreading order and line accuracy, characters weighted; ours / plain\n");
    std::printf("%-8s %-8s %6s | %15s | %15s | %12s | %10s | %6s | %12s | %s\n", "set", "group", "screens", "order %",
                "line %", "worst order", "least margin", "below", "han/kana", "time ours/plain");
    for (const auto& [set, groups] : bySet)
        for (const auto& [group, t] : groups) {
            // The plain engine's percentages count only when it read every screen of the group.
            const bool all = t.compared == t.screens;
            std::printf(
                "%-8s %-8s %6d | %6.2f / %6.2f | %6.2f / %6.2f | %12.2f | %10.2f | %6d | %5d on %4d | "
                "%.0f / %.0f ms = %.2f%s\n",
                qPrintable(set), qPrintable(group), t.screens, Totals::percent(t.orderErrors, t.chars),
                all ? Totals::percent(t.plainOrderErrors, t.chars) : 0.0, Totals::percent(t.lineErrors, t.chars),
                all ? Totals::percent(t.plainLineErrors, t.chars) : 0.0, t.worstOrder, t.compared ? t.worstMargin : 0.0,
                t.belowPlain, t.invented, t.inventedScreens, t.comparedMs, t.plainMs,
                t.plainMs > 0 ? t.comparedMs / t.plainMs : 0.0,
                all ? "" : qPrintable(QStringLiteral(" (plain figures for %1 of %2)").arg(t.compared).arg(t.screens)));
        }
    std::printf("\n%lld screens read worse than the baseline%s\n", qlonglong(worse.size()), worse.isEmpty() ? "" : ":");
    for (const QString& w : worse) std::printf("  %s\n", qPrintable(w));
    if (!writeBaseline.isEmpty()) {
        QFile out(writeBaseline[0]);
        if (out.open(QIODevice::WriteOnly)) out.write(written.toUtf8());
    }

    plainEngines.clear();
    platform::returnFreedMemory();
    std::printf(
        "\nlines read by the engine: %d first, %d at other sizes, %d second opinions, %d other CJK models; "
        "%d lines alike not read again; %d pieces of long lines; %d long lines and pieces read by the page "
        "language's model\n",
        readings.first, readings.resized, readings.second, readings.otherCjk, readings.twins, readings.pieces,
        readings.inPageLanguage);
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
