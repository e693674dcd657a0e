// The life of the recognition engines: loaded when needed, never more than
// there are threads, freed after their idle time; engines of one model share
// its word list; warming up loads what the last page needed; and a program
// that recognised something exits cleanly, whether it shut them down at quit
// or not.
#include "ScreenFixtures.h"
#include "TextPictures.h"
#include "platform/text/EnginePool.h"
#include "platform/text/ModelFile.h"
#include "platform/text/TesseractEngine.h"
#include "platform/text/TesseractRecognizer.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <latch>
#include <thread>

#include <dlfcn.h>

using namespace klipo;

namespace {

long residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong() / 1024;
    return 0;
}

platform::RecognitionOutcome recognize(platform::TesseractRecognizer& recognizer, const QImage& image)
{
    platform::RecognitionOutcome out;
    recognizer.recognize(image, {}, [&](platform::RecognitionOutcome o) { out = std::move(o); });
    return out;
}

}  // namespace

TEST(RecognitionEngines, loadOnNeed_StayWithinTheThreads_AndAreFreedWhenIdle)
{
    platform::TesseractRecognizer::Options options;
    options.threads = 4;
    options.idleLimit = std::chrono::milliseconds(300);
    platform::TesseractRecognizer recognizer(options);

    QImage blank(640, 480, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_TRUE(recognize(recognizer, blank).ok);
    EXPECT_EQ(recognizer.loadedEngines(), 0);  // nothing to read, nothing loaded
    const long before = residentMb();

    const test::Screen mixed = test::drawScreen(test::ScreenKind::Desktop, test::ScreenLanguage::Mixed);
    const platform::RecognitionOutcome outcome = recognize(recognizer, mixed.image);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
    EXPECT_GT(outcome.lines.size(), 100u);
    const int loaded = recognizer.loadedEngines();
    EXPECT_GT(loaded, 0);
    EXPECT_LE(loaded, 3 * options.threads);  // Latin, Chinese and the mixed model at most
    EXPECT_LT(residentMb(), 1000);

    for (int i = 0; i < 50 && recognizer.loadedEngines() > 1; ++i) QThread::msleep(100);
    // One Latin engine may stay, its word list given back (see below).
    EXPECT_LE(recognizer.loadedEngines(), 1);
    EXPECT_LT(residentMb(), 300);
    // Nothing of a model file stays (Latin's is 89 MB), once the freeing is
    // done; the Latin engine that may stay holds about 15 MB of its own.
    for (int i = 0; i < 50 && residentMb() >= before + 75; ++i) QThread::msleep(100);
    EXPECT_LT(residentMb(), before + 75);

    recognizer.shutDown();
    EXPECT_FALSE(recognize(recognizer, mixed.image).ok);  // shut down: a failure, not a hang
}

// Loading many engines of a model at once, as a page's first read does (those
// of Latin after the first, those of Chinese all together): they all read a
// line exactly as an engine loaded alone does (the word list changes both the
// text and the confidence of a read).
TEST(RecognitionEngines, enginesLoadedTogether_ShareTheWordList_AndReadExactlyAsAnEngineAlone)
{
    constexpr int kEngines = 4;
    test::PictureStyle chinese;
    chinese.chinese = true;
    const struct {
        QString model;
        QImage line;
    } models[] = {
        {platform::TesseractRecognizer::defaultLatinModel(),
         test::drawPicture(
             QSize(900, 60),
             {{QStringLiteral("Mañana vamos a visitar a mis abuelos, Tbe qnick brovvn fox"), {10, 18}, 20}})},
        {QStringLiteral("chi_sim"),
         test::drawPicture(QSize(700, 60), {{QStringLiteral("今天的天气很好，我们去公园散步吧。"), {10, 14}, 28}},
                           chinese)},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(qPrintable(m.model));
        const QImage line = m.line.convertToFormat(QImage::Format_Grayscale8);
        platform::EnginePool pool(kEngines, std::chrono::minutes(1));
        std::vector<platform::TesseractEngine::Result> reads(kEngines);
        std::vector<int> dictionaries(kEngines, -1);
        std::latch allRead(kEngines);
        std::vector<std::thread> threads;
        for (int i = 0; i < kEngines; ++i) {
            threads.emplace_back([&, i] {
                platform::EnginePool::Lease engine = pool.acquire(m.model);
                if (engine) {
                    reads[size_t(i)] = engine->read(line, 1, {}, false, platform::TesseractEngine::Layout::SingleLine);
                    dictionaries[size_t(i)] = engine->dictionaryCount();
                }
                allRead.arrive_and_wait();  // each thread keeps its own engine until all have read
            });
        }
        for (std::thread& t : threads) t.join();
        ASSERT_EQ(pool.loadedCount(), kEngines);
        pool.shutDown();
        platform::TesseractEngine::freeUnusedDictionaries();

        // An engine loaded alone, after the others are gone, has every dictionary of its own.
        platform::TesseractEngine alone;
        ASSERT_TRUE(alone.load(m.model));
        const platform::TesseractEngine::Result expected =
            alone.read(line, 1, {}, false, platform::TesseractEngine::Layout::SingleLine);
        ASSERT_EQ(expected.lines.size(), 1u);
        for (int i = 0; i < kEngines; ++i) {
            SCOPED_TRACE(i);
            ASSERT_EQ(reads[size_t(i)].lines.size(), 1u);
            EXPECT_EQ(reads[size_t(i)].lines[0].text, expected.lines[0].text);
            EXPECT_EQ(reads[size_t(i)].lines[0].confidence, expected.lines[0].confidence);
            EXPECT_EQ(dictionaries[size_t(i)], alone.dictionaryCount());
        }
    }
}

// A page read cold (engines freed after their idle time, warmed up by the
// key press while the page is laid out, every model loading as the lines
// need it) reads exactly as the same page read warm.
TEST(RecognitionEngines, aPageReadCold_ReadsExactlyAsWarm)
{
    platform::TesseractRecognizer recognizer;
    const test::Screen screen = test::drawScreen(test::ScreenKind::Desktop, test::ScreenLanguage::Mixed);
    auto text = [](const platform::RecognitionOutcome& outcome) {
        QStringList lines;
        for (const platform::RecognizedLine& line : outcome.lines)
            lines << QStringLiteral("%1 %2").arg(line.text).arg(double(line.confidence), 0, 'f', 2);
        return lines.join(QLatin1Char('\n')).toStdString();
    };
    const platform::RecognitionOutcome first = recognize(recognizer, screen.image);
    ASSERT_TRUE(first.ok) << qPrintable(first.error);
    const std::string warm = text(recognize(recognizer, screen.image));
    ASSERT_GE(recognizer.loadedModels().size(), 2);  // Latin and Chinese at least
    for (int run = 0; run < 2; ++run) {
        recognizer.freeIdleEngines();
        ASSERT_EQ(recognizer.loadedEngines(), 0);
        recognizer.warmUp();
        EXPECT_EQ(text(recognize(recognizer, screen.image)), warm) << "run " << run;
    }
}

// Lines alike in every pixel are read once; each keeps its own place. Lines
// that differ in one digit, or stand on another ground, are read apart.
TEST(RecognitionEngines, linesAlike_AreReadOnce_EachInItsOwnPlace_AndLinesThatDifferAreNot)
{
    platform::TesseractRecognizer::Options options;
    options.threads = 2;
    platform::TesseractRecognizer recognizer(options);
    const QString label = QStringLiteral("Reply later");
    const std::vector<QPoint> places = {{20, 20}, {310, 110}, {150, 290}};
    std::vector<test::DrawnLine> drawn;
    for (const QPoint& at : places) drawn.push_back({label, at, 24});
    drawn.push_back({QStringLiteral("Total 128"), {20, 200}, 24});
    drawn.push_back({QStringLiteral("Total 126"), {310, 380}, 24});
    QImage page = test::drawPicture(QSize(600, 440), drawn);
    const platform::RecognitionOutcome outcome = recognize(recognizer, page);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
    const platform::TesseractRecognizer::Readings readings = recognizer.lastReadings();
    EXPECT_EQ(readings.first, 3);  // the label once, each total once
    EXPECT_EQ(readings.twins, 2);
    for (const QPoint& at : places) {
        const auto found = std::find_if(outcome.lines.begin(), outcome.lines.end(), [&](const auto& line) {
            return line.text == label && std::abs(line.box.left() - at.x()) <= 4 && line.box.top() >= at.y() &&
                   line.box.top() <= at.y() + 12;
        });
        EXPECT_NE(found, outcome.lines.end()) << "no label read at " << at.x() << "," << at.y();
    }
    QStringList totals;
    for (const platform::RecognizedLine& line : outcome.lines)
        if (line.text.startsWith(QStringLiteral("Total"))) totals << line.text;
    totals.sort();
    EXPECT_EQ(totals, (QStringList{QStringLiteral("Total 126"), QStringLiteral("Total 128")}));

    // The same label on a tinted ground is another picture.
    {
        QPainter tint(&page);
        tint.setCompositionMode(QPainter::CompositionMode_Multiply);
        tint.fillRect(QRect(300, 100, 300, 60), QColor(225, 235, 255));
    }
    ASSERT_TRUE(recognize(recognizer, page).ok);
    EXPECT_EQ(recognizer.lastReadings().first, 4);
    EXPECT_EQ(recognizer.lastReadings().twins, 1);
}

// A model file that is not laid out as one, or has no word list, leaves
// nothing to share: every engine then loads the whole model.
TEST(RecognitionEngines, modelsWithoutAWordListOrLaidOutOtherwise_GiveNothingToShare)
{
    auto model = [](quint32 parts, const std::vector<std::pair<int, qint64>>& offsets, qsizetype size) {
        QByteArray bytes(size, '\0');
        const quint32 count = qToLittleEndian(parts);
        std::memcpy(bytes.data(), &count, 4);
        for (quint32 i = 0; i < parts && 4 + 8 * qsizetype(i + 1) <= size; ++i) {
            qint64 offset = -1;
            for (const auto& [part, at] : offsets)
                if (part == int(i)) offset = at;
            offset = qToLittleEndian(offset);
            std::memcpy(bytes.data() + 4 + 8 * i, &offset, 8);
        }
        return bytes;
    };
    const qsizetype header = 4 + 8 * 24;
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"nothing", QByteArray()},
        {"a header cut short", model(24, {{17, header}, {19, header + 10}}, 100)},
        {"no word list", model(24, {{17, header}, {21, header + 10}}, header + 20)},
        {"parts out of order", model(24, {{17, header + 10}, {19, header}}, header + 20)},
        {"a part past the end", model(24, {{17, header}, {19, header + 500}}, header + 20)},
        {"too many parts", model(100000, {}, header)},
    };
    for (const auto& c : cases) EXPECT_TRUE(platform::ModelFile::withoutWordList(c.bytes).isEmpty()) << c.what;

    const QString latin = platform::TesseractRecognizer::defaultLatinModel();
    const platform::ModelFile installed(platform::ModelFile::pathOf(latin));
    const QByteArray shared = platform::ModelFile::withoutWordList(installed.bytes());
    EXPECT_FALSE(shared.isEmpty());
    EXPECT_LT(shared.size(), installed.bytes().size());
}

// Warming up before a capture loads the models the last page was read with:
// the Latin one before any page, the Chinese one after a Chinese page.
TEST(RecognitionEngines, warmingUp_LoadsTheModelsTheLastPageWasReadWith)
{
    platform::TesseractRecognizer::Options options;
    options.threads = 2;
    platform::TesseractRecognizer recognizer(options);
    recognizer.warmUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.loadedEngines() > 0; }, 10000));
    EXPECT_EQ(recognizer.loadedModels().join(' '), platform::TesseractRecognizer::defaultLatinModel());

    test::PictureStyle chinese;
    chinese.chinese = true;
    const QImage page = test::drawPicture(QSize(700, 120), {{QStringLiteral("今天的天气很好，我们去公园散步吧。"), {20, 20}, 28},
                                                            {QStringLiteral("明天早上八点在学校门口见面。"), {20, 70}, 28}},
                                          chinese);
    ASSERT_TRUE(recognize(recognizer, page).ok);
    recognizer.freeIdleEngines();
    ASSERT_EQ(recognizer.loadedEngines(), 0);
    recognizer.warmUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.loadedEngines() > 0; }, 10000));
    QTest::qWait(1000);  // long enough for a Latin engine to load as well, were it asked for
    EXPECT_EQ(recognizer.loadedModels().join(' '), QStringLiteral("chi_sim"));
}

// The program warms an engine up at launch: one nobody reads with gives its
// memory back after its idle time all the same (else it would hold its model
// for good: Latin's word list is 85 MB). The model keeps one engine, whose
// word list comes back as it reads, and reads exactly as an engine loaded
// afresh.
TEST(RecognitionEngines, anEngineWarmedUpButNeverUsed_GivesItsMemoryBackAfterItsIdleTime_AndReadsAsBefore)
{
    // The word list's pages are backed by a file in the cache folder: one on
    // disk, as the user's is.
    QTemporaryDir cache(QDir::currentPath() + QStringLiteral("/cache-XXXXXX"));
    ASSERT_TRUE(cache.isValid());
    const QByteArray previousCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const long before = residentMb();
    {
        platform::TesseractRecognizer::Options options;
        options.threads = 2;
        options.idleLimit = std::chrono::milliseconds(300);
        platform::TesseractRecognizer recognizer(options);
        recognizer.warmUp();
        recognizer.warmUp();  // twice, as launch and a key press soon after do
        ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.loadedEngines() > 0; }, 20000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return residentMb() < before + 40; }, 20000)) << residentMb() - before;
        EXPECT_LE(recognizer.loadedEngines(), 1);
    }

    const QString latin = platform::TesseractRecognizer::defaultLatinModel();
    const QImage line =
        test::drawPicture(QSize(900, 60),
                          {{QStringLiteral("Mañana vamos a visitar a mis abuelos, Tbe qnick brovvn fox"), {10, 18}, 20}})
            .convertToFormat(QImage::Format_Grayscale8);
    auto read = [&](platform::TesseractEngine& engine) {
        const auto result = engine.read(line, 1, {}, false, platform::TesseractEngine::Layout::SingleLine);
        return result.lines.empty() ? QString() : result.lines[0].text + QString::number(result.lines[0].confidence);
    };
    platform::EnginePool pool(2, std::chrono::milliseconds(300));
    QString first;
    {
        platform::EnginePool::Lease engine = pool.acquire(latin);
        ASSERT_TRUE(engine);
        first = read(*engine);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return residentMb() < before + 40; }, 20000)) << residentMb() - before;
    ASSERT_EQ(pool.loadedCount(), 1);  // kept, without its word list in memory
    QString kept;
    {
        platform::EnginePool::Lease engine = pool.acquire(latin);
        ASSERT_TRUE(engine);
        kept = read(*engine);
    }
    pool.shutDown();
    platform::TesseractEngine::freeUnusedDictionaries();
    platform::TesseractEngine alone;
    ASSERT_TRUE(alone.load(latin));
    EXPECT_EQ(first, read(alone));
    EXPECT_EQ(kept, read(alone));
    qputenv("XDG_CACHE_HOME", previousCache);
}

// After its idle time a model with a large word list keeps one engine where
// it read a page (the next page is at hand); one only warmed up and never
// read with keeps none, and the memory it took comes back.
TEST(RecognitionEngines, anEngineNeverReadWith_GoesWhenIdle_AndOneThatReadStays)
{
    QTemporaryDir cache(QDir::currentPath() + QStringLiteral("/cache-XXXXXX"));
    ASSERT_TRUE(cache.isValid());
    const QByteArray previousCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString latin = platform::TesseractRecognizer::defaultLatinModel();
    for (const bool readWith : {false, true}) {
        const long before = residentMb();
        platform::EnginePool pool(2, std::chrono::milliseconds(300));
        ASSERT_TRUE(pool.preload(latin, 1));
        if (readWith) {
            ASSERT_TRUE(pool.acquire(latin));
        }
        const int stays = readWith ? 1 : 0;
        EXPECT_TRUE(QTest::qWaitFor([&] { return pool.loadedCount() == stays; }, 20000))
            << "read with: " << readWith << ", engines: " << pool.loadedCount();
        if (!readWith) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return residentMb() < before + 8; }, 20000)) << residentMb() - before;
        }
        pool.shutDown();
    }
    qputenv("XDG_CACHE_HOME", previousCache);
}

// The probe ends half the time without shutting the engines down (the exit
// handler must do it before Tesseract's statics go).
TEST(RecognitionEngines, programExitsCleanly_AfterRecognisingNothing)
{
    for (int run = 0; run < 6; ++run) {
        QProcess probe;
        probe.start(QStringLiteral(KLIPO_EXIT_PROBE),
                    run % 2 ? QStringList{QStringLiteral("--shut-down")} : QStringList{});
        ASSERT_TRUE(probe.waitForFinished(60000));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << "run " << run << " crashed";
        EXPECT_EQ(probe.exitCode(), 0) << qPrintable(QString::fromUtf8(probe.readAllStandardError()));
    }
}

// A page about to be read (a key press) finds every engine its lines will
// ask for: warming up for a page loads as many of the model as there are
// threads, side by side, each with the word list of the first, never more,
// and unused they are freed after their idle time.
TEST(RecognitionEngines, warmingUpForAPage_LoadsTheEnginesItsLinesUse_SharingTheWordList_AndFreesThemWhenIdle)
{
    constexpr int kThreads = 3;
    const QString latin = platform::TesseractRecognizer::defaultLatinModel();
    {
        platform::EnginePool pool(kThreads, std::chrono::minutes(1));
        std::vector<std::thread> threads;
        std::atomic<int> loaded = 0;
        for (int i = 0; i < kThreads + 1; ++i)
            threads.emplace_back([&] { loaded += pool.preload(latin, kThreads) ? 1 : 0; });
        for (std::thread& t : threads) t.join();
        EXPECT_EQ(loaded, kThreads);
        EXPECT_FALSE(pool.preload(latin, kThreads));
        ASSERT_EQ(pool.loadedCount(), kThreads);

        platform::TesseractEngine alone;
        ASSERT_TRUE(alone.load(latin));
        std::vector<platform::EnginePool::Lease> leases;
        for (int i = 0; i < kThreads; ++i) {
            leases.push_back(pool.acquire(latin));
            ASSERT_TRUE(leases.back());
            EXPECT_EQ(leases.back()->dictionaryCount(), alone.dictionaryCount()) << "engine " << i;
        }
        EXPECT_EQ(pool.loadedCount(), kThreads);  // the engines lent were the ones warmed up
    }

    platform::TesseractRecognizer::Options options;
    options.threads = kThreads;
    options.idleLimit = std::chrono::milliseconds(1500);
    platform::TesseractRecognizer recognizer(options);
    recognizer.warmUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.loadedEngines() > 0; }, 20000));
    recognizer.warmUp(platform::TesseractRecognizer::WarmUp::forAPage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recognizer.loadedEngines() == kThreads; }, 20000));
    // One may stay, its word list given back (see above).
    EXPECT_TRUE(QTest::qWaitFor([&] { return recognizer.loadedEngines() <= 1; }, 20000));
}

TEST(RecognitionEngines, theLibrarysTableOfLookAlikeCharacters_IsNotLoadedIntoEachEngine)
{
    // Tesseract calls its loader of that table through its symbol table: the
    // program's own, which loads nothing, takes its place only while the
    // executable exports it.
    void* loader = ::dlsym(RTLD_DEFAULT, "_ZN9tesseract13UnicharAmbigs13LoadUniversalERKNS_10UNICHARSETEPS1_");
    ASSERT_NE(loader, nullptr);
    Dl_info where{};
    ASSERT_NE(::dladdr(loader, &where), 0);
    EXPECT_FALSE(QString::fromLocal8Bit(where.dli_fname).contains(QStringLiteral("libtesseract"))) << where.dli_fname;
}
