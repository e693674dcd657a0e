// Translation in place and text selection on the overlay, with a recogniser
// and a translator the test holds back: cancelling (the engines are told, a
// late result changes nothing), the time-out counted from the request to the
// translator, and a recognition failure while selecting text. The whole road
// with the real engines is in InlineDesktopTest.
#include "OverlayFakes.h"

#include "app/HUDButton.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelMessageCard.h"
#include "overlay/SelWidgets.h"
#include "overlay/SelTextSelecting.h"
#include "platform/text/TextRecognizer.h"
#include "platform/text/TextServices.h"
#include "platform/text/Translator.h"
#include "recognition/TargetLanguageReach.h"
#include "stores/HistoryStore.h"

#include <QTest>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <thread>

using namespace klipo;
using namespace klipo::test;
using State = SelInlineTranslation::State;

namespace {

// Holds an engine's work back while closed (a cancel lets it go on); notes the
// calls and the last cancel token.
struct Gate {
    std::atomic<bool> open{true};
    std::atomic<int> waiting{0}, calls{0};
    platform::CancelToken lastCancel;

    void pass(const platform::CancelToken& cancel)
    {
        ++calls, ++waiting;
        lastCancel = cancel;
        while (!open && !cancel.isCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --waiting;
    }
};

// One line of Spanish whose characters each have a box, after the gate (or a failure).
struct FakeTextRecognizer : platform::TextRecognizer {
    Gate gate;
    std::optional<QString> failure;
    int delayMs = 0;

    void recognize(const QImage&, const platform::RecognitionOptions& options, const Report& report) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        gate.pass(options.cancel);
        if (failure) return report(platform::RecognitionOutcome::failure(*failure));
        const QString text = QStringLiteral("El gato duerme en la casa");
        platform::RecognizedLine line{text, QRect(10, 20, 250, 24), 90, {}};
        for (int i = 0; i < int(text.size()); ++i)
            if (!text.at(i).isSpace()) line.symbols.push_back({i, i + 1, QRect(10 + i * 10, 20, 10, 24)});
        report({true, {}, {line}});
    }
};

// Every pair installed; answers each text in English after the gate. An
// unreachable target makes every translation fail.
struct FakeTextTranslator : platform::Translator {
    Gate gate;
    bool reachable = true;

    bool canTranslateInto(const QString&) const override { return reachable; }

    platform::LanguagePairStatus status(const QString&, const QString&) const override
    {
        return platform::LanguagePairStatus::Installed;
    }
    platform::TranslationOutcome prepare(const std::optional<QString>&, const QString&) override
    {
        return reachable ? platform::TranslationOutcome{} : platform::TranslationOutcome::failed("没有语言包");
    }
    platform::TranslationOutcome translate(const std::vector<platform::TranslationRequest>& requests,
                                           const std::optional<QString>&, const QString&,
                                           const platform::CancelToken& cancel) override
    {
        gate.pass(cancel);
        if (cancel.isCancelled()) return platform::TranslationOutcome::cancelled();
        platform::TranslationOutcome outcome;
        for (const auto& r : requests) outcome.responses.push_back({r.clientIdentifier, "The cat sleeps in the house"});
        return outcome;
    }
};

class SelInlineTest : public OverlayTest {
protected:
    void SetUp() override
    {
        OverlayTest::SetUp();
        setSetting("targetLanguage", "en");
        open({.primaryAction = SelAction::translate});
        controller.commitSelection(QRectF(100, 100, 300, 80), view(0));
        ASSERT_EQ(controller.activeView(), view(0));
    }
    void TearDown() override
    {
        recognizer.gate.open = true;
        translator.gate.open = true;
        OverlayTest::TearDown();
        SelInlineTranslation::timeout = std::chrono::milliseconds(30000);
        QThreadPool::globalInstance()->waitForDone(3000);  // the engines may still be unwinding a cancelled run
    }

    SelInlineTranslation& translation() { return view(0)->translation(); }
    static int records() { return int(HistoryStore::shared().allRecords().size()); }
    bool waitState(State state) { return QTest::qWaitFor([&] { return translation().state() == state; }, 5000); }

    FakeTextRecognizer recognizer;
    FakeTextTranslator translator;
    platform::ScopedTextServices engines{{&recognizer, nullptr, &translator}};
};

}  // namespace

TEST_F(SelInlineTest, escWhileRecognisingOrTranslating_StopsTheEngines_AndTheLateResultChangesNothing)
{
    const int before = records();
    recognizer.gate.open = false;
    view(0)->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.gate.waiting == 1; }, 3000));
    EXPECT_EQ(translation().state(), State::running);
    ASSERT_TRUE(view(0)->handleEscapeStep());
    EXPECT_EQ(translation().state(), State::idle);
    EXPECT_TRUE(recognizer.gate.lastCancel.isCancelled());  // the recogniser may stop between bands
    EXPECT_EQ(view(0)->chrome()->toolbar()->mode(), SelInlineToolbar::Mode::normal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.gate.waiting == 0; }, 3000));
    QTest::qWait(200);
    EXPECT_EQ(translator.gate.calls, 0);  // recognition cancelled: nothing was translated

    recognizer.gate.open = true;
    translator.gate.open = false;
    view(0)->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return translator.gate.waiting == 1; }, 3000));
    ASSERT_TRUE(view(0)->handleEscapeStep());
    EXPECT_TRUE(translator.gate.lastCancel.isCancelled());  // stops between requests
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
    view(0)->performPrimaryAction();
    ASSERT_TRUE(waitState(State::done));
    view(0)->handleEscapeStep();

    recognizer.delayMs = 0;
    translator.gate.open = false;  // a translator that never answers
    view(0)->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return translator.gate.waiting == 1; }, 3000));
    ASSERT_TRUE(waitState(State::idle));
    EXPECT_TRUE(translator.gate.lastCancel.isCancelled());
    EXPECT_EQ(toast(), QStringLiteral("翻译超时，已自动取消\n本机翻译 1 秒内没有完成"));
}

// "还原" and translating again gave the history a second record of the same
// capture: the new record takes the place of the first. A capture moved after
// reverting is another one and gets a record of its own.
TEST_F(SelInlineTest, translatingTheSameCaptureAgainAfterReverting_KeepsOneRecord)
{
    const int before = records();
    QSignalSpy saved(&translation(), &SelInlineTranslation::historySaveFinished);
    const auto translateOnce = [&] {
        const int stored = int(saved.size());
        view(0)->performPrimaryAction();
        ASSERT_TRUE(waitState(State::done));
        ASSERT_TRUE(QTest::qWaitFor([&] { return saved.size() == stored + 1; }, 5000));
        EXPECT_TRUE(saved.last().first().toBool());
    };
    const auto newest = [] { return HistoryStore::shared().allRecords().value(0).id; };

    ASSERT_NO_FATAL_FAILURE(translateOnce());
    const QUuid first = newest();
    translation().handleTranslatedAction(SelTranslatedAction::revert);
    ASSERT_NO_FATAL_FAILURE(translateOnce());
    EXPECT_TRUE(QTest::qWaitFor([&] { return records() == before + 1; }, 5000)) << records() - before;
    EXPECT_NE(newest(), first);  // the later translation is the one kept

    translation().handleTranslatedAction(SelTranslatedAction::revert);
    view(0)->nudgeSelection(QPoint(5, 0));
    ASSERT_NO_FATAL_FAILURE(translateOnce());
    EXPECT_EQ(records(), before + 2);
}

// The way out of a failure ("更改目标语言") ends the overlay and opens the
// preferences without first handing the focus back to the program that had
// it: that window, activated meanwhile, kept the preferences behind it.
TEST_F(SelInlineTest, theFailuresWayOut_OpensThePicker_WithoutGivingTheFocusBackFirst)
{
    translator.reachable = false;
    int pickers = 0;
    TargetLanguageReach::setOpenPicker([&] {
        EXPECT_FALSE(controller.isActive());
        EXPECT_TRUE(desktop.activated.isEmpty()) << desktop.activated.size() << " window(s) activated before";
        ++pickers;
    });
    const auto restore = qScopeGuard([] { TargetLanguageReach::setOpenPicker({}); });
    view(0)->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toast().isEmpty(); }, 3000));
    auto* card = dynamic_cast<SelMessageCard*>(view(0)->chrome()->toast());
    ASSERT_TRUE(card && card->wayOutButton());
    card->wayOutButton()->click();
    EXPECT_EQ(pickers, 1);
    EXPECT_TRUE(desktop.activated.isEmpty());
}

TEST_F(SelInlineTest, aRecognitionFailureWhileSelectingText_SaysSoWithTheReason)
{
    recognizer.failure = QStringLiteral("缺少 chi_sim 识别数据");
    view(0)->toggleTextSelecting();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toast().isEmpty(); }, 3000));
    EXPECT_EQ(toast(), QStringLiteral("文字识别失败：缺少 chi_sim 识别数据"));
    EXPECT_FALSE(view(0)->textSelecting().layer());
}

namespace {
QString keyText(const QList<HUDHintPanel::Row>& rows, const QString& key)
{
    for (const HUDHintPanel::Row& row : rows)
        if (row.key == key) return row.text;
    return {};
}
// The filled buttons a toolbar row shows.
QList<HUDButton*> filled(QWidget* row)
{
    QList<HUDButton*> buttons;
    for (HUDButton* button : row->findChildren<HUDButton*>())
        if (SelWidgets::isEmphasized(button) && !button->isHidden()) buttons << button;
    return buttons;
}
}  // namespace

// The hint card lists what each key does now, and the filled button is the
// one Return presses: translate before, nothing but Esc while it runs, copy
// the translated picture once it is there.
TEST_F(SelInlineTest, theHintCardAndTheFilledButton_SayWhatTheKeysDo_BeforeDuringAndAfterATranslation)
{
    SelInlineToolbar* bar = view(0)->chrome()->toolbar();
    EXPECT_EQ(keyText(view(0)->hintRows(), QStringLiteral("回车")), QStringLiteral("翻译"));
    EXPECT_EQ(filled(bar->normalRow()), QList<HUDButton*>{bar->actionButton(SelAction::translate)});

    translator.gate.open = false;
    view(0)->performPrimaryAction();
    ASSERT_TRUE(QTest::qWaitFor([&] { return translator.gate.waiting == 1; }, 3000));
    QList<HUDHintPanel::Row> rows = view(0)->hintRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(keyText(rows, QStringLiteral("Esc")), QStringLiteral("取消翻译"));

    translator.gate.open = true;
    ASSERT_TRUE(waitState(State::done));
    rows = view(0)->hintRows();
    EXPECT_EQ(keyText(rows, QStringLiteral("回车")), QStringLiteral("复制翻译后的图片"));
    for (const QString& idle : {QStringLiteral("方向键"), QStringLiteral("Ctrl+Z")})
        EXPECT_EQ(keyText(rows, idle), QString());
    const QList<HUDButton*> buttons = filled(bar->translatedRow());
    ASSERT_EQ(buttons.size(), 1);
    const QImage composite = translation().composite();
    buttons[0]->click();  // the filled button does what Return does: the translated picture is copied
    ASSERT_EQ(outputs.copies.size(), 1);
    EXPECT_EQ(outputs.copies[0], composite);
}

// A plain screenshot's Return copies: the copy button is the filled one, and
// once marks hold the selection the arrow keys are no longer offered.
TEST_F(OverlayTest, aPlainCapturesFilledButtonIsCopy_AndMarksTakeTheArrowKeysOffTheCard)
{
    open({.primaryAction = SelAction::copy});
    controller.commitSelection(QRectF(100, 100, 300, 80), view(0));
    SelInlineToolbar* bar = view(0)->chrome()->toolbar();
    EXPECT_EQ(filled(bar->normalRow()), QList<HUDButton*>{bar->actionButton(SelAction::copy)});
    EXPECT_EQ(keyText(view(0)->hintRows(), QStringLiteral("回车")), QStringLiteral("复制"));
    EXPECT_FALSE(keyText(view(0)->hintRows(), QStringLiteral("方向键")).isEmpty());

    view(0)->chrome()->setTool(AnnoTool::rectangle);
    AnnoCanvasView* canvas = view(0)->chrome()->canvas();
    ASSERT_TRUE(canvas);
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(canvas, QPoint(80, 60));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(80, 60));
    ASSERT_TRUE(view(0)->chrome()->canvasHoldsMarks());
    EXPECT_EQ(keyText(view(0)->hintRows(), QStringLiteral("方向键")), QString());
    EXPECT_EQ(keyText(view(0)->hintRows(), QStringLiteral("Ctrl+Z")), QStringLiteral("撤销"));
}
