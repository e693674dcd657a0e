#include "platform/text/TesseractRecognizer.h"

#include "platform/text/EnginePool.h"
#include "platform/text/LineLooks.h"
#include "platform/text/LinePieces.h"
#include "platform/text/LineReading.h"
#include "platform/text/LineTwins.h"
#include "platform/text/ModelFile.h"
#include "platform/text/PageLanguage.h"
#include "platform/text/PageLayout.h"
#include "platform/text/ScriptCounts.h"
#include "platform/text/TesseractEngine.h"
#include "platform/text/WideCells.h"

#include <QThread>

#include <algorithm>
#include <optional>
#include <atomic>
#include <map>

#include <dlfcn.h>

namespace klipo::platform {

namespace {

constexpr int kMaxThreads = 8;
constexpr int kMaxSide = 30000;       // Tesseract keeps coordinates in 16 bits
constexpr float kOtherCjkBelow = 70;  // Han lines read this poorly are tried as Japanese, Korean ...
constexpr double kTellingHead = 14;   // line heights of a long line read to tell the page's language
// A monospaced line read at least this surely may hold Chinese read as Latin.
constexpr float kSureWideCells = 70;

// Tesseract parallelises a few loops with OpenMP; with one engine per core
// that only adds threads that spin against each other.
void keepOpenMpSerial()
{
    using SetLevels = void (*)(int);
    if (auto set = reinterpret_cast<SetLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
}

QString missingDataMessage(const QString& model)
{
    const QString first = model.section(QLatin1Char('+'), 0, 0);
    return QStringLiteral("缺少文字识别数据 %1，请安装：sudo apt-get install %2")
        .arg(first, tesseractPackageFor(first));
}

// The picture as the layout takes it: grey stays grey; anything else
// becomes RGB32, transparent pixels white, as they show on a light page.
QImage flattened(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8) return image;
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            auto* dst = reinterpret_cast<QRgb*>(flat.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(src[x]);
                dst[x] = qRgb(qRed(src[x]) + 255 - a, qGreen(src[x]) + 255 - a, qBlue(src[x]) + 255 - a);
            }
        }
        return flat;
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TesseractRecognizer::TesseractRecognizer() : TesseractRecognizer(Options{}) {}

TesseractRecognizer::TesseractRecognizer(Options options)
    : m_options(std::move(options)),
      m_threadCount(m_options.threads > 0 ? m_options.threads : std::clamp(QThread::idealThreadCount(), 1, kMaxThreads))
{
    if (m_options.latinModel.isEmpty()) m_options.latinModel = defaultLatinModel();
    m_pool = std::make_unique<EnginePool>(m_threadCount, m_options.idleLimit);
}

TesseractRecognizer::~TesseractRecognizer() { shutDown(); }

QString TesseractRecognizer::defaultLatinModel()
{
    return ModelFile::isInstalled(QStringLiteral("Latin")) ? QStringLiteral("Latin") : QStringLiteral("eng");
}

void TesseractRecognizer::warmUp(WarmUp how)
{
    ensureStarted();
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    auto models = m_lastModels;
    if (models.empty()) models.emplace_back(m_options.latinModel, m_threadCount);
    for (const auto& [model, engines] : models) {
        // Each job loads one engine, so that those of a model load side by side.
        const int count = how == WarmUp::forAPage ? engines : 1;
        for (int i = 0; i < count; ++i) m_jobs.push_back([this, model, count] { m_pool->preload(model, count); });
    }
    m_cv.notify_all();
}

void TesseractRecognizer::shutDown()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    for (std::thread& t : m_threads)
        if (t.joinable()) t.join();
    m_pool->shutDown();
}

int TesseractRecognizer::loadedEngines() const { return m_pool->loadedCount(); }

QStringList TesseractRecognizer::loadedModels() const { return m_pool->loadedModels(); }

void TesseractRecognizer::freeIdleEngines() { m_pool->releaseIdle(true); }

TesseractRecognizer::Readings TesseractRecognizer::lastReadings() const
{
    std::lock_guard lock(m_mutex);
    return m_lastReadings;
}

void TesseractRecognizer::rememberModels(const std::map<QString, int>& linesPerModel,
                                         const std::map<QString, int>& enginesPerModel)
{
    if (linesPerModel.empty()) return;
    std::vector<std::pair<int, QString>> byLines;
    for (const auto& [model, lines] : linesPerModel) byLines.emplace_back(-lines, model);
    std::sort(byLines.begin(), byLines.end());
    std::vector<std::pair<QString, int>> models;
    for (const auto& entry : byLines) {
        const auto engines = enginesPerModel.find(entry.second);
        // A model reads with no more engines than it has lines.
        const int given = engines == enginesPerModel.end() ? 1 : engines->second;
        models.emplace_back(entry.second, std::min(given, -entry.first));
    }
    std::lock_guard lock(m_mutex);
    m_lastModels = std::move(models);
}

void TesseractRecognizer::ensureStarted()
{
    std::lock_guard lock(m_mutex);
    if (!m_threads.empty() || m_stopping) return;
    for (int i = 0; i < m_threadCount; ++i) m_threads.emplace_back([this] { workerLoop(); });
}

void TesseractRecognizer::workerLoop()
{
    keepOpenMpSerial();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

void TesseractRecognizer::runAll(std::vector<Job> jobs)
{
    if (jobs.empty()) return;
    std::mutex doneMutex;
    std::condition_variable doneCv;
    size_t remaining = jobs.size();
    {
        std::unique_lock lock(m_mutex);
        if (m_stopping) {
            // Shut down meanwhile: the jobs run here (and find no engine).
            lock.unlock();
            for (Job& job : jobs) job();
            return;
        }
        for (Job& job : jobs) {
            m_jobs.push_back([&, job = std::move(job)] {
                job();
                std::lock_guard done(doneMutex);
                if (--remaining == 0) doneCv.notify_one();
            });
        }
    }
    m_cv.notify_all();
    std::unique_lock lock(doneMutex);
    doneCv.wait(lock, [&] { return remaining == 0; });
}

void TesseractRecognizer::recognize(const QImage& image, const RecognitionOptions& options, const Report& report)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        report({});
        return;
    }
    ensureStarted();
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            report(RecognitionOutcome::failure(QStringLiteral("识别引擎已关闭")));
            return;
        }
    }

    QImage picture = flattened(image);
    double shrink = 1;
    if (picture.width() > kMaxSide) {
        shrink = double(kMaxSide) / picture.width();
        picture = picture.scaledToWidth(kMaxSide, Qt::SmoothTransformation).convertToFormat(picture.format());
    }
    const PageLayout layout = analysePage(picture);

    const PageScripts scripts = PageScripts::of(layout);
    std::vector<LineJob> lines(layout.lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        lines[i].layout = &layout.lines[i];
        lines[i].model = scripts.modelFor(layout.lines[i], m_options.latinModel);
    }
    // Lines alike are read once (see LineTwins): only the first of each is
    // handed out, and its reading goes to the others once it is weighed.
    const std::vector<size_t> twin = lineTwins(picture, layout, lines);
    std::vector<size_t> read;
    for (size_t i = 0; i < lines.size(); ++i)
        if (twin[i] == i) read.push_back(i);
    Readings counts;
    counts.twins = int(lines.size() - read.size());
    const bool withSymbols = options.withSymbols;
    // Second opinions and rare models make do with half the engines (a
    // quarter left a desktop's short lines waiting on two engines).
    const int fewEngines = std::max(1, m_threadCount / 2);
    // A caller that gave up stops the reading between lines: the lines not
    // yet read are skipped and the outcome is dropped by the caller.
    const CancelToken cancel = options.cancel;
    auto cancelled = [&] {
        if (!cancel.isCancelled()) return false;
        report(RecognitionOutcome::failure(QStringLiteral("识别已取消")));
        return true;
    };
    auto readAt = [&](const LayoutLine& line, const QString& model, int engines = 0, LineSize size = LineSize::usual,
                      bool symbols = false) {
        bool missing = false;
        if (cancel.isCancelled()) return std::make_pair(TesseractEngine::Result{}, missing);
        TesseractEngine::Result result =
            readLine(*m_pool, model, engines, picture, layout, line, withSymbols || symbols, missing, size);
        return std::make_pair(std::move(result), missing);
    };
    auto readWith = [&](LineJob& job, const QString& model, int engines = 0, LineSize size = LineSize::usual) {
        return readAt(*job.layout, model, engines, size);
    };
    // A first reading: where the Latin model is not installed, English reads
    // instead (`byEnglish` then says so).
    struct FirstReading {
        TesseractEngine::Result result;
        bool missing = false;
        bool byEnglish = false;
    };
    auto readFirst = [&](const LayoutLine& line, const QString& model, int engines) {
        FirstReading first;
        std::tie(first.result, first.missing) = readAt(line, model, engines);
        if (first.missing && model == m_options.latinModel && model != QLatin1String("eng")) {
            first.byEnglish = true;
            std::tie(first.result, first.missing) = readAt(line, QStringLiteral("eng"));
        }
        return first;
    };

    // What the engine's time on a line grows with: its width against its height.
    auto costOf = [](const QRect& r) { return double(r.width()) / std::max(1, r.height()); };
    auto cost = [&](size_t i) { return costOf(layout.lines[i].rect); };
    // Longest lines first, so that no thread is left with a long one at the end.
    std::vector<size_t> order = read;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return cost(a) > cost(b); });
    // Each model gets engines in proportion to the lines it reads: a Chinese
    // page with a few English words needs one Latin engine, not one per thread.
    std::map<QString, int> linesPerModel;
    for (size_t i : read) ++linesPerModel[lines[i].model];
    std::map<QString, int> engineShare = linesPerModel;
    for (auto& [model, n] : engineShare)
        n = std::max(1, int((qint64(n) * m_threadCount + qint64(read.size()) - 1) / qint64(read.size())));
    rememberModels(linesPerModel, engineShare);
    auto share = [&](const QString& model) {
        const auto it = engineShare.find(model);
        return it == engineShare.end() ? m_threadCount : it->second;
    };

    // Long Latin lines of a page of few lines are read in pieces on several
    // engines at once where that ends the page sooner (see LinePieces).
    struct Piece {
        size_t line;
        LayoutLine layout;
        double cost;
        FirstReading read;
        bool telling = false;  // read first, to tell the page's language
    };
    std::vector<Piece> pieces;
    {
        std::vector<double> costs;
        std::vector<char> cuttable;
        for (size_t i : order) {
            const LayoutLine& l = layout.lines[i];
            costs.push_back(cost(i));
            cuttable.push_back(lines[i].model == m_options.latinModel && !l.stacked && !l.monospaced);
        }
        const std::vector<int> counts = piecesPerLine(costs, cuttable, m_threadCount);
        // Where to cut is found on the engines' threads, each line on its own.
        std::vector<std::vector<QRect>> cut(order.size());
        std::vector<Job> cutting;
        for (size_t k = 0; k < order.size(); ++k)
            if (counts[k] >= 2)
                cutting.push_back([&, k] { cut[k] = linePieces(picture, layout, layout.lines[order[k]], counts[k]); });
        runAll(std::move(cutting));
        for (size_t k = 0; k < order.size(); ++k) {
            if (cut[k].size() < 2) continue;
            for (const QRect& rect : cut[k]) {
                LayoutLine part = layout.lines[order[k]];
                part.rect = rect;
                pieces.push_back({order[k], part, costOf(rect), {}});
            }
        }
    }
    std::vector<char> inPieces(lines.size(), 0);
    for (const Piece& p : pieces) inPieces[p.line] = 1;

    // Lines and pieces, the most costly first. Long lines the script model
    // reads may be read by the model of the page's language instead, once
    // it is told (see PageLanguage).
    QString pageModel;
    std::vector<char> inLanguage(lines.size(), 0);  // a long line the page's language model may read
    for (size_t i : read)
        inLanguage[i] = lines[i].model == m_options.latinModel && PageLanguage::mayRead(layout.lines[i]);
    int longJobs = 0;
    for (size_t i : order)
        if (inLanguage[i] && !inPieces[i]) ++longJobs;
    for (const Piece& p : pieces) longJobs += inLanguage[p.line];
    // A page with more long lines than engines is read in two turns: first
    // the heads of its longest long lines, one per engine, by the script
    // model (with every line no language's model reads); once they have told
    // the page's language, the rest of the long lines. A head is as long as
    // it takes to tell the language, and no longer: the script model is the
    // slower one.
    const bool tellLanguage = longJobs > m_threadCount && m_options.latinModel == QLatin1String("Latin");
    std::vector<char> tellingLine(lines.size(), 0);  // a whole line read first to tell the language
    if (tellLanguage) {
        struct Candidate {
            double cost;
            size_t line;
            int piece;  // -1: the whole line
        };
        std::vector<Candidate> candidates;
        for (size_t i : order)
            if (inLanguage[i] && !inPieces[i]) candidates.push_back({cost(i), i, -1});
        for (size_t k = 0; k < pieces.size(); ++k)
            if (inLanguage[pieces[k].line]) candidates.push_back({pieces[k].cost, pieces[k].line, int(k)});
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.cost > b.cost; });
        candidates.resize(std::min(candidates.size(), size_t(m_threadCount)));
        // Split pieces are replaced in place, the rest right after the head;
        // whole lines cut become pieces of their own.
        std::vector<std::vector<Piece>> splitPieces(pieces.size());
        std::vector<Piece> newPieces;
        for (const Candidate& c : candidates) {
            LayoutLine part = c.piece < 0 ? layout.lines[c.line] : pieces[size_t(c.piece)].layout;
            // (One engine reads lines whole, as it reads every line.)
            const std::vector<QRect> cut =
                m_threadCount > 1 ? lineHead(picture, layout, part, int(kTellingHead * std::max(1, part.rect.height())))
                                  : std::vector<QRect>{part.rect};
            if (cut.size() < 2) {
                if (c.piece < 0) tellingLine[c.line] = 1;
                else pieces[size_t(c.piece)].telling = true;
                continue;
            }
            std::vector<Piece>& into = c.piece < 0 ? newPieces : splitPieces[size_t(c.piece)];
            for (size_t k = 0; k < cut.size(); ++k) {
                part.rect = cut[k];
                into.push_back({c.line, part, costOf(cut[k]), {}, k == 0});
            }
            if (c.piece < 0) inPieces[c.line] = 1;
        }
        std::vector<Piece> all;
        for (size_t k = 0; k < pieces.size(); ++k) {
            if (splitPieces[k].empty()) all.push_back(std::move(pieces[k]));
            else for (Piece& p : splitPieces[k]) all.push_back(std::move(p));
        }
        for (Piece& p : newPieces) all.push_back(std::move(p));
        pieces = std::move(all);
    }

    auto readFirstOf = [&](const LayoutLine& line, size_t i) {
        const QString& model = lines[i].model;
        const QString reader = inLanguage[i] && !pageModel.isEmpty() ? pageModel : model;
        FirstReading first = readFirst(line, reader, share(reader));
        if (first.missing && reader != model) first = readFirst(line, model, share(model));
        return first;
    };
    struct FirstRead {
        double cost;
        bool now;  // in the first turn
        Job job;
    };
    std::vector<FirstRead> firstReads;
    for (size_t i : order) {
        if (inPieces[i]) continue;
        firstReads.push_back({cost(i), !tellLanguage || !inLanguage[i] || tellingLine[i], [&, i] {
                                  LineJob& job = lines[i];
                                  FirstReading first = readFirstOf(*job.layout, i);
                                  if (first.byEnglish) job.model = QStringLiteral("eng");
                                  job.result = std::move(first.result);
                                  job.missing = first.missing;
                              }});
    }
    for (Piece& piece : pieces) {
        firstReads.push_back({piece.cost, !tellLanguage || !inLanguage[piece.line] || piece.telling,
                              [&, p = &piece] { p->read = readFirstOf(p->layout, p->line); }});
    }
    std::stable_sort(firstReads.begin(), firstReads.end(),
                     [](const FirstRead& a, const FirstRead& b) { return a.cost > b.cost; });
    std::vector<Job> first;
    std::vector<Job> later;
    for (FirstRead& r : firstReads) (r.now ? first : later).push_back(std::move(r.job));
    counts.first = int(read.size());
    counts.pieces = int(pieces.size());
    runAll(std::move(first));
    if (cancelled()) return;
    if (!later.empty()) {
        QStringList texts;
        auto textsOf = [&](const TesseractEngine::Result& r) {
            for (const RecognizedLine& l : r.lines) texts << l.text;
        };
        for (size_t i : order)
            if (inLanguage[i] && !inPieces[i]) textsOf(lines[i].result);
        for (const Piece& p : pieces)
            if (inLanguage[p.line]) textsOf(p.read.result);
        pageModel = PageLanguage::modelFor(texts);
        if (!pageModel.isEmpty()) {
            counts.inPageLanguage = int(later.size());
            std::map<QString, int> withPage = linesPerModel;
            withPage[pageModel] = int(later.size());
            std::map<QString, int> enginesWithPage = engineShare;
            enginesWithPage[pageModel] = m_threadCount;
            rememberModels(withPage, enginesWithPage);
        }
        runAll(std::move(later));
        if (cancelled()) return;
    }
    for (size_t from = 0; from < pieces.size();) {
        size_t to = from;
        std::vector<TesseractEngine::Result> parts;
        LineJob& job = lines[pieces[from].line];
        while (to < pieces.size() && pieces[to].line == pieces[from].line) {
            job.missing = job.missing || pieces[to].read.missing;
            if (pieces[to].read.byEnglish) job.model = QStringLiteral("eng");
            parts.push_back(std::move(pieces[to].read.result));
            ++to;
        }
        job.result = joinedPieces(std::move(parts));
        from = to;
    }
    for (const LineJob& job : lines) {
        if (job.missing) {
            report(RecognitionOutcome::failure(missingDataMessage(job.model)));
            return;
        }
    }

    // Short Chinese lines the engine found nothing in are read again smaller
    // with more room around them, then larger.
    for (LineSize size : {LineSize::smallerWithRoom, LineSize::larger}) {
        std::vector<Job> again;
        for (size_t i : read) {
            LineJob& job = lines[i];
            if (!foundNothingInHan(job)) continue;
            again.push_back([&, size, j = &job] {
                auto [result, missing] = readWith(*j, j->model, fewEngines, size);
                if (!missing && result.meanConfidence > j->result.meanConfidence) j->result = std::move(result);
            });
        }
        counts.resized += int(again.size());
        runAll(std::move(again));
    }
    if (cancelled()) return;

    // Second opinions where the first read may be wrong: the other script's
    // model for lines read poorly or too short to tell (capitals look square;
    // short Chinese lines may pass for Latin), and a model that knows both for
    // Latin words inside a Chinese line. The most confident read is kept;
    // the readings are weighed in a fixed order once all are in, so that a
    // line with two second opinions reads the same whichever came first.
    struct SecondReading {
        LineJob* job;
        QString model;
        std::optional<TesseractEngine::Result> result;
    };
    std::vector<SecondReading> readings;
    for (size_t i : read)
        for (const QString& other : secondOpinions(lines[i], scripts, m_options.latinModel))
            readings.push_back({&lines[i], other, std::nullopt});
    std::vector<Job> second;
    for (SecondReading& reading : readings) {
        second.push_back([&] {
            auto [result, missing] = readWith(*reading.job, reading.model, fewEngines);
            if (!missing && !result.lines.empty()) reading.result = std::move(result);
        });
    }
    counts.second = int(second.size());
    runAll(std::move(second));
    if (cancelled()) return;
    // The mixed model misreads runs of Chinese among Latin words ("部署了测试
    // 环境" as "BST Mitts"): where it finds Chinese in a line the Latin model
    // read, the Chinese model reads the line too if it has not, its reading
    // weighed before the mixed model's (as the other script's always is).
    {
        std::vector<SecondReading> chinese;
        for (const SecondReading& reading : readings) {
            const LineJob* job = reading.job;
            if (!reading.result || reading.model != mixedModel() || job->model == hanModel() ||
                ScriptCounts::of(textOf(*reading.result)).han < 2)
                continue;
            const bool asked = std::any_of(readings.begin(), readings.end(), [&](const SecondReading& r) {
                return r.job == job && r.model == hanModel();
            });
            if (!asked) chinese.push_back({reading.job, hanModel(), std::nullopt});
        }
        std::vector<Job> third;
        for (SecondReading& reading : chinese) {
            third.push_back([&] {
                auto [result, missing] = readWith(*reading.job, reading.model, fewEngines);
                if (!missing && !result.lines.empty()) reading.result = std::move(result);
            });
        }
        counts.second += int(third.size());
        runAll(std::move(third));
        if (cancelled()) return;
        // Weighed last to first: these before each line's own.
        for (SecondReading& reading : chinese) readings.push_back(std::move(reading));
    }
    for (const SecondReading& reading : readings)
        if (reading.result) trustFirstReadingAlike(*reading.job, *reading.result);
    // A line's readings are weighed last to first: the other script's model
    // before the mixed model, whose reading is weighed against the winner.
    for (auto it = readings.rbegin(); it != readings.rend(); ++it)
        if (it->result) takeSecondReading(*it->job, std::move(*it->result), it->model);
    // A terminal's Chinese characters, two cells wide each, read as Latin
    // letters as wide: the Chinese model's reading of them takes their place.
    // Only on a page that shows Chinese (see showsCjkText), and in lines
    // read surely: specks and cut-off letters on a Latin page read as
    // letters as wide too.
    {
        const bool chinesePage = std::any_of(lines.begin(), lines.end(), [](const LineJob& job) {
            return std::any_of(job.result.lines.begin(), job.result.lines.end(), showsCjkText);
        });
        std::vector<Job> wide;
        for (size_t i : read) {
            LineJob& job = lines[i];
            if (!chinesePage || !job.layout->monospaced || job.model == hanModel() ||
                job.result.meanConfidence < kSureWideCells || !readsWideCells(job.result))
                continue;
            wide.push_back([&, j = &job] {
                auto [own, ownMissing] = readAt(*j->layout, j->model, fewEngines, LineSize::usual, true);
                auto [han, hanMissing] = readAt(*j->layout, hanModel(), fewEngines, LineSize::usual, true);
                if (ownMissing || hanMissing || own.lines.empty()) return;
                j->result = withWideCellsFrom(own, han);
                if (!withSymbols)
                    for (RecognizedLine& line : j->result.lines) line.symbols.clear();
            });
        }
        counts.second += int(wide.size());
        runAll(std::move(wide));
        if (cancelled()) return;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (twin[i] == i) continue;
        const LineJob& from = lines[twin[i]];
        lines[i].model = from.model;
        lines[i].result = movedToTwin(from.result, *from.layout, *lines[i].layout);
    }

    // Square lines read poorly as a whole may be Japanese, Korean or
    // Traditional Chinese; the model that reads them best is kept.
    auto hanMean = [&](const std::vector<TesseractEngine::Result>& results) {
        double sum = 0;
        double weight = 0;
        for (const TesseractEngine::Result& r : results)
            for (const RecognizedLine& l : r.lines) {
                sum += double(l.confidence) * double(l.text.size());
                weight += double(l.text.size());
            }
        return weight > 0 ? sum / weight : 100.0;
    };
    std::vector<size_t> han;
    std::vector<size_t> slot(lines.size(), 0);  // where a line stands in `han`
    std::vector<TesseractEngine::Result> current;
    // Lines the Chinese models read as no Chinese at all (a shortcut, a
    // number, specks read as Latin letters) are no Japanese or Korean either,
    // nor is an icon read as a character ("口" for a window's button).
    const auto readAsCjk = [](const TesseractEngine::Result& r) {
        int signs = 0;
        for (const RecognizedLine& l : r.lines) {
            const ScriptCounts counts = ScriptCounts::of(l.text);
            signs += counts.han + counts.kana + counts.hangul;
        }
        return signs >= 2;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool cjk = readAsCjk(lines[i].result) && (twin[i] == i || readAsCjk(lines[twin[i]].result));
        if ((lines[i].model == hanModel() || lines[i].model == mixedModel()) && cjk) {
            slot[i] = han.size();
            han.push_back(i);
            current.push_back(lines[i].result);
        }
    }
    double best = hanMean(current);
    if (!han.empty() && best < kOtherCjkBelow) {
        for (const QString& model : {QStringLiteral("jpn"), QStringLiteral("kor"), QStringLiteral("chi_tra")}) {
            std::vector<TesseractEngine::Result> tried(han.size());
            std::atomic_bool missing = false;
            std::vector<Job> jobs;
            for (size_t k = 0; k < han.size(); ++k) {
                if (twin[han[k]] != han[k]) continue;  // takes its first's reading below
                jobs.push_back([&, k, model] {
                    auto [result, gone] = readWith(lines[han[k]], model, fewEngines);
                    if (gone) missing = true;
                    tried[k] = std::move(result);
                });
            }
            counts.otherCjk += int(jobs.size());
            runAll(std::move(jobs));
            if (missing) continue;
            for (size_t k = 0; k < han.size(); ++k)
                if (const size_t i = han[k]; twin[i] != i)
                    tried[k] = movedToTwin(tried[slot[twin[i]]], *lines[twin[i]].layout, *lines[i].layout);
            const double mean = hanMean(tried);
            if (mean > best + 5) {
                best = mean;
                for (size_t k = 0; k < han.size(); ++k) lines[han[k]].result = std::move(tried[k]);
            }
        }
    }

    // Han and kana stand only on a page that shows Chinese or Japanese text
    // somewhere (see showsCjkText). On any other page they come of a model
    // its script never called for, reading what is no text of it: icons,
    // charts, prices and highlighted words ("安三" for a browser's buttons,
    // "33,47 所" for a price). The lines holding them are read again by the
    // Latin model, whose reading stands instead.
    const bool cjkPage = std::any_of(lines.begin(), lines.end(), [](const LineJob& job) {
        return std::any_of(job.result.lines.begin(), job.result.lines.end(), showsCjkText);
    });
    if (!cjkPage) {
        std::vector<Job> latin;
        for (LineJob& job : lines) {
            const ScriptCounts found = ScriptCounts::of(textOf(job.result));
            if (found.han + found.kana == 0) continue;
            latin.push_back([&, j = &job] {
                FirstReading again = readFirst(*j->layout, m_options.latinModel, fewEngines);
                if (again.missing) return;
                j->result = std::move(again.result);
                j->model = again.byEnglish ? QStringLiteral("eng") : m_options.latinModel;
            });
        }
        counts.second += int(latin.size());
        runAll(std::move(latin));
    }

    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            report(RecognitionOutcome::failure(QStringLiteral("识别引擎已关闭")));
            return;
        }
    }
    if (cancelled()) return;
    {
        std::lock_guard lock(m_mutex);
        m_lastReadings = counts;
    }
    RecognitionOutcome outcome;
    for (LineJob& job : lines) {
        for (RecognizedLine& line : job.result.lines)
            if ((isText(line) || isShortChineseText(*job.layout, line, job.model)) &&
                !isIconBesideText(layout, *job.layout, line.text) && !isFramedIcon(picture, *job.layout, line.text) &&
                !isRowOfFramedIcons(picture, *job.layout, line.text, scripts.han) &&
                !showsNoInk(picture, colourOf(picture), job.layout->rect)) {
                dropRoomlessSpaces(line);
                outcome.lines.push_back(std::move(line));
            }
    }
    if (shrink != 1) {
        auto grow = [shrink](const QRect& r) {
            return QRectF(r.x() / shrink, r.y() / shrink, r.width() / shrink, r.height() / shrink).toAlignedRect();
        };
        for (RecognizedLine& line : outcome.lines) {
            line.box = grow(line.box);
            for (RecognizedSymbol& s : line.symbols) s.box = grow(s.box);
        }
    }
    report(std::move(outcome));
}

}  // namespace klipo::platform
