#include "StoreTestSupport.h"

#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>
#include <thread>
#include <vector>

using namespace klipo;
using klipo::test::readFile;
using klipo::test::waitFor;
using klipo::test::writeFile;

namespace {

const QDateTime t0(QDate(2024, 3, 1), QTime(9, 30), Qt::UTC);

class VocabularyStoreTest : public ::testing::Test {
protected:
    void SetUp() override { dir = klipo::test::freshDir(QStringLiteral("vocabulary")); }

    std::unique_ptr<VocabularyStore> open() { return std::make_unique<VocabularyStore>(dir); }
    QString file() const { return dir + "/vocabulary.json"; }
    QStringList corrupted() const
    {
        return QDir(dir).entryList({"vocabulary.corrupted-*.json"}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    static QJsonObject document(const QString& path) { return QJsonDocument::fromJson(readFile(path)).object(); }

    QString dir;
};

QStringList keysOf(QList<VocabularyWord> words)
{
    QStringList keys;
    for (const VocabularyWord& w : words) keys.append(w.normalized);
    keys.sort();
    return keys;
}

}  // namespace

TEST_F(VocabularyStoreTest, changes_AreWrittenWholeAndSorted_AndReadBackByTheNextLaunch_UntilRemoveAll)
{
    auto store = open();
    store->ingest({"zebra apple", "Mango"}, "R1", t0);
    store->setDefinitions({{"apple", "苹果"}});
    store->setMastered(true, "ZEBRA");
    store->flush();

    const QJsonObject doc = document(file());
    EXPECT_EQ(doc.value("version").toInt(), 1);
    const QJsonArray words = doc.value("words").toArray();
    ASSERT_EQ(words.size(), 3);
    EXPECT_EQ(words.at(0).toObject().value("normalized").toString(), "apple");
    EXPECT_EQ(words.at(2).toObject().value("normalized").toString(), "zebra");
    EXPECT_FALSE(words.at(1).toObject().contains("definition"));
    EXPECT_EQ(words.at(1).toObject().value("firstSeen").toString(), "2024-03-01T09:30:00Z");

    const QList<VocabularyWord> before = store->words();
    store.reset();
    auto reopened = open();
    EXPECT_EQ(keysOf(reopened->words()), keysOf(before));
    EXPECT_EQ(reopened->masteredWords().size(), 1);
    EXPECT_EQ(reopened->masteredWords().first().normalized, "zebra");

    reopened->removeAll();
    reopened->flush();
    EXPECT_EQ(document(file()).value("version").toInt(), 1);
    EXPECT_EQ(document(file()).value("words"), QJsonArray());
}

TEST_F(VocabularyStoreTest, publishing_UpdatesTopWordsAndStatsOnMain_AndNotifiesPerChange)
{
    auto store = open();
    klipo::test::NotificationCounter notes(VocabularyStore::didChangeNotification, store.get());
    EXPECT_EQ(store->ingest({"123 !!"}, "R1", t0).totalOccurrences, 0);  // no tokens: nothing changes
    store->ingest({"apple apple pear"}, "R1", t0);
    store->removeWord("PEAR");
    store->removeWord("missing");
    ASSERT_TRUE(waitFor([&] { return notes.count() == 2; }));
    QTest::qWait(50);
    EXPECT_EQ(notes.count(), 2);
    ASSERT_EQ(store->topWords().size(), 1);
    EXPECT_EQ(store->topWords().first().normalized, "apple");
    EXPECT_EQ(store->stats(), (VocabularySummary{1, 2, 0, 0}));
}

TEST_F(VocabularyStoreTest, readers_GetTheStoredBook_EvenBeforeTheFirstLoadHasRun)
{
    vocabularybook::Book book;
    for (int i = 0; i < 3000; ++i) {
        VocabularyWord w;
        w.normalized = QStringLiteral("word%1").arg(i);
        w.display = w.normalized;
        w.count = 1;
        w.firstSeen = w.lastSeen = t0;
        book.insert(w.normalized, w);
    }
    QDir().mkpath(dir);
    writeFile(file(), vocabularybook::encodeFile(book));
    auto store = open();
    EXPECT_EQ(store->words().size(), 3000);
}

TEST_F(VocabularyStoreTest, unusableFile_IsMovedAsideBeforeAnyChange_AndTheStoreWorksOn_ButAnEmptyOneIsLeftAlone)
{
    for (const QByteArray& content : {QByteArray("{}"), QByteArray("{\"version\":1,\"words\":[{\"normalized\":\"ap"),
                                      QByteArray("a folder")}) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        if (content == "a folder")
            QDir(dir).mkpath("vocabulary.json");  // there, but not readable as a file
        else
            writeFile(file(), content);
        auto store = open();
        EXPECT_TRUE(store->words().isEmpty());
        ASSERT_EQ(corrupted().size(), 1) << content.constData();
        if (content != "a folder") {
            EXPECT_EQ(readFile(dir + '/' + corrupted().first()), content);
        }
        store->ingest({"apple"}, "R1", t0);
        store.reset();
        EXPECT_EQ(keysOf(open()->words()), QStringList({"apple"}));
    }

    writeFile(file(), "");
    EXPECT_TRUE(open()->words().isEmpty());
    EXPECT_EQ(corrupted().size(), 1);
}

// Racing threads can queue their copies of the book in the other order than
// they changed it.
class OutOfOrderStore : public VocabularyStore {
public:
    using VocabularyStore::commit;
    using VocabularyStore::VocabularyStore;
};

TEST_F(VocabularyStoreTest, copiesQueuedOutOfOrder_LeaveTheNewestBookOnDisk)
{
    OutOfOrderStore store(dir);
    store.ingest({"apple"}, "R1", t0);
    vocabularybook::Book older;
    for (const VocabularyWord& w : store.words()) older.insert(w.normalized, w);
    vocabularybook::Book newer = older;
    newer.insert("pear", newer.value("apple"));
    newer["pear"].normalized = "pear";
    store.commit(newer, 1001);
    store.commit(older, 1000);
    store.flush();
    const auto onDisk = vocabularybook::decodeFile(readFile(file()), t0);
    ASSERT_TRUE(onDisk);
    EXPECT_TRUE(onDisk->contains("pear"));
}

TEST_F(VocabularyStoreTest, secondStoreOnTheSameFile_OnlyReads_SoNothingIsLost)
{
    auto first = open();
    first->ingest({"apple"}, "R1", t0);
    first->flush();
    klipo::test::AlertLog alerts;
    auto second = open();
    EXPECT_EQ(keysOf(second->words()), QStringList{"apple"});
    first->ingest({"plum"}, "R2", t0);
    first->flush();
    second->ingest({"pear"}, "R3", t0);
    second->ingest({"fig"}, "R3", t0);
    second->flush();
    EXPECT_EQ(alerts.texts().filter("另一个 KlipoVersa").size(), 1);
    second.reset();
    first.reset();
    EXPECT_EQ(keysOf(open()->words()), QStringList({"apple", "plum"}));
}
