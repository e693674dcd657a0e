#include "HistoryTestSupport.h"

#include "platform/SettingsStore.h"
#include "stores/CloudSettings.h"
#include "stores/HistoryImages.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryLimit.h"
#include "stores/HistoryStore.h"
#include "stores/IsoDate.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFuture>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPromise>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <thread>
#include <vector>

using namespace klipo;
using klipo::test::HistoryStoreTest;
using klipo::test::indexJson;
using klipo::test::newId;
using klipo::test::readFile;
using klipo::test::recordJson;
using klipo::test::sampleImage;
using klipo::test::waitFor;

namespace {

HistoryRecord withTexts(const QString& original, const QString& translated)
{
    HistoryRecord r;
    r.originalText = original;
    r.translatedText = translated;
    return r;
}

HistoryRecord decodeOne(const QByteArray& recordJson)
{
    const auto decoded = historyindex::decode("{\"version\":1,\"records\":[" + recordJson + "]}");
    return decoded && decoded->records.size() == 1 ? decoded->records.first() : HistoryRecord{};
}

}  // namespace

TEST(HistoryRecord, displayLines_FallBackFromBlankTranslation_AndAreCutCountingUserPerceivedCharacters)
{
    EXPECT_EQ(withTexts("\n \t\n  First line \nsecond", " \n\t\n").displayTitle(), "First line");
    EXPECT_EQ(withTexts("src", "\u3000译文\u3000\n").displayTitle(), "译文");  // U+3000 is a blank too
    EXPECT_EQ(withTexts(" \n\t", "").displayTitle(), "（未识别到文字）");

    const QString forty = QString(39, u'a') + QStringLiteral("e\u0301");  // 40 characters, 41 code units
    EXPECT_EQ(withTexts("", forty).displayTitle(), forty);
    QString fortyOne;
    for (int i = 0; i < 41; ++i) fortyOne += QStringLiteral("😀");
    EXPECT_EQ(withTexts("", fortyOne).displayTitle(), fortyOne.left(80) + "…");
    EXPECT_EQ(withTexts(QString(61, u'x'), "").displaySubtitle(), QString(60, u'x') + "…");
}

TEST(HistoryIndex, decode_GivesFieldDefaults_ButRejectsAWronglyShapedDocument)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const HistoryRecord r = decodeOne(R"({"id":"not-a-uuid","date":"2024-13-01T00:00:00Z","imageName":"a.png",
        "originalImageName":null,"originalText":5,"unknown":true})");
    EXPECT_FALSE(r.id.isNull());
    EXPECT_GE(r.date, before);
    EXPECT_EQ((std::tuple{r.imageName, r.originalImageName, r.originalText}),
              (std::tuple{QString("a.png"), std::optional<QString>(), QString()}));

    const HistoryRecord dated =
        decodeOne(R"({"id":"0b8e6a5c-1f2d-4c3b-9a8e-7d6c5b4a3f21","date":"2024-05-01T10:00:00+08:00","imageName":"d.png"})");
    EXPECT_EQ(dated.idText(), "0B8E6A5C-1F2D-4C3B-9A8E-7D6C5B4A3F21");
    EXPECT_EQ(dated.date, QDateTime(QDate(2024, 5, 1), QTime(2, 0), Qt::UTC));
    EXPECT_FALSE(isodate::parse("2024-05-01T10:00:00.5Z").isValid());

    for (const char* wrong : {R"({"version":1,"records":[{}, 3]})", R"({"records":[]})", R"({"version":"1","records":[]})",
                              R"({"version":1,"records":[)", "[]"})
        EXPECT_FALSE(historyindex::decode(wrong)) << wrong;
    EXPECT_TRUE(historyindex::decode(R"({"version":7,"records":[]})"));
}

TEST_F(HistoryStoreTest, save_StoresPrivateImagesAndRecord_CompletesAfterPublishing_AndNeedsAnImage)
{
    auto store = open();
    klipo::test::NotificationCounter notes(HistoryStore::didChangeNotification, store.get());
    std::optional<bool> frontWhenCompleted;
    store->save(sampleImage(), sampleImage(8, 8), "src", "dst", "en", [&](std::optional<HistoryRecord> r) {
        frontWhenCompleted = r && !store->records().isEmpty() && store->records().first() == *r;
    });
    ASSERT_TRUE(waitFor([&] { return frontWhenCompleted.has_value(); }));
    EXPECT_TRUE(*frontWhenCompleted);
    EXPECT_EQ(notes.count(), 2);  // the first load, then the save

    const HistoryRecord r = store->records().first();
    EXPECT_EQ(QImage(dir + '/' + r.imageName).size(), QSize(64, 48));
    // Screenshots are the user's only.
    for (const QString& name : {r.imageName, *r.originalImageName, QString("index.json")})
        EXPECT_EQ(klipo::test::modeOf(dir + '/' + name), 0600u) << name.toStdString();
    EXPECT_EQ(klipo::test::modeOf(dir), 0700u);

    // No image: nothing stored; a null source only drops the source.
    EXPECT_FALSE(save(*store, QImage()));
    EXPECT_FALSE(save(*store, sampleImage(), QImage())->originalImageName);
    EXPECT_EQ(entries("*.png").size(), 3);
}

TEST_F(HistoryStoreTest, save_WritesAnOriginalEncodedAhead_AsItsBytes_AndNoneForEmptyBytes)
{
    auto store = open();
    const QImage original = sampleImage(8, 8);
    auto saveAhead = [&](QFuture<QByteArray> png) {
        std::optional<std::optional<HistoryRecord>> result;
        store->save(sampleImage(), std::move(png), "src", "dst", "en",
                    [&](std::optional<HistoryRecord> r) { result = r; });
        EXPECT_TRUE(waitFor([&] { return result.has_value(); }));
        return result.value_or(std::nullopt);
    };
    // Still being encoded when the record is saved: the file waits for it.
    QPromise<QByteArray> later;
    QFuture<QByteArray> pending = later.future();
    later.start();
    QTimer::singleShot(50, [&] {
        later.addResult(historyimages::pngData(original));
        later.finish();
    });
    const std::optional<HistoryRecord> r = saveAhead(pending);
    ASSERT_TRUE(r && r->originalImageName);
    EXPECT_EQ(klipo::test::readFile(dir + '/' + *r->originalImageName), historyimages::pngData(original));
    EXPECT_EQ(klipo::test::modeOf(dir + '/' + *r->originalImageName), 0600u);
    // A picture that could not be encoded: the record without it, no file left.
    const std::optional<HistoryRecord> without = saveAhead(QtFuture::makeReadyFuture(QByteArray()));
    ASSERT_TRUE(without);
    EXPECT_FALSE(without->originalImageName);
    EXPECT_EQ(entries("*-src.png").size(), 1);
}

TEST_F(HistoryStoreTest, save_TrimsOldestRecordsAndTheirImages_OnlyAtTheNextSaveAndOnlyWithALimit)
{
    auto& settings = platform::SettingsStore::shared();
    settings.setValue("historyLimit", 0);  // below 1: unlimited
    auto store = open();
    QList<HistoryRecord> saved;
    for (int i = 0; i < 4; ++i) saved.append(*save(*store, sampleImage(), sampleImage()));
    EXPECT_EQ(store->allRecords().size(), 4);

    settings.setValue("historyLimit", 2);
    EXPECT_EQ(store->allRecords().size(), 4);  // lowering the limit alone removes nothing
    save(*store);
    const QList<HistoryRecord> kept = store->allRecords();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept.at(1).id, saved.at(3).id);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(exists(saved.at(i).imageName) || exists(*saved.at(i).originalImageName));
}

TEST_F(HistoryStoreTest, save_KeepsEveryRecord_WhenSeveralThreadsSaveAtOnce)
{
    auto store = open();
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) store->save(sampleImage(), std::nullopt, "src", "dst", "en");
        });
    for (auto& thread : threads) thread.join();
    const QList<HistoryRecord> records = store->allRecords();
    EXPECT_EQ(records.size(), 30);
    store.reset();
    const QList<HistoryRecord> reloaded = open()->allRecords();
    ASSERT_EQ(reloaded.size(), 30);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(reloaded.at(i).id, records.at(i).id);
    EXPECT_EQ(entries("*.png").size(), 30);
}

TEST_F(HistoryStoreTest, load_RemovesOrphanImages_AndKeepsFileOrderForEqualDates)
{
    writeIndex(indexJson({recordJson(newId(), "2024-01-01T00:00:00Z", "a.png"),
                          recordJson(newId(), "2024-01-01T00:00:00Z", "b.png", "b-src.png")}));
    for (const char* name : {"a.png", "b.png", "b-src.png", "ORPHAN.PNG", "notes.txt", "index-broken-1.txt",
                             ".hidden.png"})
        touch(name);

    const QList<HistoryRecord> records = open()->allRecords();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.at(0).imageName, "a.png");
    EXPECT_EQ(records.at(1).imageName, "b.png");
    EXPECT_FALSE(exists("ORPHAN.PNG"));
    EXPECT_EQ(entries("*").size(), 6);
}

// A record whose image names cannot be read is kept as it was and keeps
// every image while it is there; the user is told of it once, not at every
// start, sees it listed and can delete it, and then the sweep runs again.
TEST_F(HistoryStoreTest, damagedRecord_IsKeptAsItWasAndToldOnce_UntilDeletedThenOrphansGo)
{
    for (const QByteArray field : {R"("imageName":"")", R"("imageName":5)", R"("imagename":"c.png")",
                                   R"("imageName":"c\u0000.png")", R"("imageName":"c.png","originalImageName":7)"}) {
        reset();
        const QByteArray bad = R"({"id":"0B8E6A5C-1F2D-4C3B-9A8E-7D6C5B4A3F21","date":"2024-01-03T00:00:00Z",)" +
                               field + R"(,"originalText":"c"})";
        writeIndex(indexJson({recordJson(newId(), "2024-01-02T00:00:00Z", "a.png", "a-src.png"), bad,
                              recordJson(newId(), "2024-01-01T00:00:00Z", "b.png")}));
        const QStringList images = {"a.png", "a-src.png", "b.png", "c.png", "c-src.png", "stray.png"};
        for (const QString& name : images) touch(name);
        const QJsonObject badObject = QJsonDocument::fromJson(bad).object();
        const auto storedObjects = [&] {
            return QJsonDocument::fromJson(readFile(dir + "/index.json")).object()["records"].toArray();
        };

        QString savedImage;
        const QString anotherId = newId();
        for (int start = 0; start < 3; ++start) {
            klipo::test::AlertLog alerts;
            auto store = open();
            EXPECT_EQ(store->allRecords().size(), 2 + std::min(start, 1)) << field.constData();
            store->allRecords();  // the orphan sweep, had there been one, has run
            ASSERT_TRUE(waitFor([&] { return store->records().size() == 3 + start; }));
            // Told at the first start, and at the third only of the record added since.
            EXPECT_EQ(alerts.texts().filter("有 1 条历史记录无法读取").size(), start == 1 ? 0 : 1) << start;
            if (start == 0) savedImage = save(*store).value_or(HistoryRecord{}).imageName;
            for (const QString& name : images) EXPECT_TRUE(exists(name)) << name.toStdString() << field.constData();
            EXPECT_TRUE(storedObjects().contains(badObject)) << field.constData();
            store.reset();
            if (start == 1) {  // another damaged record comes in from elsewhere
                QJsonArray records = storedObjects();
                records.append(QJsonObject{{"id", anotherId}, {"imageName", QJsonValue::Null}});
                writeIndex(QJsonDocument(QJsonObject{{"version", 1}, {"records", records}}).toJson());
            }
        }

        // Deleted one by one from the list: the sweep waits for the last.
        auto store = open();
        ASSERT_TRUE(waitFor([&] { return store->records().size() == 5; }));
        const QList<QUuid> damaged = {QUuid::fromString(badObject["id"].toString()), QUuid::fromString(anotherId)};
        for (const QUuid& id : damaged) {
            EXPECT_TRUE(exists("stray.png")) << field.constData();
            std::optional<bool> deleted;
            store->deleteRecords({id}, [&](bool ok) { deleted = ok; });
            ASSERT_TRUE(waitFor([&] { return deleted.value_or(false); }));
        }
        EXPECT_EQ(store->records().size(), 3);
        const QStringList left = entries("*.png");
        EXPECT_EQ(QSet<QString>(left.begin(), left.end()), (QSet<QString>{"a.png", "a-src.png", "b.png", savedImage}))
            << field.constData();
    }
}

TEST_F(HistoryStoreTest, load_MovesUnusableIndexAside_AndKeepsItsImages_AcrossLaunches)
{
    for (const QByteArray content :
         {"{\"version\":1,\"records\":[{\"id\":\"x\",\"imageName\":\"old.pn", "", "{\"records\":[]}", "a folder"}) {
        reset();
        if (content == "a folder")
            QDir(dir).mkpath("index.json");  // there, but not readable as a file
        else
            writeIndex(content);
        touch("old.png");
        auto store = open();
        EXPECT_TRUE(store->allRecords().isEmpty());
        EXPECT_EQ(entries("index-broken-*.json").size(), 1) << content.constData();
        ASSERT_TRUE(save(*store));
        store.reset();

        EXPECT_EQ(open()->allRecords().size(), 1);  // the store works on after the relaunch
        EXPECT_TRUE(exists("old.png")) << "an image the moved-aside index may name was removed";
    }
}

TEST_F(HistoryStoreTest, hostileNames_NeverReachFilesOutsideTheFolder)
{
    const QString outside = klipo::test::freshDir("outside");
    klipo::test::writeFile(outside + "/victim.png", "keep");
    const QByteArray outsideIndex = indexJson({});
    klipo::test::writeFile(outside + "/index.json", outsideIndex);
    const QString relative = "../" + QFileInfo(outside).fileName() + "/victim.png";
    writeIndex(indexJson({recordJson(newId(), "2024-01-01T00:00:00Z", relative, relative),
                          recordJson(newId(), "2023-01-01T00:00:00Z", "index.json")}));
    auto store = open();
    ASSERT_EQ(store->allRecords().size(), 1);  // the other one is kept in the file, unread

    HistoryRecord hostile = store->allRecords().first();
    hostile.imageName = relative;
    std::optional<QImage> loaded;
    store->loadImage(hostile, [&](QImage image) { loaded = image; });
    ASSERT_TRUE(waitFor([&] { return loaded.has_value(); }));
    EXPECT_TRUE(loaded->isNull());

    platform::SettingsStore::shared().setValue("historyLimit", 1);
    save(*store);  // trims the record named "index.json"
    EXPECT_EQ(readFile(outside + "/victim.png"), "keep");
    EXPECT_TRUE(exists("index.json"));
    store.reset();

    // A link planted under the index's name is never written through.
    QFile::remove(dir + "/index.json");
    ASSERT_TRUE(QFile::link(outside + "/index.json", dir + "/index.json"));
    klipo::test::AlertLog alerts;
    EXPECT_FALSE(save(*open()));
    EXPECT_EQ(readFile(outside + "/index.json"), outsideIndex);
    EXPECT_TRUE(alerts.waitFor("历史记录未能保存"));
}

TEST_F(HistoryStoreTest, secondStoreOnTheSameFolder_OnlyReads_SoNothingIsLost)
{
    auto first = open();
    const HistoryRecord r1 = *save(*first);
    touch("just-written.png");  // an image whose record the first store is about to store

    klipo::test::AlertLog alerts;
    auto second = open();
    EXPECT_EQ(second->allRecords().value(0).id, r1.id);
    const HistoryRecord r2 = *save(*first);
    const QByteArray index = readFile(dir + "/index.json");
    EXPECT_FALSE(save(*second));
    EXPECT_FALSE(save(*second));
    bool removed = false;
    second->removeAll([&] { removed = true; });
    ASSERT_TRUE(waitFor([&] { return removed; }));
    EXPECT_EQ(readFile(dir + "/index.json"), index);
    EXPECT_TRUE(exists("just-written.png")) << "the second store removed an image as an orphan";
    EXPECT_EQ(alerts.texts().filter("另一个 KlipoVersa").size(), 1);  // told once

    second.reset();
    first.reset();
    const QList<HistoryRecord> reopened = open()->allRecords();
    ASSERT_EQ(reopened.size(), 2);
    EXPECT_EQ(reopened.at(0).id, r2.id);
    EXPECT_EQ(reopened.at(1).id, r1.id);
    EXPECT_TRUE(exists(r1.imageName) && exists(r2.imageName));
}

TEST_F(HistoryStoreTest, deleteAndRemoveAll_RemoveOnlyImagesNoRecordShows_AndNotifyOnlyOnChange)
{
    const QString a = newId();
    const QString b = newId();
    writeIndex(indexJson({recordJson(a, "2024-01-03T00:00:00Z", "shared.png"),
                          recordJson(b, "2024-01-02T00:00:00Z", "shared.png", "b-src.png"),
                          recordJson(newId(), "2024-01-01T00:00:00Z", "own.png")}));
    for (const char* name : {"shared.png", "b-src.png", "own.png", "index-broken-1.json"}) touch(name);
    auto store = open();
    ASSERT_TRUE(waitFor([&] { return store->records().size() == 3; }));  // the load is announced before
    klipo::test::NotificationCounter notes(HistoryStore::didChangeNotification, store.get());

    int completions = 0;
    store->deleteRecords({QUuid::createUuid()}, [&](bool) { ++completions; });
    store->deleteRecords({QUuid::fromString(a)}, [&](bool) { ++completions; });
    ASSERT_TRUE(waitFor([&] { return completions == 2; }));
    EXPECT_EQ(notes.count(), 1);
    EXPECT_TRUE(exists("shared.png"));  // the other record still shows it
    store->deleteRecords({QUuid::fromString(b)}, [&](bool) { ++completions; });
    ASSERT_TRUE(waitFor([&] { return completions == 3; }));
    EXPECT_FALSE(exists("shared.png") || exists("b-src.png"));
    EXPECT_EQ(store->records().size(), 1);

    store->removeAll([&] { ++completions; });
    ASSERT_TRUE(waitFor([&] { return completions == 4; }));
    EXPECT_EQ(notes.count(), 3);
    EXPECT_EQ(entries("*"), QStringList{"index.json"});
    EXPECT_TRUE(historyindex::decode(readFile(dir + "/index.json"))->records.isEmpty());
}

// The history folder's name is a link into a folder of the user's that holds
// other files: the start's clean-up and "清空" take only the store's own.
// In a folder of the program's own, "清空" takes everything but never what a
// link inside it leads to.
TEST_F(HistoryStoreTest, linkedFolder_KeepsTheUsersOtherFiles_AtStartAndWhenCleared)
{
    const QString pictures = klipo::test::freshDir("pictures");
    const QString a = newId().toUpper();
    const QString orphan = newId().toUpper() + ".png";
    klipo::test::writeFile(pictures + "/index.json",
                           indexJson({recordJson(a, "2024-01-02T00:00:00Z", a + ".png", a + "-src.png")}));
    for (const QString& name : {a + ".png", a + "-src.png", orphan, QString("holiday.png"), QString("FAMILY.PNG"),
                                QString("notes.txt"), QString("index-broken-1.json")})
        klipo::test::writeFile(pictures + '/' + name, "x");
    QDir(pictures).mkpath("2025");
    klipo::test::writeFile(pictures + "/2025/tax.pdf", "tax");
    ASSERT_TRUE(QDir(dir).removeRecursively());
    ASSERT_TRUE(QFile::link(pictures, dir));
    QFile::remove(pictures + "/index-broken-1.json");  // now the orphan sweep may run

    auto store = open();
    ASSERT_EQ(store->allRecords().size(), 1);
    store->allRecords();  // the sweep queued by the load has run
    const auto there = [&](const QString& name) { return QFileInfo::exists(pictures + '/' + name); };
    EXPECT_TRUE(there("holiday.png") && there("FAMILY.PNG") && there("notes.txt") && there("2025/tax.pdf"));
    EXPECT_TRUE(there(orphan)) << "an image named like ours but in no index may be the user's";

    bool cleared = false;
    store->removeAll([&] { cleared = true; });
    ASSERT_TRUE(waitFor([&] { return cleared; }));
    EXPECT_TRUE(there("holiday.png") && there("FAMILY.PNG") && there("notes.txt") && there("2025/tax.pdf"));
    EXPECT_FALSE(there(a + ".png") || there(a + "-src.png"));
    EXPECT_TRUE(QFileInfo(dir).isSymLink());
    EXPECT_TRUE(historyindex::decode(readFile(dir + "/index.json"))->records.isEmpty());
    store.reset();

    // A folder of our own: emptied whole, but a link in it is taken as a link.
    QFile::remove(dir);
    QDir().mkpath(dir);
    ASSERT_TRUE(QFile::link(pictures + "/2025", dir + "/linked"));
    store = open();
    cleared = false;
    store->removeAll([&] { cleared = true; });
    ASSERT_TRUE(waitFor([&] { return cleared; }));
    EXPECT_TRUE(there("2025/tax.pdf"));
    EXPECT_EQ(entries("*"), QStringList{"index.json"});
}

// Three records that share an id (a hand-edited or merged index) are three
// cards: deleting one leaves the other two, their images and their ids.
TEST_F(HistoryStoreTest, recordsSharingAnId_AreToldApart_SoDeletingOneDeletesOne)
{
    const QString shared = newId();
    writeIndex(indexJson({recordJson(shared, "2024-01-03T00:00:00Z", "one.png"),
                          recordJson(shared, "2024-01-02T00:00:00Z", "two.png"),
                          recordJson(shared, "2024-01-01T00:00:00Z", "three.png")}));
    for (const char* name : {"one.png", "two.png", "three.png"}) touch(name);
    auto store = open();
    ASSERT_TRUE(waitFor([&] { return store->records().size() == 3; }));
    const QList<HistoryRecord> records = store->records();
    EXPECT_EQ(QSet<QUuid>({records[0].id, records[1].id, records[2].id}).size(), 3);
    EXPECT_EQ(records[0].idText(), shared.toUpper());  // the first keeps its id

    std::optional<bool> deleted;
    store->deleteRecords({records[1].id}, [&](bool ok) { deleted = ok; });
    ASSERT_TRUE(waitFor([&] { return deleted.value_or(false); }));
    EXPECT_EQ(store->records().size(), 2);
    EXPECT_TRUE(exists("one.png") && exists("three.png"));
    EXPECT_FALSE(exists("two.png"));
    store.reset();
    const QList<HistoryRecord> reopened = open()->allRecords();
    ASSERT_EQ(reopened.size(), 2);
    EXPECT_EQ(reopened[0].imageName, "one.png");
    EXPECT_EQ(reopened[1].imageName, "three.png");
}

// A kill during a write leaves a hidden whole copy beside the file; the next
// start removes the store's own, and only those no write has open.
TEST_F(HistoryStoreTest, leftoverTemporariesOfKilledWrites_AreRemovedAtTheNextStart)
{
    const QString image = newId().toUpper() + ".png";
    const QStringList leftovers = {".index.json.Ab12Cd", "." + image + ".x9Y8z7",
                                   "..unreadable-records-noted.json.q1W2e3"};
    const QStringList kept = {".holiday.png.Ab12Cd", ".index.json.tmp", ".index.json.Open01"};
    for (const QString& name : leftovers + kept) touch(name);
    QFile open01(dir + "/.index.json.Open01");  // a write under way in another copy
    ASSERT_TRUE(open01.open(QIODevice::Append));

    open()->allRecords();
    for (const QString& name : leftovers) EXPECT_FALSE(exists(name)) << name.toStdString();
    for (const QString& name : kept) EXPECT_TRUE(exists(name)) << name.toStdString();
}

// One bad byte in the index: the index is set aside as before, and every
// record that can still be read comes back, with the user told how many and
// where the damaged file is kept.
TEST_F(HistoryStoreTest, damagedIndex_GivesBackEveryRecordThatCanStillBeRead)
{
    QList<QByteArray> records;
    for (int i = 0; i < 50; ++i) {
        const QString name = QString("r%1.png").arg(i);
        touch(name);
        records.append(recordJson(newId(), QString("2024-01-01T00:00:%1Z").arg(59 - i, 2, 10, QChar('0')), name));
    }
    records[17].replace("\"t\"", "\"\xff\"");  // not UTF-8
    writeIndex(indexJson(records));

    klipo::test::AlertLog alerts;
    auto store = open();
    const QList<HistoryRecord> back = store->allRecords();
    ASSERT_EQ(back.size(), 49);
    EXPECT_EQ(back.first().imageName, "r0.png");
    EXPECT_FALSE(
        std::any_of(back.begin(), back.end(), [](const HistoryRecord& r) { return r.imageName == "r17.png"; }));
    const QStringList aside = entries("index-broken-*.json");
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(alerts.waitFor("已找回 49 条记录"));
    EXPECT_TRUE(alerts.texts().join('\n').contains(aside.first())) << alerts.texts().join('\n').toStdString();
    EXPECT_TRUE(exists("r17.png"));  // its image stays with the damaged file
    store.reset();
    EXPECT_EQ(open()->allRecords().size(), 49);  // stored in the new index

    // Cut off in the middle of a record: the whole ones before it come back.
    reset();
    writeIndex(indexJson(records.mid(0, 3)).left(indexJson(records.mid(0, 3)).size() - 20));
    EXPECT_EQ(open()->allRecords().size(), 2);
}

// A limit that was not chosen on this computer deletes nothing: not the one a
// backup brings, nor the default in place of a damaged settings file; once
// the user confirms it, the next save trims.
TEST_F(HistoryStoreTest, limitNotChosenHere_TrimsNothing_UntilTheUserConfirmsIt)
{
    auto& settings = platform::SettingsStore::shared();
    settings.setValue("historyLimit", 0);
    auto store = open();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(save(*store));

    // A restore on an empty computer took "1" from another computer's backup.
    const cloudsettings::Outcome applied = cloudsettings::apply(settings, {{"historyLimit", "1"}}, 0);
    EXPECT_EQ(applied.applied, 1);
    EXPECT_EQ(HistoryStore::historyLimitSetting(), 1);
    klipo::test::AlertLog alerts;
    ASSERT_TRUE(save(*store));
    ASSERT_TRUE(save(*store));
    EXPECT_EQ(store->allRecords().size(), 5);
    EXPECT_EQ(entries("*.png").size(), 5);
    EXPECT_EQ(alerts.texts().filter("旧记录没有删除").size(), 1);  // told once

    historylimit::setConfirmed(settings, true);
    ASSERT_TRUE(save(*store));
    EXPECT_EQ(store->allRecords().size(), 1);

    // A settings file found damaged at start: the default limit in its place
    // waits for the user too; a limit stored since does not.
    const QString damaged = klipo::test::freshDir("settings") + "/defaults.json";
    klipo::test::writeFile(damaged, "{\"historyLimit\": 0, \"saveHis");
    platform::SettingsStore recovered(damaged);
    EXPECT_TRUE(recovered.recoveredFromDamage());
    historylimit::noteSettingsRecovery(recovered);
    EXPECT_FALSE(historylimit::isConfirmed(recovered));
    platform::SettingsStore again(damaged);
    EXPECT_FALSE(historylimit::isConfirmed(again));  // kept across starts
    historylimit::setConfirmed(again, true);
    again.setValue("historyLimit", 100);
    platform::SettingsStore later(damaged);
    historylimit::noteSettingsRecovery(later);
    EXPECT_TRUE(historylimit::isConfirmed(later));
}

// A limit, or the mark that makes it wait, edited by hand into a value that is
// no whole number (the text "0", a fraction, true ...) is no choice of the
// user's: the default 300 standing in for it trims nothing, the user is told,
// and the file keeps the value until the user chooses a limit.
TEST_F(HistoryStoreTest, unreadableLimitOrMark_TrimsNothing_UntilTheUserChoosesALimit)
{
    auto& settings = platform::SettingsStore::shared();
    QList<QByteArray> records;
    for (int i = 0; i < 301; ++i) {
        const QString id = newId();
        records << recordJson(id, "2024-01-01T00:00:00Z", id + ".png");
        touch(id + ".png");
    }
    writeIndex(indexJson(records));
    auto store = open();
    const QString limit = QStringLiteral("historyLimit");
    const QString mark = historylimit::kUnconfirmedKey;
    const QList<std::pair<QString, QJsonValue>> unreadable{
        {limit, QStringLiteral("0")}, {limit, QStringLiteral("300")}, {limit, 12.5},
        {limit, true},                {limit, QJsonValue::Null},      {limit, QJsonArray{100}},
        {mark, QStringLiteral("true")}, {mark, 1},                     {mark, QJsonObject{}},
    };
    klipo::test::AlertLog alerts;
    qsizetype expected = records.size();
    for (const auto& [key, value] : unreadable) {
        SCOPED_TRACE(QJsonDocument(QJsonObject{{key, value}}).toJson(QJsonDocument::Compact).toStdString());
        settings.remove(limit);
        settings.remove(mark);
        if (key == mark) settings.setValue(limit, 300);
        settings.setValue(key, value);
        EXPECT_FALSE(historylimit::isConfirmed(settings));
        ASSERT_TRUE(save(*store));
        EXPECT_EQ(store->allRecords().size(), ++expected);
        EXPECT_EQ(entries("*.png").size(), expected);
        EXPECT_EQ(settings.value(key), value);  // left as written
    }
    EXPECT_EQ(alerts.texts().filter("旧记录没有删除").size(), 1);

    // The user picks a limit: from then on it trims.
    settings.remove(mark);
    settings.setValue(limit, 300);
    EXPECT_TRUE(historylimit::isConfirmed(settings));
    ASSERT_TRUE(save(*store));
    EXPECT_EQ(store->allRecords().size(), 300);
    EXPECT_EQ(entries("*.png").size(), 300);
}

// A quit right after a capture: the program ends while the store still
// encodes and writes; it ends cleanly, and every capture is in the index.
TEST(HistoryStoreAtQuit, capturesSavedRightBeforeTheProgramEnds_AreAllStored_AndTheEndIsClean)
{
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        const QTemporaryDir folder;
        QProcess probe;
        probe.start(QStringLiteral(KLIPO_QUIT_PROBE), {folder.path()});
        ASSERT_TRUE(probe.waitForFinished(60000));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << "crashed";
        EXPECT_EQ(probe.exitCode(), 0);
        QFile index(folder.path() + QStringLiteral("/index.json"));
        ASSERT_TRUE(index.open(QIODevice::ReadOnly));
        EXPECT_EQ(QJsonDocument::fromJson(index.readAll()).object().value("records").toArray().size(), 3);
    }
}
