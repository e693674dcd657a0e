#include "platform/SettingsStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

using klipo::platform::SettingsStore;

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
    {
        SettingsStore store(path);
        store.setValue("menuBarOnly", true);
        store.setValue("historyLimit", 300);
        store.setValue("captureScale", 2.5);
        store.setValue("captureSoundName", QStringLiteral("Glass"));
        store.setValue("recent", QJsonArray{QStringLiteral("a"), 1, false});
        store.setValue("saveHistory", QStringLiteral("true"));
        EXPECT_FALSE(store.lastWriteFailed());
    }
    SettingsStore reopened(path);
    EXPECT_TRUE(reopened.value("menuBarOnly").isBool());
    EXPECT_TRUE(reopened.boolValue("menuBarOnly"));
    EXPECT_EQ(reopened.value("historyLimit").toInteger(), 300);
    EXPECT_DOUBLE_EQ(reopened.value("captureScale").toDouble(), 2.5);
    EXPECT_EQ(reopened.stringValue("captureSoundName"), "Glass");
    EXPECT_EQ(reopened.value("recent").toArray(), (QJsonArray{QStringLiteral("a"), 1, false}));
    // A Boolean written as text stays text: Boolean reads fall back.
    EXPECT_TRUE(reopened.value("saveHistory").isString());
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

TEST(SettingsStore, changeSignal_FiresOncePerChange_AndNeverForAnUnchangedValue)
{
    SettingsStore store(freshStorePath());
    QSignalSpy spy(&store, &SettingsStore::valueChanged);
    store.setValue("a", 1);
    store.setValue("a", 1);
    EXPECT_EQ(spy.count(), 1);
    store.setValue("a", 2);
    store.setValue("b", QStringLiteral("x"));
    store.remove("absent");
    store.setValue("absent", QJsonValue(QJsonValue::Undefined));
    EXPECT_EQ(spy.count(), 3);
    store.remove("a");
    ASSERT_EQ(spy.count(), 4);
    EXPECT_EQ(spy.at(0).at(0).toString(), "a");
    EXPECT_EQ(spy.at(2).at(0).toString(), "b");
    EXPECT_EQ(spy.at(3).at(0).toString(), "a");
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
