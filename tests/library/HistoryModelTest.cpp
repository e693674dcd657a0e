#include "library/history/HistoryRecordModel.h"
#include "library/history/HistorySection.h"
#include "library/widgets/EmptyState.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace klipo;

namespace {

HistoryRecord record(const QString& original, const QString& translated = {})
{
    HistoryRecord r;
    r.id = QUuid::createUuid();
    r.originalText = original;
    r.translatedText = translated;
    return r;
}

QStringList shown(const HistoryRecordModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) texts << model.recordAt(row).originalText;
    return texts;
}

}  // namespace

// The search ignores case, width and accents in every script it meets, and a
// word typed on from the last one (which searches only the last matches)
// finds exactly what a fresh search would, also after the list changed.
TEST(HistoryRecordModel, search_FoldsCaseWidthAndAccents_AndNarrowsLikeAFreshSearch)
{
    HistoryRecordModel model;
    const QList<HistoryRecord> records = {record("ＡＢＣ full width"), record("abc plain"), record("Ábc accent"),
                                          record("nothing here", "译文里有 ABCD"), record("xyz"),
                                          record("Straße"), record("ab only")};
    model.setRecords(records);
    EXPECT_EQ(model.rowCount(), 7);

    model.setKeyword("  \n ");
    EXPECT_EQ(model.rowCount(), 7);
    model.setKeyword("a");
    model.setKeyword("ab");
    EXPECT_EQ(shown(model), QStringList({"ＡＢＣ full width", "abc plain", "Ábc accent", "nothing here", "ab only"}));
    model.setKeyword("abc");
    EXPECT_EQ(shown(model), QStringList({"ＡＢＣ full width", "abc plain", "Ábc accent", "nothing here"}));
    model.setKeyword("abcd");
    EXPECT_EQ(shown(model), QStringList({"nothing here"}));
    model.setKeyword("ab");  // wider again
    EXPECT_EQ(model.rowCount(), 5);
    model.setKeyword("STRASSE");
    EXPECT_EQ(shown(model), QStringList({"Straße"}));

    // A new record arrives while a word is typed: it is searched too.
    model.setKeyword("ab");
    QList<HistoryRecord> more = records;
    more.prepend(record("ａｂ new"));
    model.setRecords(more);
    model.setKeyword("abc");
    EXPECT_EQ(model.rowCount(), 4);
    model.setKeyword("ab");
    EXPECT_EQ(shown(model).first(), "ａｂ new");
    EXPECT_EQ(model.totalCount(), 8);
}

// A screenshot's record is listed under its file title first; once its text
// has been recognised (the same record, new text), a search finds the words
// it shows and no longer the title it lost.
TEST(HistoryRecordModel, search_FindsARecordByTheTextItWasGivenAfterItWasListed)
{
    HistoryRecordModel model;
    HistoryRecord shot = record("截图 2026-12-07 09.05.03");
    model.setRecords({shot, record("other")});
    model.setKeyword("drucker");
    EXPECT_EQ(model.rowCount(), 0);

    shot.originalText = QStringLiteral("Drucker\nTintenpatrone");
    model.setRecords({shot, record("other")});
    EXPECT_EQ(shown(model), QStringList{shot.originalText});
    model.setKeyword("09.05");
    EXPECT_EQ(model.rowCount(), 0);
}

// While a long history loads the section says so, never that there is no
// history; once the store's first load is published it shows the records (or
// that there are none), and a section opened later shows them at once.
TEST(HistorySection, showsLoading_UntilTheStoresFirstLoadIsPublished)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (int count : {0, 3}) {
        SCOPED_TRACE(count);
        const QString dir = test::freshDir(QStringLiteral("history-loading"));
        {
            HistoryStore earlier(dir);
            for (int i = 0; i < count; ++i) earlier.save(image, std::nullopt, QStringLiteral("text"), {}, "en");
        }  // its queued saves finish first
        HistoryStore store(dir);
        VocabularyStore book(test::freshDir(QStringLiteral("book-loading")));
        HistorySection section(store, book);
        EXPECT_EQ(section.countLabel()->text().toStdString(), "正在载入…");
        ASSERT_NE(section.currentEmptyState(), nullptr);
        EXPECT_EQ(section.currentEmptyState()->title().toStdString(), "正在载入…");
        EXPECT_FALSE(section.clearButton()->isEnabled());

        const QString loaded = QStringLiteral("共 %1 条").arg(count);
        ASSERT_TRUE(QTest::qWaitFor([&] { return section.countLabel()->text() == loaded; }, 10000));
        EXPECT_EQ(section.currentEmptyState() ? section.currentEmptyState()->title().toStdString() : "",
                  count == 0 ? "还没有翻译记录" : "");
        HistorySection later(store, book);
        EXPECT_TRUE(QTest::qWaitFor([&] { return later.countLabel()->text() == loaded; }, 10000));
    }
}
