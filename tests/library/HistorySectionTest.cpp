// The library window and its history section on the headless desktop, over
// the program's real stores and PNG files.
#include "library/history/HistoryActions.h"
#include "library/history/HistoryItemView.h"
#include "library/history/HistoryRecordModel.h"
#include "library/history/HistorySection.h"
#include "library/history/PreviewSheet.h"
#include "library/history/ThumbnailCache.h"
#include "library/vocabulary/VocabularySection.h"
#include "library/widgets/EmptyState.h"
#include "library/widgets/SegmentedControl.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "library/LibraryTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

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
// each switch builds its section afresh (grid, empty search), and the window
// does not shrink below 720 by 480.
TEST_F(LibraryWindowTest, show_BringsTheSameWindowForwardAtTheSection)
{
    save("one record");
    LibraryWindow* window = show(LibrarySection::vocabulary);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(section<VocabularySection>(), nullptr);
    EXPECT_EQ(window->sectionSwitch()->currentIndex(), 1);

    show(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    history->setGrid(false);
    QTest::keyClicks(history->searchField(), "one");
    // Asked again for the section it shows: left as it is.
    EXPECT_EQ(show(LibrarySection::history), window);
    EXPECT_EQ(section<HistorySection>(), history);
    EXPECT_EQ(history->searchField()->text(), "one");

    click(window->sectionSwitch(), window->sectionSwitch()->segmentCenter(2));
    EXPECT_EQ(window->section(), LibrarySection::backup);
    EXPECT_EQ(show(LibrarySection::vocabulary), window);
    EXPECT_NE(section<VocabularySection>(), nullptr);

    window->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    EXPECT_EQ(show(LibrarySection::history), window);
    history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isGrid());
    EXPECT_TRUE(history->searchField()->text().isEmpty());

    // Another launch while the window is hidden: it comes back at its section.
    window->hide();
    HistoryWindowController::shared().reopen();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->section(), LibrarySection::history);

    QProcess::execute("xdotool", {"search", "--onlyvisible", "--name", "^KlipoVersa$", "windowsize", "400", "300"});
    QTest::qWait(300);
    EXPECT_GE(window->width(), 720);
    EXPECT_GE(window->height(), 480);
}

// "abc" finds capitals, full-width forms, accents and a match in the
// translation only; the count stays the total; grid and list keep the search.
TEST_F(HistorySectionTest, search_FindsFoldedMatches_InGridAndList)
{
    save("ＡＢＣ in full width");
    save("ABC in capitals");
    save("Ábc with an accent");
    save("nothing here", "译文里有 abc");
    save("xyz");
    showFresh(LibrarySection::history);
    auto* history = section<HistorySection>();
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 5; }, 5000));

    QTest::keyClicks(history->searchField(), "abc");
    EXPECT_EQ(history->model().rowCount(), 4);
    EXPECT_EQ(history->countLabel()->text(), "共 5 条");
    EXPECT_EQ(history->currentView(), history->gridView());
    click(history->layoutSwitch(), history->layoutSwitch()->segmentCenter(1));
    EXPECT_EQ(history->currentView(), history->listView());
    EXPECT_EQ(history->model().rowCount(), 4);
    EXPECT_EQ(history->searchField()->text(), "abc");

    QTest::keyClicks(history->searchField(), "q");
    ASSERT_NE(history->currentEmptyState(), nullptr);
    EXPECT_EQ(history->currentEmptyState()->title(), "没有匹配的记录");
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

// Deleting lowers the book's counts once the record is gone, and only then;
// clearing asks first and keeps mastered words.
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

    click(history->clearButton(), history->clearButton()->rect().center());
    QMessageBox* box = history->clearConfirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->informativeText().contains("将删除 1 条记录"));
    for (QAbstractButton* button : box->buttons())
        if (button->text() == "取消") button->click();
    QTest::qWait(200);
    EXPECT_EQ(history->model().totalCount(), 1);

    history->askToClear();
    box = history->clearConfirmation();
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* button : box->buttons())
        if (button->text() == "清空") button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().totalCount() == 0; }, 5000));
    EXPECT_EQ(wordCount("apple"), 0);
    bool plumKept = false;
    for (const VocabularyWord& w : VocabularyStore::shared().words()) plumKept |= w.normalized == "plum";
    EXPECT_TRUE(plumKept);
    ASSERT_NE(history->currentEmptyState(), nullptr);
    EXPECT_EQ(history->currentEmptyState()->detail(), "按 Ctrl+Shift+T 截图翻译，结果会自动保存在这里");
    EXPECT_FALSE(history->clearButton()->isEnabled());
}
