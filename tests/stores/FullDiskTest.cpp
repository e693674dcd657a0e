// Saving on a full disk: every store keeps its old file byte for byte, says
// that it failed, and saves again once there is room. Runs on a small tmpfs
// mounted in the private mount namespace that ctest starts the test in.
#include "StoreTestSupport.h"

#include "platform/SettingsStore.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace klipo;
using klipo::test::readFile;
using klipo::test::waitFor;

namespace {

constexpr int kPage = 4096;

// A 1 MiB tmpfs that can be filled to the last page and emptied again.
class SmallDisk {
public:
    SmallDisk() : m_path(klipo::test::freshDir("disk"))
    {
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                            "size=1m,mode=0700") == 0;
        if (!m_mounted) m_error = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (m_mounted) ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }

    bool mounted() const { return m_mounted; }
    std::string error() const { return "cannot mount a tmpfs (run the test under `unshare -rm`): " + m_error; }
    QString path(const QString& name) const { return m_path + '/' + name; }

    // Fills every page; then frees `pagesLeft` of them again.
    void fill(int pagesLeft = 0)
    {
        const QByteArray page(kPage, 'f');
        for (int n = m_fillers;; ++n) {
            const QByteArray name = QFile::encodeName(path(QStringLiteral("filler-%1").arg(n)));
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const bool whole = fd >= 0 && ::write(fd, page.constData(), kPage) == kPage;
            if (fd >= 0) ::close(fd);
            if (!whole) {
                ::unlink(name.constData());
                m_fillers = n;
                break;
            }
        }
        for (int i = 0; i < pagesLeft; ++i) QFile::remove(path(QStringLiteral("filler-%1").arg(--m_fillers)));
    }
    void empty()
    {
        while (m_fillers > 0) QFile::remove(path(QStringLiteral("filler-%1").arg(--m_fillers)));
    }

private:
    QString m_path;
    bool m_mounted = false;
    std::string m_error;
    int m_fillers = 0;
};

// Entries of a folder, hidden ones (a left-over temporary file) included.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

std::optional<HistoryRecord> saveRecord(HistoryStore& store)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    bool done = false;
    std::optional<HistoryRecord> result;
    store.save(image, std::nullopt, "source", "译文", "zh-Hans", [&](std::optional<HistoryRecord> r) {
        result = std::move(r);
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done; }));
    return result;
}

}  // namespace

TEST(FullDisk, settings_KeepTheOldFileAndSayWhatWasNotSaved_ThenSaveOnceThereIsRoom)
{
    SmallDisk disk;
    ASSERT_TRUE(disk.mounted()) << disk.error();
    const QString path = disk.path("config/defaults.json");
    platform::SettingsStore store(path);
    ASSERT_TRUE(store.setValue("historyLimit", 50));
    const QByteArray before = readFile(path);

    disk.fill();
    klipo::test::AlertLog alerts;
    EXPECT_FALSE(store.setValue("captureSoundName", QString(600, u'x')));
    EXPECT_TRUE(store.lastWriteFailed());
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(entriesOf(disk.path("config")), QStringList{"defaults.json"});
    EXPECT_TRUE(alerts.waitFor("设置未能保存 | 磁盘空间不足"));

    disk.empty();
    EXPECT_TRUE(store.setValue("saveHistory", false));
    const platform::SettingsStore reopened(path);
    EXPECT_EQ(reopened.value("historyLimit").toInt(), 50);
    EXPECT_EQ(reopened.stringValue("captureSoundName"), QString(600, u'x'));
    EXPECT_FALSE(reopened.boolValue("saveHistory", true));
}

TEST(FullDisk, vocabulary_KeepsTheOldBookAndSaysItWasNotSaved_ThenSavesOnceThereIsRoom)
{
    SmallDisk disk;
    ASSERT_TRUE(disk.mounted()) << disk.error();
    const QString dir = disk.path("data");
    auto store = std::make_unique<VocabularyStore>(dir);
    store->ingest({"apple"}, "R1", QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(store->flush());
    const QByteArray before = readFile(dir + "/vocabulary.json");

    disk.fill();
    klipo::test::AlertLog alerts;
    store->ingest({"pear"}, "R2", QDateTime::currentDateTimeUtc());
    EXPECT_FALSE(store->flush());
    EXPECT_EQ(readFile(dir + "/vocabulary.json"), before);
    EXPECT_TRUE(alerts.waitFor("生词本未能保存 | 磁盘空间不足"));

    disk.empty();
    store->ingest({"plum"}, "R3", QDateTime::currentDateTimeUtc());
    EXPECT_TRUE(store->flush());
    store.reset();
    QStringList keys;
    for (const VocabularyWord& word : VocabularyStore(dir).words()) keys << word.normalized;
    keys.sort();
    EXPECT_EQ(keys, QStringList({"apple", "pear", "plum"}));
}

TEST(FullDisk, history_KeepsTheOldIndexAndNoStrayImage_WhetherTheImageOrTheIndexDidNotFit)
{
    SmallDisk disk;
    ASSERT_TRUE(disk.mounted()) << disk.error();
    const QString dir = disk.path("data/History");
    auto store = std::make_unique<HistoryStore>(dir);
    const std::optional<HistoryRecord> first = saveRecord(*store);
    ASSERT_TRUE(first);
    const QByteArray before = readFile(dir + "/index.json");
    const QStringList files = entriesOf(dir);

    klipo::test::AlertLog alerts;
    for (int pagesLeft : {0, 1}) {  // no room for the image; room for the image only
        disk.fill(pagesLeft);
        EXPECT_FALSE(saveRecord(*store)) << pagesLeft;
        EXPECT_EQ(readFile(dir + "/index.json"), before) << pagesLeft;
        EXPECT_EQ(entriesOf(dir), files) << pagesLeft;
        disk.empty();
    }
    EXPECT_TRUE(alerts.waitFor("历史记录未能保存 | 磁盘空间不足"));

    const std::optional<HistoryRecord> second = saveRecord(*store);
    ASSERT_TRUE(second);
    store.reset();
    const QList<HistoryRecord> records = HistoryStore(dir).allRecords();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.at(0).id, second->id);
    EXPECT_EQ(records.at(1).id, first->id);
    EXPECT_TRUE(QFileInfo::exists(dir + '/' + first->imageName));
}
