#include "StoreTestSupport.h"

#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "stores/StoreFiles.h"
#include "stores/StoresAtLaunch.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

using namespace klipo;
using klipo::test::readFile;
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

TEST_F(VocabularyStoreTest, changes_AreReadBackByTheNextLaunch_UntilRemoveAll)
{
    auto store = open();
    store->ingest({"zebra apple", "Mango"}, "R1", t0);
    store->setMastered(true, "ZEBRA");
    store->flush();

    store.reset();
    auto reopened = open();
    EXPECT_EQ(keysOf(reopened->words()), QStringList({"apple", "mango", "zebra"}));
    EXPECT_EQ(keysOf(reopened->masteredWords()), QStringList{"zebra"});

    reopened->removeAll();
    reopened->flush();
    EXPECT_EQ(QJsonDocument::fromJson(readFile(file())).object(), (QJsonObject{{"version", 1}, {"words", QJsonArray()}}));
}

TEST_F(VocabularyStoreTest, readers_GetTheStoredBook_EvenBeforeTheFirstLoadHasRun)
{
    vocabularybook::Book book;
    for (int i = 0; i < 3000; ++i) {
        VocabularyWord w;
        w.normalized = w.display = QStringLiteral("word%1").arg(i);
        w.count = 1;
        w.firstSeen = w.lastSeen = t0;
        book.insert(w.normalized, w);
    }
    writeFile(file(), vocabularybook::encodeFile(book));
    EXPECT_EQ(open()->words().size(), 3000);
}

TEST_F(VocabularyStoreTest, unusableFile_IsMovedAsideBeforeAnyChange_AndTheStoreWorksOn_ButAnEmptyOneIsLeftAlone)
{
    for (const QByteArray content : {"{}", "{\"version\":1,\"words\":[{\"normalized\":\"ap", "a folder"}) {
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
    EXPECT_TRUE(vocabularybook::decodeFile(readFile(file()), t0).value_or(vocabularybook::Book{}).contains("pear"));
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

// A word written twice in the file is one word: the second entry no longer
// replaces the first (its count, mastered mark and definition were lost at
// the next write). A key stored in capitals is found by every lookup, which
// asks in lower case. The hidden copy of a killed write goes at the start.
TEST_F(VocabularyStoreTest, duplicateAndCapitalisedEntries_AreOneWord_AndNothingOfEitherIsLost)
{
    const auto word = [](const QString& key, int count, bool mastered, const QString& definition, const QString& id) {
        QJsonObject w{
            {"normalized", key},
            {"display", key},
            {"count", count},
            {"isMastered", mastered},
            {"firstSeen", "2024-01-0" + QString::number(count % 9 + 1) + "T00:00:00Z"},
            {"sources", QJsonArray{QJsonObject{{"recordID", id}, {"count", count}, {"date", "2024-02-01T00:00:00Z"}}}}};
        if (!definition.isEmpty()) w["definition"] = definition;
        return w;
    };
    const QJsonArray words{word("server", 50, true, "服务器（计算机）", "A"), word("Server", 3, false, "服务器", "B"),
                           word("SERVERS", 2, false, "", "C")};
    writeFile(file(), QJsonDocument(QJsonObject{{"version", 1}, {"words", words}}).toJson());
    writeFile(dir + "/.vocabulary.json.Zz9Yy8", "a whole copy of a killed write");

    auto store = open();
    store->setMastered(true, "SERVERS");
    const QList<VocabularyWord> all = store->words();
    ASSERT_EQ(all.size(), 2);
    const auto find = [&](const QString& key) {
        return *std::find_if(all.begin(), all.end(), [&](const VocabularyWord& w) { return w.normalized == key; });
    };
    const VocabularyWord server = find("server");
    EXPECT_EQ(server.count, 53);
    EXPECT_TRUE(server.isMastered);
    EXPECT_EQ(server.definition, QString("服务器（计算机）"));
    EXPECT_EQ(server.sources.size(), 2);
    EXPECT_EQ(server.display, "server");
    EXPECT_TRUE(find("servers").isMastered);
    EXPECT_FALSE(QFileInfo::exists(dir + "/.vocabulary.json.Zz9Yy8"));
    store->flush();
    store.reset();
    EXPECT_EQ(open()->words().size(), 2);
}

// A run killed while a record is being deleted leaves the files as they
// stood at that moment. The next launch brings the book in line with the
// history, and only with a history read whole: the words of a record the
// history no longer holds would otherwise stay in the book for good.
TEST_F(VocabularyStoreTest, killWhileDeleting_TheNextLaunchSettlesTheBookWithTheHistory)
{
    const auto record = [](int n) {
        HistoryRecord r;
        r.id = QUuid(QStringLiteral("{00000000-0000-4000-8000-%1}").arg(n, 12, 10, QLatin1Char('0')));
        r.date = t0;
        r.imageName = r.idText() + ".png";
        return r;
    };
    const HistoryRecord deleted = record(1), kept = record(2);
    const QString elsewhere = record(9).idText();  // another computer's record, or one trimmed away
    vocabularybook::Book before;
    for (const auto& [key, sources, mastered] : QList<std::tuple<QString, QList<VocabularyWord::Source>, bool>>{
             {"apple", {{deleted.idText(), 2, t0}}, false},
             {"pear", {{deleted.idText(), 1, t0}, {kept.idText(), 1, t0}}, false},
             {"plum", {{elsewhere, 1, t0}}, false},
             {"fig", {{deleted.idText(), 1, t0}}, true}}) {
        VocabularyWord w;
        w.normalized = w.display = key;
        w.firstSeen = w.lastSeen = t0;
        w.sources = sources;
        for (const auto& source : sources) w.count += source.count;
        w.isMastered = mastered;
        before.insert(key, w);
    }
    vocabularybook::Book detached = before;
    vocabularybook::detach(detached, {deleted.idText()}, false);
    ASSERT_EQ(detached.keys().size(), 3);

    const QByteArray damagedIndex = R"({"version":1,"records":[{"imageName":"","originalText":"damaged"}]})";
    struct Case {
        const char* what;
        QList<HistoryRecord> history;
        bool bookWritten;
        const char* damage;  // "unreadable", "missing" or "damaged record"
        bool settles;
    };
    const QList<Case> cases = {
        {"killed before the history's write", {deleted, kept}, false, "", true},
        {"killed between the history's and the book's write", {kept}, false, "", true},
        {"killed before the note was cleared", {kept}, true, "", true},
        {"an index that cannot be read", {}, false, "unreadable", false},
        {"no index", {}, false, "missing", false},
        {"a damaged record", {}, false, "damaged record", false},
    };
    for (const Case& c : cases) {
        SetUp();
        QDir().mkpath(dir + "/History");
        const QString damage = c.damage;
        const QByteArray index = damage == "damaged record" ? damagedIndex
                                 : damage == "unreadable"   ? QByteArray("{\"version\": 1, \"records\": [{\"id")
                                                            : historyindex::encode(c.history);
        if (damage != "missing") writeFile(dir + "/History/index.json", index);
        writeFile(file(), vocabularybook::encodeFile(c.bookWritten ? detached : before));
        const QString note = dir + "/.vocabulary-detach-pending.json";
        ASSERT_TRUE(storefiles::writeTextSet(note, QLatin1String("recordIDs"), {deleted.idText()}));
        {
            HistoryStore history(dir + "/History");
            VocabularyStore book(dir);
            storesatlaunch::settleVocabulary(history, book);
            book.flush();
        }
        const bool historyHoldsIt = c.history.contains(deleted);
        const vocabularybook::Book expected =
            !c.settles || historyHoldsIt ? (c.bookWritten ? detached : before) : detached;
        EXPECT_EQ(vocabularybook::decodeFile(readFile(file()), t0), expected) << c.what;
        EXPECT_EQ(QFile::exists(note), !c.settles) << c.what;
    }

    // Without a kill the note lasts only from before the history's write to
    // the book's; a deletion that failed takes its record off the note.
    SetUp();
    auto store = open();
    const QString note = dir + "/.vocabulary-detach-pending.json";
    bool noted = false;
    store->noteDetachPending({deleted.id, kept.id}, [&] { noted = QFile::exists(note); });
    ASSERT_TRUE(klipo::test::waitFor([&] { return noted; }));
    store->detachRecord(deleted.idText());
    store->flush();
    EXPECT_EQ(storefiles::readTextSet(note, QLatin1String("recordIDs")), QSet<QString>{kept.idText()});
    store->cancelDetachPending({kept.id});
    store->flush();
    EXPECT_FALSE(QFile::exists(note));
}
