// The search text of plain screenshots: what is stored, and that the
// background recognitions run one at a time.
#include "ResultFakes.h"
#include "app/SettingsFixture.h"
#include "platform/text/TextServices.h"
#include "recognition/SearchTextIndexer.h"
#include "stores/HistoryStore.h"

#include <gtest/gtest.h>

#include <QTest>

using klipo::HistoryStore;
namespace Indexer = klipo::SearchTextIndexer;

TEST(SearchTextIndexer, composesTrimmedParagraphsAndTheTitle_WithoutRepeatingOrBlankTitles)
{
    EXPECT_EQ(Indexer::composeText({"Hello", " World\n", "  "}, "Shot 1 "), QStringLiteral("Hello\nWorld\nShot 1"));
    EXPECT_EQ(Indexer::composeText({"Shot 1", "Hello"}, "Shot 1"), QStringLiteral("Shot 1\nHello"));
    EXPECT_EQ(Indexer::composeText({"shot 1"}, "Shot 1"), QStringLiteral("shot 1\nShot 1"));
    EXPECT_EQ(Indexer::composeText({"Hello"}, "   "), QStringLiteral("Hello"));
}

TEST(SearchTextIndexer, capsTheRecognisedTextAt4000Characters_ButKeepsTheTitleWhole)
{
    const QString exact(4000, QLatin1Char('a'));
    EXPECT_EQ(Indexer::composeText({exact}, ""), exact);
    EXPECT_EQ(Indexer::composeText({exact + "b"}, "截图 2024-05-01"), exact + QStringLiteral("…\n截图 2024-05-01"));
    // Characters as the user sees them: an emoji with its skin tone is one.
    const QString emoji = QStringLiteral("👍🏽").repeated(4000);
    EXPECT_EQ(Indexer::composeText({emoji}, ""), emoji);
    EXPECT_EQ(Indexer::composeText({emoji + QStringLiteral("字")}, ""), emoji + QStringLiteral("…"));
}

namespace {

class SearchIndexing : public klipo::test::SettingsTest {
protected:
    // A plain-screenshot record, as the screenshot modes save it.
    static QUuid savedRecord(const QString& title)
    {
        QUuid id;
        HistoryStore::shared().save(QImage(64, 32, QImage::Format_RGB32), std::nullopt, title, {}, "zh-Hans",
                                    [&](auto record) { id = record ? record->id : QUuid::createUuid(); });
        [&] { ASSERT_TRUE(QTest::qWaitFor([&] { return !id.isNull(); }, 5000)); }();
        return id;
    }

    static QString storedText(const QUuid& id)
    {
        for (const klipo::HistoryRecord& record : HistoryStore::shared().allRecords())
            if (record.id == id) return record.originalText;
        return {};
    }

    static klipo::platform::RecognitionOutcome oneLine(const QString& text) { return {true, {}, {{text, {}, 90, {}}}}; }

    klipo::test::FakeRecognizer m_recognizer;
    klipo::platform::ScopedTextServices m_engines{{&m_recognizer, nullptr, nullptr}};
    const QImage m_shot = QImage(200, 100, QImage::Format_RGB32);
};

}  // namespace

TEST_F(SearchIndexing, recognisesOneScreenshotAtATime_AndStoresItsTextWithTheTitle)
{
    m_recognizer.reply = oneLine("Invoice total 42");
    m_recognizer.delayMs = 100;
    const QUuid ids[] = {savedRecord("截图 0"), savedRecord("截图 1"), savedRecord("截图 2")};
    for (int i = 0; i < 3; ++i) Indexer::index(ids[i], m_shot, QStringLiteral("截图 %1").arg(i));

    ASSERT_TRUE(QTest::qWaitFor([&] { return storedText(ids[2]).startsWith("Invoice"); }, 10000));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(storedText(ids[i]), QStringLiteral("Invoice total 42\n截图 %1").arg(i));
    EXPECT_EQ(m_recognizer.mostAtOnce, 1);
}

TEST_F(SearchIndexing, leavesTheTitle_WhenRecognitionFailsOrFindsNothing)
{
    const QUuid id = savedRecord("截图 failed");
    m_recognizer.reply = klipo::platform::RecognitionOutcome::failure("broken");
    Indexer::index(id, m_shot, "截图 failed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_recognizer.calls == 1; }, 5000));
    m_recognizer.reply = oneLine("   ");
    Indexer::index(id, m_shot, "截图 failed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_recognizer.calls == 2; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(storedText(id), QStringLiteral("截图 failed"));
}
