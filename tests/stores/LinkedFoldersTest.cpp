// Each folder the program keeps files in, made a link (or put in a folder
// that is one) into a folder of the user's holding files named like ours:
// what runs there at start or when a capture begins leaves every file of the
// user's byte for byte and mode for mode, takes only what carries our mark,
// and tells no false tale.
#include "StoreTestSupport.h"

#include "platform/OwnFolders.h"
#include "platform/SettingsStore.h"
#include "platform/text/WordListPages.h"
#include "recording/RecFiles.h"
#include "scroll/ScrollStitcher.h"
#include "scroll/SpoolFolder.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"
#include "support/AlertLog.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QImage>

#include <map>
#include <string>

using namespace klipo;

namespace {

using Prints = std::map<std::string, std::string>;

// `root` and everything below it, links not followed: digest and mode.
Prints fingerprint(const QString& root)
{
    Prints prints{{".", "mode " + std::to_string(test::modeOf(root))}};
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray digest = QCryptographicHash::hash(test::readFile(path), QCryptographicHash::Sha256).toHex();
        prints[path.mid(root.size() + 1).toStdString()] =
            digest.toStdString() + " mode " + std::to_string(test::modeOf(path));
    }
    return prints;
}

}  // namespace

TEST(LinkedFolders, startAndCaptures_LeaveEveryFileOfTheUsers_AndTakeOnlyWhatCarriesOurMark)
{
    const QString image = QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301.png");
    const auto history = [](const QString& folder) { HistoryStore(folder).allRecords(); };
    struct Row {
        const char* name;
        QString folder;      // ours; a relative one below a fresh folder
        bool linkAbove;      // the folder above it is the link, not the folder itself
        QStringList theirs;  // the user's files, relative to the folder
        QStringList ours;    // what a killed run of ours left there
        std::function<void(const QString& folder)> run;
    };
    const QList<Row> rows{
        {"history folder",
         "data/KlipoVersa/History",
         false,
         {".index.json.Ab12Cd", "." + image + ".x9Y8z7", "..unreadable-records-noted.json.q1W2e3", image},
         {".index.json.klipoversa-Ab12Cd", "." + image + ".klipoversa-x9Y8z7"},
         history},
        {"data folder, history in it", "data/KlipoVersa/History", true, {".index.json.Ab12Cd"}, {}, history},
        {"data folder: the vocabulary",
         "data/KlipoVersa",
         false,
         {".vocabulary.json.Ab12Cd"},
         {".vocabulary.json.klipoversa-Ab12Cd"},
         [](const QString& folder) { VocabularyStore(folder).words(); }},
        {"configuration folder",
         "config/KlipoVersa",
         false,
         {".defaults.json.Ab12Cd"},
         {".defaults.json.klipoversa-Ab12Cd"},
         [](const QString& folder) { platform::SettingsStore(folder + "/defaults.json"); }},
        {"scroll cache",
         "cache/KlipoVersa/scroll",
         false,
         {"ScrollStitcher-mine/frame_0001.png"},
         {},
         [](const QString& folder) { EXPECT_EQ(stitch::sweepStaleSpoolFolders(folder), 0); }},
        {"cache folder, recordings in it",
         "cache/KlipoVersa/recordings",
         true,
         {"klipo_rec_1.mp4"},
         {},
         [](const QString& folder) {
             EXPECT_TRUE(RecFiles::recoverLeftovers(test::freshDir("captures"), folder).isEmpty());
             EXPECT_FALSE(RecFiles::createTempFile(folder, RecFormat::mp4));
             EXPECT_TRUE(RecFiles::folderProblem(folder).contains("链接"));
         }},
        {"the program's cache folder",
         platform::ownfolders::cacheFolder() + "/scroll",
         true,
         {"ScrollStitcher-mine/frame_0001.png", ".ScrollStitcher-x/frame_0000.png"},
         {},
         [](const QString&) {
             EXPECT_EQ(stitch::sweepStaleSpoolFolders(), 0);
             EXPECT_TRUE(stitch::spoolRootProblem());
             EXPECT_TRUE(platform::WordListPages::defaultFolder().isEmpty());
             QImage frame(64, 600, QImage::Format_RGB32);
             for (qsizetype i = 0; i < frame.sizeInBytes(); ++i) frame.bits()[i] = uchar((i * 7919) >> 3);
             EXPECT_TRUE(ScrollStitcher(standardStitchConfig(0)).append(frame));  // not kept: nowhere of ours
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString folder =
            QDir::isAbsolutePath(row.folder) ? row.folder : test::freshDir("ours") + '/' + row.folder;
        const QString link = row.linkAbove ? QFileInfo(folder).absolutePath() : folder;
        const QString users = test::freshDir("users-folder");
        const QString target = row.linkAbove ? users + '/' + QFileInfo(folder).fileName() : users;
        const auto make = [&](const QString& name) {
            QDir().mkpath(QFileInfo(target + '/' + name).absolutePath());
            test::writeFile(target + '/' + name, QUuid::createUuid().toByteArray());
        };
        for (const QString& name : row.theirs) make(name);
        QFile::setPermissions(target, QFile::Permissions::fromInt(0x7755));  // rwxr-xr-x
        const Prints before = fingerprint(users);
        for (const QString& name : row.ours) make(name);
        QDir(link).removeRecursively();
        QDir().mkpath(QFileInfo(link).absolutePath());
        ASSERT_TRUE(QFile::link(users, link));

        test::AlertLog alerts;
        row.run(folder);
        Prints after = fingerprint(users);
        for (const QString& name : row.ours) EXPECT_EQ(after.count(name.toStdString()), 0u) << name.toStdString();
        std::erase_if(after, [&](const auto& entry) { return !before.count(entry.first); });  // a store's lock file
        EXPECT_EQ(after, before);
        EXPECT_EQ(alerts.texts().join('\n').toStdString(), "");  // no frames "cleaned up"
        QFile::remove(link);
    }
}
