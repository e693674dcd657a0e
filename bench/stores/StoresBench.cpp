// Prints how long the stores take for the work users wait on: opening a large
// history, saving a full-screen capture, and counting a long text into a
// sizeable vocabulary book. Runs in a throw-away data folder.
#include "platform/SettingsStore.h"
#include "stores/HistoryImages.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include "support/BenchSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace klipo;

namespace {

void waitFor(const bool& done)
{
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

QString pseudoWord(QRandomGenerator& rng)
{
    static const QString consonants = QStringLiteral("bcdfghjklmnprstvw");
    static const QString vowels = QStringLiteral("aeiou");
    QString word;
    const int syllables = 2 + rng.bounded(3);
    for (int i = 0; i < syllables; ++i) {
        word += consonants.at(rng.bounded(consonants.size()));
        word += vowels.at(rng.bounded(vowels.size()));
    }
    return word + consonants.at(rng.bounded(consonants.size()));
}

// A screenshot-like frame: a window with a title bar, panels and lines of text.
QImage screenLikeImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient background(0, 0, width, height);
    background.setColorAt(0, QColor(40, 60, 90));
    background.setColorAt(1, QColor(120, 80, 140));
    p.fillRect(image.rect(), background);
    p.fillRect(160, 90, 1600, 900, QColor(250, 250, 250));
    p.fillRect(160, 90, 1600, 40, QColor(225, 225, 230));
    p.fillRect(160, 130, 300, 860, QColor(240, 242, 245));
    p.setPen(Qt::black);
    QRandomGenerator rng(7);
    for (int y = 170; y < 960; y += 28) {
        QString line;
        for (int w = 0; w < 14; ++w) line += pseudoWord(rng) + ' ';
        p.drawText(500, y, line);
        p.drawText(180, y, pseudoWord(rng));
    }
    return image;
}

double benchHistoryLoad(const QString& root)
{
    const QString dir = root + QStringLiteral("/load/History");
    QDir().mkpath(dir);
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::gray);
    const QByteArray png = historyimages::pngData(tiny);
    QRandomGenerator rng(1);
    QList<HistoryRecord> records;
    const QDateTime start = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 10000; ++i) {
        HistoryRecord r;
        r.id = QUuid::createUuid();
        r.date = start.addSecs(-i * 60);
        r.imageName = r.idText() + QStringLiteral(".png");
        r.originalImageName = r.idText() + QStringLiteral("-src.png");
        for (int w = 0; w < 25; ++w) r.originalText += pseudoWord(rng) + ' ';
        r.translatedText = QStringLiteral("这是一段翻译后的文字，用来模拟历史记录中的译文内容。第%1条。").arg(i);
        r.targetLanguage = QStringLiteral("zh-Hans");
        records.append(r);
        for (const QString& name : {r.imageName, *r.originalImageName}) {
            QFile file(dir + '/' + name);
            file.open(QIODevice::WriteOnly);
            file.write(png);
        }
    }
    QFile index(dir + QStringLiteral("/index.json"));
    index.open(QIODevice::WriteOnly);
    index.write(historyindex::encode(records));
    index.close();

    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        HistoryStore store(dir);
        const qsizetype count = store.allRecords().size();
        runs.push_back(timer.nsecsElapsed() / 1e6);
        if (count != 10000) std::printf("unexpected record count %lld\n", static_cast<long long>(count));
    }
    return bench::median(runs);
}

void benchHistorySave(const QString& root, double& composedOnly, double& withSource)
{
    const QString dir = root + QStringLiteral("/save/History");
    HistoryStore store(dir);
    const QImage frame = screenLikeImage(1920, 1080);
    // A history of the default size to rewrite.
    for (int i = 0; i < 300; ++i)
        store.save(QImage(4, 4, QImage::Format_RGB32), std::nullopt, "text", "译文", "zh-Hans");
    store.allRecords();

    auto timeSave = [&](bool source) {
        std::vector<double> runs;
        for (int run = 0; run < 7; ++run) {
            bool done = false;
            QElapsedTimer timer;
            timer.start();
            store.save(frame, source ? std::optional<QImage>(frame) : std::nullopt, "recognised text", "译文",
                       "zh-Hans", [&](std::optional<HistoryRecord>) { done = true; });
            waitFor(done);
            runs.push_back(timer.nsecsElapsed() / 1e6);
        }
        return bench::median(runs);
    };
    composedOnly = timeSave(false);
    withSource = timeSave(true);
}

double benchVocabularyIngest(const QString& root)
{
    QRandomGenerator rng(3);
    QList<VocabularyWord> book;
    QStringList known;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    while (book.size() < 5000) {
        VocabularyWord w;
        w.normalized = pseudoWord(rng);
        w.display = w.normalized;
        w.count = 1 + rng.bounded(20);
        w.firstSeen = w.lastSeen = now;
        book.append(w);
        known.append(w.normalized);
    }

    std::vector<double> runs;
    for (int run = 0; run < 9; ++run) {
        // Half known words, half new ones, with the usual capitals and
        // punctuation, and now and then a number, an address or a path.
        static const QStringList noise = {
            "2024", "v2.0", "https://example.com/docs/page", "~/Documents/a.txt", "someone@example.org", "3.5%", "<b>"};
        QString text;
        for (int i = 0; i < 2000; ++i) {
            QString word = rng.bounded(2) ? known.at(rng.bounded(known.size())) : pseudoWord(rng);
            if (i % 12 == 0) word[0] = word[0].toUpper();
            if (i % 40 == 20) word = noise.at(rng.bounded(noise.size()));
            text += word + (i % 15 == 14 ? QStringLiteral(".\n") : QStringLiteral(" "));
        }
        // Each run starts from the same book of 5000 words.
        VocabularyStore store(root + QStringLiteral("/vocabulary-%1").arg(run));
        store.mergeFromBackup(book);
        store.flush();
        QElapsedTimer timer;
        timer.start();
        store.ingest({text}, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), now);
        runs.push_back(timer.nsecsElapsed() / 1e6);
        store.flush();
    }
    return bench::median(runs);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir root;
    qputenv("XDG_CONFIG_HOME", (root.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root.path() + "/data").toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    platform::SettingsStore::shared().setValue(QStringLiteral("historyLimit"), 0);

    const double load = benchHistoryLoad(root.path());
    platform::SettingsStore::shared().setValue(QStringLiteral("historyLimit"), 300);
    double save = 0;
    double saveWithSource = 0;
    benchHistorySave(root.path(), save, saveWithSource);
    const double ingest = benchVocabularyIngest(root.path());

    std::printf("history load, 10000 records:                      %7.1f ms (aim < 100)\n", load);
    std::printf("history save, 1920x1080 image (PNG, off main):    %7.1f ms (aim < 150)\n", save);
    std::printf("history save, 1920x1080 image and source image:   %7.1f ms\n", saveWithSource);
    std::printf("vocabulary ingest, 2000-word text into 5000 words: %6.2f ms (aim < 5)\n", ingest);
    return 0;
}
