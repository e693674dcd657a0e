#include "platform/text/TesseractRecognizer.h"

#include "platform/text/PageBands.h"
#include "platform/text/TesseractEngine.h"

#include <QThread>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>

#include <dlfcn.h>

namespace klipo::platform {

namespace {

constexpr int kMaxThreads = 8;
constexpr int kMaxSide = 30000;        // Tesseract keeps coordinates in 16 bits
constexpr float kSecondOpinionBelow = 70;  // mean confidence under which other models are tried
constexpr float kForcedLineFloor = 50;     // a row forced into one line is kept from this confidence

// Tesseract parallelises a few loops with OpenMP; with one engine per core
// that only adds threads that spin against each other. Turning nested
// parallel regions off in each worker keeps every engine on its own core.
void keepOpenMpSerial()
{
    using SetLevels = void (*)(int);
    if (auto set = reinterpret_cast<SetLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
}

QString missingDataMessage(const QString& language)
{
    return QStringLiteral("缺少文字识别数据 %1，请安装：sudo apt-get install %2")
        .arg(language, tesseractPackageFor(language));
}

std::vector<QString> secondOpinions(BandScript script)
{
    if (script == BandScript::Han)
        return {QStringLiteral("jpn"), QStringLiteral("kor"), QStringLiteral("chi_tra"), QStringLiteral("eng")};
    return {QStringLiteral("chi_sim")};
}

QImage toGray(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8) return image;
    // Transparent pixels count as white, as they show on a light page.
    if (image.hasAlphaChannel()) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        QImage flat(image.size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            auto* dst = reinterpret_cast<QRgb*>(flat.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(src[x]);
                auto blend = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
                dst[x] = qRgb(blend(qRed(src[x])), blend(qGreen(src[x])), blend(qBlue(src[x])));
            }
        }
        return flat.convertToFormat(QImage::Format_Grayscale8);
    }
    return image.convertToFormat(QImage::Format_Grayscale8);
}

}  // namespace

// The engines of one worker thread, loaded on first use and kept.
class EngineSet {
public:
    TesseractEngine* get(const QString& languages)
    {
        if (m_missing.count(languages)) return nullptr;
        auto& slot = m_engines[languages];
        if (!slot) {
            auto engine = std::make_unique<TesseractEngine>();
            if (!engine->load(languages)) {
                m_engines.erase(languages);
                m_missing.insert(languages);
                return nullptr;
            }
            slot = std::move(engine);
        }
        return slot.get();
    }

private:
    std::map<QString, std::unique_ptr<TesseractEngine>> m_engines;
    std::set<QString> m_missing;
};

namespace {

struct BandOutcome {
    std::vector<RecognizedLine> lines;
    QString error;
};

// The band's picture (its rows on a plain background) and where it sits in
// the grey image.
struct BandPicture {
    QImage gray;
    QPoint origin;
};

// A piece of a band as the engine should see it: dark themes inverted, small
// text upscaled (never past what the engine can take). `rect` is in the grey
// image.
struct EngineImage {
    QImage gray;
    double scale = 1;
    QPoint offset;
};

EngineImage engineImage(const BandPicture& picture, const QRect& rect, bool dark, double wantedScale)
{
    EngineImage out{picture.gray.copy(rect.translated(-picture.origin)), 1, rect.topLeft()};
    if (dark) out.gray.invertPixels();
    out.scale = std::clamp(double(kMaxSide) / std::max(rect.width(), rect.height()), 1.0, wantedScale);
    if (out.scale > 1) {
        out.gray = out.gray
                       .scaled(int(std::lround(rect.width() * out.scale)), int(std::lround(rect.height() * out.scale)),
                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_Grayscale8);
    }
    return out;
}

bool covers(const std::vector<RecognizedLine>& lines, const QRect& row)
{
    return std::any_of(lines.begin(), lines.end(), [&](const RecognizedLine& line) {
        const int overlap = std::min(line.box.bottom(), row.bottom()) - std::max(line.box.top(), row.top()) + 1;
        const int across = std::min(line.box.right(), row.right()) - std::max(line.box.left(), row.left()) + 1;
        return overlap * 2 >= row.height() && across > 0;
    });
}

// Whether a line read from a row on its own is one the band's read has
// already: a row made taller than its text (an icon beside it) counts as
// missed although its text was read.
bool repeats(const std::vector<RecognizedLine>& lines, const RecognizedLine& candidate)
{
    const auto area = [](const QRect& r) { return qint64(r.width()) * r.height(); };
    return std::any_of(lines.begin(), lines.end(), [&](const RecognizedLine& line) {
        return area(line.box & candidate.box) * 2 > std::min(area(line.box), area(candidate.box));
    });
}

// Reads one row (or row segment) as a single line. A row taller than the
// band's text (lines that touch) is read as a block of lines instead. Lines
// read with little confidence are dropped: forcing a row into a line makes
// text out of icons and rules.
void readRow(TesseractEngine& engine, const BandPicture& picture, const TextBand& band, const QRect& row, bool withSymbols,
             TesseractEngine::Result& into, double& weightedConfidence, int& characters)
{
    const bool tall = row.height() * 5 > band.textHeight * 8 + 10;
    const int pad = std::max(2, row.height() / 4);
    const EngineImage image = engineImage(picture, row.adjusted(-pad, -pad, pad, pad).intersected(band.rect), band.dark,
                                          band.scale);
    TesseractEngine::Result result = engine.read(image.gray, image.scale, image.offset, withSymbols,
                                                 tall ? TesseractEngine::Layout::Block
                                                      : TesseractEngine::Layout::SingleLine);
    into.ok = into.ok && result.ok;
    for (RecognizedLine& line : result.lines) {
        if (!tall && line.confidence < kForcedLineFloor) continue;
        weightedConfidence += double(line.confidence) * line.text.size();
        characters += int(line.text.size());
        into.lines.push_back(std::move(line));
    }
}

// A band is read as one block of lines: the page layout makes a read about a
// tenth slower, and it drops and splits Chinese lines. Where columns stand
// side by side, square scripts are read row by row and everything else with
// the page layout, which keeps the columns apart. Then the rows the engine
// missed are read on their own (it sometimes drops a short last line).
TesseractEngine::Result readWith(TesseractEngine& engine, const BandPicture& picture, const TextBand& band,
                                 bool withSymbols)
{
    TesseractEngine::Result result;
    double weighted = 0;
    int characters = 0;
    const bool square = band.script == BandScript::Han;
    if (square && band.columns) {
        for (const QRect& row : band.rows) readRow(engine, picture, band, row, withSymbols, result, weighted, characters);
        result.meanConfidence = characters > 0 ? float(weighted / characters) : 0;
        return result;
    }
    const EngineImage image = engineImage(picture, band.rect, band.dark, band.scale);
    result = engine.read(image.gray, image.scale, image.offset, withSymbols,
                         band.columns ? TesseractEngine::Layout::Page : TesseractEngine::Layout::Block);
    if (!result.ok) return result;
    TesseractEngine::Result missed;
    for (const QRect& row : band.rows) {
        if (!covers(result.lines, row)) readRow(engine, picture, band, row, withSymbols, missed, weighted, characters);
    }
    result.ok = missed.ok;
    if (missed.lines.empty()) return result;
    for (RecognizedLine& line : missed.lines) {
        if (!repeats(result.lines, line)) result.lines.push_back(std::move(line));
    }
    std::stable_sort(result.lines.begin(), result.lines.end(),
                     [](const RecognizedLine& a, const RecognizedLine& b) { return a.box.top() < b.box.top(); });
    return result;
}

void readBand(EngineSet& engines, const QImage& gray, const TextBand& band, bool withSymbols, BandOutcome& out)
{
    const QString primary = band.script == BandScript::Han ? QStringLiteral("chi_sim") : QStringLiteral("eng");
    TesseractEngine* engine = engines.get(primary);
    if (!engine) {
        out.error = missingDataMessage(primary);
        return;
    }
    const BandPicture picture{bandPicture(gray, band), band.rect.topLeft()};
    TesseractEngine::Result best = readWith(*engine, picture, band, withSymbols);
    if (!best.ok) {
        out.error = QStringLiteral("识别引擎处理图片时出错");
        return;
    }
    // A band read poorly may be in another script of the same look (Japanese
    // and Korean look square too); the best-read result is kept.
    if (!best.lines.empty() && best.meanConfidence < kSecondOpinionBelow) {
        for (const QString& other : secondOpinions(band.script)) {
            TesseractEngine* alternative = engines.get(other);
            if (!alternative) continue;
            TesseractEngine::Result result = readWith(*alternative, picture, band, withSymbols);
            if (result.ok && result.meanConfidence > best.meanConfidence + 5) best = std::move(result);
        }
    }
    out.lines = std::move(best.lines);
}

}  // namespace

TesseractRecognizer::TesseractRecognizer(int threads)
    : m_threadCount(threads > 0 ? threads : std::clamp(QThread::idealThreadCount(), 1, kMaxThreads))
{
}

TesseractRecognizer::~TesseractRecognizer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    for (std::thread& t : m_threads) t.join();
}

void TesseractRecognizer::warmUp() { ensureStarted(); }

void TesseractRecognizer::ensureStarted()
{
    std::lock_guard lock(m_mutex);
    if (!m_threads.empty()) return;
    for (int i = 0; i < m_threadCount; ++i) m_threads.emplace_back([this] { workerLoop(); });
}

void TesseractRecognizer::workerLoop()
{
    keepOpenMpSerial();
    EngineSet engines;
    engines.get(QStringLiteral("eng"));
    engines.get(QStringLiteral("chi_sim"));
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job(engines);
    }
}

void TesseractRecognizer::submit(Job job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_cv.notify_one();
}

void TesseractRecognizer::recognize(const QImage& image, const RecognitionOptions& options, const Report& report)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        report({});
        return;
    }
    ensureStarted();

    QImage gray = toGray(image);
    double shrink = 1;
    if (gray.width() > kMaxSide) {
        shrink = double(kMaxSide) / gray.width();
        gray = gray.scaledToWidth(kMaxSide, Qt::SmoothTransformation).convertToFormat(QImage::Format_Grayscale8);
    }

    // Enough bands for every thread to get a few, never thinner than a few rows.
    const int maxBandHeight = std::max(48, gray.height() / (3 * m_threadCount));
    const std::vector<TextBand> bands = planBands(gray, maxBandHeight);

    std::vector<BandOutcome> outcomes(bands.size());
    std::mutex doneMutex;
    std::condition_variable doneCv;
    size_t remaining = bands.size();

    // Biggest pieces first, so that no thread is left with a big one at the end.
    std::vector<size_t> order(bands.size());
    std::iota(order.begin(), order.end(), size_t(0));
    auto cost = [&](size_t i) {
        const TextBand& b = bands[i];
        return double(b.rect.height()) * (b.script == BandScript::Han ? 2 : 1);
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return cost(a) > cost(b); });

    for (size_t i : order) {
        submit([&, i](EngineSet& engines) {
            readBand(engines, gray, bands[i], options.withSymbols, outcomes[i]);
            std::lock_guard lock(doneMutex);
            if (--remaining == 0) doneCv.notify_one();
        });
    }
    {
        std::unique_lock lock(doneMutex);
        doneCv.wait(lock, [&] { return remaining == 0; });
    }

    RecognitionOutcome outcome;
    for (BandOutcome& band : outcomes) {
        if (!band.error.isEmpty()) {
            report(RecognitionOutcome::failure(band.error));
            return;
        }
        for (RecognizedLine& line : band.lines) outcome.lines.push_back(std::move(line));
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
