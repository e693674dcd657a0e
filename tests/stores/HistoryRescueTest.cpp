// What a start finds after a run that was cut short, or after a file that
// holds more than this copy understands: every record comes back, every value
// is written back as it stood, and nothing of the user's is removed.

#include "HistoryTestSupport.h"

#include "support/AlertLog.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

using namespace klipo;
using namespace klipo::test;

namespace {

QJsonObject jsonObject(const QByteArray& json) { return QJsonDocument::fromJson(json).object(); }

QByteArray compact(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

// A value as JSON text, for readable failures.
std::string text(const QJsonValue& value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1).toStdString();
}

std::map<std::string, std::string> checksums(const QString& folder, const QStringList& names)
{
    std::map<std::string, std::string> sums;
    for (const QString& name : names)
        sums[name.toStdString()] =
            QCryptographicHash::hash(readFile(folder + '/' + name), QCryptographicHash::Sha256).toHex().toStdString();
    return sums;
}

// The folder's entries (hidden ones left out), sorted, one line.
std::string listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name).join(' ').toStdString();
}

}  // namespace

// Each step of an index repair cut short by a kill leaves the folder as one of
// these, and so did older copies killed after they moved the index aside (the
// steps so named); the next start finds every record, keeps the damaged file
// once, as it was, and says what it found.
TEST_F(HistoryStoreTest, repairCutShortAtAnyStep_FindsEveryRecordAtTheNextStart)
{
    constexpr int kRecords = 40;
    QList<QByteArray> records;
    QStringList images;
    for (int i = 0; i < kRecords; ++i) {
        const QString id = newId().toUpper();
        images << id + ".png" << id + "-src.png";
        records << recordJson(id, QString("2024-01-01T00:00:%1Z").arg(59 - i, 2, 10, QChar('0')), images.at(2 * i),
                              images.at(2 * i + 1));
    }
    const QByteArray repaired = indexJson(records);
    const QByteArray damaged = QByteArray(repaired).replace("\"version\":1", "\"version\":\"1\"");
    const QString capture = newId().toUpper();
    const QByteArray oneCapture = indexJson({recordJson(capture, "2025-01-01T00:00:00Z", capture + ".png")});
    struct Step {
        const char* name;
        QByteArray index;  // none: no index.json
        bool copyAside;
        QByteArray temporary;  // of the repaired index's write
        int since;             // records saved after the older copy's start
    };
    const Step steps[] = {
        {"before the repair", damaged, false, {}, 0},
        {"after the copy aside", damaged, true, {}, 0},
        {"while the repaired index is written", damaged, true, repaired.left(300), 0},
        {"older copy: the index moved aside", {}, true, {}, 0},
        {"older copy: then an empty index", indexJson({}), true, {}, 0},
        {"older copy: then one capture", oneCapture, true, {}, 1},
        {"after the repair", repaired, true, {}, 0},
    };
    for (const Step& step : steps) {
        reset();
        for (const QString& name : images + QStringList{capture + ".png"}) touch(name);
        if (!step.index.isNull()) writeIndex(step.index);
        if (step.copyAside) writeFile(dir + "/index-broken-1700000000.json", damaged);
        if (!step.temporary.isEmpty()) writeFile(dir + "/.index.json.Ab12Cd", step.temporary);
        for (int start = 0; start < 2; ++start) {
            AlertLog alerts;
            auto store = open();
            EXPECT_EQ(store->allRecords().size(), kRecords + step.since) << step.name << " start " << start;
            store->allRecords();  // the sweep queued by the load has run
            const bool toldNow = alerts.texts().join('\n').contains(QString("找回 %1 条").arg(kRecords));
            EXPECT_EQ(toldNow, start == 0 && step.index != repaired) << step.name << " start " << start;
            EXPECT_FALSE(false) << step.name;
        }
        for (const QString& name : images) EXPECT_TRUE(exists(name)) << step.name << ' ' << name.toStdString();
        const QStringList aside = entries("index-broken-*.json");
        EXPECT_EQ(aside.size(), 1) << step.name;
        EXPECT_EQ(readFile(dir + '/' + aside.value(0)), damaged) << step.name;
    }

    // What a damaged index cannot give back is known for the rest of the run.
    reset();
    records[3].replace("\"t\"", "\"\xff\"");
    writeIndex(indexJson(records).replace("\"version\":1", "\"version\":\"1\""));
    AlertLog alerts;
    EXPECT_TRUE((open(), true));
    EXPECT_TRUE(alerts.waitFor("另有 1 条无法读取"));
}

// A record's values of another kind, its unknown members and the document's
// other members are written back as they stood when the index is rewritten;
// readable fields still change. The user hears once of values that cannot be
// read, and a record whose date cannot be read keeps its place in the list.
TEST_F(HistoryStoreTest, valuesThatCannotBeRead_AndUnknownMembers_SurviveARewrite_AndAreToldOnce)
{
    struct Case {
        QByteArray members;
        bool told;
    };
    const Case cases[] = {
        {R"({"originalText":12345})", true},
        {R"({"translatedText":["a","b"]})", true},
        {R"({"date":1700000000})", true},
        {R"({"date":"2024-02-30T00:00:00Z"})", true},
        {R"({"targetLanguage":{"code":"en"}})", true},
        {R"({"id":"not-a-uuid"})", true},
        {R"({"note":"keep me","extra":null})", false},
    };
    for (const Case& c : cases) {
        reset();
        QJsonObject odd = jsonObject(recordJson(newId(), "2024-01-02T00:00:00Z", "odd.png"));
        const QJsonObject members = jsonObject(c.members);
        for (auto it = members.begin(); it != members.end(); ++it) odd[it.key()] = it.value();
        const QByteArray document = "{\"version\":1,\"settings\":{\"kept\":true},\"records\":[" +
                                    recordJson(newId(), "2024-01-03T00:00:00Z", "newer.png") + ',' + compact(odd) +
                                    ',' + recordJson(newId(), "2024-01-01T00:00:00Z", "older.png") + "]}";
        writeIndex(document);
        for (const char* name : {"newer.png", "odd.png", "older.png"}) touch(name);

        for (int start = 0; start < 2; ++start) {
            AlertLog alerts;
            auto store = open();
            const QList<HistoryRecord> before = store->allRecords();
            ASSERT_EQ(before.size(), 3 + start) << c.members.constData();
            EXPECT_EQ(before.at(1 + start).imageName.toStdString(), "odd.png") << c.members.constData() << " moved";
            EXPECT_EQ(alerts.texts().filter("无法读取").size(), c.told && start == 0 ? 1 : 0)
                << c.members.constData() << alerts.texts().join('\n').toStdString();
            if (start > 0) break;

            std::optional<bool> changed;
            store->updateText(before.at(1).id, "changed", [&](bool ok) { changed = ok; });
            ASSERT_TRUE(waitFor([&] { return changed.has_value(); }));
            const bool textReadable = !members.contains("originalText");
            EXPECT_EQ(*changed, textReadable) << c.members.constData();
            ASSERT_TRUE(save(*store));  // and a rewrite for the new record

            const QJsonObject written = jsonObject(readFile(dir + "/index.json"));
            EXPECT_EQ(text(written["settings"]), R"({"kept":true})") << c.members.constData();
            const QJsonObject stored = written["records"].toArray().at(2).toObject();
            for (auto it = members.begin(); it != members.end(); ++it)
                EXPECT_EQ(text(stored[it.key()]), text(it.value())) << c.members.constData();
            EXPECT_TRUE(stored.contains("extra") == members.contains("extra"));
            EXPECT_EQ(stored["originalText"] == "changed", textReadable) << c.members.constData();
        }
    }
}

// A save cut short by a kill: the record comes back from the note the save
// wrote before its images, in the program's own folder and in a linked one.
// At start nothing is taken from a linked folder, and "清空" takes only what
// the history names: the user's files there, named like ours or not, stay
// byte for byte.
TEST_F(HistoryStoreTest, saveCutShort_ComesBack_AndALinkedFoldersOtherFilesStay)
{
    struct Step {
        const char* name;
        bool image;
        bool source;
        bool indexed;
    };
    const Step steps[] = {
        {"before its images", false, false, false},
        {"after its image", true, false, false},
        {"after both images", true, true, false},
        {"after the index", true, true, true},
    };
    const QString pictures = freshDir("pictures");
    const QStringList users = {"3F2504E0-4F89-11D3-9A0C-0305E82C3301.png",
                               "3F2504E0-4F89-11D3-9A0C-0305E82C3301-src.png", "Holiday.PNG", ".hidden.png",
                               "notes.txt"};
    for (const bool linked : {false, true}) {
        for (const Step& step : steps) {
            const std::string what = std::string(step.name) + (linked ? " (linked)" : "");
            if (QFileInfo(dir).isSymLink()) QFile::remove(dir);
            reset();
            if (linked) {
                QDir(pictures).removeRecursively();
                QDir().mkpath(pictures);
                QDir().rmdir(dir);
                ASSERT_TRUE(QFile::link(pictures, dir));
                for (const QString& name : users) writeFile(pictures + '/' + name, name.toUtf8() + " of the user's");
            }
            const QString kept = newId().toUpper();
            const QString id = newId().toUpper();
            QList<QByteArray> indexed = {recordJson(kept, "2024-01-01T00:00:00Z", kept + ".png")};
            touch(kept + ".png");
            const QByteArray cut = recordJson(id, "2024-01-02T00:00:00Z", id + ".png", id + "-src.png");
            if (step.indexed) indexed.prepend(cut);
            writeIndex(indexJson(indexed));
            writeFile(dir + "/.klipoversa-saving.json", cut);
            if (step.image) touch(id + ".png");
            if (step.source) touch(id + "-src.png");
            const auto before = checksums(dir, users);

            AlertLog alerts;
            auto store = open();
            const QList<HistoryRecord> records = store->allRecords();
            store->allRecords();  // the sweep queued by the load has run
            EXPECT_EQ(records.size(), step.image ? 2 : 1) << what;
            if (step.image && records.size() == 2) {
                EXPECT_EQ(records.first().imageName, id + ".png") << what;
                EXPECT_EQ(records.first().originalImageName.has_value(), step.source) << what;
                EXPECT_TRUE(exists(id + ".png")) << what;
                EXPECT_EQ(alerts.texts().filter("已找回").size(), step.indexed ? 0 : 1) << what;
            }
            EXPECT_FALSE(exists(".klipoversa-saving.json")) << what;
            EXPECT_TRUE(exists(kept + ".png")) << what;
            if (!linked) continue;
            EXPECT_EQ(checksums(dir, users), before) << what << ": a file of the user's changed at start";
            ASSERT_TRUE(save(*store));
            bool cleared = false;
            store->removeAll([&] { cleared = true; });
            ASSERT_TRUE(waitFor([&] { return cleared; }));
            EXPECT_EQ(checksums(dir, users), before) << what << ": a file of the user's changed when cleared";
            EXPECT_EQ(listing(dir),
                      (QStringList{users[1], users[0], users[2], "index.json", users[4]}.join(' ').toStdString()))
                << what;
        }
    }
}
