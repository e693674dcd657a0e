#include "TextPictures.h"
#include "recognition/ImageRenderer.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;
namespace IR = klipo::ImageRenderer;
using klipo::test::modelLine;

namespace {

std::vector<TextLine> threeLines(qreal w0, qreal w1, qreal w2)
{
    return {modelLine(QStringLiteral("one"), 10, 100, w0, 20), modelLine(QStringLiteral("two"), 10, 76, w1, 20),
            modelLine(QStringLiteral("three"), 10, 52, w2, 20)};
}

}  // namespace

TEST(ImageRenderer, splitsChineseInProportionToLineWidths)
{
    const auto pieces = IR::splitProportionally(QStringLiteral("一二三四五六七八九十"), {100, 100, 50});
    EXPECT_EQ(pieces, (std::vector<QString>{QStringLiteral("一二三四"), QStringLiteral("五六七八"),
                                            QStringLiteral("九十")}));
}

TEST(ImageRenderer, handsClosingPunctuationBackToThePreviousPiece)
{
    const auto pieces = IR::splitProportionally(QStringLiteral("一二三，四五六。"), {3, 5});
    EXPECT_EQ(pieces, (std::vector<QString>{QStringLiteral("一二三，"), QStringLiteral("四五六。")}));
    const auto marksOnly = IR::splitProportionally(QStringLiteral("一二三四。，"), {4, 2});
    EXPECT_EQ(marksOnly, (std::vector<QString>{QStringLiteral("一二三四。，"), QString()}));
    // A line whose piece is empty gets no fragment.
    const auto fragments = IR::layoutFragments(
        {modelLine(QStringLiteral("a"), 0, 50, 40, 20), modelLine(QStringLiteral("b"), 0, 26, 20, 20)},
        QStringLiteral("一二三四。，"));
    ASSERT_EQ(fragments.size(), 1u);
    EXPECT_EQ(fragments[0].text, QStringLiteral("一二三四。，"));
}

TEST(ImageRenderer, laysOutOneWrappingFragment_ForLatinTranslations)
{
    const auto lines = threeLines(200, 180, 90);
    const auto fragments = IR::layoutFragments(lines, QStringLiteral("A translation in English words"));
    ASSERT_EQ(fragments.size(), 1u);
    EXPECT_TRUE(fragments[0].wraps);
    EXPECT_EQ(fragments[0].rect, QRectF(10, 52, 200, 68));

    const auto single = IR::layoutFragments({lines[0]}, QStringLiteral("很长很长很长的一行译文"));
    ASSERT_EQ(single.size(), 1u);
    EXPECT_FALSE(single[0].wraps);
    EXPECT_TRUE(IR::layoutFragments(lines, QString()).empty());
}

TEST(ImageRenderer, samplesBackground_BesideTheText_AndPicksReadableInk)
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(QColor(20, 30, 40));
    const auto dark = IR::backgroundColor(image, QRectF(50, 40, 60, 20));
    EXPECT_EQ(dark.color, QColor(20, 30, 40));
    EXPECT_LE(dark.luminance, 0.55);  // white text

    image.fill(Qt::white);
    EXPECT_DOUBLE_EQ(IR::backgroundColor(image, QRectF(50, 40, 60, 20)).luminance, 1.0);

    // Against the left border only the right side is sampled: the red strip
    // there wins although the left half of the image is blue.
    QPainter(&image).fillRect(0, 0, 100, 100, Qt::blue);
    QPainter(&image).fillRect(100, 0, 100, 100, Qt::red);
    EXPECT_EQ(IR::backgroundColor(image, QRectF(-20, 40, 130, 20)).color, QColor(Qt::red));
    // Nothing to sample anywhere: white.
    EXPECT_EQ(IR::backgroundColor(image, QRectF(-50, 300, 20, 20)).color, QColor(Qt::white));
}

TEST(ImageRenderer, takesTheUpperMedian_OfSixSamples)
{
    // Rows of the left side: three greys; right side: three other greys. The
    // fourth smallest of the six is the answer.
    QImage image(120, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const int greys[] = {10, 20, 30, 40, 50, 60};
    const int rows[] = {50, 30, 10};  // bottom-left y 10, 30, 50 -> top-left rows
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(0, rows[i] - 3, 20, 7, QColor(greys[i], greys[i], greys[i]));
        painter.fillRect(100, rows[i] - 3, 20, 7, QColor(greys[i + 3], greys[i + 3], greys[i + 3]));
    }
    painter.end();
    EXPECT_EQ(IR::backgroundColor(image, QRectF(16, 10, 88, 40)).color, QColor(40, 40, 40));
}

TEST(ImageRenderer, fitsTheFontToTheRectangle_DownToSix)
{
    const QRectF rect(0, 0, 300, 24);
    const auto fit = IR::fittedFontSize(QStringLiteral("Fits nicely"), rect, false);
    EXPECT_GT(fit.fontSize, 12);
    EXPECT_LE(fit.measured.height(), rect.height());
    EXPECT_LE(fit.measured.width(), rect.width() + 0.5);
    EXPECT_GT(IR::fittedFontSize(QStringLiteral("Fits nicely"), rect.adjusted(0, 0, 0, 20), false).fontSize,
              fit.fontSize);

    const QString tooLong = QStringLiteral("a translation far too long for its tiny line ").repeated(5);
    EXPECT_EQ(IR::fittedFontSize(tooLong, rect, false).fontSize, 6);

    const auto wrapped = IR::fittedFontSize(tooLong, QRectF(0, 0, 300, 200), true);
    EXPECT_GT(wrapped.fontSize, 6);
    EXPECT_LE(wrapped.measured.height(), 200);
}

TEST(ImageRenderer, patchesEachFragment_WithMarginsThatGrowWithItsHeight)
{
    // A red text area on white: the patch takes the white from beside it and
    // covers the area plus 4 px left and right and min(0.15 h, 3) above and below.
    QImage base(300, 200, QImage::Format_RGB32);
    base.fill(Qt::white);
    QPainter(&base).fillRect(56, 60, 188, 80, Qt::red);  // top-left space; the samples 6 px out stay white
    const TextLine tall = modelLine(QStringLiteral("x"), 60, 70, 180, 40);  // rows 90..130
    const QImage out = IR::render(base, {{{tall}, QString(" ")}}, 1);
    EXPECT_EQ(out.pixelColor(57, 110), QColor(Qt::white));    // 3 px left of the text
    EXPECT_EQ(out.pixelColor(150, 88), QColor(Qt::white));    // 3 px above (0.15 × 40 = 6, capped)
    EXPECT_EQ(out.pixelColor(150, 86), QColor(Qt::red));

    const TextLine thin = modelLine(QStringLiteral("x"), 60, 150 - 4, 180, 4);  // rows 50..54 of a 200 image
    QImage base2 = base;
    QPainter(&base2).fillRect(56, 40, 188, 30, Qt::red);
    const QImage out2 = IR::render(base2, {{{thin}, QString(" ")}}, 1);
    EXPECT_EQ(out2.pixelColor(150, 52), QColor(Qt::white));
    EXPECT_EQ(out2.pixelColor(150, 48), QColor(Qt::red));  // 0.6 px margin only
}

TEST(ImageRenderer, patchesEverySourceLine_EvenWhenItsShareOfTheTranslationIsEmpty)
{
    QImage base(300, 200, QImage::Format_RGB32);
    base.fill(Qt::white);
    QPainter painter(&base);
    painter.fillRect(20, 40, 200, 20, Qt::black);  // line 1 (top)
    painter.fillRect(20, 64, 100, 20, Qt::black);  // line 2, whose piece is only punctuation
    painter.end();
    const std::vector<TextLine> lines = {modelLine(QStringLiteral("a"), 20, 140, 200, 20),
                                         modelLine(QStringLiteral("b"), 20, 116, 100, 20)};
    const QImage out = IR::render(base, {{lines, QStringLiteral("一二三四。，")}}, 1);
    EXPECT_EQ(out.pixelColor(60, 74), QColor(Qt::white));  // the second line's old text is covered
}

TEST(ImageRenderer, keepsFullPixels_AndReportsPointSizeByDisplayScale)
{
    QImage base(2000, 1000, QImage::Format_RGB32);
    base.fill(Qt::white);
    const QImage out = IR::render(base, {}, 2);
    EXPECT_EQ(out.size(), QSize(2000, 1000));
    EXPECT_EQ(out.deviceIndependentSize(), QSizeF(1000, 500));
    EXPECT_EQ(out.pixelColor(10, 10), QColor(Qt::white));
    EXPECT_TRUE(IR::render(QImage(), {}, 1).isNull());
}

TEST(ImageRenderer, drawsTextInTheInkItsBackgroundCallsFor)
{
    QImage base(300, 100, QImage::Format_RGB32);
    base.fill(QColor(25, 25, 25));
    const QImage out = IR::render(base, {{{modelLine(QStringLiteral("src"), 20, 30, 260, 40)}, QStringLiteral("HELLO")}}, 1);
    int light = 0;
    for (int y = 30; y < 70; ++y)
        for (int x = 20; x < 280; ++x) light += out.pixelColor(x, y).lightness() > 200;
    EXPECT_GT(light, 100);
}
