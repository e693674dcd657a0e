// Pieces the page layout is made faster with: work spread over the cores,
// clusters of marks walked once for two passes, the looks of areas kept.
#include "platform/text/InParallel.h"
#include "platform/text/LineLooks.h"
#include "platform/text/LooksCache.h"
#include "platform/text/PageMarks.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>

#include <atomic>
#include <mutex>

using namespace klipo::platform;

namespace {

// A small window of text: words, a framed field, a coloured badge.
QImage smallWindow()
{
    QImage picture(240, 90, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(8, 20, QStringLiteral("Archivo  Editar  Ver"));
    painter.drawRect(8, 34, 150, 22);
    painter.setPen(QColor(40, 90, 200));
    painter.drawText(14, 50, QStringLiteral("buscar aquí"));
    painter.fillRect(180, 36, 20, 18, QColor(220, 40, 40));
    painter.setPen(Qt::darkGray);
    painter.drawText(8, 78, QStringLiteral("3 elementos"));
    return picture;
}

}  // namespace

TEST(LayoutInParallel, worksEveryIndexOnce_InPiecesOfAtLeastTheLeast_EvenWhenNoHelperCanStart)
{
    for (const size_t n : {size_t(0), size_t(1), size_t(50), size_t(1000)}) {
        std::vector<std::atomic<int>> seen(n);
        std::mutex mutex;
        std::vector<size_t> sizes;
        inParallel(n, 64, [&](size_t from, size_t to) {
            for (size_t i = from; i < to; ++i) ++seen[i];
            std::lock_guard lock(mutex);
            sizes.push_back(to - from);
        });
        for (size_t i = 0; i < n; ++i) EXPECT_EQ(seen[i].load(), 1) << "index " << i << " of " << n;
        if (sizes.size() > 1) {
            for (size_t size : sizes) EXPECT_GE(size, 64u) << n;
        }
        EXPECT_EQ(sizes.empty(), n == 0);
    }
    // Every thread of the shared pool busy: the caller does it all alone.
    QThreadPool* pool = QThreadPool::globalInstance();
    QSemaphore release;
    QSemaphore started;
    const int busy = pool->maxThreadCount();
    for (int i = 0; i < busy; ++i)
        pool->start([&] {
            started.release();
            release.acquire();
        });
    started.acquire(busy);
    std::atomic<size_t> sum{0};
    inParallel(1000, 10, [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) sum += i;
    });
    release.release(busy);
    pool->waitForDone();
    EXPECT_EQ(sum.load(), 999u * 1000u / 2u);
}

TEST(PageMarksClusters, gatheredOnce_AreMarkedAsWalkingThemAgainWould_SeeingTheMarksAsTheWalkLeavesThem)
{
    const QImage colour = smallWindow();
    const QImage gray = colour.convertToFormat(QImage::Format_Grayscale8);
    // Each cluster is looked at with what the marks around it are by then
    // (the clusters before it already marked): a rule that looks around, as
    // the one for icons beside words does.
    struct Call {
        QRect box;
        int count, rim;
        QByteArray marks;
    };
    const auto markingWith = [](std::vector<Call>& calls, PageMarks& marks) {
        return [&calls, &marks](const MarkCluster& c) {
            calls.push_back({c.box, c.count, c.rim,
                             QCryptographicHash::hash(QByteArrayView(marks.m.data(), qsizetype(marks.m.size())),
                                                      QCryptographicHash::Sha1)});
            if (c.box.height() > 16) return PageMarks::structure;
            return c.count % 3 == 0 ? PageMarks::held : PageMarks::text;
        };
    };
    PageMarks walked(gray, colour);
    std::vector<Call> walkedCalls;
    const std::vector<MarkCluster> walkedText = markEachCluster(walked, markingWith(walkedCalls, walked));

    PageMarks gatheredMarks(gray, colour);
    const GatheredClusters gathered = gatherClusters(gatheredMarks);
    EXPECT_EQ(gatheredMarks.m, PageMarks(gray, colour).m);  // gathering leaves them as they were
    ASSERT_EQ(gathered.clusters.size(), walkedCalls.size());
    std::vector<Call> gatheredCalls;
    const std::vector<MarkCluster> gatheredText =
        markEachCluster(gatheredMarks, gathered, markingWith(gatheredCalls, gatheredMarks));

    ASSERT_GT(walkedCalls.size(), 10u);
    ASSERT_EQ(gatheredCalls.size(), walkedCalls.size());
    for (size_t i = 0; i < walkedCalls.size(); ++i) {
        EXPECT_EQ(gatheredCalls[i].box, walkedCalls[i].box) << i;
        EXPECT_EQ(gatheredCalls[i].count, walkedCalls[i].count) << i;
        EXPECT_EQ(gatheredCalls[i].rim, walkedCalls[i].rim) << i;
        EXPECT_EQ(gatheredCalls[i].marks, walkedCalls[i].marks) << "marks seen by cluster " << i;
    }
    EXPECT_EQ(gatheredMarks.m, walked.m);
    ASSERT_EQ(gatheredText.size(), walkedText.size());
    for (size_t i = 0; i < walkedText.size(); ++i) EXPECT_EQ(gatheredText[i].box, walkedText[i].box);
}

TEST(LooksCache, givesWhatMeasuringAfreshGives_InAnyOrderOfAsking_ColoursAloneNeverStandingForTheScript)
{
    const QImage colour = smallWindow();
    const QImage gray = colour.convertToFormat(QImage::Format_Grayscale8);
    const QRect areas[] = {{8, 6, 150, 18}, {14, 38, 90, 16}, {8, 64, 100, 18}, {178, 34, 24, 22}};
    for (const QImage& picture : {colour, QImage()}) {
        LooksCache cache(gray, picture);
        for (const QRect& area : areas) {
            LayoutLine fresh;
            fresh.rect = area;
            looksOf(gray, picture, fresh);
            // Colours alone first, then with the script, then again.
            LayoutLine colours;
            colours.rect = area;
            cache.inkAndGroundOf(colours);
            for (int again = 0; again < 2; ++again) {
                LayoutLine kept;
                kept.rect = area;
                cache.looksOf(kept);
                EXPECT_EQ(kept.script, fresh.script) << area.x() << "," << area.y();
                EXPECT_EQ(kept.background, fresh.background);
                EXPECT_EQ(kept.ink, fresh.ink);
                EXPECT_EQ(kept.backgroundColour, fresh.backgroundColour);
            }
            EXPECT_EQ(colours.background, fresh.background);
            EXPECT_EQ(colours.ink, fresh.ink);
        }
    }
}
