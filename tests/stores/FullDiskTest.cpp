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

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace klipo;
using klipo::test::readFile;
using klipo::test::waitFor;

namespace {

// A 1 MiB tmpfs that one filler file fills to the last page, or to all but
// the last few.
class SmallDisk {
public:
    SmallDisk() : m_path(klipo::test::freshDir("disk"))
    {
        if (::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0, "size=1m") != 0)
            m_error = "cannot mount a tmpfs (run the test under `unshare -rm`): " + std::string(std::strerror(errno));
    }
    ~SmallDisk() { ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH); }

    const std::string& error() const { return m_error; }
    QString path(const QString& name) const { return m_path + '/' + name; }

    void fill(int pagesLeft = 0)
    {
        const int fd = ::open(QFile::encodeName(path("filler")).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const QByteArray page(4096, 'f');
        off_t size = 0;
        while (::write(fd, page.constData(), page.size()) == page.size()) size += page.size();
        ::ftruncate(fd, size - pagesLeft * page.size());
        ::close(fd);
    }
    void empty() { QFile::remove(path("filler")); }

private:
    QString m_path;
    std::string m_error;
};

// Entries of a folder, hidden ones (a left-over temporary file) included.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

bool saveRecord(HistoryStore& store)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    std::optional<bool> saved;
    store.save(image, std::nullopt, "source", "译文", "zh-Hans", [&](std::optional<HistoryRecord> r) { saved = bool(r); });
    EXPECT_TRUE(waitFor([&] { return saved.has_value(); }));
    return saved.value_or(false);
}

}  // namespace

TEST(FullDisk, everyStore_KeepsItsOldFileAndSaysWhatWasNotSaved_ThenSavesOnceThereIsRoom)
{
    SmallDisk disk;
    ASSERT_TRUE(disk.error().empty()) << disk.error();
    const QString settingsPath = disk.path("config/defaults.json");
    const QString data = disk.path("data");
    auto settings = std::make_unique<platform::SettingsStore>(settingsPath);
    auto book = std::make_unique<VocabularyStore>(data);
    auto history = std::make_unique<HistoryStore>(data + "/History");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    ASSERT_TRUE(settings->setValue("historyLimit", 50));
    book->ingest({"apple"}, "R1", now);
    ASSERT_TRUE(book->flush());
    ASSERT_TRUE(saveRecord(*history));
    const QStringList files = {settingsPath, data + "/vocabulary.json", data + "/History/index.json"};
    QByteArrayList before;
    for (const QString& file : files) before << readFile(file);
    const QStringList entries = entriesOf(data) + entriesOf(data + "/History");

    klipo::test::AlertLog alerts;
    disk.fill();
    EXPECT_FALSE(settings->setValue("captureSoundName", QString(600, u'x')));
    book->ingest({"pear"}, "R2", now);
    EXPECT_FALSE(book->flush());
    EXPECT_FALSE(saveRecord(*history));  // no room for the image
    disk.empty();
    disk.fill(1);
    EXPECT_FALSE(saveRecord(*history));  // room for the image, none for the index
    disk.empty();

    for (int i = 0; i < files.size(); ++i) EXPECT_EQ(readFile(files.at(i)), before.at(i)) << files.at(i).toStdString();
    EXPECT_EQ(entriesOf(data) + entriesOf(data + "/History"), entries);  // no stray image or temporary file
    for (const char* text : {"设置未能保存 | 磁盘空间不足", "生词本未能保存 | 磁盘空间不足",
                             "历史记录未能保存 | 磁盘空间不足"})
        EXPECT_TRUE(alerts.waitFor(text)) << text;

    // With room again the next save stores everything, the earlier changes included.
    EXPECT_TRUE(settings->setValue("saveHistory", false));
    book->ingest({"plum"}, "R3", now);
    EXPECT_TRUE(book->flush());
    EXPECT_TRUE(saveRecord(*history));
    settings.reset();
    book.reset();
    history.reset();
    EXPECT_EQ(platform::SettingsStore(settingsPath).stringValue("captureSoundName"), QString(600, u'x'));
    EXPECT_EQ(VocabularyStore(data).words().size(), 3);
    EXPECT_EQ(HistoryStore(data + "/History").allRecords().size(), 2);
}
