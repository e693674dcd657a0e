// The library window and its history and backup sections on the headless
// desktop, over the program's real stores, PNG files and backup service (its
// folder dialog answered by the test).
#include "library/LibrarySections.h"
#include "library/backup/BackupFolderChooser.h"
#include "library/backup/CloudSyncSection.h"
#include "library/backup/InfoRow.h"
#include "library/backup/SyncButton.h"
#include "library/history/HistoryActions.h"
#include "library/history/HistoryItemView.h"
#include "library/history/HistoryRecordModel.h"
#include "library/history/HistorySection.h"
#include "library/history/PreviewSheet.h"
#include "library/history/ThumbnailCache.h"
#include "library/vocabulary/VocabularySection.h"
#include "library/widgets/BusyIndicator.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/SegmentedControl.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "stores/CloudFolder.h"
#include "stores/CloudSync.h"
#include "stores/StoreFiles.h"
#include "library/LibraryTestSupport.h"

#include <QImageReader>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

using namespace klipo;
using namespace klipo::test;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void click(QWidget* widget, QPoint at) { QTest::mouseClick(widget, Qt::LeftButton, {}, at); }

// Clicks the item of the record in the section's current view.
void clickRecord(HistorySection* section, const QUuid& id)
{
    HistoryItemView* view = section->currentView();
    ASSERT_NE(view, nullptr);
    const QModelIndex index = section->model().index(section->model().rowOf(id));
    click(view->viewport(), view->visualRect(index).center());
}

qint64 wordCount(const QString& word)
{
    for (const VocabularyWord& w : VocabularyStore::shared().words())
        if (w.normalized == word) return w.count;
    return 0;
}

}  // namespace

using LibraryWindowTest = LibraryTest;
using HistorySectionTest = LibraryTest;

// Whether the window is new, closed or showing another section, the
// commands bring the one window forward, active, at the section they name;
// each switch builds its section afresh (grid, empty search).
TEST_F(LibraryWindowTest, show_BringsTheSameWindowForwardAtTheSection)
{
    save("one record");
    save("another");
    LibraryWindow* window = show(LibrarySection::vocabulary);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(section<VocabularySection>(), nullptr);

    show(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    history->setGrid(false);
    QTest::keyClicks(history->searchField(), "one");
    EXPECT_EQ(history->model().rowCount(), 1);
    // Asked again for the section it shows: left as it is.
    EXPECT_EQ(show(LibrarySection::history), window);
    EXPECT_EQ(section<HistorySection>(), history);
    EXPECT_EQ(history->searchField()->text(), "one");

    click(window->sectionSwitch(), window->sectionSwitch()->segmentCenter(2));
    EXPECT_EQ(window->section(), LibrarySection::backup);
    window->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    EXPECT_EQ(show(LibrarySection::history), window);
    history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isGrid() && history->searchField()->text().isEmpty());

    // Another launch while the window is hidden: it comes back at its section.
    window->hide();
    HistoryWindowController::shared().reopen();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->section(), LibrarySection::history);

}

// Copy is offered only where there is a translation; save writes the stored
// PNG byte for byte under a name without ":"; the preview closes on Return.
TEST_F(HistorySectionTest, itemActions_CopySaveAndPreview)
{
    const HistoryRecord screenshot = save("a plain screenshot");
    const HistoryRecord translation = save("a translated text", "一段译文");
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 2; }, 5000));

    platform::Clipboard* clipboard = platform::services().clipboard;
    clipboard->setText("kept");
    std::unique_ptr<QMenu> menu(history->itemMenu(screenshot));
    EXPECT_FALSE(action(menu.get(), "复制译文")->isEnabled());
    menu.reset(history->itemMenu(translation));
    action(menu.get(), "复制译文")->trigger();
    EXPECT_EQ(clipboard->text(), "一段译文");

    QString proposed;
    const QString target = freshDir("saved") + "/picture.png";
    historyactions::savePathChooser() = [&](QWidget*, const QString& path) {
        proposed = path;
        return target;
    };
    action(menu.get(), "保存图片…")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(target); }, 5000));
    EXPECT_FALSE(QFileInfo(proposed).fileName().contains(':')) << proposed.toStdString();
    EXPECT_EQ(fileBytes(target), fileBytes(HistoryStore::shared().directory() + "/" + translation.imageName));
    // A place that cannot be written is told, not passed over.
    historyactions::savePathChooser() = [&](QWidget*, const QString&) { return target + "/no-such-folder/x.png"; };
    action(menu.get(), "保存图片…")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return toastTitle() == "图片保存失败"; }, 5000));

    clickRecord(history, screenshot.id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->preview() && history->preview()->isVisible(); }, 3000));
    PreviewSheet* preview = history->preview();
    EXPECT_FALSE(preview->copyButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->state() == PreviewSheet::State::shown; }, 5000));
    QTest::keyClick(preview, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !history->preview(); }, 3000));
}

// An image larger than this machine can open is not called lost or damaged:
// the preview says it is too large, with its size.
TEST_F(HistorySectionTest, imageTooLargeToOpen_IsSaidToBeTooLarge_NotLost)
{
    const HistoryRecord large = save("a very tall screenshot");
    QImage tall(1000, 2000, QImage::Format_RGB32);  // 8 MB
    tall.fill(Qt::darkCyan);
    ASSERT_TRUE(tall.save(HistoryStore::shared().directory() + "/" + large.imageName, "PNG"));
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(2);
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    history->openPreview(large);
    const bool refused = QTest::qWaitFor(
        [&] { return history->preview() && history->preview()->state() == PreviewSheet::State::unreadable; }, 5000);
    QImageReader::setAllocationLimit(limit);
    ASSERT_TRUE(refused);
    EXPECT_EQ(history->preview()->unreadableText(),
              QStringLiteral("图片太大，无法打开\n这张图片有 1000 × 2000 像素，超出了本机内存能打开的大小"));
    history->preview()->close();
}

// "查看大图" shows the whole image: at its own size where it fits, else
// shrunk to fit the sheet (an 822 px wide one lost its right edge behind a
// scroll bar); a long screenshot is fitted across and scrolls down.
TEST_F(HistorySectionTest, preview_ShowsTheWholeImage_ALongOneFittedAcrossAndScrollingDown)
{
    const struct {
        QSize pixels;
        bool ownSize, scrollsDown;
    } cases[] = {{{300, 200}, true, false},
                 {{822, 400}, false, false},
                 {{1920, 1080}, false, false},
                 {{800, 4000}, false, true}};
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pixels.width());
        const HistoryRecord record = save("a screenshot");
        QImage image(c.pixels, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(HistoryStore::shared().directory() + "/" + record.imageName, "PNG"));
        history->openPreview(record);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return history->preview() && history->preview()->state() == PreviewSheet::State::shown; }, 5000));
        PreviewSheet* preview = history->preview();
        auto* area = preview->findChild<QScrollArea*>();
        ASSERT_TRUE(area && area->widget());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
        // The scroll bars come once the area has laid its content out.
        (void)QTest::qWaitFor([&] { return area->verticalScrollBar()->isVisible() == c.scrollsDown; }, 2000);
        QCoreApplication::sendPostedEvents();
        const QSize shown = area->widget()->size();
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible()) << shown.width() << " in " << area->width();
        EXPECT_EQ(area->verticalScrollBar()->isVisible(), c.scrollsDown) << shown.height() << " in " << area->height();
        EXPECT_NEAR(double(shown.width()) / shown.height(), double(c.pixels.width()) / c.pixels.height(), 0.02);
        if (c.ownSize) {
            EXPECT_EQ(shown, c.pixels / preview->devicePixelRatioF());
        } else if (c.scrollsDown) {
            EXPECT_EQ(shown.width(), area->viewport()->width());
        } else {
            EXPECT_TRUE(shown.width() == area->viewport()->width() || shown.height() == area->viewport()->height());
        }
        preview->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !history->preview(); }, 3000));
    }
}

// A record whose image file went: a broken mark instead of a spinner, a
// short text in the preview, and a save that says why it cannot.
TEST_F(HistorySectionTest, missingImage_ShowsBrokenMark_AndSaveSaysSo)
{
    const HistoryRecord gone = save("its image went away");
    ASSERT_TRUE(QFile::remove(HistoryStore::shared().directory() + "/" + gone.imageName));
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (history->currentView()) history->currentView()->viewport()->repaint();
            return history->thumbnails().thumbnail(gone).state == ThumbnailCache::Thumbnail::State::broken;
        },
        5000));

    history->openPreview(gone);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return history->preview() && history->preview()->state() == PreviewSheet::State::unreadable; }, 5000));
    history->preview()->close();

    bool asked = false;
    historyactions::savePathChooser() = [&](QWidget*, const QString&) {
        asked = true;
        return QString();
    };
    std::unique_ptr<QMenu> menu(history->itemMenu(gone));
    action(menu.get(), "保存图片…")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return toastTitle() == "图片保存失败"; }, 5000));
    EXPECT_FALSE(asked);
}

// A record whose image name was lost shows the broken picture and can be deleted.
TEST_F(HistorySectionTest, damagedRecord_IsListedAsUnreadable_AndCanBeDeleted)
{
    const QString folder = freshDir("damaged-history");
    QFile index(folder + "/index.json");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write(R"({"version":1,"records":[{"imageName":"","originalText":"damaged"}]})");
    index.close();
    HistoryStore store(folder);
    struct Restore {  // the section goes before its store
        ~Restore()
        {
            librarysections::setFactory(LibrarySection::history, {});
            if (LibraryWindow* window = HistoryWindowController::shared().window())
                window->selectSection(LibrarySection::settings);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    } restore;
    librarysections::setFactory(LibrarySection::history, [&] { return new HistorySection(store, vocabulary()); });
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 1; }, 5000));
    const HistoryRecord damaged = history->model().recordAt(0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            history->currentView()->viewport()->repaint();
            return history->thumbnails().thumbnail(damaged).state == ThumbnailCache::Thumbnail::State::broken;
        },
        5000));
    std::unique_ptr<QMenu> menu(history->itemMenu(damaged));
    action(menu.get(), "删除")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 0; }, 5000));
}

// Deleting lowers the book's counts once the record is gone, and only then;
// clearing asks first, in a box as wide as its sentence, and keeps mastered words.
// A second copy of the program on the same data folder (another session)
// only reads: each change it refuses, every time, says that another running
// copy holds the data, and nothing of the first copy's is lost.
TEST_F(HistorySectionTest, changesRefusedInASecondCopy_SayEachTimeThatAnotherRunningCopyHoldsTheData)
{
    const HistoryRecord record = save("apple pear");
    ASSERT_TRUE(vocabulary().flush());
    HistoryStore secondHistory(history().directory());
    VocabularyStore secondBook(vocabulary().directory());
    ASSERT_EQ(secondHistory.allRecords().size(), 1);
    const QList<VocabularyWord> words = secondBook.words();
    ASSERT_FALSE(words.isEmpty());
    VocabularySection bookView(secondBook);
    const QString historyHeld = storefiles::heldByAnotherCopy("历史记录");
    const QString bookHeld = storefiles::heldByAnotherCopy("单词本");
    struct Refusal {
        const char* name;
        std::function<void()> act;
        QString title;
        QString subtitle;
    };
    const QList<Refusal> refusals{
        {"delete", [&] { historyactions::deleteRecord(secondHistory, secondBook, record); }, "删除失败", historyHeld},
        {"clear", [&] { historyactions::clearAll(secondHistory, secondBook); }, "清空失败", historyHeld},
        {"remove a word",
         [&] {
             std::unique_ptr<QMenu> menu(bookView.wordMenu(words.first()));
             action(menu.get(), "从单词本移除")->trigger();
         },
         "单词本未能保存", bookHeld},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Refusal& refusal : refusals) {
            SCOPED_TRACE(refusal.name);
            CaptureHUDController::shared().show("上一条", "提示");
            refusal.act();
            EXPECT_TRUE(QTest::qWaitFor([&] { return toastTitle() == refusal.title; }, 5000));
            EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), refusal.subtitle);
        }
    }
    EXPECT_EQ(history().allRecords().size(), 1);
    EXPECT_EQ(vocabulary().words().size(), words.size());
}

TEST_F(HistorySectionTest, deleteAndClear_DetachOnlyWhatTheStoreRemoved)
{
    const HistoryRecord first = save("apple apple pear");
    save("apple plum");
    VocabularyStore::shared().setMastered(true, "plum");
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 2; }, 5000));
    ASSERT_EQ(wordCount("apple"), 3);

    // An index that cannot be written: the record stays, and so do its words.
    const QString index = HistoryStore::shared().directory() + "/index.json";
    ASSERT_TRUE(QFile::remove(index));
    ASSERT_TRUE(QDir().mkdir(index));
    std::unique_ptr<QMenu> menu(history->itemMenu(first));
    action(menu.get(), "删除")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return toastTitle() == "删除失败"; }, 5000));
    EXPECT_EQ(history->model().totalCount(), 2);
    EXPECT_EQ(wordCount("apple"), 3);
    ASSERT_TRUE(QDir(index).removeRecursively());

    menu.reset(history->itemMenu(first));
    action(menu.get(), "删除")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 1; }, 5000));
    EXPECT_EQ(wordCount("apple"), 1);
    EXPECT_EQ(wordCount("pear"), 0);

    const auto answerClear = [&](const QString& answer) {
        click(history->clearButton(), history->clearButton()->rect().center());
        QMessageBox* box = history->clearConfirmation();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->informativeText().contains("将删除 1 条记录"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        const auto* sentence = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_NE(sentence, nullptr);
        EXPECT_EQ(sentence->height(), sentence->heightForWidth(4000));
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer) button->click();
    };
    answerClear("取消");
    QTest::qWait(200);
    EXPECT_EQ(history->model().totalCount(), 1);
    answerClear("清空");
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 0; }, 5000));
    EXPECT_EQ(wordCount("apple"), 0);
    EXPECT_EQ(VocabularyStore::shared().masteredWords().value(0).normalized, "plum");  // kept with its mark
    EXPECT_FALSE(history->clearButton()->isEnabled());
}

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
    ASSERT_TRUE(QFile(root + QStringLiteral("/plain")).open(QIODevice::WriteOnly));
    const QString throughFile = root + QStringLiteral("/plain/Backup");
    settings().setValue(cloudfolder::kFolderKey, throughFile);

    CloudSyncSection* view = showSection();
    ASSERT_NE(view, nullptr);
    const auto controlsEnabled = [view] {
        return QList<bool>{view->uploadButton()->isEnabled(), view->downloadButton()->isEnabled(),
                           view->autoSyncSwitch()->isEnabled(), view->changeFolderButton()->isEnabled()};
    };
    EXPECT_EQ(controlsEnabled(), (QList<bool>{false, false, false, true}));
    EXPECT_TRUE(view->statusRow()->value().startsWith(QStringLiteral("备份文件夹不可用：")))
        << view->statusRow()->value().toStdString();

    // Cancelling the dialog changes nothing.
    click(view->changeFolderButton());
    EXPECT_EQ(chooser.askedFrom, throughFile);
    EXPECT_EQ(settings().stringValue(cloudfolder::kFolderKey), throughFile);

    const QString chosen = root + QStringLiteral("/Chosen");
    chooser.answer = chosen;
    click(view->changeFolderButton());
    EXPECT_EQ(settings().stringValue(cloudfolder::kFolderKey), chosen);
    EXPECT_EQ(view->folderRow()->value(), chosen);
    EXPECT_EQ(controlsEnabled(), (QList<bool>{true, true, true, true}));

    // While the upload runs nothing else can start.
    save(QStringLiteral("backup these words"), QStringLiteral("备份这些单词"));
    click(view->uploadButton());
    ASSERT_TRUE(CloudSync::shared().isBusy());
    EXPECT_TRUE(view->spinner()->isVisible());
    EXPECT_EQ(controlsEnabled(), (QList<bool>{false, false, true, false}));
    ASSERT_TRUE(QTest::qWaitFor([] { return !CloudSync::shared().isBusy(); }, 10000));
    EXPECT_TRUE(view->spinner()->isHidden());
    EXPECT_TRUE(view->statusRow()->value().startsWith(QStringLiteral("已上传 1 条记录、")))
        << view->statusRow()->value().toStdString();
    EXPECT_EQ(QDir(chosen).entryList({QStringLiteral("KlipoVersa-Backup-*.json")}, QDir::Files).size(), 1);
}

TEST_F(CloudSyncSectionTest, autoSyncSwitch_MirrorsTheStoredValue_AndOnlyTheUsersMoveStoresIt)
{
    CloudSyncSection* view = showSection();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->autoSyncSwitch()->isChecked());  // absent: on, and still absent
    EXPECT_FALSE(settings().contains(CloudSync::autoSyncKey));

    settings().setValue(CloudSync::autoSyncKey, false);
    view = showSection();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->autoSyncSwitch()->isChecked());
    click(view->autoSyncSwitch());
    EXPECT_EQ(settings().value(CloudSync::autoSyncKey), QJsonValue(true));
}

// Another copy of the program (another session) switches automatic backup
// off and on: the open section follows, and writes nothing back.
TEST_F(CloudSyncSectionTest, autoSyncSwitchedByAnotherCopy_IsFollowed_WithoutBeingWrittenBack)
{
    CloudSyncSection* view = showSection();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->autoSyncSwitch()->isChecked());
    platform::SettingsStore otherCopy(settings().filePath());
    for (bool enabled : {false, true}) {
        otherCopy.setValue(CloudSync::autoSyncKey, enabled);
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->autoSyncSwitch()->isChecked() == enabled; }, 5000));
        EXPECT_EQ(view->autoSyncRow()->value().startsWith(QStringLiteral("自动同步已开启")), enabled);
    }
    otherCopy.remove(CloudSync::autoSyncKey);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !settings().contains(CloudSync::autoSyncKey); }, 5000));
    EXPECT_FALSE(otherCopy.contains(CloudSync::autoSyncKey));  // nothing written back
}

// A status that wraps shows every line, pushing the rows below down, also in a larger window.
TEST_F(CloudSyncSectionTest, longStatus_ShowsEveryLine_AndPushesTheRowsBelowDown)
{
    settings().setValue(cloudfolder::kFolderKey, freshDir(QStringLiteral("backup-long-status")));
    save(QStringLiteral("some words to back up"), QStringLiteral("一些要备份的单词"));
    CloudSyncSection* view = showSection();
    ASSERT_NE(view, nullptr);
    click(view->uploadButton());
    ASSERT_TRUE(QTest::qWaitFor([] { return !CloudSync::shared().isBusy(); }, 10000));
    click(view->downloadButton());
    ASSERT_TRUE(QTest::qWaitFor([] { return !CloudSync::shared().isBusy(); }, 10000));
    ASSERT_TRUE(view->statusRow()->value().startsWith(QStringLiteral("已同步：")))
        << view->statusRow()->value().toStdString();

    const auto expectWholeRows = [&](const char* when) {
        QTest::qWait(50);  // the layout settles after the text changed
        QLabel* value = view->statusRow()->valueLabel();
        EXPECT_GT(value->fontMetrics().horizontalAdvance(value->text()), value->width()) << when << ": no wrap";
        EXPECT_GE(value->height(), value->heightForWidth(value->width())) << when;
        const QRect status(view->statusRow()->mapTo(view, QPoint()), view->statusRow()->size());
        EXPECT_NEAR(status.center().x(), view->rect().center().x(), 2) << when;
        EXPECT_LE(status.bottom(), view->autoSyncRow()->mapTo(view, QPoint()).y()) << when;
    };
    expectWholeRows("first size");
    view->window()->resize(view->window()->size() + QSize(500, 300));
    expectWholeRows("larger window");
}
