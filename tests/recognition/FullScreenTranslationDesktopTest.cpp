// Full-screen translation on the headless desktop, from a real screen grab to
// the history: Spanish text on the screen, translated on this machine.
// Needs the headless X11 desktop and apertium-eng-spa; skips without a display.
#include "TextPictures.h"
#include "app/SettingsFixture.h"
#include "app/StabilityCaptureService.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace klipo;

namespace {

using FullScreenTranslation = test::SettingsTest;

ResultPanelController& panel() { return ResultPanelController::shared(); }
void click(ResultView::Action action) { panel().view()->button(action)->click(); }

}  // namespace

TEST_F(FullScreenTranslation, translatesSpanishIntoEnglish_CopiesSavesAndKeepsItInTheHistory)
{
    if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    QLabel window(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    window.setPixmap(QPixmap::fromImage(test::drawPicture(
        QSize(1600, 900), {{"El gato duerme en la casa grande.", {80, 100}, 36},
                           {"Mi hermano trabaja en la ciudad.", {80, 260}, 36},
                           {"Los perros comen en el jardin.", {80, 420}, 36}})));
    window.setGeometry(100, 60, 1600, 900);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);  // let the X server draw it
    QCursor::setPos(1700, 980);
    set("targetLanguage", "en");
    const int before = int(HistoryStore::shared().allRecords().size());
    QSignalSpy saved(&panel(), &ResultPanelController::historySaveFinished);
    // A real full-screen capture handed to the panel's entry, as the shell does.
    panel().hideForCapture();
    std::optional<platform::CaptureOutcome> shot;
    StabilityCaptureService::capture(CaptureService::Mode::fullScreen, [&](auto outcome) { shot = outcome; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot.has_value(); }, 10000));
    ASSERT_TRUE(shot->ok()) << qPrintable(shot->error);
    QSignalSpy changes(&panel().model(), &ResultModel::changed);
    panel().showCapture(shot->image, shot->scale);
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.count() > 0 && !panel().model().isTranslating(); }, 60000));
    const ResultModel& model = panel().model();
    ASSERT_EQ(model.status(), QString());
    EXPECT_TRUE(panel().panel()->isVisible());

    // What the panel shows reads as English.
    QFuture<OcrOutcome> reading = OCRService::recognizeBlocks(panel().view()->grab().toImage(), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reading.isFinished(); }, 30000));
    const QString shown = test::allText(reading.result().blocks).toLower();
    EXPECT_TRUE(shown.contains("cat") && shown.contains("brother") && !shown.contains("gato")) << qPrintable(shown);

    click(ResultView::Action::copyText);
    EXPECT_EQ(platform::services().clipboard->text(), model.translatedJoined());
    click(ResultView::Action::copyImage);
    EXPECT_EQ(platform::services().clipboard->image().size(), QSize(1920, 1080));

    const QString file = test::freshDir("saved") + "/translated.png";
    panel().chooseSavePath = [&](const QString&) { return file; };
    click(ResultView::Action::saveImage);
    panel().chooseSavePath = nullptr;
    EXPECT_EQ(QImage(file).size(), QSize(1920, 1080));

    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.count() == 1; }, 10000));
    const QList<HistoryRecord> records = HistoryStore::shared().allRecords();
    ASSERT_EQ(records.size(), before + 1);
    EXPECT_TRUE(records.first().originalText.contains("gato")) << qPrintable(records.first().originalText);
    EXPECT_EQ(records.first().translatedText, model.translatedJoined());
    EXPECT_EQ(records.first().targetLanguage, QStringLiteral("en"));
}
