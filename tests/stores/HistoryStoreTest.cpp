#include "StoreTestSupport.h"

#include "platform/SettingsStore.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>
#include <thread>
#include <vector>

using namespace klipo;
using klipo::test::waitFor;

namespace klipo {
void PrintTo(const HistoryRecord& r, std::ostream* os)
{
    *os << r.idText().toStdString() << ' ' << r.date.toString(Qt::ISODateWithMs).toStdString() << ' '
        << r.imageName.toStdString();
}
}  // namespace klipo

namespace {

QImage sampleImage(int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

// A record object for a hand-written index file.
QByteArray recordJson(const QString& id, const QString& date, const QString& imageName, const QString& sourceName = {})
{
    QByteArray json = "{\"id\":\"" + id.toUtf8() + "\",\"date\":\"" + date.toUtf8() + "\",\"imageName\":\"" +
                      imageName.toUtf8() + "\"";
    if (!sourceName.isEmpty()) json += ",\"originalImageName\":\"" + sourceName.toUtf8() + "\"";
    return json + ",\"originalText\":\"t\"}";
}

QByteArray indexJson(const QList<QByteArray>& records)
{
    QByteArray body;
    for (const QByteArray& r : records) body += (body.isEmpty() ? "" : ",") + r;
    return "{\"version\":1,\"records\":[" + body + "]}";
}

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { dir = klipo::test::freshDir(QStringLiteral("history")); }
    void TearDown() override { platform::SettingsStore::shared().remove(QStringLiteral("historyLimit")); }

    std::unique_ptr<HistoryStore> open() { return std::make_unique<HistoryStore>(dir); }

    std::optional<HistoryRecord> save(HistoryStore& store, const QImage& image = sampleImage(),
                                      std::optional<QImage> source = std::nullopt)
    {
        bool done = false;
        std::optional<HistoryRecord> result;
        store.save(image, source, QStringLiteral("source"), QStringLiteral("译文"), QStringLiteral("zh-Hans"),
                   [&](std::optional<HistoryRecord> r) {
                       result = std::move(r);
                       done = true;
                   });
        EXPECT_TRUE(waitFor([&] { return done; }));
        return result;
    }

    bool exists(const QString& name) const { return QFileInfo::exists(dir + '/' + name); }
    QStringList entries(const QString& pattern) const
    {
        return QDir(dir).entryList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    void writeIndex(const QByteArray& data) const { klipo::test::writeFile(dir + "/index.json", data); }
    void touch(const QString& name) const { klipo::test::writeFile(dir + '/' + name, "x"); }

    QString dir;
};

}  // namespace

TEST_F(HistoryStoreTest, save_StoresPrivateImagesAndRecord_CompletesAfterPublishing_AndNeedsAnImage)
{
    auto store = open();
    klipo::test::NotificationCounter notes(HistoryStore::didChangeNotification, store.get());
    bool frontWhenCompleted = false;
    bool done = false;
    store->save(sampleImage(), sampleImage(8, 8), "src", "dst", "en", [&](std::optional<HistoryRecord> r) {
        frontWhenCompleted = r && !store->records().isEmpty() && store->records().first() == *r;
        done = true;
    });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_TRUE(frontWhenCompleted);
    EXPECT_EQ(notes.count(), 2);  // the first load, then the save

    const HistoryRecord r = store->records().first();
    EXPECT_EQ(QImage(dir + '/' + r.imageName).size(), QSize(64, 48));
    // Screenshots are the user's only.
    for (const QString& name : {r.imageName, *r.originalImageName, QString("index.json")})
        EXPECT_EQ(klipo::test::modeOf(dir + '/' + name), 0600u) << name.toStdString();
    EXPECT_EQ(klipo::test::modeOf(dir), 0700u);
    EXPECT_EQ(historyindex::decode(klipo::test::readFile(dir + "/index.json"))->records.size(), 1);

    // No image: nothing stored; a null source only drops the source.
    EXPECT_FALSE(save(*store, QImage()));
    EXPECT_FALSE(save(*store, sampleImage(), QImage())->originalImageName);
    EXPECT_EQ(entries("*.png").size(), 3);
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
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(exists(saved.at(i).imageName));
        EXPECT_FALSE(exists(*saved.at(i).originalImageName));
    }
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
    const QString a = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString b = QUuid::createUuid().toString(QUuid::WithoutBraces);
    writeIndex(indexJson({recordJson(a, "2024-01-01T00:00:00Z", "a.png"),
                          recordJson(b, "2024-01-01T00:00:00Z", "b.png", "b-src.png")}));
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

TEST_F(HistoryStoreTest, damagedImageName_KeepsTheRecordAsItWasAndEveryImage_AcrossTwoStarts)
{
    const QList<QByteArray> damaged = {R"("imageName":5)", R"("imagename":"c.png")", R"("imageName":"c\u0000.png")",
                                       R"("imageName":"c.png","originalImageName":7)"};
    for (const QByteArray& field : damaged) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const QByteArray bad = R"({"id":"0B8E6A5C-1F2D-4C3B-9A8E-7D6C5B4A3F21","date":"2024-01-03T00:00:00Z",)" +
                               field + R"(,"originalText":"c"})";
        writeIndex(indexJson({recordJson(QUuid::createUuid().toString(QUuid::WithoutBraces), "2024-01-02T00:00:00Z",
                                         "a.png", "a-src.png"),
                              bad, recordJson(QUuid::createUuid().toString(QUuid::WithoutBraces),
                                              "2024-01-01T00:00:00Z", "b.png")}));
        const QStringList images = {"a.png", "a-src.png", "b.png", "c.png", "c-src.png", "stray.png"};
        for (const QString& name : images) touch(name);

        for (int start = 0; start < 2; ++start) {
            klipo::test::AlertLog alerts;
            auto store = open();
            EXPECT_EQ(store->allRecords().size(), 2 + start) << field.constData();
            store->allRecords();  // the orphan sweep, had there been one, has run
            EXPECT_TRUE(alerts.waitFor("1 条历史记录无法读取")) << field.constData();
            if (start == 0) {
                ASSERT_TRUE(save(*store));
            }
        }
        for (const QString& name : images) EXPECT_TRUE(exists(name)) << name.toStdString() << field.constData();
        const QJsonArray stored =
            QJsonDocument::fromJson(klipo::test::readFile(dir + "/index.json")).object().value("records").toArray();
        ASSERT_EQ(stored.size(), 4);
        EXPECT_EQ(stored.last().toObject(), QJsonDocument::fromJson(bad).object()) << field.constData();
    }
}

TEST_F(HistoryStoreTest, load_MovesUnusableIndexAside_AndKeepsItsImages_AcrossLaunches)
{
    const QList<QByteArray> unusable = {"{\"version\":1,\"records\":[{\"id\":\"x\",\"imageName\":\"old.pn", "",
                                        "{\"records\":[]}", "a folder"};
    for (const QByteArray& content : unusable) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
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
    writeIndex(indexJson(
        {recordJson(QUuid::createUuid().toString(QUuid::WithoutBraces), "2024-01-01T00:00:00Z", relative, relative),
         recordJson(QUuid::createUuid().toString(QUuid::WithoutBraces), "2023-01-01T00:00:00Z", "index.json")}));
    auto store = open();
    ASSERT_EQ(store->allRecords().size(), 1);  // the other one is kept in the file, unread

    HistoryRecord hostile = store->allRecords().first();
    hostile.imageName = relative;
    QImage loaded = sampleImage();
    bool done = false;
    store->loadImage(hostile, [&](QImage image) {
        loaded = image;
        done = true;
    });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_TRUE(loaded.isNull());

    platform::SettingsStore::shared().setValue("historyLimit", 1);
    save(*store);  // trims the record named "index.json"
    EXPECT_EQ(klipo::test::readFile(outside + "/victim.png"), "keep");
    EXPECT_TRUE(exists("index.json"));
    store.reset();

    // A link planted under the index's name is never written through.
    QFile::remove(dir + "/index.json");
    ASSERT_TRUE(QFile::link(outside + "/index.json", dir + "/index.json"));
    klipo::test::AlertLog alerts;
    EXPECT_FALSE(save(*open()));
    EXPECT_EQ(klipo::test::readFile(outside + "/index.json"), outsideIndex);
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
    const QByteArray index = klipo::test::readFile(dir + "/index.json");
    EXPECT_FALSE(save(*second));
    EXPECT_FALSE(save(*second));
    bool removed = false;
    second->removeAll([&] { removed = true; });
    ASSERT_TRUE(waitFor([&] { return removed; }));
    EXPECT_EQ(klipo::test::readFile(dir + "/index.json"), index);
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

TEST_F(HistoryStoreTest, delete_KeepsAnImageThatAnotherRecordStillShows)
{
    const QString a = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString b = QUuid::createUuid().toString(QUuid::WithoutBraces);
    writeIndex(indexJson(
        {recordJson(a, "2024-01-02T00:00:00Z", "shared.png"), recordJson(b, "2024-01-01T00:00:00Z", "shared.png")}));
    touch("shared.png");
    auto store = open();
    int completions = 0;
    for (const QString& id : {a, b}) {
        EXPECT_TRUE(exists("shared.png"));
        store->deleteRecords({QUuid::fromString(id)}, [&](bool) { ++completions; });
        const int expected = id == a ? 1 : 2;
        ASSERT_TRUE(waitFor([&] { return completions == expected; }));
    }
    EXPECT_FALSE(exists("shared.png"));
}

TEST_F(HistoryStoreTest, deleteAndRemoveAll_RemoveFiles_AndNotifyOnlyOnChange)
{
    auto store = open();
    const HistoryRecord gone = *save(*store, sampleImage(), sampleImage());
    const HistoryRecord kept = *save(*store);
    touch("index-broken-1.json");
    klipo::test::NotificationCounter notes(HistoryStore::didChangeNotification, store.get());

    int completions = 0;
    store->deleteRecords({QUuid::createUuid()}, [&](bool) { ++completions; });
    store->deleteRecords({gone.id}, [&](bool) { ++completions; });
    ASSERT_TRUE(waitFor([&] { return completions == 2; }));
    EXPECT_EQ(notes.count(), 1);
    EXPECT_FALSE(exists(gone.imageName));
    EXPECT_FALSE(exists(*gone.originalImageName));
    EXPECT_EQ(store->records(), QList<HistoryRecord>{kept});

    store->removeAll([&] { ++completions; });
    ASSERT_TRUE(waitFor([&] { return completions == 3; }));
    EXPECT_EQ(notes.count(), 2);
    EXPECT_EQ(entries("*"), QStringList{"index.json"});
    EXPECT_TRUE(historyindex::decode(klipo::test::readFile(dir + "/index.json"))->records.isEmpty());
}

TEST_F(HistoryStoreTest, loadThumbnail_AnswersFromCacheOnCallingThread_PerSize)
{
    auto store = open();
    const HistoryRecord r = *save(*store, sampleImage(640, 320));
    QImage thumb;
    store->loadThumbnail(r, 100, [&](QImage image) { thumb = image; });
    ASSERT_TRUE(waitFor([&] { return !thumb.isNull(); }));
    EXPECT_EQ(thumb.size(), QSize(100, 50));

    QFile::remove(dir + '/' + r.imageName);  // only the cache can answer now
    QImage again;
    store->loadThumbnail(r, 100, [&](QImage image) { again = image; });
    EXPECT_EQ(again.size(), QSize(100, 50));  // at once, without a round trip

    bool done = false;
    store->loadThumbnail(r, 200, [&](QImage image) {
        again = image;
        done = true;
    });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_TRUE(again.isNull());
}
