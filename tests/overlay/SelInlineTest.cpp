// Translation in place and text selection on the overlay, with a recogniser
// and a translator the test holds back: the translated picture and its one
// history record, cancelling (the engines are told, a late result changes
// nothing), the time-out counted from the request to the translator, and
// selecting recognised and translated text with the pointer.
#include "InlineFakes.h"
#include "OverlayFakes.h"

#include "overlay/SelEditingChrome.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelTextSelecting.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "platform/text/TextServices.h"
#include "stores/HistoryStore.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace klipo;
using namespace klipo::test;
using State = SelInlineTranslation::State;

namespace {

class SelInlineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller.setOutputs(&outputs);
        platform::SettingsStore::shared().setValue(QStringLiteral("targetLanguage"), QStringLiteral("en"));
        SelRequest request;
        request.primaryAction = SelAction::translate;
        controller.begin(std::move(request));
        desktop.answer(FakeOverlayDesktop::stills());
        view = controller.windows().value(0)->overlayView();
        controller.commitSelection(QRectF(100, 100, 300, 80), view);
        ASSERT_EQ(controller.activeView(), view);
    }
    void TearDown() override
    {
        recognizer.gate.open = true;
        translator.gate.open = true;
        controller.cancel();
        SelInlineTranslation::timeout = std::chrono::milliseconds(30000);
        platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // The engines may still be unwinding a cancelled run.
        QThreadPool::globalInstance()->waitForDone(3000);
    }

    SelInlineTranslation& translation() { return view->translation(); }
    SelTextSelecting& selecting() { return view->textSelecting(); }
    static int records() { return int(HistoryStore::shared().allRecords().size()); }
    QString toast() const
    {
        QWidget* card = view->chrome()->toast();
        QLabel* label = card ? card->findChild<QLabel*>() : nullptr;
        return label ? label->text() : QString();
    }
    bool waitState(State state) { return QTest::qWaitFor([&] { return translation().state() == state; }, 5000); }

    // A click (or the second of a double click) at a view point.
    void click(QPointF at, bool doubleClick = false)
    {
        const QPointF global = view->mapToGlobal(at);
        QMouseEvent press(doubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, at, global,
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        press.setTimestamp(++clock);
        QCoreApplication::sendEvent(view, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        release.setTimestamp(++clock);
        QCoreApplication::sendEvent(view, &release);
    }

    FakeTextRecognizer recognizer;
    FakeTextTranslator translator;
    platform::ScopedTextServices engines{{&recognizer, nullptr, &translator}};
    GrantedPermission permission;
    TextClipboard clipboard;
    platform::ScopedServices services{platform::PlatformServices{.clipboard = &clipboard, .permission = &permission}};
    FakeOverlayDesktop desktop;
    FakeOutputs outputs;
    SelOverlayController controller{desktop};
    SelOverlayView* view = nullptr;
    quint64 clock = 1000;
};

}  // namespace

TEST_F(SelInlineTest, translatesInPlace_RecordsOnce_CopiesTheTranslation_AndRevertsToThePicture)
{
    const int before = records();
    QSignalSpy saved(&translation(), &SelInlineTranslation::historySaveFinished);
    view->performPrimaryAction();  // Return, with translate as the primary action
    ASSERT_TRUE(waitState(State::done));
    EXPECT_TRUE(view->isSelectionLocked());
    EXPECT_EQ(view->chrome()->toolbar()->mode(), SelInlineToolbar::Mode::translated);
    const QImage crop = controller.croppedImage(view->selection(), view, false);
    ASSERT_EQ(translation().composite().size(), crop.size());
    EXPECT_NE(translation().composite(), crop);
    ASSERT_TRUE(translation().imageView() && translation().imageView()->isVisible());

    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.count() == 1; }, 5000));
    EXPECT_TRUE(saved.first().first().toBool());
    const QList<HistoryRecord> history = HistoryStore::shared().allRecords();
    ASSERT_EQ(history.size(), before + 1);
    EXPECT_EQ(history.first().originalText, QStringLiteral("El gato duerme en la casa"));
    EXPECT_EQ(history.first().translatedText, QStringLiteral("The cat sleeps in the house"));

    view->chrome()->toolbar()->onTranslatedAction(SelTranslatedAction::copyText);
    EXPECT_EQ(clipboard.held, QStringLiteral("The cat sleeps in the house"));
    EXPECT_EQ(toast(), QStringLiteral("已复制 27 个字符"));

    EXPECT_TRUE(view->handleEscapeStep());  // Esc reverts first
    EXPECT_EQ(translation().state(), State::idle);
    EXPECT_FALSE(translation().imageView());
    EXPECT_EQ(view->chrome()->toolbar()->mode(), SelInlineToolbar::Mode::normal);

    // Save on a translated result: the picture goes to the output path without a second record.
    view->performPrimaryAction();
    ASSERT_TRUE(waitState(State::done));
    view->chrome()->toolbar()->onTranslatedAction(SelTranslatedAction::save);
    EXPECT_FALSE(controller.isActive());
    ASSERT_EQ(outputs.saves.size(), 1);
    EXPECT_EQ(outputs.saveHistoryFlags, QList<bool>{false});
}

TEST_F(SelInlineTest, escWhileRecognisingOrTranslating_StopsTheEngines_AndTheLateResultChangesNothing)
{
    const int before = records();
    recognizer.gate.open = false;
    view->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.gate.waiting == 1; }, 3000));
    EXPECT_EQ(translation().state(), State::running);
    ASSERT_TRUE(view->handleEscapeStep());
    EXPECT_EQ(translation().state(), State::idle);
    EXPECT_TRUE(recognizer.lastCancel.isCancelled());  // the recogniser may stop between bands
    EXPECT_EQ(view->chrome()->toolbar()->mode(), SelInlineToolbar::Mode::normal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.gate.waiting == 0; }, 3000));
    QTest::qWait(200);
    EXPECT_EQ(translator.calls, 0);  // recognition cancelled: nothing was translated

    recognizer.gate.open = true;
    translator.gate.open = false;
    view->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return translator.gate.waiting == 1; }, 3000));
    ASSERT_TRUE(view->handleEscapeStep());
    EXPECT_TRUE(translator.lastCancel.isCancelled());  // stops between requests
    translator.gate.open = true;
    QTest::qWait(300);
    EXPECT_EQ(translation().state(), State::idle);
    EXPECT_FALSE(translation().imageView());
    EXPECT_EQ(records(), before);
}

TEST_F(SelInlineTest, theTimeOutCountsFromTheTranslationRequest_AndSaysSo)
{
    SelInlineTranslation::timeout = std::chrono::milliseconds(300);
    recognizer.delayMs = 600;  // a slow first recognition does not count
    view->performPrimaryAction();
    ASSERT_TRUE(waitState(State::done));
    view->handleEscapeStep();

    recognizer.delayMs = 0;
    translator.gate.open = false;  // a translator that never answers
    view->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return translator.gate.waiting == 1; }, 3000));
    ASSERT_TRUE(waitState(State::idle));
    EXPECT_TRUE(translator.lastCancel.isCancelled());
    EXPECT_EQ(toast(), QStringLiteral("翻译超时，已自动取消\n本机翻译 1 秒内没有完成"));
}

TEST_F(SelInlineTest, selectingText_RecognisedOnce_WordsLinesAndAll_ThenTheTranslation)
{
    view->toggleTextSelecting();
    EXPECT_TRUE(view->isSelectionLocked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return selecting().layer() != nullptr; }, 3000));
    // "El gato duerme en la casa" lies at x 110..360 of the view, 10 points a
    // character: "duerme" at 190..250.
    click({215, 132});
    click({215, 132}, true);
    EXPECT_EQ(selecting().layer()->selectedText(), QStringLiteral("duerme"));
    EXPECT_FALSE(selecting().highlightView()->rects().isEmpty());
    ASSERT_TRUE(view->copySelectedText());  // Ctrl+C
    EXPECT_EQ(clipboard.held, QStringLiteral("duerme"));
    click({215, 132});  // the third click in a row: the line
    EXPECT_EQ(selecting().layer()->selectedText(), QStringLiteral("El gato duerme en la casa"));
    click({390, 170});  // a new single click clears
    EXPECT_FALSE(view->copySelectedText());
    ASSERT_TRUE(view->selectAllText());
    EXPECT_TRUE(view->handleEscapeStep());  // Esc clears the selection first
    EXPECT_FALSE(selecting().layer()->hasSelection());

    // Off and on again: the recognised text is kept, not recognised again.
    view->toggleTextSelecting();
    view->toggleTextSelecting();
    EXPECT_EQ(recognizer.calls, 1);

    view->performPrimaryAction();
    ASSERT_TRUE(waitState(State::done));
    ASSERT_TRUE(view->selectAllText());
    ASSERT_TRUE(view->copySelectedText());
    EXPECT_EQ(clipboard.held, QStringLiteral("The cat sleeps in the house"));
}

TEST_F(SelInlineTest, aRecognitionFailureWhileSelectingText_SaysSoWithTheReason)
{
    recognizer.failure = QStringLiteral("缺少 chi_sim 识别数据");
    view->toggleTextSelecting();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toast().isEmpty(); }, 3000));
    EXPECT_EQ(toast(), QStringLiteral("文字识别失败：缺少 chi_sim 识别数据"));
    EXPECT_FALSE(selecting().layer());
}
