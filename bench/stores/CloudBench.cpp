// Figures of the backup: folding two computers' backups of 10,000 records
// (2 KB of text each) and 20,000 words (3 sources each), a download through
// the service, an upload of that content, an automatic upload that the
// fingerprint skips, and the quit upload; for each the longest time the main
// thread was kept from its events. Medians of several runs.
// Run: build/bench/stores/cloud_bench [runs]
#include "platform/SettingsStore.h"
#include "stores/CloudFolder.h"
#include "stores/CloudScheduler.h"
#include "stores/CloudSync.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"

#include "support/BenchSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

using namespace klipo;

namespace {

const QDateTime kStart(QDate(2024, 5, 1), QTime(8, 0), Qt::UTC);

QString sampleText(int n, int bytes, const QString& unit)
{
    QString text = QStringLiteral("#%1 ").arg(n);
    while (text.toUtf8().size() < bytes) text += unit;
    return text;
}

QList<HistoryRecord> makeRecords(int count, int firstId)
{
    const QString latin = sampleText(0, 1024, QStringLiteral("The quick brown fox jumps over the lazy dog. "));
    const QString han = sampleText(0, 1024, QStringLiteral("敏捷的棕色狐狸跳过了懒狗。"));
    QList<HistoryRecord> records;
    for (int i = 0; i < count; ++i) {
        HistoryRecord r;
        r.id = QUuid(QStringLiteral("{00000000-0000-4000-8000-%1}").arg(firstId + i, 12, 10, QLatin1Char('0')));
        r.date = kStart.addSecs(-i * 60);
        r.imageName = r.idText() + QStringLiteral(".png");
        r.originalText = QString::number(i) + latin;
        r.translatedText = QString::number(i) + han;
        r.targetLanguage = QStringLiteral("zh-Hans");
        records.append(r);
    }
    return records;
}

// Keys of consonant-vowel syllables: words the extractor could make.
QString wordKey(int n)
{
    static const char consonants[] = "bdfgklmnprtvz";
    QString key = QStringLiteral("ka");
    do {
        key += QLatin1Char(consonants[n % 13]);
        key += QLatin1Char("aeiou"[(n / 13) % 5]);
        n /= 65;
    } while (n > 0);
    return key;
}

QList<VocabularyWord> makeWords(int count, qint64 countBase, const QList<HistoryRecord>& records)
{
    QList<VocabularyWord> words;
    for (int i = 0; i < count; ++i) {
        VocabularyWord w;
        w.normalized = wordKey(i);
        w.display = w.normalized;
        w.count = countBase + i % 7;
        w.firstSeen = w.lastSeen = kStart.addSecs(-i);
        w.isMastered = i % 10 == 0;
        for (int s = 0; s < 3; ++s)
            w.sources.append({records[(i * 3 + s) % records.size()].idText(), 1, kStart.addSecs(-i - s)});
        words.append(w);
    }
    return words;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Times every event the main thread handles, in CPU time: what the main thread
// itself spends, whatever else keeps the machine busy.
class TimingApp final : public QGuiApplication {
public:
    using QGuiApplication::QGuiApplication;
    double longestEventMs = 0;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (QThread::currentThread() != thread() || m_depth > 0) return QGuiApplication::notify(receiver, event);
        ++m_depth;
        const double before = threadCpuMs();
        const bool handled = QGuiApplication::notify(receiver, event);
        longestEventMs = std::max(longestEventMs, threadCpuMs() - before);
        --m_depth;
        return handled;
    }

private:
    int m_depth = 0;
};

struct Measure {
    double ms = 0;
    double longestBlockMs = 0;  // wall time between 1 ms ticks
    double longestEventMs = 0;  // CPU time of the longest main-thread event
};

// Runs `start` on the main thread and its event loop until `done`; the
// longest block is the largest gap between 1 ms ticks (or the start call).
Measure measure(const std::function<void()>& start, const std::function<bool()>& done)
{
    QElapsedTimer clock;
    qint64 lastTick = 0;
    double longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, (now - lastTick) / 1e6);
        lastTick = now;
    });
    clock.start();
    tick.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    poll.start(1);
    auto* app = static_cast<TimingApp*>(QCoreApplication::instance());
    app->longestEventMs = 0;
    const qint64 before = clock.nsecsElapsed();
    const double cpuBefore = threadCpuMs();
    start();
    const double startCpu = threadCpuMs() - cpuBefore;
    longest = std::max(longest, (clock.nsecsElapsed() - before) / 1e6);
    lastTick = clock.nsecsElapsed();
    loop.exec();
    return {clock.nsecsElapsed() / 1e6, longest, std::max(startCpu, app->longestEventMs)};
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(var, home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApp app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString root = home.path();

    // Two computers' backups in the folder.
    const QString folder = root + QStringLiteral("/Cloud");
    QDir().mkpath(folder);
    const QList<HistoryRecord> recordsA = makeRecords(10000, 0);
    const QList<HistoryRecord> recordsB = makeRecords(10000, 5000);  // half of them shared
    const QList<VocabularyWord> wordsA = makeWords(20000, 1, recordsA);
    const QList<VocabularyWord> wordsB = makeWords(20000, 3, recordsB);
    const CloudBackup::Settings payload{{QStringLiteral("targetLanguage"), QStringLiteral("en")},
                                        {QStringLiteral("historyLimit"), QStringLiteral("0")},
                                        {QStringLiteral("saveHistory"), QStringLiteral("true")}};
    const QByteArray fileA = cloudbackup::encodeFile(CloudBackup{1, kStart, recordsA, wordsA, payload});
    writeFile(folder + QStringLiteral("/KlipoVersa-Backup-AAAAAAAA.json"), fileA);
    writeFile(folder + QStringLiteral("/KlipoVersa-Backup-BBBBBBBB.json"),
              cloudbackup::encodeFile(CloudBackup{1, kStart.addSecs(5), recordsB, wordsB, payload}));
    std::printf("backup file: %.1f MB, %lld records, %lld words\n", fileA.size() / 1048576.0,
                qlonglong(recordsA.size()), qlonglong(wordsA.size()));

    std::vector<double> fold;
    qsizetype foldedRecords = 0, foldedWords = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const cloudfolder::ReadResult merged = cloudfolder::readMerged(folder, kStart);
        fold.push_back(t.nsecsElapsed() / 1e6);
        foldedRecords = merged.backup ? merged.backup->records.size() : -1;
        foldedWords = merged.backup ? merged.backup->words.size() : -1;
    }
    std::printf("fold of two backups (worker):     median %7.1f ms  -> %lld records, %lld words\n", bench::median(fold),
                qlonglong(foldedRecords), qlonglong(foldedWords));

    // This computer holds the same amount.
    QDir().mkpath(root + QStringLiteral("/History"));
    writeFile(root + QStringLiteral("/History/index.json"), historyindex::encode(recordsA));
    vocabularybook::Book book;
    for (const VocabularyWord& w : wordsA) book.insert(w.normalized, w);
    writeFile(root + QStringLiteral("/vocabulary.json"), vocabularybook::encodeFile(book));
    platform::SettingsStore settings(root + QStringLiteral("/defaults.json"));
    settings.setValue(cloudfolder::kFolderKey, folder);
    HistoryStore history(root + QStringLiteral("/History"));
    VocabularyStore vocabulary(root);
    history.allRecords();
    vocabulary.words();
    CloudSync sync({&settings, &history, &vocabulary, &CloudScheduler::system()});
    const auto idle = [&] { return !sync.isBusy(); };

    std::vector<double> download, downloadBlock, downloadEvent, upload, uploadBlock, uploadEvent, skip, skipBlock,
        skipEvent, quit;
    for (int i = 0; i < runs; ++i) {
        Measure m = measure([&] { sync.download(); }, idle);
        download.push_back(m.ms);
        downloadBlock.push_back(m.longestBlockMs);
        downloadEvent.push_back(m.longestEventMs);
        vocabulary.flush();

        m = measure([&] { sync.startUpload(false); }, idle);
        upload.push_back(m.ms);
        uploadBlock.push_back(m.longestBlockMs);
        uploadEvent.push_back(m.longestEventMs);
        if (!sync.statusText().startsWith(QStringLiteral("已上传"))) {
            std::fprintf(stderr, "upload: %s\n", qPrintable(sync.statusText()));
            return 1;
        }

        m = measure([&] { sync.startUpload(true); }, idle);
        skip.push_back(m.ms);
        skipBlock.push_back(m.longestBlockMs);
        skipEvent.push_back(m.longestEventMs);
        if (sync.statusText() != QStringLiteral("云端已是最新，无需上传")) {
            std::fprintf(stderr, "automatic upload: %s\n", qPrintable(sync.statusText()));
            return 1;
        }

        // The quit upload blocks by design; the content has to change to be written.
        settings.setValue(QStringLiteral("historyLimit"), 1000 + i);
        sync.setAutoSync(true);
        QElapsedTimer t;
        t.start();
        sync.uploadOnQuit();
        quit.push_back(t.nsecsElapsed() / 1e6);
    }
    const auto report = [](const char* what, const std::vector<double>& ms, const std::vector<double>& block,
                           const std::vector<double>& event) {
        std::printf(
            "%-34s median %7.1f ms; main thread: longest event %5.1f ms CPU, longest tick gap %5.1f ms "
            "(median of runs %5.1f)\n",
            what, bench::median(ms), *std::max_element(event.begin(), event.end()),
            *std::max_element(block.begin(), block.end()), bench::median(block));
    };
    report("download through the service:", download, downloadBlock, downloadEvent);
    report("manual upload:", upload, uploadBlock, uploadEvent);
    report("automatic upload, skipped:", skip, skipBlock, skipEvent);
    std::printf("quit upload (blocks the quit):    median %7.1f ms\n", bench::median(quit));
    return 0;
}
