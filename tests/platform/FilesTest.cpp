// The files the program keeps: the settings store, and the reading, writing,
// locking and serial queue every store builds on.
#include "platform/FileLock.h"
#include "platform/MemoryPolicy.h"
#include "platform/SafeFile.h"
#include "platform/SerialQueue.h"
#include "platform/SettingsStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/stat.h>

using namespace klipo::platform;

namespace {

QString freshStorePath() { return klipo::test::freshDir(QStringLiteral("settings")) + "/KlipoVersa/defaults.json"; }

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The object as one line of JSON, readable in a failure message.
std::string compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::string fileObject(const QString& path) { return compact(QJsonDocument::fromJson(readFile(path)).object()); }

QStringList asideFiles(const QString& storePath)
{
    return QFileInfo(storePath).dir().entryList({QStringLiteral("defaults.json.corrupt-*")},
                                                QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                                QDir::Name);
}

}  // namespace

TEST(SettingsStore, values_KeepTheirTypes_AfterTheFileIsReadAgain)
{
    const QString path = freshStorePath();
    const QJsonObject values{{"menuBarOnly", true}, {"historyLimit", 300}, {"captureScale", 2.5},
                             {"captureSoundName", "Glass"}, {"recent", QJsonArray{"a", 1, false}},
                             {"saveHistory", "true"}};
    {
        SettingsStore store(path);
        for (auto it = values.begin(); it != values.end(); ++it) store.setValue(it.key(), it.value());
        EXPECT_FALSE(store.lastWriteFailed());
    }
    SettingsStore reopened(path);
    for (auto it = values.begin(); it != values.end(); ++it)
        EXPECT_EQ(reopened.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(reopened.boolValue("menuBarOnly"));
    // A Boolean written as text stays text: Boolean reads fall back.
    EXPECT_FALSE(reopened.boolValue("saveHistory", false));
    EXPECT_EQ(reopened.stringValue("menuBarOnly", "fallback"), "fallback");
    EXPECT_TRUE(reopened.value("absent").isUndefined());
}

TEST(SettingsStore, corruptFiles_AreEachMovedAside_AndTheStoreWorksOn)
{
    klipo::test::AlertLog alerts;
    const QString path = freshStorePath();
    writeFile(path, "{\"menuBarOnly\": tru");
    SettingsStore store(path);
    ASSERT_EQ(alerts.texts().size(), 1);  // told once, with the new place
    EXPECT_TRUE(alerts.texts().first().contains("/KlipoVersa/" + asideFiles(path).value(0)));
    EXPECT_FALSE(store.contains("menuBarOnly"));
    store.setValue("historyLimit", 50);
    EXPECT_FALSE(store.lastWriteFailed());
    EXPECT_EQ(QJsonDocument::fromJson(readFile(path)).object().value("historyLimit").toInt(), 50);

    // A second broken file moments later must not replace the first one kept aside.
    writeFile(path, "[\"not an object\"]");
    store.reload();
    QStringList kept;
    for (const QString& name : asideFiles(path)) kept << readFile(QFileInfo(path).dir().filePath(name));
    kept.sort();
    EXPECT_EQ(kept, (QStringList{"[\"not an object\"]", "{\"menuBarOnly\": tru"}));
    EXPECT_EQ(alerts.texts().size(), 2);
}

TEST(SettingsStore, unreadableFiles_AreMovedAsideToo_InsteadOfBeingWrittenOver)
{
    klipo::test::AlertLog alerts;
    const QString path = freshStorePath();
    const QString elsewhere = QFileInfo(path).absolutePath() + "/elsewhere.json";
    for (int round = 0; round < 2; ++round) {
        if (round == 0)
            QDir().mkpath(path);  // there, but not a file
        else
            ASSERT_TRUE(QFile::remove(path) && QFile::link(elsewhere, path));  // a link to nothing
        SettingsStore store(path);
        EXPECT_TRUE(store.setValue("historyLimit", 50));
        EXPECT_EQ(QJsonDocument::fromJson(readFile(path)).object().value("historyLimit").toInt(), 50);
    }
    EXPECT_EQ(asideFiles(path).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    EXPECT_EQ(alerts.texts().size(), 2);
}

TEST(SettingsStore, writes_LeaveOnlyTheCompleteFile)
{
    const QString path = freshStorePath();
    SettingsStore store(path);
    for (int i = 0; i < 40; ++i) store.setValue(QStringLiteral("key%1").arg(i), i);
    EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden), QStringList{"defaults.json"});
    QJsonParseError error{};
    const QJsonDocument written = QJsonDocument::fromJson(readFile(path), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(written.object().size(), 40);
}

// Settings kept with other dotfiles: the settings file's name is a link into
// a repository. Every change is written to the file it leads to, replaced in
// its own folder as editors do, and the link stays a link.
TEST(SettingsStore, aLinkedFile_IsWrittenThroughTheLink_AndTheLinkStays)
{
    const QString path = freshStorePath();
    const QString repo = klipo::test::freshDir(QStringLiteral("dotfiles"));
    const QString target = repo + "/klipo-defaults.json";
    writeFile(target, R"({"historyLimit": 0})");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(QFile::link(target, path));
    writeFile(repo + "/.klipo-defaults.json.Ab12Cd", "a killed write's copy");

    klipo::test::AlertLog alerts;
    SettingsStore store(path);
    EXPECT_EQ(store.value("historyLimit").toInt(-1), 0);
    EXPECT_TRUE(store.setValue("saveHistory", false));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    const QJsonObject written = QJsonDocument::fromJson(readFile(target)).object();
    EXPECT_EQ(written.value("saveHistory"), QJsonValue(false));
    EXPECT_EQ(written.value("historyLimit"), QJsonValue(0));
    EXPECT_EQ(QFileInfo(target).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadGroup | QFile::ReadOther);
    EXPECT_EQ(QDir(repo).entryList(QDir::Files | QDir::Hidden), QStringList{"klipo-defaults.json"});
    EXPECT_TRUE(alerts.texts().isEmpty()) << alerts.texts().join('\n').toStdString();
}

// A write cut short by a kill leaves its hidden copy beside the file; the
// next start removes it, but not one that a write under way has open.
TEST(SettingsStore, leftoverCopiesOfKilledWrites_GoAtTheNextStart)
{
    const QString path = freshStorePath();
    const QString folder = QFileInfo(path).absolutePath();
    writeFile(folder + "/.defaults.json.k1LL3d", "{}");
    writeFile(folder + "/.defaults.json.w0rk1n", "{}");
    writeFile(folder + "/.other.json.k1LL3d", "{}");
    QFile writing(folder + "/.defaults.json.w0rk1n");
    ASSERT_TRUE(writing.open(QIODevice::Append));
    SettingsStore store(path);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList({".defaults.json.w0rk1n", ".other.json.k1LL3d"}));
}

TEST(SettingsStore, changeSignal_FiresOncePerChange_AndNeverForAnUnchangedValue)
{
    SettingsStore store(freshStorePath());
    QStringList changed;
    QObject::connect(&store, &SettingsStore::valueChanged, [&](const QString& key) { changed << key; });
    store.setValue("a", 1);
    store.setValue("a", 1);
    store.setValue("a", 2);
    store.setValue("b", QStringLiteral("x"));
    store.remove("absent");
    store.setValue("absent", QJsonValue(QJsonValue::Undefined));
    store.remove("a");
    EXPECT_EQ(changed, (QStringList{"a", "a", "b", "a"}));
}

TEST(SettingsStore, aProcessOverride_WinsEveryRead_ButIsNeverWritten)
{
    const QString path = freshStorePath();
    SettingsStore store(path);
    store.setValue("plainCaptureDirectory", QStringLiteral("/home/me/截图"));
    store.setProcessOverride("plainCaptureDirectory", QStringLiteral("/tmp/selftest"));
    store.setValue("historyLimit", 100);  // a write after the override
    EXPECT_EQ(store.stringValue("plainCaptureDirectory"), "/tmp/selftest");
    EXPECT_TRUE(readFile(path).contains("/home/me/截图"));
    EXPECT_FALSE(readFile(path).contains("selftest"));
    EXPECT_EQ(SettingsStore(path).stringValue("plainCaptureDirectory"), "/home/me/截图");
    store.setProcessOverride("plainCaptureDirectory", QJsonValue(QJsonValue::Undefined));
    EXPECT_EQ(store.stringValue("plainCaptureDirectory"), "/home/me/截图");
}

TEST(SafeFile, read_TakesOnlyRegularFilesUnderTheCap_WithoutBlockingOnAFifo)
{
    const QString dir = klipo::test::freshDir("safe-read");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/fifo").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir + "/fifo", dir + "/to-fifo.json"));
    ASSERT_TRUE(QFile::link("/dev/zero", dir + "/to-device.json"));
    ASSERT_TRUE(QFile::link(dir + "/nothing", dir + "/dangling.json"));
    QDir(dir).mkpath("folder.json");
    for (const char* name : {"fifo", "to-fifo.json", "to-device.json", "dangling.json", "folder.json"})
        EXPECT_EQ(safefile::readFile(dir + '/' + name, 1024).status, safefile::ReadStatus::NotRegular) << name;

    EXPECT_EQ(safefile::readFile(dir + "/absent.json", 1024).status, safefile::ReadStatus::Missing);
    writeFile(dir + "/exact.json", QByteArray(1024, 'a'));
    EXPECT_EQ(safefile::readFile(dir + "/exact.json", 1024).data.size(), 1024);
    writeFile(dir + "/large.json", QByteArray(1025, 'a'));
    const safefile::ReadResult large = safefile::readFile(dir + "/large.json", 1024);
    EXPECT_EQ(large.status, safefile::ReadStatus::TooLarge);
    EXPECT_TRUE(large.data.isEmpty());
    EXPECT_TRUE(large.error.contains("过大"));
    ASSERT_TRUE(QFile::link(dir + "/exact.json", dir + "/to-file.json"));
    EXPECT_TRUE(safefile::readFile(dir + "/to-file.json", 1024).ok());
}

TEST(FileLock, excludesASecondHolder_InThisProcessAndAnother_UntilTheFirstEnds)
{
    const QString path = klipo::test::freshDir("lock") + "/.History.lock";
    auto otherProcessGetsIt = [&] {
        // util-linux flock(1): exit 0 when it got the lock at once.
        return QProcess::execute("flock", {"-n", path, "true"}) == 0;
    };
    {
        FileLock first(path);
        ASSERT_EQ(first.status(), FileLock::Status::Held);
        EXPECT_EQ(FileLock(path).status(), FileLock::Status::Busy);
        EXPECT_FALSE(otherProcessGetsIt());
    }
    EXPECT_TRUE(otherProcessGetsIt());
    EXPECT_EQ(FileLock(path).status(), FileLock::Status::Held);
}

TEST(SerialQueue, blocks_RunOneAtATimeInOrder_OnTheQueuesOwnThread)
{
    std::vector<int> order;
    std::thread::id worker;
    std::atomic<int> running = 0;
    bool overlapped = false;
    {
        SerialQueue queue("io.klipoversa.test");
        for (int i = 0; i < 200; ++i) {
            queue.async([&, i] {
                if (++running > 1) overlapped = true;
                order.push_back(i);
                worker = std::this_thread::get_id();
                --running;
            });
        }
    }  // the destructor runs what is queued
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
    EXPECT_NE(worker, std::this_thread::get_id());
}

TEST(SerialQueue, syncFromTheWorkerRunsInline_FromElsewhereWaits_AndRunOnMainSyncReachesTheMainThread)
{
    SerialQueue queue("io.klipoversa.test");
    int value = 0;
    queue.sync([&] {
        EXPECT_TRUE(queue.isCurrent());
        queue.sync([&] { value = 1; });  // would deadlock if it queued behind itself
        value += 1;
    });
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(queue.isCurrent());

    std::atomic<bool> ranOnMain = false;
    std::atomic<bool> finished = false;
    queue.async([&] {
        runOnMainSync([&] { ranOnMain = isMainThread(); });
        finished = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 5000));
    EXPECT_TRUE(ranOnMain.load());
}

// Qt refuses any image over 128 MB, so a 6000 by 8000 screenshot in the
// history or on the clipboard read as missing. The program's policy opens
// what this machine can hold, and still refuses what it cannot.
TEST(MemoryPolicy, opensImagesLargerThanQtsOwnCap_UpToAQuarterOfTheMemory)
{
    const QString path = klipo::test::freshDir(QStringLiteral("large")) + "/tall.png";
    {
        QImage tall(6000, 8000, QImage::Format_RGB32);  // 192 MB
        tall.fill(Qt::darkCyan);
        ASSERT_TRUE(tall.save(path, "PNG"));
    }
    QImageReader::setAllocationLimit(128);  // Qt's own
    EXPECT_TRUE(QImage(path).isNull());
    klipo::platform::applyMemoryPolicy();
    EXPECT_GE(QImageReader::allocationLimit(), 256);
    EXPECT_EQ(QImageReader::allocationLimit(), imageAllocationLimitMB());
    EXPECT_EQ(QImage(path).size(), QSize(6000, 8000));
}

// Two copies of the program (two sessions of one user) on one settings file.
// Each step runs without the event loop, so the other copy has not heard of
// the step before it: a change must still be merged into what the file holds
// at that moment, and afterwards each copy holds, and has announced, what the
// other changed.
TEST(SettingsStore, twoCopies_MergeEachChangeIntoTheFile_AndTakeInEachOthersChanges)
{
    const QJsonValue removed(QJsonValue::Undefined);
    struct Step {
        char copy;
        QString key;
        QJsonValue value;  // undefined: removed
    };
    struct Case {
        const char* name;
        QJsonObject start;
        QList<Step> steps;
        QJsonObject expected;
    };
    const QList<Case> cases{
        {"A sets, B sets another key",
         {{"autoCloudSync", true}},
         {{'A', "autoCloudSync", false}, {'B', "cloudLastBackupDate", "2026-12-09T10:00:00Z"}},
         {{"autoCloudSync", false}, {"cloudLastBackupDate", "2026-12-09T10:00:00Z"}}},
        {"A removes, B sets", {{"x", 1}, {"y", 2}}, {{'A', "x", removed}, {'B', "y", 3}}, {{"y", 3}}},
        {"both set the same key, the later wins", {}, {{'A', "k", 1}, {'B', "k", 2}}, {{"k", 2}}},
        {"B sets back the value it last saw", {{"k", 1}}, {{'A', "k", 2}, {'B', "k", 1}}, {{"k", 1}}},
        {"B removes what A just set", {}, {{'A', "k", "a"}, {'B', "k", removed}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = freshStorePath();
        writeFile(path, QJsonDocument(c.start).toJson());
        SettingsStore a(path);
        SettingsStore b(path);
        QSet<QString> heardByA, heardByB;
        QObject::connect(&a, &SettingsStore::valueChanged, [&](const QString& key) { heardByA << key; });
        QObject::connect(&b, &SettingsStore::valueChanged, [&](const QString& key) { heardByB << key; });
        for (const Step& step : c.steps) {
            SettingsStore& store = step.copy == 'A' ? a : b;
            EXPECT_TRUE(step.value.isUndefined() ? store.remove(step.key) : store.setValue(step.key, step.value));
        }
        EXPECT_EQ(fileObject(path), compact(c.expected));
        const auto holdsExpected = [&](const SettingsStore& store) {
            QJsonObject held;
            for (const QString& key : store.keys()) held.insert(key, store.value(key));
            return held == c.expected;
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return holdsExpected(a) && holdsExpected(b); }, 5000));
        for (auto it = c.expected.begin(); it != c.expected.end(); ++it) {
            if (c.start.value(it.key()) == it.value()) continue;
            EXPECT_TRUE(heardByA.contains(it.key()) && heardByB.contains(it.key())) << it.key().toStdString();
        }
        for (auto it = c.start.begin(); it != c.start.end(); ++it) {
            if (c.expected.contains(it.key())) continue;
            EXPECT_TRUE(heardByA.contains(it.key()) && heardByB.contains(it.key())) << it.key().toStdString();
        }
    }
}

TEST(SettingsStore, twoCopiesWritingAtOnce_LoseNoChange)
{
    const QString path = freshStorePath();
    SettingsStore a(path);
    SettingsStore b(path);
    const auto writeKeys = [](SettingsStore& store, const QString& prefix) {
        for (int i = 0; i < 40; ++i) store.setValue(prefix + QString::number(i), i);
    };
    std::thread first(writeKeys, std::ref(a), QStringLiteral("a"));
    std::thread second(writeKeys, std::ref(b), QStringLiteral("b"));
    first.join();
    second.join();
    EXPECT_FALSE(a.lastWriteFailed() || b.lastWriteFailed());
    EXPECT_EQ(QJsonDocument::fromJson(readFile(path)).object().size(), 80);
}

// A hand edit while the program runs is taken in too; one that leaves the
// file broken changes nothing until it is mended, and nothing is lost.
TEST(SettingsStore, editsByHand_AreTakenIn_AndABrokenEditLosesNothing)
{
    const QString path = freshStorePath();
    SettingsStore store(path);
    store.setValue("historyLimit", 500);
    QStringList heard;
    QObject::connect(&store, &SettingsStore::valueChanged, [&](const QString& key) { heard << key; });
    writeFile(path, R"({"historyLimit": 500, "saveHistory": false})");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.contains("saveHistory"); }, 5000));
    EXPECT_EQ(heard, QStringList{"saveHistory"});
    writeFile(path, R"({"historyLimit": 1)");
    QTest::qWait(300);
    EXPECT_EQ(store.value("historyLimit"), QJsonValue(500));
    store.setValue("menuBarOnly", true);
    EXPECT_EQ(fileObject(path), compact({{"historyLimit", 500}, {"saveHistory", false}, {"menuBarOnly", true}}));
    EXPECT_EQ(asideFiles(path).size(), 1);
}

// A change that could not be written (the file held too long by another copy)
// is told, kept, and stored with this copy's next change, merged with what
// the other copy wrote meanwhile.
TEST(SettingsStore, aChangeThatCouldNotBeWritten_GoesWithTheNextOne_NextToTheOtherCopysChanges)
{
    klipo::test::AlertLog alerts;
    const QString path = freshStorePath();
    writeFile(path, "{}");
    SettingsStore a(path);
    SettingsStore b(path);
    {
        const FolderLock held(QFileInfo(path).absolutePath(), 0);
        ASSERT_EQ(held.status(), FileLock::Status::Held);
        EXPECT_FALSE(a.setValue("autoCloudSync", false));
    }
    EXPECT_TRUE(a.lastWriteFailed());
    EXPECT_EQ(a.value("autoCloudSync"), QJsonValue(false));  // holds for this run
    EXPECT_TRUE(alerts.waitFor("设置未能保存"));
    EXPECT_TRUE(b.setValue("cloudLastBackupDate", "2026-12-09T10:00:00Z"));
    EXPECT_TRUE(a.setValue("menuBarOnly", true));
    EXPECT_EQ(fileObject(path), compact({{"autoCloudSync", false},
                                         {"cloudLastBackupDate", "2026-12-09T10:00:00Z"},
                                         {"menuBarOnly", true}}));
}
