// Translation in place and text selection on the overlay, with a recogniser
// and a translator the test holds back: cancelling (the engines are told, a
// late result changes nothing), the time-out counted from the request to the
// translator, and a recognition failure while selecting text. The whole road
// with the real engines is in InlineDesktopTest.
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

    FakeTextRecognizer recognizer;
    FakeTextTranslator translator;
    platform::ScopedTextServices engines{{&recognizer, nullptr, &translator}};
    GrantedPermission permission;
    platform::ScopedServices services{platform::PlatformServices{.permission = &permission}};
    FakeOverlayDesktop desktop;
    FakeOutputs outputs;
    SelOverlayController controller{desktop};
    SelOverlayView* view = nullptr;
};

}  // namespace

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

TEST_F(SelInlineTest, aRecognitionFailureWhileSelectingText_SaysSoWithTheReason)
{
    recognizer.failure = QStringLiteral("缺少 chi_sim 识别数据");
    view->toggleTextSelecting();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toast().isEmpty(); }, 3000));
    EXPECT_EQ(toast(), QStringLiteral("文字识别失败：缺少 chi_sim 识别数据"));
    EXPECT_FALSE(selecting().layer());
}
