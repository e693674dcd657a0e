// What gets translated and from which language; the result panel's state for
// a new capture (what the status says, how big and where it opens); and one
// translation run: responses placed by their identifiers, the translated
// picture, and the failures the user must see.
#include "ResultFakes.h"
#include "TextPictures.h"
#include "app/AppFakes.h"
#include "platform/text/Cld2LanguageDetector.h"
#include "platform/text/LanguageDetector.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "recognition/ResultTranslationRun.h"
#include "recognition/TargetLanguageReach.h"
#include "recognition/TranslationPlanner.h"
#include "recognition/ResultView.h"
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

using namespace klipo;
using platform::TranslationResponse;
namespace Run = klipo::ResultTranslationRun;
namespace TP = klipo::TranslationPlanner;

namespace {

// A recogniser that always gives the same answer (none when `dominant` is empty).
struct FixedDetector : platform::LanguageDetector {
    FixedDetector(QString dominant, double probability) : dominant(std::move(dominant)), probability(probability) {}
    platform::LanguageGuess detect(const QString&) const override
    {
        if (dominant.isEmpty()) return {};
        return {dominant, {{dominant, probability}}};
    }
    QString dominant;
    double probability;
};

TextBlock block(const QString& text) { return {{test::modelLine(text, 10, 10, 200, 20)}, text, {}}; }

// A window's one-word title above its text: the title is a word no language
// can be told from.
const QStringList kEnglishPage = {"Remember to buy milk and bread on the way home.",
                                  "The meeting with the design team moves to Thursday afternoon."};
const QStringList kSpanishPage = {"El gato duerme en la casa grande.", "Mi hermano trabaja en la ciudad.",
                                  "Los perros comen en el jardin."};
std::vector<TextBlock> titled(const QStringList& page)
{
    std::vector<TextBlock> blocks{block("Notes")};
    for (const QString& text : page) blocks.push_back(block(text));
    return blocks;
}
// The same window drawn and read by the recogniser.
std::vector<TextBlock> recognised(const QImage& picture)
{
    QFuture<OcrOutcome> reading = OCRService::recognizeBlocks(picture, false);
    [&] { ASSERT_TRUE(QTest::qWaitFor([&] { return reading.isFinished(); }, 30000)); }();
    return reading.isFinished() ? reading.result().blocks : std::vector<TextBlock>{};
}
QImage titledPicture(const QStringList& page)
{
    std::vector<test::DrawnLine> lines{{"Notes", {40, 30}, 30}};
    for (const QString& text : page) lines.push_back({text, {40, 130 + 70 * int(lines.size())}, 24});
    return test::drawPicture(QSize(1200, 420), lines);
}

std::optional<platform::ScreenInfo> mainScreen(int width = 1440, int height = 900)
{
    return test::screen("main", 1, QRect(0, 0, width, height), 1);
}

TranslationJob job(std::vector<QString> texts, QString source = "es", QString target = "en")
{
    std::vector<TextBlock> blocks;
    for (const QString& text : texts)
        blocks.push_back({{test::modelLine(text, 20, 250 - 50 * qreal(blocks.size()), 300, 24)}, text, {}});
    return {test::drawPicture(QSize(400, 300), {}), blocks, 2.0, source, target, true};
}

}  // namespace

TEST(TranslationPlanner, chineseTarget_TranslatesTextThatIsMostlyForeign_KanaHangulCyrillicAndGreekIncluded)
{
    const FixedDetector none(QString(), 0);
    const std::pair<const char*, bool> cases[] = {
        {"ok", true},  {"a", false}, {"", false}, {"hello中文", true}, {"十个汉字十个汉字十个 the", false},
        {"今日はとても良い天気です", true}, {"오늘은 날씨가 좋습니다", true}, {"Привет, мир", true},
        {"Καλημέρα κόσμε", true}, {"东京都千代田区のビル", false},  // mostly Han
    };
    for (const auto& [text, needed] : cases)
        EXPECT_EQ(TP::needsTranslation(QString::fromUtf8(text), QStringLiteral("zh-Hans"), &none), needed) << text;
}

// Four fifths of the letters, counted in whole numbers, is mostly Latin; one
// stop word alone is no vote.
TEST(TranslationPlanner, mostlyLatinFromFourFifthsRoundedDown_AndAVoteNeedsTwoStopWords)
{
    EXPECT_TRUE(TP::isMostlyLatin(QStringLiteral("abcdж")));   // 4 of 5
    EXPECT_TRUE(TP::isMostlyLatin(QStringLiteral("abcdжж")));  // 4 of 6: (4 × 6) / 5 is 4
    EXPECT_FALSE(TP::isMostlyLatin(QStringLiteral("abcжж")));  // 3 of 5
    EXPECT_FALSE(TP::stopwordVote(QStringLiteral("le chat noir")).has_value());
    EXPECT_EQ(TP::stopwordVote(QStringLiteral("le chat et la souris")).value_or("none").toStdString(), "fr");
}

// As many Han characters as foreign letters is not "mostly foreign".
TEST(TranslationPlanner, chineseTarget_AsManyHanAsForeignLetters_StaysUntranslated)
{
    const FixedDetector none(QString(), 0);
    const std::pair<const char*, bool> cases[] = {
        {"ab中文", false}, {"abc中文", true}, {"中文ab", false}, {"OK 好的", false}, {"мир 你好世", false},
    };
    for (const auto& [text, needed] : cases)
        EXPECT_EQ(TP::needsTranslation(QString::fromUtf8(text), QStringLiteral("zh-Hans"), &none), needed) << text;
    const TP::Plan plan = TP::plan({block(QStringLiteral("OK 好的")), block(QStringLiteral("Save 保存"))},
                                   QStringLiteral("zh-Hans"), &none);
    ASSERT_EQ(plan.blocksToTranslate.size(), 1u);
    EXPECT_EQ(plan.blocksToTranslate[0].text.toStdString(), "Save 保存");
}

TEST(TranslationPlanner, dropsTextAlreadyInTheTarget_CountingChineseVariantsAndRegionsAsOneLanguage)
{
    const FixedDetector english(QStringLiteral("en"), 0.95);
    EXPECT_TRUE(TP::plan({block(QStringLiteral("Save your work"))}, QStringLiteral("EN-us"), &english)
                    .blocksToTranslate.empty());
    const FixedDetector chinese(QStringLiteral("zh-Hans"), 0.9);
    EXPECT_TRUE(TP::plan({block(QStringLiteral("你好世界 ab"))}, QStringLiteral("zh-Hant"), &chinese)
                    .blocksToTranslate.empty());
    const TP::Plan mixed = TP::plan({block(QStringLiteral("hello 你好世界"))}, QStringLiteral("zh-Hant"), &chinese);
    ASSERT_EQ(mixed.blocksToTranslate.size(), 1u);
    EXPECT_FALSE(mixed.sourceLanguage.has_value());  // a Chinese source is never named for a Chinese target

    const FixedDetector french(QStringLiteral("fr"), 0.95);
    const TP::Plan kept =
        TP::plan({block(QStringLiteral("Enregistrez le document et fermez la fenêtre"))}, QStringLiteral("en-US"), &french);
    ASSERT_EQ(kept.blocksToTranslate.size(), 1u);
    EXPECT_EQ(kept.sourceLanguage, QStringLiteral("fr"));
    const FixedDetector unsure(QString(), 0);
    EXPECT_EQ(TP::plan({block(QStringLiteral("xyzzy"))}, QStringLiteral("en"), &unsure).blocksToTranslate.size(), 1u);
}

TEST(TranslationPlanner, shortLatinText_TrustsAClearStopWordVoteOrEnglish_OverTheRecogniser)
{
    const FixedDetector german(QStringLiteral("de"), 0.9);
    EXPECT_EQ(TP::detectLanguage(QStringLiteral("le chat est sur la table"), &german), QStringLiteral("fr"));
    EXPECT_EQ(TP::stopwordVote(QStringLiteral("Él está aquí con su perro y más")), QStringLiteral("es"));
    EXPECT_EQ(TP::stopwordVote(QStringLiteral("na\u0303o esta\u0301 bem")), QStringLiteral("pt"));  // decomposed accents
    EXPECT_FALSE(TP::stopwordVote(QStringLiteral("het van op")).has_value());  // nl and af tie
    EXPECT_FALSE(TP::stopwordVote(QStringLiteral("chat noir dort")).has_value());

    const QString words = QStringLiteral("Katze Hund Maus Baum Haus Wald Feld");
    EXPECT_EQ(TP::detectLanguage(words, &german), QStringLiteral("en"));
    EXPECT_EQ(TP::detectLanguage(words + QStringLiteral(" Berg"), &german), QStringLiteral("de"));
    const FixedDetector unsureGerman(QStringLiteral("de"), 0.4);
    EXPECT_EQ(TP::detectLanguage(words + QStringLiteral(" Berg"), &unsureGerman), QStringLiteral("en"));
    const FixedDetector none(QString(), 0);
    EXPECT_FALSE(TP::detectLanguage(QStringLiteral("12:30 — 45%"), &none).has_value());  // not Latin text
}

// The real recogniser names no language for a lone word: it goes with the
// language of the rest of the picture, never on its own into a failure.
TEST(TranslationPlanner, aWordWithoutANamedLanguage_IsPlannedWithTheRestOfThePicture)
{
    const platform::Cld2LanguageDetector cld2;
    ASSERT_TRUE(cld2.detect("Notes").dominant.isEmpty());
    EXPECT_TRUE(TP::plan(titled(kEnglishPage), "en", &cld2).blocksToTranslate.empty());
    const TP::Plan spanish = TP::plan(titled(kSpanishPage), "en", &cld2);
    EXPECT_EQ(spanish.blocksToTranslate.size(), 4u);
    EXPECT_EQ(spanish.sourceLanguage, QStringLiteral("es"));
    const TP::Plan mixed = TP::plan(titled({kEnglishPage[0], kSpanishPage[0], kEnglishPage[1]}), "en", &cld2);
    ASSERT_EQ(mixed.blocksToTranslate.size(), 1u);
    EXPECT_EQ(mixed.blocksToTranslate[0].text, kSpanishPage[0]);
    EXPECT_EQ(TP::plan({block("Notes")}, "en", &cld2).blocksToTranslate.size(), 1u);  // nothing else to go by
}

// Short Spanish lines the recogniser takes for English, on a Spanish page:
// their stop words, or the lack of English ones, tell, and they are
// translated with the rest; an English line among them is left as it is.
TEST(TranslationPlanner, aShortLineTheRecogniserCallsEnglish_GoesByItsStopWords)
{
    const platform::Cld2LanguageDetector cld2;
    const QString lines[] = {QStringLiteral("Cambios no rastreados para el commit:"),
                             QStringLiteral("modificado: docs/manual de usuario.md")};
    std::vector<TextBlock> page = titled(kSpanishPage);
    for (const QString& line : lines) {
        ASSERT_EQ(cld2.detect(line).dominant, QStringLiteral("en"));
        page.push_back(block(line));
    }
    page.push_back(block(QStringLiteral("Download the file from the server")));
    const TP::Plan plan = TP::plan(page, "en", &cld2);
    for (const QString& line : lines)
        EXPECT_TRUE(std::any_of(plan.blocksToTranslate.begin(), plan.blocksToTranslate.end(),
                                [&](const TextBlock& b) { return b.text == line; }))
            << qPrintable(line);
    EXPECT_EQ(plan.blocksToTranslate.size(), kSpanishPage.size() + 1 + 2);  // the English line stays
    EXPECT_EQ(plan.sourceLanguage, QStringLiteral("es"));
}

// Full-screen translation of such windows, read and translated on this
// machine (apertium-eng-spa): English says so, Spanish is translated.
TEST(ResultModel, aOneWordTitle_LeavesEnglishTextUntranslated_AndSpanishTranslated)
{
    ResultModel model;
    EXPECT_FALSE(model.start(titledPicture(kEnglishPage), recognised(titledPicture(kEnglishPage)), 1, "en", mainScreen()));
    EXPECT_EQ(model.status(), QStringLiteral("画面中的文字已是英语"));

    const std::vector<TextBlock> spanish = recognised(titledPicture(kSpanishPage));
    ASSERT_TRUE(std::any_of(spanish.begin(), spanish.end(), [](const TextBlock& b) { return b.text == "Notes"; }));
    const std::optional<TranslationJob> job = model.start(titledPicture(kSpanishPage), spanish, 1, "en", mainScreen());
    ASSERT_TRUE(job.has_value()) << qPrintable(model.status());
    const TranslationRunOutcome outcome = Run::run(*job, {});
    ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << qPrintable(outcome.failure);
    EXPECT_TRUE(outcome.translatedJoined.contains("cat")) << qPrintable(outcome.translatedJoined);
}

TEST(ResultModel, saysWhyThereIsNothingToTranslate_InsteadOfTranslating)
{
    const struct {
        std::vector<TextBlock> blocks;
        const char* target;
        QString status;
    } cases[] = {
        {{block("1 2 3"), block("a. b."), block("中 文")}, "zh-Hans", ResultModel::noTextStatus},  // no two letters in a row
        {{block("The quick brown fox jumps over the lazy dog and the cat")}, "en", QStringLiteral("画面中的文字已是英语")},
        {{block("这是一段已经是中文的文字")}, "zh-Hans", QStringLiteral("画面中的文字已是中文")},
    };
    for (const auto& c : cases) {
        ResultModel model;
        EXPECT_FALSE(model.start(test::drawPicture(QSize(400, 300), {}), c.blocks, 2, c.target, mainScreen()));
        EXPECT_FALSE(model.isTranslating());
        EXPECT_EQ(model.status(), c.status);
    }
    ResultModel model;  // text in another language is translated
    ASSERT_TRUE(model.start(test::drawPicture({400, 300}, {}), {block("ありがとう")}, 1, "zh-Hans", mainScreen()).has_value());
    EXPECT_EQ(model.status(), ResultModel::translatingStatus);
}

TEST(ResultPanelGeometry, fitsTheMainScreenNeverAboveItsOwnSize_AndOpensBelowRightOfThePointerOnScreen)
{
    const QSizeF large = ResultModel::fittedDisplaySize(QSize(3400, 2000), 2, mainScreen(2000, 1000));
    EXPECT_EQ(ResultPanelController::contentSize(large).toSize(), QSize(1316, 848));
    const QSizeF small = ResultModel::fittedDisplaySize(QSize(400, 100), 2, mainScreen(2000, 1000));
    EXPECT_EQ(ResultPanelController::contentSize(small).toSize(), QSize(460, 138));

    const QRect area(0, 0, 1920, 1050);
    EXPECT_EQ(ResultPanelController::originNearPointer({100, 100}, {500, 400}, area), QPoint(116, 116));
    EXPECT_EQ(ResultPanelController::originNearPointer({1900, 1040}, {500, 400}, area), QPoint(1420, 650));
    // Larger than the area: its right and top edges win.
    EXPECT_EQ(ResultPanelController::originNearPointer({100, 100}, {2000, 1200}, area), QPoint(-80, 0));
}

TEST(ResultTranslationRun, placesResponsesByIdentifier_AndDropsUnusableOnes)
{
    const std::vector<TranslationResponse> responses = {
        {"2", "third"},  {"+1", "second"}, {"-1", "minus"},   {"7", "seven"},
        {"", "empty"},   {std::nullopt, "missing"}, {"1x", "junk"}, {"99999999999999999999", "overflow"},
        {"0", "first"},  {"2", "third again"}};
    EXPECT_EQ(Run::placeResponses(responses, 3), (std::vector<QString>{"first", "second", "third again"}));
}

TEST(ResultTranslationRun, drawsOnlyTranslatedBlocks_ButKeepsEverySourceText)
{
    test::FakeTranslator translator;
    translator.answer = [](const auto& requests) {
        std::vector<TranslationResponse> out;
        for (const auto& r : requests)
            out.push_back({r.clientIdentifier, r.clientIdentifier == "1" ? QString() : "T" + r.sourceText});
        return out;
    };
    const TranslationRunOutcome outcome = Run::run(job({"uno dos", "tres", "cuatro"}), {}, &translator);
    ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << qPrintable(outcome.failure);
    EXPECT_EQ(outcome.translatedJoined, QStringLiteral("Tuno dos\nTcuatro"));
    EXPECT_EQ(outcome.originalText, QStringLiteral("uno dos\ntres\ncuatro"));
    EXPECT_EQ(outcome.image.deviceIndependentSize(), QSizeF(200, 150));
}

TEST(ResultTranslationRun, failsWhenNoBlockGetsATranslation_OrThePairCannotBePrepared)
{
    test::FakeTranslator translator;
    translator.answer = [](const auto& requests) {
        return std::vector<TranslationResponse>{{requests[0].clientIdentifier, QString()}};
    };
    const TranslationRunOutcome empty = Run::run(job({"hola"}), {}, &translator);
    EXPECT_EQ(empty.kind, TranslationRunOutcome::Kind::Failed);
    EXPECT_TRUE(empty.failure.startsWith(QStringLiteral("翻译失败："))) << qPrintable(empty.failure);

    translator.prepareFailure = QStringLiteral("请安装语言包");
    EXPECT_EQ(Run::run(job({"hola"}), {}, &translator).failure, QStringLiteral("翻译失败：请安装语言包"));

    platform::CancelToken cancel;  // a newer capture arrives while the batch runs
    translator.prepareFailure.clear();
    translator.answer = [cancel](const auto& requests) {
        cancel.cancel();
        return std::vector<TranslationResponse>{{requests[0].clientIdentifier, "hello"}};
    };
    EXPECT_EQ(Run::run(job({"hola"}), cancel, &translator).kind, TranslationRunOutcome::Kind::Cancelled);
}

// The real translation layer: Apertium with only apertium-eng-spa installed.
// English into Spanish is there: French or Japanese text still fails under
// its own name instead of going through the English pack.
TEST(ResultTranslationRun, namesTheMissingPair_NeverSwappingTheSourceForEnglish)
{
    const std::pair<TranslationJob, const char*> cases[] = {
        {job({"El gato duerme en la casa."}, "es", "zh-Hans"), "从西班牙语翻译成简体中文"},
        {job({"Le chat dort dans la maison."}, "fr", "es"), "从法语翻译成西班牙语"},
        {job({"今日はとても良い天気です。"}, "ja", "es"), "从日语翻译成西班牙语"}};
    for (const auto& [job, named] : cases) {
        const TranslationRunOutcome outcome = Run::run(job, {});
        EXPECT_EQ(outcome.kind, TranslationRunOutcome::Kind::Failed);
        EXPECT_TRUE(outcome.failure.contains(QString::fromUtf8(named))) << qPrintable(outcome.failure);
    }
}

// With the real packs (apertium-eng-spa only): Simplified Chinese, the
// default target, cannot be translated into at all; the failure says so and
// the panel offers the way to another target. A missing pair into a target
// that other packs reach (French into Spanish) only names the pair.
TEST(ResultModel, aFailureIntoATargetNoPackReaches_SaysSo_AndOffersTheTargetLanguagePicker)
{
    int opened = 0;
    TargetLanguageReach::setOpenPicker([&] { ++opened; });
    const auto restore = qScopeGuard([] { TargetLanguageReach::setOpenPicker(nullptr); });
    const struct {
        QString text, target;
        bool offers;
    } cases[] = {{"El gato duerme en la casa grande y el perro en el jardín.", "zh-Hans", true},
                 {"Le chat dort dans la grande maison et le chien dans le jardin.", "es", false}};
    for (const auto& c : cases) {
        ResultModel model;
        ResultView view(model);
        const std::optional<TranslationJob> job =
            model.start(test::drawPicture({400, 300}, {}), {block(c.text)}, 1, c.target, mainScreen());
        ASSERT_TRUE(job.has_value());
        model.finish(Run::run(*job, {}));
        EXPECT_TRUE(model.status().startsWith(QStringLiteral("翻译失败："))) << qPrintable(model.status());
        EXPECT_EQ(model.status().contains(QStringLiteral("本机没有能译成简体中文的语言包")), c.offers);
        EXPECT_EQ(model.offersTargetLanguageChange(), c.offers);
        EXPECT_EQ(view.targetLanguageButton()->isVisibleTo(&view), c.offers) << qPrintable(c.target);
    }

    // On the panel (default target): the button closes it and opens the picker.
    platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));
    ResultPanelController& panel = ResultPanelController::shared();
    panel.show(test::drawPicture({400, 300}, {}), {block(cases[0].text)}, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.model().isTranslating(); }, 30000));
    ASSERT_TRUE(panel.view()->targetLanguageButton()->isVisible()) << qPrintable(panel.model().status());
    panel.view()->targetLanguageButton()->click();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(panel.panel()->isVisible());
}
