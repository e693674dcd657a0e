#include "CloudTestSupport.h"

#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"
#include "stores/CloudFolder.h"
#include "stores/CloudScheduler.h"
#include "stores/CloudSync.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyBook.h"
#include "stores/VocabularyStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <deque>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace klipo;
using namespace klipo::test;

namespace {

// A clock that moves only when told; background work waits until runJobs().
class FakeScheduler final : public CloudScheduler {
public:
    QDateTime now() override { return kCloudT0.addMSecs(qint64(m_seconds * 1000)); }
    Ticket after(double seconds, std::function<void()> task) override
    {
        Ticket ticket;
        m_timers.emplace(m_seconds + seconds, std::pair{ticket, std::move(task)});
        return ticket;
    }
    void background(std::function<void()> task) override { m_jobs.push_back(std::move(task)); }

    // Moves the clock on, running each timer that comes due on the way.
    void advance(double seconds)
    {
        const double end = m_seconds + seconds;
        while (!m_timers.empty() && m_timers.begin()->first <= end) {
            auto [due, timer] = std::move(*m_timers.begin());
            m_timers.erase(m_timers.begin());
            m_seconds = due;
            if (!timer.first.isCancelled()) timer.second();
        }
        m_seconds = end;
    }
    // Runs the background work and lets its results reach the main thread.
    void runJobs()
    {
        for (; !m_jobs.empty(); QCoreApplication::processEvents()) {
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            job();
        }
    }

private:
    double m_seconds = 0;
    std::multimap<double, std::pair<Ticket, std::function<void()>>> m_timers;
    std::deque<std::function<void()>> m_jobs;
};

class CloudSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = freshDir("cloud");
        folder = root + "/Cloud";
        QDir().mkpath(folder);
        settings = std::make_unique<platform::SettingsStore>(root + "/defaults.json");
        settings->setValue(cloudfolder::kFolderKey, folder);
        writeFile(root + "/machine-id", "test-machine");
    }

    // Stores over files that hold `records` and `words` before they are opened.
    void openStores(const QList<HistoryRecord>& records, const QList<VocabularyWord>& words)
    {
        QDir().mkpath(root + "/History");
        writeFile(root + "/History/index.json", historyindex::encode(records));
        vocabularybook::Book book;
        for (const VocabularyWord& w : words) book.insert(w.normalized, w);
        writeFile(root + "/vocabulary.json", vocabularybook::encodeFile(book));
        history = std::make_unique<HistoryStore>(root + "/History");
        vocabulary = std::make_unique<VocabularyStore>(root);
        // The first load is announced like a change; let that pass unobserved.
        history->allRecords();
        QCoreApplication::processEvents();
    }

    void makeSync()
    {
        sync = std::make_unique<CloudSync>(
            CloudSync::Dependencies{settings.get(), history.get(), vocabulary.get(), &clock, root + "/machine-id"});
        QObject::connect(sync.get(), &CloudSync::changed, [this] {
            if (statuses.value(statuses.size() - 1) != sync->statusText()) statuses << sync->statusText();
        });
    }

    // Starts the service and lets its look at the folder run; the restore
    // offers made go to `prompts`, each answered "暂不".
    void launch()
    {
        sync->setRestorePrompt([this](const CloudSync::Prompt& p) { prompts << p; return 1; });
        sync->startAutoSync();
        sync->startAutoSync();
        clock.advance(5);
        clock.runJobs();
    }

    QString ownFile() { return sync->backupFilePath(); }
    qsizetype count(const QString& status) const { return statuses.count(status); }
    static void storeChanged() { platform::NotificationCenter::shared().post(HistoryStore::didChangeNotification); }
    std::optional<CloudBackup> backupAt(const QString& path) { return cloudbackup::decodeFile(readFile(path), kCloudT0); }

    QString root, folder;
    FakeScheduler clock;
    std::unique_ptr<platform::SettingsStore> settings;
    std::unique_ptr<HistoryStore> history;
    std::unique_ptr<VocabularyStore> vocabulary;
    std::unique_ptr<CloudSync> sync;
    QStringList statuses;
    QList<CloudSync::Prompt> prompts;
};

const QString kAuto = QStringLiteral("正在自动备份…");

}  // namespace

TEST(CloudBackupFile, holdsTheStoresOwnObjectsWithZDates_AndIsReadOnlyWithAllFiveKeys)
{
    HistoryRecord record = cloudRecord(1, kCloudT0, "a/b \"q\" \\ \t\n\x01 中文");
    record.originalImageName = record.idText() + "-src.png";
    VocabularyWord word = cloudWord("apple", 2);
    word.definition = "苹果";
    word.sources = {{record.idText(), 2, kCloudT0}};
    const CloudBackup backup{1, kCloudT0, {record}, {word}, {{"targetLanguage", "en"}}};
    const QByteArray data = cloudbackup::encodeFile(backup);
    QJsonObject object = QJsonDocument::fromJson(data).object();
    EXPECT_EQ(object["records"].toArray().at(0).toObject(), record.toJson());
    EXPECT_EQ(object["words"].toArray().at(0).toObject(), word.toJson());
    EXPECT_TRUE(data.contains("\"date\": \"2024-05-01T08:30:00Z\"")) << data.constData();

    const auto read = cloudbackup::decodeFile(data, kCloudT0);
    ASSERT_TRUE(read);
    EXPECT_EQ((std::tuple{read->records, read->words, read->settings}),
              (std::tuple{backup.records, backup.words, backup.settings}));
    object.insert("comment", "ignored");
    EXPECT_TRUE(cloudbackup::decodeFile(QJsonDocument(object).toJson(), kCloudT0));
    for (const char* key : {"version", "date", "records", "words", "settings"}) {
        QJsonObject lacking = object;
        lacking.remove(key);
        EXPECT_FALSE(cloudbackup::decodeFile(QJsonDocument(lacking).toJson(), kCloudT0)) << key;
    }
}

TEST(CloudBackupFold, firstFileKeepsARecordId_EqualDatesKeepTheFirstSettings_ALaterDateTakesTheWholeMap)
{
    const QString dir = freshDir("fold");
    const QDateTime later = kCloudT0.addSecs(60);
    writeBackup(dir + "/KlipoVersa-Backup-A.json", kCloudT0, {cloudRecord(1, kCloudT0, "from A")},
                {cloudWord("apple", 3)}, {{"targetLanguage", "en"}, {"saveHistory", "true"}});
    writeBackup(dir + "/KlipoVersa-Backup-B.json", kCloudT0,
                {cloudRecord(1, kCloudT0, "from B"), cloudRecord(2, later, "newer")}, {cloudWord("apple", 7, true)},
                {{"targetLanguage", "ja"}});
    writeFile(dir + "/KlipoVersa-Backup-C.json", "{\"version\": 1, \"date\": \"2030-01-01T00:00:00Z\"}");
    writeBackup(dir + "/unrelated.json", later, {cloudRecord(9, later)}, {});

    cloudfolder::ReadResult merged = cloudfolder::readMerged(dir, kCloudT0);
    ASSERT_TRUE(merged.backup);
    QStringList texts;
    for (const HistoryRecord& r : merged.backup->records) texts << r.originalText;
    EXPECT_EQ(texts, QStringList({"newer", "from A"}));  // newest first
    EXPECT_EQ(merged.backup->settings.value("targetLanguage"), "en");
    ASSERT_EQ(merged.backup->words.size(), 1);
    EXPECT_EQ((std::pair{merged.backup->words[0].count, merged.backup->words[0].isMastered}), (std::pair{qint64(7), true}));
    ASSERT_EQ(merged.skipped.size(), 1);  // C lacks keys; the others still merge
    EXPECT_EQ(merged.skipped[0].name, "KlipoVersa-Backup-C.json");

    writeBackup(dir + "/KlipoVersa-Backup-D.json", later, {}, {}, {{"saveHistory", "false"}});
    merged = cloudfolder::readMerged(dir, kCloudT0);
    EXPECT_EQ(merged.backup->settings, (CloudBackup::Settings{{"saveHistory", "false"}}));
}

TEST(CloudBackupFingerprint, ignoresWordOrder_ButNotRecordOrderOrSettings)
{
    const QList<HistoryRecord> records{cloudRecord(1, kCloudT0), cloudRecord(2, kCloudT0)};
    const QList<VocabularyWord> words{cloudWord("apple", 1), cloudWord("zebra", 2)};
    const CloudBackup::Settings settings{{"historyLimit", "300"}};
    const QString print = cloudbackup::fingerprint(records, words, settings);
    EXPECT_EQ(cloudbackup::fingerprint(records, {words[1], words[0]}, settings), print);
    EXPECT_NE(cloudbackup::fingerprint({records[1], records[0]}, words, settings), print);
    EXPECT_NE(cloudbackup::fingerprint(records, words, {{"historyLimit", "0"}}), print);
}

TEST(CloudDeviceId, isKeptOnItsMachine_AndNewWhenTheSettingsWereCopiedToAnother)
{
    const QString dir = freshDir("device");
    platform::SettingsStore settings(dir + "/defaults.json");
    writeFile(dir + "/machine-a", "aaaa\n");
    writeFile(dir + "/machine-b", "bbbb\n");
    const QString made = cloudfolder::deviceId(settings, dir + "/machine-a");
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}$").match(made).hasMatch()) << made.toStdString();
    EXPECT_EQ(cloudfolder::deviceId(settings, dir + "/machine-a"), made);
    const QString other = cloudfolder::deviceId(settings, dir + "/machine-b");
    EXPECT_NE(other, made);
    EXPECT_EQ(cloudfolder::deviceId(settings, dir + "/no-machine-id"), other);
}

// Two copies of the program on one settings file (each loaded it before the
// other wrote): both take the id the first one made, so one computer writes
// one backup file, whichever copy writes the settings last.
TEST(CloudDeviceId, isTheSameForTwoCopiesOnOneSettingsFile)
{
    const QString dir = freshDir("device");
    writeFile(dir + "/machine", "aaaa\n");
    platform::SettingsStore first(dir + "/defaults.json");
    platform::SettingsStore second(dir + "/defaults.json");
    const QString id = cloudfolder::deviceId(first, dir + "/machine");
    EXPECT_EQ(cloudfolder::deviceId(second, dir + "/machine"), id);
    second.setValue("targetLanguage", "en");  // the second copy writes its settings whole
    platform::SettingsStore third(dir + "/defaults.json");
    EXPECT_EQ(cloudfolder::deviceId(third, dir + "/machine"), id);
    EXPECT_EQ(cloudfolder::deviceId(first, dir + "/machine"), id);
}

// A write of this computer's backup cut short by a kill left a whole hidden
// copy in the synced folder: the launch check removes it, and nothing else.
TEST_F(CloudSyncTest, launchCheck_RemovesTheLeftoverCopyOfAKilledUpload)
{
    openStores({cloudRecord(1, kCloudT0)}, {cloudWord("apple", 2)});
    makeSync();
    const QString own = QFileInfo(ownFile()).fileName();
    const QString leftover = folder + "/." + own + ".Ab12Cd";
    const QString otherComputers = folder + "/.KlipoVersa-Backup-OTHER.json.Ab12Cd";
    writeFile(leftover, "{}");
    writeFile(otherComputers, "{}");
    launch();
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_TRUE(QFile::exists(otherComputers));
}

TEST_F(CloudSyncTest, changesSettleThreeMinutes_ATimerDuringATransferRetriesEachMinute_UnchangedContentIsSkipped)
{
    openStores({cloudRecord(1, kCloudT0)}, {cloudWord("apple", 2)});
    makeSync();
    ASSERT_TRUE(sync->isAvailable()) << sync->statusText().toStdString();
    sync->startAutoSync();
    clock.advance(5);
    clock.runJobs();  // the launch check finds local data: an upload at 125 s

    clock.advance(95);
    sync->download();  // nothing in the folder yet: fails without touching the stores
    clock.advance(25 + 60 + 60);
    EXPECT_EQ(count(kAuto), 0);
    clock.runJobs();
    EXPECT_EQ(sync->statusText(), "下载失败：云端没有备份或文件无法读取");
    clock.advance(59);
    EXPECT_EQ(count(kAuto), 0);
    clock.advance(1);
    EXPECT_EQ(count(kAuto), 1);
    clock.runJobs();
    EXPECT_TRUE(sync->statusText().startsWith("已上传 1 条记录、1 个单词（")) << sync->statusText().toStdString();
    ASSERT_TRUE(backupAt(ownFile()));

    for (int i = 0; i < 10; ++i) {
        storeChanged();
        clock.advance(10);
    }
    clock.advance(169);
    EXPECT_EQ(count(kAuto), 1);
    clock.advance(1);
    EXPECT_EQ(count(kAuto), 2);
    clock.runJobs();
    EXPECT_EQ(sync->statusText(), "云端已是最新，无需上传");

    sync->startUpload(false);  // a manual upload writes all the same
    clock.runJobs();
    EXPECT_EQ(backupAt(ownFile())->date, clock.now());

    QFile::remove(ownFile());
    storeChanged();
    clock.advance(180);
    clock.runJobs();
    EXPECT_TRUE(sync->statusText().startsWith("已上传")) << sync->statusText().toStdString();
    EXPECT_TRUE(QFile::exists(ownFile()));
}

TEST_F(CloudSyncTest, launchOffersARestoreOnlyWithoutLocalData_AndNotNowSchedulesNothing)
{
    writeBackup(folder + "/KlipoVersa-Backup-OTHER.json", kCloudT0, {cloudRecord(1, kCloudT0)}, {cloudWord("apple", 2)});
    openStores({}, {});
    makeSync();
    launch();
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_TRUE(prompts[0].informativeText.contains("含 1 条历史文字、1 个单词")) << prompts[0].informativeText.toStdString();
    EXPECT_TRUE(prompts[0].informativeText.contains("历史文字不会导入"));
    clock.advance(1000);
    clock.runJobs();
    EXPECT_EQ(count(kAuto), 0);
    EXPECT_EQ(cloudfolder::backupFileNames(folder), QStringList{"KlipoVersa-Backup-OTHER.json"});

    // Words in the book's file count as local data even before the book was shown.
    sync.reset();
    SetUp();
    writeBackup(folder + "/KlipoVersa-Backup-OTHER.json", kCloudT0, {}, {cloudWord("apple", 2)});
    openStores({}, {cloudWord("zebra", 1)});
    makeSync();
    launch();
    EXPECT_EQ(prompts.size(), 1);
    clock.advance(120);
    EXPECT_EQ(count(kAuto), 1);
}

TEST_F(CloudSyncTest, unattendedUploadsNeverEmptyABackupThatHoldsData_QuitUploadsOnlyWhatIsPending)
{
    openStores({cloudRecord(1, kCloudT0)}, {cloudWord("apple", 2)});
    makeSync();
    sync->uploadOnQuit();  // nothing pending
    EXPECT_FALSE(QFile::exists(ownFile()));
    sync->setAutoSync(true);
    sync->setAutoSync(false);  // still pending, but automatic backup is off
    sync->uploadOnQuit();
    EXPECT_FALSE(QFile::exists(ownFile()));
    sync->setAutoSync(true);
    sync->uploadOnQuit();
    ASSERT_EQ(backupAt(ownFile())->records.size(), 1);
    EXPECT_FALSE(sync->lastBackupDate());  // the quit upload changes no shown state

    // A wipe: the automatic and the quit upload keep the backup, a manual one replaces it.
    history->removeAll();
    vocabulary->removeAll();
    vocabulary->flush();
    sync->setAutoSync(true);
    clock.advance(5);
    clock.runJobs();
    EXPECT_TRUE(sync->statusText().startsWith("未自动备份：本机没有历史文字和单词，而备份中还有 1 条历史文字、1 个单词"))
        << sync->statusText().toStdString();
    sync->uploadOnQuit();
    EXPECT_EQ(backupAt(ownFile())->words.size(), 1);
    sync->startUpload(false);
    clock.runJobs();
    EXPECT_TRUE(backupAt(ownFile())->words.isEmpty());
}

TEST_F(CloudSyncTest, hostileFilesCostNothingLocalOrOutside_AndTheStatusNamesWhatWasLeftOut)
{
    openStores({cloudRecord(1, kCloudT0), cloudRecord(2, kCloudT0), cloudRecord(3, kCloudT0)},
               {cloudWord("apple", 7)});
    makeSync();
    const QString outside = root + "/outside.txt";
    writeFile(outside, "precious");
    const auto at = [&](const char* id) { return (folder + "/KlipoVersa-Backup-" + id + ".json").toUtf8(); };
    ASSERT_EQ(::symlink(outside.toUtf8().constData(), at("LINK").constData()), 0);
    ASSERT_EQ(::mkfifo(at("FIFO").constData(), 0600), 0);
    writeFile(at("HUGE"), "{");
    ASSERT_EQ(::truncate(at("HUGE").constData(), 300LL * 1024 * 1024), 0);  // sparse
    writeFile(at("CUT"), "{\"version\": 1, \"date\": ");
    VocabularyWord zebra = cloudWord("zebra", 1);
    zebra.display = QString(1024 * 1024, u'Z');
    zebra.definition = QString(1500, u'义');
    zebra.sources = {{"not-a-record", 1, kCloudT0}};
    QJsonObject apple = cloudWord("apple", 5, true).toJson();
    apple.insert("count", 9e18);
    writeBackup(at("OTHER"), kCloudT0, {cloudRecord(9, kCloudT0)},
                {zebra, *VocabularyWord::fromJson(apple, kCloudT0), cloudWord("../x", 1), cloudWord("the", 1)},
                {{"historyLimit", "1"}, {"saveHistory", "True"}, {"targetLanguage", "ja"}});

    sync->download();
    clock.runJobs();
    EXPECT_EQ(sync->statusText(),
              "部分同步：新增 1 个单词，已应用备份中的设置；备份含 1 条历史文字，不导入本机历史。"
              "未应用的设置：历史记录上限 1 少于本机的 3 条记录；保存历史「True」不是 true 或 false。"
              "无法读取：KlipoVersa-Backup-CUT.json（不是有效的备份文件）、KlipoVersa-Backup-FIFO.json（同名的不是普通文件）、"
              "KlipoVersa-Backup-HUGE.json（文件过大（超过 256 MB））等 4 个文件");
    EXPECT_EQ(history->allRecords().size(), 3);
    EXPECT_FALSE(settings->contains("historyLimit"));
    EXPECT_FALSE(settings->contains("saveHistory"));
    EXPECT_EQ(settings->stringValue("targetLanguage"), "ja");
    vocabularybook::Book book;
    for (const VocabularyWord& w : vocabulary->words()) book.insert(w.normalized, w);
    EXPECT_EQ(book.keys().size(), 2);  // "../x" and a stop word are no keys of the book
    EXPECT_EQ(book["apple"].count, VocabularyWord::maximumCount);
    EXPECT_TRUE(book["apple"].isMastered);
    EXPECT_EQ(book["zebra"].display, "zebra");
    EXPECT_EQ(book["zebra"].definition->size(), 1000);
    EXPECT_TRUE(book["zebra"].sources.isEmpty());

    // A device id that leads out of the folder is replaced, and a link planted
    // under this computer's own name is never written through.
    settings->setValue(cloudfolder::kDeviceIdKey, "../x");
    const QString own = ownFile();
    EXPECT_EQ(QFileInfo(own).absolutePath(), folder);
    ASSERT_EQ(::symlink(outside.toUtf8().constData(), own.toUtf8().constData()), 0);
    sync->startUpload(false);
    clock.runJobs();
    EXPECT_EQ(sync->statusText(), "上传失败：同名的是符号链接，已拒绝写入");
    EXPECT_TRUE(sync->hasPendingChanges());
    EXPECT_EQ(readFile(outside), "precious");
}

namespace {

// The n-th of 512,000 made-up words of six letters that the book accepts as
// its own ("bababa", "babebe" ...).
QString madeUpWord(int n)
{
    static const QString consonants = QStringLiteral("bcdghjklmnprtvwz");
    static const QString vowels = QStringLiteral("aeiou");
    QString key;
    for (int i = 0; i < 3; ++i, n /= 80) key.append(consonants.at(n % 80 / 5)).append(vowels.at(n % 5));
    return key;
}

}  // namespace

// Another computer's backup holds more words than the book may: a download
// fills the book to its limit with what matters most, and reading the backup
// holds no more words than such a merge can take.
TEST_F(CloudSyncTest, download_OfABackupPastTheBooksLimit_FillsItWithWhatMattersMost)
{
    QList<VocabularyWord> theirs;
    for (int i = 0; i < 25000; ++i) {
        theirs.append(cloudWord(madeUpWord(i), i < 1500 ? 2 : 1));
        if (i < 300) theirs.last().isMastered = true;
        if (i >= 300 && i < 500) theirs.last().definition = "义";
    }
    writeBackup(folder + "/KlipoVersa-Backup-OTHER.json", kCloudT0, {cloudRecord(9, kCloudT0)}, theirs);
    QList<VocabularyWord> mine{cloudWord("apple", 3), cloudWord("zebra", 1)};
    mine[1].lastSeen = kCloudT0.addYears(-1);
    openStores({cloudRecord(1, kCloudT0)}, mine);
    makeSync();
    sync->download();
    clock.runJobs();
    EXPECT_EQ(sync->statusText(),
              "已同步：新增 19998 个单词（单词本最多 20000 个：另有 5002 个未加入）；"
              "备份含 1 条历史文字，不导入本机历史")
        << sync->statusText().toStdString();
    vocabularybook::Book book;
    for (const VocabularyWord& w : vocabulary->words()) book.insert(w.normalized, w);
    EXPECT_EQ(book.size(), vocabularybook::kMaximumWordCount);
    EXPECT_EQ(vocabularybook::summarize(book).masteredCount, 300);
    EXPECT_EQ(vocabularybook::summarize(book).definedCount, 200);
    for (int i : {0, 499, 1499}) EXPECT_TRUE(book.contains(madeUpWord(i))) << i;
    EXPECT_TRUE(book.contains("apple") && book.contains("zebra"));

    cloudbackup::WordLimit limit;
    limit.bookKeys = {madeUpWord(24999)};
    limit.room = 100;
    const cloudfolder::ReadResult read = cloudfolder::readMerged(folder, kCloudT0, &limit);
    ASSERT_TRUE(read.backup);
    EXPECT_EQ(read.backup->words.size(), 101);
    EXPECT_EQ((std::pair{limit.distinct(), limit.distinctNew()}), (std::pair{qsizetype(25000), qsizetype(24999)}));
}

// The history lost records at this launch (a repair cut short, an index
// rebuilt from what could be read): an unattended upload leaves the backup in
// place as it is, and says why; records the user deleted go with the upload.
TEST_F(CloudSyncTest, unattendedUploads_NeverFollowAHistoryThatLostRecords)
{
    QList<HistoryRecord> twenty;
    for (int i = 1; i <= 20; ++i) twenty.append(cloudRecord(i, kCloudT0.addSecs(-i)));
    struct Case {
        const char* what;
        qsizetype kept;      // the first records the history still holds at launch
        int deleted;         // of those, how many the user deletes in this run
        bool setAside;       // a damaged index lies moved aside in the history folder
        qsizetype backedUp;  // records in the backup afterwards
    };
    const QList<Case> cases = {
        {"19 of 20 lost at launch", 1, 0, false, 20},
        {"19 of 20 deleted by the user", 20, 19, false, 1},
        {"one lost beside a damaged index set aside", 19, 0, true, 20},
        {"nothing lost beside a damaged index set aside", 20, 0, true, 20},
        {"one lost, not deleted in this run", 19, 0, false, 19},
    };
    for (const Case& c : cases) {
        sync.reset();
        SetUp();
        openStores(twenty, {cloudWord("apple", 2)});
        makeSync();
        sync->startUpload(false);
        clock.runJobs();
        ASSERT_EQ(backupAt(ownFile())->records.size(), 20) << c.what;

        sync.reset();
        history.reset();
        vocabulary.reset();
        if (c.setAside) writeFile(root + "/History/index-broken-1700000000.json", "{");
        openStores(twenty.mid(0, c.kept), {cloudWord("apple", 2)});
        makeSync();
        QList<QUuid> doomed;
        for (int i = 0; i < c.deleted; ++i) doomed << twenty.at(i).id;
        history->deleteRecords(doomed);
        ASSERT_TRUE(waitFor([&] { return history->records().size() == c.kept - c.deleted; })) << c.what;
        sync->setAutoSync(true);
        clock.advance(5);
        clock.runJobs();
        sync->uploadOnQuit();
        EXPECT_EQ(backupAt(ownFile())->records.size(), c.backedUp) << c.what;
        if (c.backedUp == 20 && c.kept < 20) {
            EXPECT_TRUE(
                sync->statusText().startsWith(QString("未自动备份：备份中有 %1 条历史文字本机已没有").arg(20 - c.kept)))
                << sync->statusText().toStdString();
            EXPECT_EQ(sync->statusText().contains("历史记录曾损坏"), c.setAside) << c.what;
            sync->startUpload(false);  // the user's own act writes
            clock.runJobs();
            EXPECT_EQ(backupAt(ownFile())->records.size(), c.kept) << c.what;
        }
    }
}

// A chosen backup folder on a share that is not mounted is reported missing
// and never made in its place (where it would hide under the share once
// mounted); the program's own default folder is still made.
TEST_F(CloudSyncTest, chosenFolderThatIsMissing_IsReportedNotMade_TheDefaultIsMade)
{
    const QString share = root + "/mnt/nas";
    QDir().mkpath(share);
    const QString chosen = share + "/KlipoBackup";
    settings->setValue(cloudfolder::kFolderKey, chosen);
    openStores({cloudRecord(1, kCloudT0)}, {cloudWord("apple", 2)});
    makeSync();
    EXPECT_FALSE(sync->isAvailable());
    EXPECT_EQ(sync->statusText(), "备份文件夹不可用：所选的文件夹 " + chosen +
                                      " 不存在。如果它在网络共享或移动硬盘上，请先连接；也可以重新选择备份文件夹")
        << sync->statusText().toStdString();
    launch();
    sync->startUpload(false);
    sync->download();
    sync->setAutoSync(true);
    clock.advance(300);
    clock.runJobs();
    sync->uploadOnQuit();
    EXPECT_TRUE(QDir(share).isEmpty());

    // Gone after it was found: the upload does not make it again either.
    QDir().mkpath(chosen);
    sync->refreshAvailability();
    ASSERT_TRUE(sync->isAvailable());
    QDir(chosen).removeRecursively();
    sync->setAutoSync(true);
    sync->uploadOnQuit();
    EXPECT_TRUE(QDir(share).isEmpty());

    ASSERT_TRUE(sync->setBackupFolder(""));
    EXPECT_TRUE(sync->isAvailable());
    EXPECT_TRUE(QFileInfo(CloudSync::defaultBackupFolder()).isDir());
}

// The backup file is read member by member and record by record, without a
// document of the whole: it still takes exactly what a JSON reader takes.
TEST(CloudBackupFile, isReadWhole_OrNotAtAll)
{
    const QByteArray word = R"({"normalized": "apple", "display": "Apple", "definition": "{ \"[ \\"})";
    const QByteArray tail = R"("records": [], "settings": {"targetLanguage": "en"}, "version": 1})";
    const QList<std::pair<QByteArray, bool>> documents = {
        {R"({"words": [)" + word + R"(], "date": "2024-05-01T08:30:00Z", )" + tail, true},
        {"\xEF\xBB\xBF \n{\"date\": \"x\", \"extra\": {\"a\": [1, {\"b\": \"]}\"}]}, \"date\": "
         "\"2024-05-01T08:30:00Z\", "
         "\"words\": [], " +
             tail + "\n",
         true},
        {R"({"date": "2024-05-01T08:30:00Z", "words": [], )" + tail + " x", false},
        {R"({"date": "2024-05-01T08:30:00Z", "extra": [1,], "words": [], )" + tail, false},
        {R"({"date": "2024-05-01T08:30:00Z", "words": [)" + word + R"(, 2], )" + tail, false},
        {R"({"date": "2024-05-01T08:30:00Z" "words": [], )" + tail, false},
        {R"({"date": "2024-05-01T08:30:00Z", "words": [{"normalized": "apple}], )" + tail, false},
        {R"({"date": "2024-05-01T08:30:00Z", "words": [{"normalized": "apple"]], )" + tail, false},
    };
    for (const auto& [data, readable] : documents) {
        const std::optional<CloudBackup> backup = cloudbackup::decodeFile(data, kCloudT0);
        EXPECT_EQ(backup.has_value(), readable) << data.constData();
        if (!backup) continue;
        EXPECT_EQ(backup->date, kCloudT0);
        EXPECT_EQ(backup->settings.value("targetLanguage"), "en");
    }
    const auto withWord = cloudbackup::decodeFile(documents.at(0).first, kCloudT0);
    ASSERT_EQ(withWord->words.size(), 1);
    EXPECT_EQ(withWord->words.at(0).definition, "{ \"[ \\");
}
