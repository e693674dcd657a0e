// One translation run of the result panel: responses placed by their
// identifiers, the translated picture, and the failures the user must see.
#include "ResultFakes.h"
#include "TextPictures.h"
#include "recognition/ResultTranslationRun.h"

#include <gtest/gtest.h>

using klipo::TranslationRunOutcome;
using klipo::platform::TranslationResponse;
namespace Run = klipo::ResultTranslationRun;

namespace {

klipo::TranslationJob job(std::vector<QString> texts, QString source = "es", QString target = "en")
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::vector<klipo::TextBlock> blocks;
    for (const QString& text : texts)
        blocks.push_back({{klipo::test::modelLine(text, 20, 250 - 50 * qreal(blocks.size()), 300, 24)}, text, {}});
    return {image, blocks, 2.0, source, target, true};
}

}  // namespace

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
    klipo::test::FakeTranslator translator;
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
    klipo::test::FakeTranslator translator;
    translator.answer = [](const auto& requests) {
        return std::vector<TranslationResponse>{{requests[0].clientIdentifier, QString()}};
    };
    const TranslationRunOutcome empty = Run::run(job({"hola"}), {}, &translator);
    EXPECT_EQ(empty.kind, TranslationRunOutcome::Kind::Failed);
    EXPECT_TRUE(empty.failure.startsWith(QStringLiteral("翻译失败："))) << qPrintable(empty.failure);

    translator.prepareFailure = QStringLiteral("请安装语言包");
    EXPECT_EQ(Run::run(job({"hola"}), {}, &translator).failure, QStringLiteral("翻译失败：请安装语言包"));

    klipo::platform::CancelToken cancel;  // a newer capture arrives while the batch runs
    translator.prepareFailure.clear();
    translator.answer = [cancel](const auto& requests) {
        cancel.cancel();
        return std::vector<TranslationResponse>{{requests[0].clientIdentifier, "hello"}};
    };
    EXPECT_EQ(Run::run(job({"hola"}), cancel, &translator).kind, TranslationRunOutcome::Kind::Cancelled);
}

// The real translation layer: Apertium with only apertium-eng-spa installed.
TEST(ResultTranslationRun, namesTheMissingPair_AndThePackageWhereDebianHasOne)
{
    const QString toChinese = Run::run(job({"El gato duerme en la casa."}, "es", "zh-Hans"), {}).failure;
    EXPECT_TRUE(toChinese.contains(QStringLiteral("西班牙语")) && toChinese.contains(QStringLiteral("简体中文")))
        << qPrintable(toChinese);
    const QString toCatalan = Run::run(job({"Le chat dort dans la maison."}, "fr", "ca"), {}).failure;
    EXPECT_TRUE(toCatalan.contains(QStringLiteral("apt-get install apertium-fra-cat"))) << qPrintable(toCatalan);

    // English into Spanish is installed: French or Japanese text still fails
    // under its own name instead of going through the English pack.
    const TranslationRunOutcome french = Run::run(job({"Le chat dort dans la maison."}, "fr", "es"), {});
    EXPECT_EQ(french.kind, TranslationRunOutcome::Kind::Failed);
    EXPECT_TRUE(french.failure.contains(QStringLiteral("从法语"))) << qPrintable(french.failure);
    const QString japanese = Run::run(job({"今日はとても良い天気です。"}, "ja", "es"), {}).failure;
    EXPECT_TRUE(japanese.contains(QStringLiteral("从日语"))) << qPrintable(japanese);
}
