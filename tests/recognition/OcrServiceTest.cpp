// Recognition on the real engines, on pictures drawn here with known text.
#include "TextPictures.h"
#include "platform/text/TextRecognizer.h"
#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;
using klipo::test::DrawnLine;
using klipo::test::drawPicture;

namespace {

OcrOutcome recognize(const QImage& image, bool anchors = false)
{
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(image, anchors);
    future.waitForFinished();
    if (future.resultCount() != 1) return {false, QStringLiteral("no outcome"), {}};
    return future.result();
}

const QString kEnglishFirst = QStringLiteral("Recognition runs on a background thread so that");
const QString kEnglishSecond = QStringLiteral("the interface never stops responding to input.");
const QString kChineseFirst = QStringLiteral("文字识别在后台线程中运行，因此界面");
const QString kChineseSecond = QStringLiteral("始终能够响应鼠标和键盘的操作。");

}  // namespace

TEST(OcrService, readsAnEnglishParagraph_IntoOneBlockWithBottomLeftRects)
{
    const QImage image = drawPicture(QSize(700, 160), {{kEnglishFirst, QPoint(20, 30), 20}, {kEnglishSecond, QPoint(20, 56), 20}});
    const OcrOutcome outcome = recognize(image);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
    ASSERT_EQ(outcome.blocks.size(), 1u);
    EXPECT_EQ(outcome.blocks[0].text, kEnglishFirst + QLatin1Char(' ') + kEnglishSecond);
    ASSERT_EQ(outcome.blocks[0].lines.size(), 2u);
    // The first line is drawn 30 px below the top: near the top of the model's space.
    const QRectF first = outcome.blocks[0].lines[0].rect;
    EXPECT_NEAR(first.bottom(), 160 - 30 - 4, 4);
    EXPECT_NEAR(first.left(), 20, 3);
    EXPECT_GT(first.top(), outcome.blocks[0].lines[1].rect.top());
}

TEST(OcrService, readsSimplifiedChinese_AndMixedLines)
{
    const QImage chinese = drawPicture(QSize(700, 140), {{kChineseFirst, QPoint(20, 30), 22}, {kChineseSecond, QPoint(20, 60), 22}},
                                       {Qt::white, Qt::black, true});
    const OcrOutcome outcome = recognize(chinese);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
    ASSERT_EQ(outcome.blocks.size(), 1u);
    EXPECT_EQ(test::squeezed(outcome.blocks[0].text), kChineseFirst + kChineseSecond);

    const QString mixed = QStringLiteral("我们使用 Tesseract 识别屏幕上的文字");
    const OcrOutcome both = recognize(drawPicture(QSize(700, 90), {{mixed, QPoint(20, 30), 22}}, {Qt::white, Qt::black, true}));
    ASSERT_TRUE(both.ok);
    EXPECT_EQ(test::squeezed(test::allText(both.blocks)), test::squeezed(mixed));
}

TEST(OcrService, readsChineseColumnsSideBySide_AsTwoParagraphs)
{
    const QImage image = drawPicture(QSize(1000, 120),
                                     {{QStringLiteral("左边一栏的第一行文字"), QPoint(20, 20), 20},
                                      {QStringLiteral("左边一栏的第二行文字"), QPoint(20, 48), 20},
                                      {QStringLiteral("右边一栏的第一行文字"), QPoint(520, 20), 20},
                                      {QStringLiteral("右边一栏的第二行文字"), QPoint(520, 48), 20}},
                                     {Qt::white, Qt::black, true});
    const OcrOutcome outcome = recognize(image);
    ASSERT_EQ(outcome.blocks.size(), 2u) << qPrintable(test::allText(outcome.blocks));
    EXPECT_EQ(outcome.blocks[0].text, QStringLiteral("左边一栏的第一行文字左边一栏的第二行文字"));
    EXPECT_EQ(outcome.blocks[1].text, QStringLiteral("右边一栏的第一行文字右边一栏的第二行文字"));
}

TEST(OcrService, readsJapanese_WithItsOwnModels)
{
    const QString japanese = QStringLiteral("今日はとても良い天気です。私たちは公園に行きます。");
    const QImage image = drawPicture(QSize(900, 80), {{japanese, QPoint(20, 25), 22}}, {Qt::white, Qt::black, true});
    EXPECT_EQ(test::squeezed(test::allText(recognize(image).blocks)), japanese);
}

TEST(OcrService, readsDarkThemesAndSmallText)
{
    const QImage dark = drawPicture(QSize(700, 120), {{kEnglishFirst, QPoint(20, 40), 18}},
                                    {QColor(32, 33, 36), QColor(230, 230, 230), false});
    EXPECT_EQ(test::allText(recognize(dark).blocks), kEnglishFirst);

    const QImage smallEnglish = drawPicture(QSize(500, 60), {{kEnglishSecond, QPoint(10, 20), 11}});
    EXPECT_EQ(test::allText(recognize(smallEnglish).blocks), kEnglishSecond);

    const QImage smallChinese = drawPicture(QSize(400, 60), {{kChineseSecond, QPoint(10, 20), 12}}, {Qt::white, Qt::black, true});
    EXPECT_EQ(test::squeezed(test::allText(recognize(smallChinese).blocks)), kChineseSecond);
}

TEST(OcrService, givesAnEmptyListNotAnError_ForImagesWithoutText)
{
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(QColor(240, 240, 240));
    const OcrOutcome none = recognize(blank);
    EXPECT_TRUE(none.ok);
    EXPECT_TRUE(none.blocks.empty());

    const OcrOutcome null = recognize(QImage());
    EXPECT_TRUE(null.ok);
    EXPECT_TRUE(null.blocks.empty());
}

TEST(OcrService, boxesWords_WhenAnchorsAreAskedFor)
{
    const QImage image = drawPicture(QSize(400, 80), {{QStringLiteral("hello world"), QPoint(20, 25), 24}});
    const OcrOutcome outcome = recognize(image, true);
    ASSERT_EQ(outcome.blocks.size(), 1u);
    const TextLine& line = outcome.blocks[0].lines[0];
    ASSERT_EQ(line.text, QStringLiteral("hello world"));
    ASSERT_TRUE(line.anchors.has_value());
    ASSERT_EQ(line.anchors->size(), 2u);
    const TextAnchor& hello = (*line.anchors)[0];
    const TextAnchor& world = (*line.anchors)[1];
    EXPECT_EQ(std::make_pair(hello.start, hello.end), std::make_pair(std::int64_t(0), std::int64_t(5)));
    EXPECT_EQ(std::make_pair(world.start, world.end), std::make_pair(std::int64_t(6), std::int64_t(11)));
    EXPECT_LT(hello.rect.right(), world.rect.left());
    EXPECT_TRUE(line.rect.adjusted(-1, -1, 1, 1).contains(hello.rect));

    const QImage ideographs = drawPicture(QSize(400, 80), {{QStringLiteral("今天天气很好我们"), QPoint(20, 25), 24}},
                                          {Qt::white, Qt::black, true});
    const OcrOutcome han = recognize(ideographs, true);
    ASSERT_EQ(han.blocks.size(), 1u);
    ASSERT_TRUE(han.blocks[0].lines[0].anchors.has_value());
    const auto& runs = *han.blocks[0].lines[0].anchors;
    ASSERT_EQ(runs.size(), 2u) << qPrintable(han.blocks[0].lines[0].text);
    EXPECT_EQ(runs[1].start, 4);
    EXPECT_EQ(runs[1].end, 8);
    EXPECT_FALSE(recognize(ideographs, false).blocks[0].lines[0].anchors.has_value());
}

namespace {

// Engines that end without a proper report: one lets go of its report
// uncalled, one throws.
class SilentRecognizer : public platform::TextRecognizer {
public:
    void recognize(const QImage&, const platform::RecognitionOptions&, const Report&) override {}
};

class ThrowingRecognizer : public platform::TextRecognizer {
public:
    void recognize(const QImage&, const platform::RecognitionOptions&, const Report&) override
    {
        throw std::bad_alloc();
    }
};

}  // namespace

TEST(OcrService, endsWithOneFailure_WhenTheEngineNeverReportsOrThrows)
{
    SilentRecognizer silent;
    ThrowingRecognizer throwing;
    for (platform::TextRecognizer* engine : {static_cast<platform::TextRecognizer*>(&silent),
                                             static_cast<platform::TextRecognizer*>(&throwing)}) {
        const platform::ScopedTextServices scoped({engine, nullptr, nullptr});
        QFuture<OcrOutcome> future = OCRService::recognizeBlocks(QImage(10, 10, QImage::Format_RGB32), false);
        future.waitForFinished();
        ASSERT_EQ(future.resultCount(), 1);
        EXPECT_FALSE(future.result().ok);
        EXPECT_TRUE(future.result().error.startsWith(QStringLiteral("文字识别失败"))) << qPrintable(future.result().error);
    }
}
