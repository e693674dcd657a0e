// Long lines read in pieces on several engines at once.
#include "TextPictures.h"
#include "platform/text/LinePieces.h"
#include "platform/text/PageLayout.h"
#include "platform/text/TesseractRecognizer.h"

#include <gtest/gtest.h>

using namespace klipo;

namespace {

platform::RecognitionOutcome recognize(platform::TesseractRecognizer& recognizer, const QImage& image)
{
    platform::RecognitionOutcome out;
    platform::RecognitionOptions options;
    options.withSymbols = true;
    recognizer.recognize(image, options, [&](platform::RecognitionOutcome o) { out = std::move(o); });
    return out;
}

bool columnHasInk(const QImage& grey, int x, int top, int bottom)
{
    for (int y = top; y <= bottom; ++y)
        if (grey.pixelColor(x, y).lightness() < 192) return true;
    return false;
}

}  // namespace

TEST(LinePieces, linesAreCutOnlyWhereThatEndsThePageSooner_AndOnlyInWordSpaces)
{
    // A page of 27 long lines on 8 engines ends a round early once cut; a
    // page of many short lines is balanced already; a line that may not be
    // cut (Chinese, a terminal's) never is, and no piece is shorter than
    // eight line heights.
    const std::vector<int> longPage = platform::piecesPerLine(std::vector<double>(27, 70), std::vector<char>(27, 1), 8);
    EXPECT_GT(*std::max_element(longPage.begin(), longPage.end()), 1);
    const std::vector<int> shortPage =
        platform::piecesPerLine(std::vector<double>(200, 10), std::vector<char>(200, 1), 8);
    EXPECT_EQ(*std::max_element(shortPage.begin(), shortPage.end()), 1);
    EXPECT_EQ(platform::piecesPerLine({100, 100, 100}, {0, 0, 0}, 8), (std::vector<int>{1, 1, 1}));
    const std::vector<int> oneLong = platform::piecesPerLine({100, 20}, {1, 1}, 8);
    EXPECT_EQ(oneLong[0], 4);
    EXPECT_LE(oneLong[1], 2);
    EXPECT_EQ(platform::piecesPerLine({100}, {1}, 1), std::vector<int>{1});

    // Cuts fall between words, in columns without ink, and the pieces
    // cover the line's ink from end to end.
    const QImage page = test::drawPicture(
        QSize(1500, 120),
        {{QStringLiteral("Los ninos juegan en el parque despues de la escuela y luego vuelven a casa para cenar."),
          {20, 20}},
         {QStringLiteral("Sinespaciosentrelaspalabrasnohayningunsitiodondecortarestalineatanlargadeletras"),
          {20, 70}}});
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const platform::PageLayout layout = platform::analysePage(grey);
    ASSERT_EQ(layout.lines.size(), 2u);
    const platform::LayoutLine& words = layout.lines[0];
    const std::vector<QRect> pieces = platform::linePieces(grey, layout, words, 3);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces.front().left(), words.rect.left());
    EXPECT_EQ(pieces.back().right(), words.rect.right());
    for (size_t k = 0; k < pieces.size(); ++k) {
        EXPECT_EQ(pieces[k].top(), words.rect.top());
        EXPECT_EQ(pieces[k].bottom(), words.rect.bottom());
        if (k == 0) continue;
        EXPECT_GE(pieces[k].left() - pieces[k - 1].right() - 1, words.rect.height() / 4);
        for (int x = pieces[k - 1].right() + 1; x < pieces[k].left(); ++x)
            EXPECT_FALSE(columnHasInk(grey, x, words.rect.top(), words.rect.bottom())) << "ink in the cut at " << x;
    }
    EXPECT_EQ(platform::linePieces(grey, layout, layout.lines[1], 3).size(), 1u);
}

TEST(LinePieces, aLinesHead_EndsInTheWordSpaceNearestItsWidth_AndIsNotCutWhereTheRestWouldBeShort)
{
    // The head of a long line read first to tell the page's language: cut
    // between words, near the width asked for, the rest of the line after
    // it; a line not much longer than the head, or without spaces, whole.
    const QImage page = test::drawPicture(
        QSize(1500, 170),
        {{QStringLiteral("Los ninos juegan en el parque despues de la escuela y luego vuelven a casa para cenar."),
          {20, 20}},
         {QStringLiteral("Sinespaciosentrelaspalabrasnohayningunsitiodondecortarestalineatanlargadeletras"),
          {20, 70}},
         {QStringLiteral("El gato duerme en el sofa."), {20, 120}}});
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const platform::PageLayout layout = platform::analysePage(grey);
    ASSERT_EQ(layout.lines.size(), 3u);
    const platform::LayoutLine& words = layout.lines[0];
    const int width = 14 * words.rect.height();
    const std::vector<QRect> cut = platform::lineHead(grey, layout, words, width);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].left(), words.rect.left());
    EXPECT_EQ(cut[1].right(), words.rect.right());
    EXPECT_NEAR(cut[0].width(), width, 0.3 * width);
    EXPECT_GE(cut[1].left() - cut[0].right() - 1, words.rect.height() / 4);
    for (int x = cut[0].right() + 1; x < cut[1].left(); ++x)
        EXPECT_FALSE(columnHasInk(grey, x, words.rect.top(), words.rect.bottom())) << "ink in the cut at " << x;
    EXPECT_EQ(platform::lineHead(grey, layout, layout.lines[1], 14 * layout.lines[1].rect.height()).size(), 1u);
    EXPECT_EQ(platform::lineHead(grey, layout, layout.lines[2], 14 * layout.lines[2].rect.height()).size(), 1u);
}

TEST(LinePieces, aLongLineReadInPieces_ReadsAsWhole_WithItsBoxesAndSymbolsInPlace)
{
    const std::vector<QString> texts = {
        QStringLiteral("El tren llega a la estacion con veinte minutos de retraso y todos esperan en el anden."),
        QStringLiteral("Necesito comprar pan, leche y fruta en el mercado antes de que cierren las tiendas."),
        QStringLiteral("Mi hermano trabaja en una oficina cerca del puerto desde hace casi diez anos ya."),
        QStringLiteral("La reunion empieza a las diez y termina antes del almuerzo si nadie llega tarde."),
        QStringLiteral("Este programa traduce el texto de la pantalla sin conexion a internet alguna."),
    };
    std::vector<test::DrawnLine> drawn;
    for (size_t i = 0; i < texts.size(); ++i) drawn.push_back({texts[i], {30, 30 + 40 * int(i)}});
    const QImage page = test::drawPicture(QSize(1400, 250), drawn);

    platform::TesseractRecognizer::Options one;
    one.threads = 1;  // one engine: every line read whole
    platform::TesseractRecognizer whole(one);
    const platform::RecognitionOutcome expected = recognize(whole, page);
    ASSERT_TRUE(expected.ok) << qPrintable(expected.error);
    EXPECT_EQ(whole.lastReadings().pieces, 0);

    platform::TesseractRecognizer::Options four;
    four.threads = 4;
    platform::TesseractRecognizer cut(four);
    const platform::RecognitionOutcome got = recognize(cut, page);
    ASSERT_TRUE(got.ok) << qPrintable(got.error);
    EXPECT_GT(cut.lastReadings().pieces, 0);

    ASSERT_EQ(got.lines.size(), expected.lines.size());
    ASSERT_EQ(got.lines.size(), texts.size());
    for (size_t i = 0; i < got.lines.size(); ++i) {
        const platform::RecognizedLine& a = got.lines[i];
        const platform::RecognizedLine& b = expected.lines[i];
        EXPECT_EQ(a.text, b.text);
        EXPECT_LE(std::abs(a.box.left() - b.box.left()), 2) << qPrintable(a.text);
        EXPECT_LE(std::abs(a.box.right() - b.box.right()), 2) << qPrintable(a.text);
        EXPECT_LE(std::abs(a.box.center().y() - b.box.center().y()), 3) << qPrintable(a.text);
        ASSERT_EQ(a.symbols.size(), b.symbols.size()) << qPrintable(a.text);
        for (size_t k = 0; k < a.symbols.size(); ++k) {
            EXPECT_EQ(a.text.mid(a.symbols[k].start, a.symbols[k].end - a.symbols[k].start),
                      b.text.mid(b.symbols[k].start, b.symbols[k].end - b.symbols[k].start));
            // The engine places a letter only to a letter or so.
            EXPECT_LE(std::abs(a.symbols[k].box.center().x() - b.symbols[k].box.center().x()), b.box.height())
                << qPrintable(a.text) << " at " << k;
        }
    }
}
