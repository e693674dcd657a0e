// Prints how long the library window takes for what users wait on, over a
// history of 10,000 records (1920x1080 images, 2 KB of text each) and a
// vocabulary book of 20,000 words: the window shown at the grid, the first
// screen of thumbnails from a cold cache, one search keystroke, the
// vocabulary section shown, and 40 definitions from WordNet.
//
//   library_bench                 runs the measurements in a throw-away folder
//   library_bench --prepare DIR N writes N records and the book under DIR
//                                 (as XDG_DATA_HOME) and ends, to look at them
#include "library/HistoryWindow.h"
#include "library/LibraryWindow.h"
#include "library/history/HistoryItemView.h"
#include "library/history/HistoryRecordModel.h"
#include "library/history/HistorySection.h"
#include "library/history/ThumbnailCache.h"
#include "library/vocabulary/Definitions.h"
#include "library/vocabulary/VocabularySection.h"
#include "platform/text/WordNet.h"
#include "stores/HistoryImages.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace klipo;

namespace {

const QStringList kWords = QStringLiteral(
    "the system translates recognised text from screenshots into another language while keeping the layout "
    "window menu button file folder settings history record image picture screen capture region select copy "
    "paste save delete clear search filter result panel document page paragraph sentence word letter number "
    "building running children analyses features better left went mice geese happiest houses studies watched "
    "configuration network server client request response error message warning notice update version release "
    "library vocabulary definition meaning example frequent common rare simple complex quick slow bright dark "
    "light color colour shape circle square triangle arrow line pen marker highlight mosaic crop rotate scale").split(' ');

QString sentence(QRandomGenerator& rng, int words)
{
    QString text;
    for (int i = 0; i < words; ++i) text += kWords.at(rng.bounded(kWords.size())) + (i + 1 < words ? " " : ". ");
    text[0] = text[0].toUpper();
    return text;
}

// A screenshot-like frame: a window with a title bar, a side bar and lines of text.
QImage screenLikeImage(int variant)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient background(0, 0, 1920, 1080);
    background.setColorAt(0, QColor::fromHsv((variant * 37) % 360, 120, 120));
    background.setColorAt(1, QColor::fromHsv((variant * 37 + 90) % 360, 100, 160));
    p.fillRect(image.rect(), background);
    p.fillRect(160, 90, 1600, 900, QColor(250, 250, 250));
    p.fillRect(160, 90, 1600, 40, QColor(225, 225, 230));
    p.fillRect(160, 130, 300, 860, QColor(240, 242, 245));
    p.setPen(Qt::black);
    QRandomGenerator rng(variant);
    for (int y = 170; y < 960; y += 28) {
        p.drawText(500, y, sentence(rng, 16));
        p.drawText(180, y, kWords.at(rng.bounded(kWords.size())));
    }
    return image;
}

// `count` records under dataHome/KlipoVersa/History: each its own PNG file
// (12 different pictures between them) and about 2 KB of text.
void writeHistory(const QString& dataHome, int count)
{
    const QString dir = dataHome + QStringLiteral("/KlipoVersa/History");
    QDir().mkpath(dir);
    QList<QByteArray> pictures;
    for (int variant = 0; variant < 12; ++variant) pictures.append(historyimages::pngData(screenLikeImage(variant)));
    QRandomGenerator rng(1);
    QList<HistoryRecord> records;
    const QDateTime start = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        HistoryRecord r;
        r.id = QUuid::createUuid();
        r.date = start.addSecs(-i * 600);
        r.imageName = r.idText() + QStringLiteral(".png");
        while (r.originalText.size() < 700) r.originalText += sentence(rng, 12) + (rng.bounded(4) ? "" : "\n");
        if (i % 5 != 4) {
            while (r.translatedText.size() < 300)
                r.translatedText += QStringLiteral("这是一段翻译后的文字，用来模拟历史记录中的译文内容，第%1条。").arg(i);
        }
        if (i % 7 == 3) r.originalText.replace(QStringLiteral("screen"), QStringLiteral("ＳＣＲＥＥＮ"));
        r.targetLanguage = QStringLiteral("zh-Hans");
        records.append(r);
        QFile file(dir + QLatin1Char('/') + r.imageName);
        file.open(QIODevice::WriteOnly);
        file.write(pictures.at(i % pictures.size()));
    }
    QFile index(dir + QStringLiteral("/index.json"));
    index.open(QIODevice::WriteOnly);
    index.write(historyindex::encode(records));
}

// A book of `count` words under dataHome/KlipoVersa, a third of them defined.
void writeVocabulary(const QString& dataHome, int count)
{
    QRandomGenerator rng(5);
    vocabularybook::Book book;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString& real : kWords) {
        VocabularyWord w;
        w.normalized = real;
        w.display = real;
        w.count = 30 + rng.bounded(50);
        w.firstSeen = w.lastSeen = now;
        book.insert(w.normalized, w);
    }
    static const QString letters = QStringLiteral("abcdefghiklmnoprstuvw");
    while (book.size() < count) {
        VocabularyWord w;
        for (int i = 0; i < 4 + rng.bounded(6); ++i) w.normalized += letters.at(rng.bounded(letters.size()));
        w.display = w.normalized;
        w.count = 1 + rng.bounded(25);
        w.firstSeen = w.lastSeen = now.addSecs(-rng.bounded(100000));
        if (rng.bounded(3) == 0) w.definition = QStringLiteral("n. a made-up word for measuring");
        w.isMastered = rng.bounded(20) == 0;
        book.insert(w.normalized, w);
    }
    QDir().mkpath(dataHome + QStringLiteral("/KlipoVersa"));
    QFile file(dataHome + QStringLiteral("/KlipoVersa/vocabulary.json"));
    file.open(QIODevice::WriteOnly);
    file.write(vocabularybook::encodeFile(book));
}

// Runs the event loop until `done` holds (at most 20 s); the time it took in ms.
template <typename Done>
double timeUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return timer.nsecsElapsed() / 1e6;
}

// Every item the grid shows on its first screen has its picture.
bool firstScreenLoaded(HistorySection& section)
{
    HistoryItemView* view = section.currentView();
    if (!view) return false;
    const QRect visible = view->viewport()->rect();
    for (int row = 0; row < section.model().rowCount(); ++row) {
        const QRect item = view->visualRect(section.model().index(row));
        if (!item.intersects(visible)) {
            if (item.top() > visible.bottom()) break;
            continue;
        }
        if (section.thumbnails().thumbnail(section.model().recordAt(row)).state ==
            ThumbnailCache::Thumbnail::State::loading)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--prepare") {
        QGuiApplication app(argc, argv);
        writeHistory(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        writeVocabulary(QString::fromLocal8Bit(argv[2]), 300);
        return 0;
    }

    QTemporaryDir root;
    qputenv("XDG_CONFIG_HOME", (root.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root.path() + "/data").toUtf8());
    QApplication app(argc, argv);
    std::printf("writing 10000 records and 20000 words ...\n");
    std::fflush(stdout);
    writeHistory(root.path() + "/data", 10000);
    writeVocabulary(root.path() + "/data", 20000);

    // The stores load as they would at launch, before the window is asked for.
    HistoryStore& history = HistoryStore::shared();
    VocabularyStore& vocabulary = VocabularyStore::shared();
    timeUntil([&] { return history.records().size() == 10000 && vocabulary.topWords().size() == 500; });

    QElapsedTimer timer;
    timer.start();
    HistoryWindowController::shared().show(LibrarySection::history);
    LibraryWindow* window = HistoryWindowController::shared().window();
    if (!QTest::qWaitForWindowExposed(window)) std::printf("the window never showed\n");
    QCoreApplication::processEvents();
    const double shown = timer.nsecsElapsed() / 1e6;
    auto* section = qobject_cast<HistorySection*>(window->content());
    const double thumbnails = shown + timeUntil([&] { return firstScreenLoaded(*section); });

    // Keystrokes as typed: words that widen and narrow the search.
    std::vector<double> keystrokes;
    for (const QString& typed : {QStringLiteral("s"), QStringLiteral("sc"), QStringLiteral("scr"),
                                 QStringLiteral("scre"), QStringLiteral("译文"), QStringLiteral("h"),
                                 QStringLiteral("hi"), QStringLiteral("his"), QStringLiteral("hist"),
                                 QStringLiteral("x"), QStringLiteral("ab")}) {
        QElapsedTimer key;
        key.start();
        section->searchField()->setText(typed);
        if (HistoryItemView* view = section->currentView())
            view->viewport()->repaint();
        else
            section->repaint();
        QCoreApplication::processEvents();
        keystrokes.push_back(key.nsecsElapsed() / 1e6);
    }
    section->searchField()->clear();

    std::vector<double> vocabularyShown;
    for (int run = 0; run < 5; ++run) {
        window->selectSection(LibrarySection::history);
        QCoreApplication::processEvents();
        QElapsedTimer switching;
        switching.start();
        window->selectSection(LibrarySection::vocabulary);
        window->repaint();
        QCoreApplication::processEvents();
        vocabularyShown.push_back(switching.nsecsElapsed() / 1e6);
    }

    std::vector<double> glosses;
    const platform::WordNet wordNet;
    if (wordNet.isInstalled()) {
        QList<DefinitionRequest> words;
        for (int i = 0; i < 40; ++i) words.append({kWords.at(i * 3 % kWords.size()), kWords.at(i * 3 % kWords.size())});
        const DefinitionPlan plan{DefinitionPlan::Source::wordNet, QStringLiteral("en"), {}};
        for (int run = 0; run < 9; ++run) {
            const platform::WordNet fresh;  // the first run maps the files
            QElapsedTimer lookup;
            lookup.start();
            const DefinitionResults results = lookUpDefinitions(plan, words, nullptr, run == 0 ? fresh : wordNet);
            glosses.push_back(lookup.nsecsElapsed() / 1e6);
            if (results.definitions.size() < 30) std::printf("only %lld glosses\n", qlonglong(results.definitions.size()));
        }
    }

    std::printf("window shown at the grid:            %7.1f ms (aim < 300)\n", shown);
    std::printf("first screen of thumbnails (cold):   %7.1f ms (aim < 1000)\n", thumbnails);
    std::printf("one search keystroke (median of %zu): %7.1f ms (aim < 50), slowest %.1f ms\n", keystrokes.size(),
                bench::median(keystrokes), *std::max_element(keystrokes.begin(), keystrokes.end()));
    std::printf("vocabulary section shown (median):   %7.1f ms (aim < 200)\n", bench::median(vocabularyShown));
    if (glosses.empty())
        std::printf("40 WordNet definitions:              wordnet-base is not installed\n");
    else
        std::printf("40 WordNet definitions (median):     %7.2f ms (aim < 50), first with mapping %.2f ms\n",
                    bench::median(glosses), glosses.front());
    return 0;
}
