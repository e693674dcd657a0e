// The result panel from a capture to its translated picture, on fake engines:
// only the newest capture reaches the panel, failures are shown and never
// saved, and the buttons' files and errors are looked after. And the search
// text of plain screenshots: what is stored, one recognition at a time.
#include "ResultFakes.h"
#include "TextPictures.h"
#include "app/AppFakes.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/text/TextServices.h"
#include "recognition/ResultActions.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "recognition/SearchTextIndexer.h"
#include "stores/HistoryStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace klipo;
namespace Indexer = klipo::SearchTextIndexer;

namespace {

TextBlock block(const QString& text) { return {{test::modelLine(text, 20, 250, 300, 24)}, text, {}}; }

QImage capture(QColor colour = Qt::white)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A plain-screenshot record, as the screenshot modes save it.
QUuid savedRecord(const QString& title)
{
    QUuid id;
    HistoryStore::shared().save(QImage(64, 32, QImage::Format_RGB32), std::nullopt, title, {}, "zh-Hans",
                                [&](auto record) { id = record ? record->id : QUuid::createUuid(); });
    [&] { ASSERT_TRUE(QTest::qWaitFor([&] { return !id.isNull(); }, 5000)); }();
    return id;
}

QString storedText(const QUuid& id)
{
    for (const HistoryRecord& record : HistoryStore::shared().allRecords())
        if (record.id == id) return record.originalText;
    return {};
}

platform::RecognitionOutcome oneLine(const QString& text) { return {true, {}, {{text, {}, 90, {}}}}; }

struct ResultPanel : test::SettingsTest {
    void SetUp() override { m_screens.list = {test::screen("A", 1, QRect(0, 0, 1920, 1080), 1)}; }
    void TearDown() override
    {
        panel().chooseSavePath = nullptr;
        SettingsTest::TearDown();
    }

    static ResultPanelController& panel() { return ResultPanelController::shared(); }
    static ResultModel& model() { return panel().model(); }
    static int historyCount() { return int(HistoryStore::shared().allRecords().size()); }
    static bool waitUntilTranslated() { return QTest::qWaitFor([] { return !model().isTranslating(); }, 10000); }
    static void click(ResultView::Action action) { panel().view()->button(action)->click(); }

    test::FakeTranslator m_translator;
    test::FakeRecognizer m_recognizer;
    test::FakeScreenMetrics m_screens;
    test::FakeFileViewer m_files;
    platform::ScopedTextServices m_engines{{&m_recognizer, nullptr, &m_translator}};
    platform::ScopedServices m_services{{&m_screens, nullptr, nullptr, nullptr, nullptr, &m_files, nullptr}};
};

using SearchIndexing = ResultPanel;

}  // namespace

TEST_F(ResultPanel, letsOnlyTheNewestCaptureTouchThePanel_WhenOlderWorkFinishesLast)
{
    const int before = historyCount();
    QSignalSpy saved(&panel(), &ResultPanelController::historySaveFinished);

    // An older capture still being recognised when a newer one is shown.
    m_recognizer.delayMs = 300;
    m_recognizer.reply.lines = {{QStringLiteral("viejo texto"), QRect(20, 20, 300, 24), 90, {}}};
    panel().showCapture(capture(Qt::gray), 1.0);
    panel().show(capture(), {block("nuevo texto")}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_recognizer.calls == 1 && m_recognizer.running == 0; }, 5000));
    ASSERT_TRUE(waitUntilTranslated());
    QTest::qWait(100);  // the older recognition's answer reaches the main thread
    EXPECT_EQ(model().translatedJoined(), QStringLiteral("EN:nuevo texto"));
    EXPECT_EQ(model().displayImage().pixelColor(390, 5), QColor(Qt::white));

    // An older translation answering after the newer one.
    m_translator.answer = [](const test::FakeTranslator::Requests& requests) {
        if (requests[0].sourceText.startsWith("viejo")) QThread::msleep(400);
        return std::vector<platform::TranslationResponse>{{"0", "EN:" + requests[0].sourceText}};
    };
    panel().show(capture(Qt::gray), {block("viejo texto")}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_translator.translateCalls == 2; }, 5000));
    panel().show(capture(), {block("otro texto")}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_translator.answeredCalls == 3; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(model().translatedJoined(), QStringLiteral("EN:otro texto"));
    EXPECT_EQ(model().displayImage().pixelColor(390, 5), QColor(Qt::white));

    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.count() == 2; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(historyCount(), before + 2);  // the two newest captures only
}

// A record's original picture is its own capture's, encoded while its text is
// read: never that of an older capture still being encoded or read, whether
// the newer capture is read too or its paragraphs come with it.
TEST_F(ResultPanel, aRecordsOriginalPicture_IsItsOwnCapture_NotAnOlderOneBeingEncoded)
{
    QSignalSpy saved(&panel(), &ResultPanelController::historySaveFinished);
    auto newestOriginal = [] {
        const QList<HistoryRecord> records = HistoryStore::shared().allRecords();
        if (records.isEmpty() || !records.first().originalImageName) return QImage();
        return QImage(HistoryStore::shared().directory() + '/' + *records.first().originalImageName);
    };
    m_recognizer.reply.lines = {{QStringLiteral("texto"), QRect(20, 20, 300, 24), 90, {}}};
    m_recognizer.delayMs = 300;
    panel().showCapture(capture(Qt::gray), 1.0);
    panel().showCapture(capture(Qt::darkBlue), 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.count() == 1 && m_recognizer.running == 0; }, 10000));
    EXPECT_EQ(newestOriginal().pixelColor(5, 5), QColor(Qt::darkBlue));

    panel().showCapture(capture(Qt::gray), 1.0);
    panel().show(capture(Qt::darkGreen), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.count() == 2 && m_recognizer.running == 0; }, 10000));
    QTest::qWait(100);  // the older capture's reading reaches the main thread
    EXPECT_EQ(saved.count(), 2);
    EXPECT_EQ(newestOriginal().pixelColor(5, 5), QColor(Qt::darkGreen));
}

// While a new capture is read, the panel gets ready for it out of sight: a
// result on show, its status card included, stays as it is until the new one
// comes.
TEST_F(ResultPanel, aCaptureBeingRead_LeavesTheResultOnShowUntouched_ThenShowsItsOwn)
{
    m_translator.prepareFailure = QStringLiteral("没有安装语言包");
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    ASSERT_TRUE(panel().panel()->isVisible());
    ASSERT_TRUE(panel().view()->statusCard()->isVisible());
    const QString shown = panel().view()->statusText();
    ASSERT_TRUE(shown.contains(QStringLiteral("没有安装语言包"))) << qPrintable(shown);

    m_translator.prepareFailure.clear();
    m_recognizer.delayMs = 300;
    m_recognizer.reply.lines = {{QStringLiteral("nuevo texto"), QRect(20, 20, 300, 24), 90, {}}};
    panel().showCapture(capture(Qt::gray), 1.0);
    EXPECT_EQ(panel().view()->statusText(), shown);
    EXPECT_TRUE(panel().view()->statusCard()->isVisible());

    ASSERT_TRUE(QTest::qWaitFor([&] { return m_recognizer.calls == 1 && m_recognizer.running == 0; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([] { return model().translatedJoined() == QStringLiteral("EN:nuevo texto"); }, 10000));
    EXPECT_FALSE(panel().view()->statusCard()->isVisible());
}

TEST_F(ResultPanel, showsAFailedRecognitionOrARunWithoutAnyTranslation_AndSavesNothing)
{
    const int before = historyCount();
    m_recognizer.reply = platform::RecognitionOutcome::failure(QStringLiteral("没有可用的识别模型"));
    panel().showCapture(capture(), 2.0);
    ASSERT_TRUE(QTest::qWaitFor([] { return model().status().contains(QStringLiteral("没有可用的识别模型")); }, 5000));
    EXPECT_TRUE(model().status().startsWith(QStringLiteral("文字识别失败")));  // not "no text"
    EXPECT_TRUE(panel().panel()->isVisible());
    EXPECT_EQ(m_translator.translateCalls, 0);

    m_translator.answer = [](const auto& requests) {
        return std::vector<platform::TranslationResponse>{{requests[0].clientIdentifier, QString()}};
    };
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    EXPECT_TRUE(model().status().startsWith(QStringLiteral("翻译失败："))) << qPrintable(model().status());
    EXPECT_TRUE(panel().view()->statusCard()->isVisible());
    EXPECT_FALSE(panel().view()->button(ResultView::Action::copyText)->isEnabled());
    EXPECT_EQ(historyCount(), before);

    set(QStringLiteral("saveHistory"), false);  // and a success is not kept when the user says so
    m_translator.answer = nullptr;
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    EXPECT_EQ(model().translatedJoined(), QStringLiteral("EN:hola amigo"));
    EXPECT_EQ(historyCount(), before);
}

TEST_F(ResultPanel, keepsTheEnlargedViewPrivate_AndLetsGoOfFilesAndPictures_WhenClosedMovingOnAndAtQuit)
{
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    click(ResultView::Action::enlarge);
    click(ResultView::Action::enlarge);
    ASSERT_EQ(m_files.opened.size(), 2);
    EXPECT_EQ(m_files.opened[0], m_files.opened[1]);  // one file per picture
    EXPECT_EQ(QImage(m_files.opened[0]).size(), QSize(400, 300));
    // Nobody else may look at the user's screen: a folder of our own, closed to others.
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QString folder = QFileInfo(m_files.opened[0]).path();
    EXPECT_NE(folder, QDir::tempPath());
    EXPECT_FALSE(QFileInfo(folder).permissions() & others);
    EXPECT_FALSE(QFileInfo(m_files.opened[0]).permissions() & others);

    panel().panel()->close();
    EXPECT_TRUE(model().displayImage().isNull());
    EXPECT_TRUE(model().baseImage().isNull());
    EXPECT_FALSE(panel().view()->button(ResultView::Action::copyImage)->isEnabled());
    panel().show(capture(Qt::yellow), {block("otra vez")}, 1.0);
    EXPECT_FALSE(QFile::exists(m_files.opened[0]));
    ASSERT_TRUE(waitUntilTranslated());
    EXPECT_TRUE(panel().view()->button(ResultView::Action::copyImage)->isEnabled());
    click(ResultView::Action::enlarge);
    panel().previewFiles().removeAll();  // what quitting does
    EXPECT_FALSE(QFile::exists(m_files.opened.last()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(m_files.opened.last()).path()));
}

TEST_F(ResultPanel, saysSo_WhenSavingCopyingOrViewingFails)
{
    struct RefusingClipboard : platform::Clipboard {
        bool copyImage(const QImage&, const QByteArray&) override { return false; }
        QImage pastedImage() const override { return {}; }
        void setImage(const QImage&) override {}
        void setText(const QString&) override {}
        void setImageAndText(const QImage&, const QString&) override {}
        QImage image() const override { return {}; }
        QString text() const override { return {}; }
    } clipboard;
    platform::ScopedServices refusing{{nullptr, nullptr, &clipboard}};
    m_files.failure = QStringLiteral("没有找到可以打开这种图片的程序");
    panel().chooseSavePath = [](const QString&) { return QStringLiteral("/nonexistent-folder/result.png"); };
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());

    const struct {
        ResultView::Action action;
        const char* title;
        QString detail;
    } cases[] = {{ResultView::Action::saveImage, "图片保存失败", QStringLiteral("/nonexistent-folder/result.png")},
                 {ResultView::Action::copyImage, "复制图片失败", {}},
                 {ResultView::Action::copyText, "复制译文失败", {}},
                 {ResultView::Action::enlarge, "无法放大查看", m_files.failure}};
    for (const auto& c : cases) {
        click(c.action);
        EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QString::fromUtf8(c.title));
        EXPECT_TRUE(CaptureHUDController::shared().currentSubtitle().contains(c.detail));
    }
}

TEST(SearchTextIndexer, composesTrimmedParagraphsAndTheTitle_CappedAt4000CharactersAsTheUserSeesThem)
{
    EXPECT_EQ(Indexer::composeText({"Hello", " World\n", "  "}, "Shot 1 "), QStringLiteral("Hello\nWorld\nShot 1"));
    EXPECT_EQ(Indexer::composeText({"Shot 1", "Hello"}, "Shot 1"), QStringLiteral("Shot 1\nHello"));  // said once
    EXPECT_EQ(Indexer::composeText({"Hello"}, "   "), QStringLiteral("Hello"));
    const QString exact(4000, QLatin1Char('a'));
    EXPECT_EQ(Indexer::composeText({exact}, ""), exact);
    EXPECT_EQ(Indexer::composeText({exact + "b"}, "截图 2024-05-01"), exact + QStringLiteral("…\n截图 2024-05-01"));
    // An emoji with its skin tone is one character, never cut in two.
    const QString emoji = QStringLiteral("👍🏽").repeated(4000);
    EXPECT_EQ(Indexer::composeText({emoji}, ""), emoji);
    EXPECT_EQ(Indexer::composeText({emoji + QStringLiteral("字")}, ""), emoji + QStringLiteral("…"));
}

TEST_F(SearchIndexing, recognisesOneScreenshotAtATime_StoringItsTextWithTheTitle_OrTheTitleAloneIfNothingIsRead)
{
    const QUuid unread = savedRecord("截图 failed");
    m_recognizer.reply = platform::RecognitionOutcome::failure("broken");
    Indexer::index(unread, capture(), "截图 failed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_recognizer.calls == 1; }, 5000));
    m_recognizer.reply = oneLine("   ");
    Indexer::index(unread, capture(), "截图 failed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_recognizer.calls == 2; }, 5000));

    m_recognizer.reply = oneLine("Invoice total 42");
    m_recognizer.delayMs = 100;
    const QUuid ids[] = {savedRecord("截图 0"), savedRecord("截图 1"), savedRecord("截图 2")};
    for (int i = 0; i < 3; ++i) Indexer::index(ids[i], capture(), QStringLiteral("截图 %1").arg(i));
    ASSERT_TRUE(QTest::qWaitFor([&] { return storedText(ids[2]).startsWith("Invoice"); }, 10000));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(storedText(ids[i]), QStringLiteral("Invoice total 42\n截图 %1").arg(i));
    EXPECT_EQ(storedText(unread), QStringLiteral("截图 failed"));
    EXPECT_EQ(m_recognizer.mostAtOnce, 1);
}
