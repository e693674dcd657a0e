#include "CloudTestSupport.h"

#include "platform/SettingsStore.h"
#include "stores/CloudFolder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>


using namespace klipo;
using namespace klipo::test;

TEST(CloudBackupFile, isWrittenWithSortedKeysZDatesAndEscapedSlashes_AndReadOnlyWithAllFiveKeys)
{
    HistoryRecord record = cloudRecord(1, kCloudT0, "a/b \"q\" \\ \t\n\x01 中文");
    record.originalImageName = record.idText() + "-src.png";
    VocabularyWord word = cloudWord("apple", 2);
    word.definition = "苹果";
    word.sources = {{record.idText(), 2, kCloudT0}};
    const CloudBackup backup{1, kCloudT0, {record}, {word}, {{"targetLanguage", "en"}}};
    const QByteArray data = cloudbackup::encodeFile(backup);
    // The same objects as the history index and the vocabulary file hold.
    const QJsonObject parsed = QJsonDocument::fromJson(data).object();
    EXPECT_EQ(parsed["records"].toArray().at(0).toObject(), record.toJson());
    EXPECT_EQ(parsed["words"].toArray().at(0).toObject(), word.toJson());
    EXPECT_TRUE(data.contains("\"date\": \"2024-05-01T08:30:00Z\"")) << data.constData();
    EXPECT_TRUE(data.contains("a\\/b") && !data.contains("a/b"));
    qsizetype last = -1;
    for (const char* key : {"\"date\"", "\"records\"", "\"settings\"", "\"version\"", "\"words\""})
        EXPECT_GT(data.indexOf(key), std::exchange(last, data.indexOf(key))) << key;
    EXPECT_LT(data.indexOf("\"imageName\""), data.indexOf("\"originalText\""));

    const auto read = cloudbackup::decodeFile(data, kCloudT0);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->records, backup.records);
    EXPECT_EQ(read->words, backup.words);
    EXPECT_EQ(read->settings, backup.settings);

    QJsonObject object = QJsonDocument::fromJson(data).object();
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
    ASSERT_EQ(merged.backup->records.size(), 2);
    EXPECT_EQ(merged.backup->records[0].originalText, "newer");  // newest first
    EXPECT_EQ(merged.backup->records[1].originalText, "from A");
    EXPECT_EQ(merged.backup->settings.value("targetLanguage"), "en");
    ASSERT_EQ(merged.backup->words.size(), 1);
    EXPECT_EQ(merged.backup->words[0].count, 7);
    EXPECT_TRUE(merged.backup->words[0].isMastered);
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
