// The result panel from a capture to its translated picture, on fake engines:
// only the newest capture reaches the panel, failures are shown and never
// saved, and the buttons' files and errors are looked after.
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
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace klipo;

namespace {

TextBlock block(const QString& text) { return {{test::modelLine(text, 20, 250, 300, 24)}, text, {}}; }

QImage capture(QColor colour = Qt::white)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class ResultPanel : public test::SettingsTest {
protected:
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

TEST_F(ResultPanel, treatsARunWithoutAnyTranslationAsAFailure_AndSavesNothing)
{
    const int before = historyCount();
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

TEST_F(ResultPanel, showsThatRecognitionFailed_InsteadOfPretendingThereWasNoText)
{
    m_recognizer.reply = platform::RecognitionOutcome::failure(QStringLiteral("没有可用的识别模型"));
    panel().showCapture(capture(), 2.0);
    ASSERT_TRUE(QTest::qWaitFor([] { return model().status().contains(QStringLiteral("没有可用的识别模型")); }, 5000));
    EXPECT_TRUE(model().status().startsWith(QStringLiteral("文字识别失败")));
    EXPECT_TRUE(panel().panel()->isVisible());
    EXPECT_EQ(m_translator.translateCalls, 0);
}

TEST_F(ResultPanel, reportsASaveThatFails)
{
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    panel().chooseSavePath = [](const QString&) { return QStringLiteral("/nonexistent-folder/result.png"); };
    click(ResultView::Action::saveImage);
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("图片保存失败"));
    EXPECT_TRUE(CaptureHUDController::shared().currentSubtitle().contains("/nonexistent-folder/result.png"));
}

TEST_F(ResultPanel, keepsTheEnlargedViewPrivate_AndRemovesIt_OnceThePanelMovesOnAndAtQuit)
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

    panel().show(capture(), {block("otra vez")}, 1.0);
    EXPECT_FALSE(QFile::exists(m_files.opened[0]));
    ASSERT_TRUE(waitUntilTranslated());
    click(ResultView::Action::enlarge);
    panel().previewFiles().removeAll();  // what quitting does
    EXPECT_FALSE(QFile::exists(m_files.opened.last()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(m_files.opened.last()).path()));
}

TEST_F(ResultPanel, saysSo_WhenCopyingOrViewingFails)
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
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());

    click(ResultView::Action::copyImage);
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("复制图片失败"));
    click(ResultView::Action::copyText);
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("复制译文失败"));

    m_files.failure = QStringLiteral("没有找到可以打开这种图片的程序");
    click(ResultView::Action::enlarge);
    EXPECT_EQ(CaptureHUDController::shared().currentTitle(), QStringLiteral("无法放大查看"));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), m_files.failure);
}

TEST_F(ResultPanel, letsGoOfItsPictures_WhenClosed_AndShowsTheNextCaptureAsUsual)
{
    panel().show(capture(), {block("hola amigo")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    panel().panel()->close();
    EXPECT_TRUE(model().displayImage().isNull());
    EXPECT_TRUE(model().baseImage().isNull());
    EXPECT_FALSE(panel().view()->button(ResultView::Action::copyImage)->isEnabled());

    panel().show(capture(Qt::yellow), {block("otra vez")}, 1.0);
    ASSERT_TRUE(waitUntilTranslated());
    EXPECT_EQ(model().displayImage().size(), QSize(400, 300));
    EXPECT_TRUE(panel().view()->button(ResultView::Action::copyImage)->isEnabled());
}
