// Two real program instances, each with its own home and data, share one
// backup folder on the headless desktop: the first backs up at quit, the
// second starts empty, is offered the restore and takes the words and settings.
#include "CloudTestSupport.h"

#include "platform/SettingsStore.h"
#include "stores/CloudFolder.h"
#include "stores/HistoryIndex.h"
#include "stores/VocabularyBook.h"
#include "support/DesktopDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace klipo;
using namespace klipo::test;

namespace {

class Computer {
public:
    Computer(const QString& name, const QJsonObject& defaults) : m_name(name), m_root(freshDir(name))
    {
        for (const char* sub : {"/home", "/config/KlipoVersa", "/data/KlipoVersa/History", "/cache"})
            QDir().mkpath(m_root + sub);
        writeFile(m_root + "/config/KlipoVersa/defaults.json", QJsonDocument(defaults).toJson());
    }
    // A second copy of the program on the same computer: the same home,
    // another session (its own instance name).
    Computer(const Computer& sameHome, const QString& name) : m_name(name), m_root(sameHome.m_root) {}
    QString data() const { return m_root + "/data/KlipoVersa"; }
    QString settingsFile() const { return m_root + "/config/KlipoVersa/defaults.json"; }

    void start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const char* folders[][2] = {{"HOME", "/home"}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"},
                                    {"XDG_CACHE_HOME", "/cache"}};
        for (const auto& [variable, sub] : folders) env.insert(variable, m_root + sub);
        env.insert("KLIPO_INSTANCE_NAME", m_name);
        env.remove("QT_QPA_PLATFORM");
        m_process.setProcessEnvironment(env);
        m_process.start(KLIPO_BINARY, {});
        ASSERT_TRUE(m_process.waitForStarted(5000));
    }

    // As the user quits: the tray icon's menu, its last item "退出".
    void quitFromTrayMenu()
    {
        QString icon;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !(icon = xdotoolOutput({"search", "--onlyvisible", "--classname", "klipoversa"})).isEmpty(); },
                                    10000));
        xdotool({"mousemove", "--window", icon.split('\n').first(), "11", "11", "click", "1"});
        QTest::qWait(500);
        xdotool({"key", "Up", "Return"});
        ASSERT_TRUE(m_process.waitForFinished(20000)) << "did not quit";
        EXPECT_EQ(m_process.exitCode(), 0) << m_process.readAllStandardError().constData();
    }

    // As the session ends: SIGTERM, which quits the way "退出" does.
    void endSession()
    {
        m_process.terminate();
        ASSERT_TRUE(m_process.waitForFinished(20000)) << "did not quit";
        EXPECT_EQ(m_process.exitCode(), 0) << m_process.readAllStandardError().constData();
    }

private:
    QString m_name;
    QString m_root;
    QProcess m_process;
};

}  // namespace

TEST(CloudTwoComputers, theFirstBacksUpAtQuit_TheSecondStartsEmptyAndRestoresWordsAndSettingsButNoHistory)
{
    if (!hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    const QString shared = freshDir("shared-backup");

    VocabularyWord apple = cloudWord("apple", 4, true);
    apple.definition = "苹果";
    Computer a("cloud-a", {{"menuBarOnly", true}, {cloudfolder::kFolderKey, shared}, {"targetLanguage", "en"},
                           {"historyLimit", 50}, {"saveHistory", false}});
    writeFile(a.data() + "/History/index.json", historyindex::encode({cloudRecord(1, kCloudT0), cloudRecord(2, kCloudT0)}));
    writeFile(a.data() + "/vocabulary.json",
              vocabularybook::encodeFile({{"apple", apple}, {"zebra", cloudWord("zebra", 9)}}));
    a.start();
    QTest::qWait(6500);  // past the look at the folder 5 s after launch
    a.quitFromTrayMenu();
    ASSERT_EQ(cloudfolder::backupFileNames(shared).size(), 1);
    const QString fileOfA = shared + "/" + cloudfolder::backupFileNames(shared).first();
    const QByteArray backupOfA = readFile(fileOfA);
    EXPECT_EQ(cloudbackup::decodeFile(backupOfA, kCloudT0).value_or(CloudBackup{}).records.size(), 2);

    Computer b("cloud-b", {{"menuBarOnly", true}, {cloudfolder::kFolderKey, shared}});
    QElapsedTimer sinceStart;
    sinceStart.start();
    b.start();
    QString alert;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !(alert = xdotoolOutput({"search", "--name", "发现备份文件夹中的备份"})).isEmpty(); }, 20000));
    EXPECT_GE(sinceStart.elapsed(), 4500);
    xdotool({"windowactivate", "--sync", alert.split('\n').first()});
    xdotool({"key", "Return"});  // "立即恢复"

    std::optional<vocabularybook::Book> book;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (book = vocabularybook::decodeFile(readFile(b.data() + "/vocabulary.json"), kCloudT0)).has_value(); },
        15000));
    EXPECT_EQ(book->value("apple"), apple);
    EXPECT_EQ(book->value("zebra").count, 9);
    ASSERT_TRUE(QTest::qWaitFor([&] { return platform::SettingsStore(b.settingsFile()).contains("saveHistory"); }, 5000));
    platform::SettingsStore settingsOfB(b.settingsFile());
    EXPECT_EQ((std::tuple{settingsOfB.stringValue("targetLanguage"), settingsOfB.value("historyLimit").toInt(),
                          settingsOfB.boolValue("saveHistory", true)}),
              (std::tuple{QString("en"), 50, false}));

    b.quitFromTrayMenu();
    const auto historyOfB = historyindex::decode(readFile(b.data() + "/History/index.json"));
    EXPECT_TRUE(!historyOfB || historyOfB->records.isEmpty());
    const QStringList files = cloudfolder::backupFileNames(shared);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(readFile(fileOfA), backupOfA);
    const auto decodedB =
        cloudbackup::decodeFile(readFile(shared + "/" + files.at(files.at(0) == fileOfA.section('/', -1))), kCloudT0);
    ASSERT_TRUE(decodedB);
    EXPECT_TRUE(decodedB->records.isEmpty());
    EXPECT_EQ(decodedB->words.size(), 2);
}

// Two copies on one computer (two sessions of the same user) share the
// settings: a change made while both run (automatic backup switched off) is
// taken in by the other copy, which acts on it and never writes its older
// settings over it; what the first copy wrote at its quit stays too.
TEST(CloudTwoComputers, twoCopiesOnOneComputer_NeitherUndoesTheOthersSettings)
{
    if (!hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    const QString shared = freshDir("shared-backup-two-copies");
    Computer a("copies-a", {{"menuBarOnly", true}, {cloudfolder::kFolderKey, shared}, {"autoCloudSync", true}});
    writeFile(a.data() + "/History/index.json", historyindex::encode({cloudRecord(1, kCloudT0)}));
    Computer b(a, "copies-b");
    a.start();
    b.start();
    QTest::qWait(6500);  // past both copies' look at the folder 5 s after launch: each has a backup pending

    a.endSession();  // backs up what is pending and notes it
    platform::SettingsStore settings(a.settingsFile());
    const QString backedUpByA = settings.stringValue("cloudLastBackupDate");
    ASSERT_FALSE(backedUpByA.isEmpty());
    const QByteArray backup = readFile(shared + "/" + cloudfolder::backupFileNames(shared).value(0));

    // The user switches automatic backup off while the second copy runs.
    ASSERT_TRUE(settings.setValue("autoCloudSync", false));
    QTest::qWait(500);
    b.endSession();  // with backup off it has nothing to write at its quit

    platform::SettingsStore after(a.settingsFile());
    EXPECT_TRUE(after.value("autoCloudSync") == QJsonValue(false)) << "automatic backup is on again, or its key gone";
    EXPECT_EQ(after.stringValue("cloudLastBackupDate").toStdString(), backedUpByA.toStdString());
    EXPECT_TRUE(readFile(shared + "/" + cloudfolder::backupFileNames(shared).value(0)) == backup)
        << "the second copy backed up after automatic backup was switched off";
}
