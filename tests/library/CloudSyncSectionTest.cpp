// The backup section on the headless desktop over the program's real backup
// service, with the folder dialog answered by the test.
#include "library/LibrarySections.h"
#include "library/backup/BackupFolderChooser.h"
#include "library/backup/CloudSyncSection.h"
#include "library/backup/InfoRow.h"
#include "library/backup/SyncButton.h"
#include "library/widgets/BusyIndicator.h"
#include "stores/CloudFolder.h"
#include "stores/CloudSync.h"
#include "library/LibraryTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>

using namespace klipo;
using namespace klipo::test;

namespace {

class AnsweringChooser final : public BackupFolderChooser {
public:
    std::optional<QString> choose(QWidget*, const QString& current) override
    {
        askedFrom = current;
        return answer;
    }

    std::optional<QString> answer;
    QString askedFrom;
};

class CloudSyncSectionTest : public LibraryTest {
public:
    void SetUp() override
    {
        LibraryTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        settings().remove(CloudSync::autoSyncKey);
        settings().remove(cloudfolder::kFolderKey);
        librarysections::setFactory(LibrarySection::backup,
                                    [this] { return new CloudSyncSection(CloudSync::shared(), chooser); });
    }

    void TearDown() override
    {
        // No automatic backup left scheduled for the tests after this one.
        CloudSync::shared().setAutoSync(false);
        settings().remove(CloudSync::autoSyncKey);
        settings().remove(cloudfolder::kFolderKey);
        if (LibraryWindow* window = HistoryWindowController::shared().window()) {
            window->selectSection(LibrarySection::settings);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        librarysections::setFactory(LibrarySection::backup, {});
    }

    static platform::SettingsStore& settings() { return platform::SettingsStore::shared(); }

    CloudSyncSection* showSection()
    {
        showFresh(LibrarySection::backup);
        return section<CloudSyncSection>();
    }

    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

    AnsweringChooser chooser;
};

TEST_F(CloudSyncSectionTest, unusableFolder_DisablesTheControls_UntilAChosenFolderTakesTheUpload)
{
    const QString root = freshDir(QStringLiteral("backup-section"));
    QFile plain(root + QStringLiteral("/plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString throughFile = root + QStringLiteral("/plain/Backup");
    settings().setValue(cloudfolder::kFolderKey, throughFile);

    CloudSyncSection* view = showSection();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->uploadButton()->isEnabled());
    EXPECT_FALSE(view->downloadButton()->isEnabled());
    EXPECT_FALSE(view->autoSyncSwitch()->isEnabled());
    EXPECT_FALSE(view->uploadButton()->folderAvailable());
    EXPECT_TRUE(view->statusRow()->value().startsWith(QStringLiteral("备份文件夹不可用：")))
        << view->statusRow()->value().toStdString();
    EXPECT_FALSE(view->statusRow()->isHighlighted());
    EXPECT_EQ(view->folderRow()->value(), throughFile);
    EXPECT_TRUE(view->changeFolderButton()->isEnabled());

    // Cancelling the dialog changes nothing.
    click(view->changeFolderButton());
    EXPECT_EQ(chooser.askedFrom, throughFile);
    EXPECT_EQ(settings().stringValue(cloudfolder::kFolderKey), throughFile);

    const QString chosen = root + QStringLiteral("/Chosen");
    chooser.answer = chosen;
    click(view->changeFolderButton());
    EXPECT_EQ(settings().stringValue(cloudfolder::kFolderKey), chosen);
    EXPECT_EQ(view->folderRow()->value(), chosen);
    EXPECT_TRUE(view->uploadButton()->isEnabled());
    EXPECT_TRUE(view->downloadButton()->isEnabled());
    EXPECT_TRUE(view->autoSyncSwitch()->isEnabled());
    EXPECT_TRUE(view->statusRow()->isHighlighted());
    EXPECT_TRUE(view->spinner()->isHidden());

    save(QStringLiteral("backup these words"), QStringLiteral("备份这些单词"));
    click(view->uploadButton());
    ASSERT_TRUE(CloudSync::shared().isBusy());
    EXPECT_TRUE(view->spinner()->isVisible());
    EXPECT_FALSE(view->uploadButton()->isEnabled());
    EXPECT_FALSE(view->downloadButton()->isEnabled());
    EXPECT_FALSE(view->changeFolderButton()->isEnabled());
    EXPECT_EQ(view->statusRow()->value(), QStringLiteral("正在上传…"));

    ASSERT_TRUE(QTest::qWaitFor([] { return !CloudSync::shared().isBusy(); }, 10000));
    EXPECT_TRUE(view->spinner()->isHidden());
    EXPECT_TRUE(view->uploadButton()->isEnabled());
    EXPECT_TRUE(view->statusRow()->value().startsWith(QStringLiteral("已上传 1 条记录、")))
        << view->statusRow()->value().toStdString();
    const QStringList files = QDir(chosen).entryList({QStringLiteral("KlipoVersa-Backup-*.json")}, QDir::Files);
    EXPECT_EQ(files.size(), 1);
    ASSERT_TRUE(CloudSync::shared().lastBackupDate().has_value());
    EXPECT_EQ(view->autoSyncRow()->value(), QStringLiteral("自动同步已开启 · 上次备份 ") +
                                                CloudSync::chineseDateText(*CloudSync::shared().lastBackupDate()));
}

TEST_F(CloudSyncSectionTest, building_MirrorsTheStoredSwitch_AndOnlyTheUsersMoveStoresIt)
{
    // Absent: on, and still absent after the section was built.
    CloudSyncSection* view = showSection();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->autoSyncSwitch()->isChecked());
    EXPECT_FALSE(settings().contains(CloudSync::autoSyncKey));
    EXPECT_TRUE(view->autoSyncRow()->value().startsWith(QStringLiteral("自动同步已开启 · 上次备份 ")));
    EXPECT_TRUE(view->autoSyncRow()->isHighlighted());

    settings().setValue(CloudSync::autoSyncKey, false);
    view = showSection();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->autoSyncSwitch()->isChecked());
    EXPECT_EQ(view->autoSyncRow()->value(), QStringLiteral("已关闭（仅手动上传）"));
    EXPECT_FALSE(view->autoSyncRow()->isHighlighted());

    click(view->autoSyncSwitch());
    EXPECT_EQ(settings().value(CloudSync::autoSyncKey), QJsonValue(true));
    EXPECT_TRUE(view->autoSyncRow()->isHighlighted());
    click(view->autoSyncSwitch());
    EXPECT_EQ(settings().value(CloudSync::autoSyncKey), QJsonValue(false));
    EXPECT_EQ(view->autoSyncRow()->value(), QStringLiteral("已关闭（仅手动上传）"));
}

}  // namespace
