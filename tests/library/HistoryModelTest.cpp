#include "library/history/HistoryRecordModel.h"

#include <gtest/gtest.h>

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
