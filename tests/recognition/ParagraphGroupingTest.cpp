#include "TextPictures.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;
using klipo::test::modelLine;

namespace {

// Two lines of equal height (20), the second `gap` pixels below the first.
std::vector<TextBlock> groupPair(const QString& first, const QString& second, qreal gap, qreal secondHeight = 20,
                                 qreal secondX = 0)
{
    return OCRService::groupIntoParagraphs(
        {modelLine(first, 0, 100, 300, 20), modelLine(second, secondX, 100 - gap - secondHeight, 300, secondHeight)});
}

}  // namespace

TEST(ParagraphGrouping, joinsLowercaseContinuation_WithOneSpace)
{
    const auto blocks = groupPair(QStringLiteral("The engine reads"), QStringLiteral("every line"), 2);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].text, QStringLiteral("The engine reads every line"));
    EXPECT_EQ(blocks[0].lines.size(), 2u);
    EXPECT_EQ(blocks[0].rect, QRectF(0, 78, 300, 42));
}

TEST(ParagraphGrouping, startsNewParagraph_OnlyForAsciiCapitals)
{
    EXPECT_EQ(groupPair(QStringLiteral("first line"), QStringLiteral("Second line"), 2).size(), 2u);
    EXPECT_EQ(groupPair(QStringLiteral("première ligne"), QStringLiteral("École suivante"), 2).size(), 1u);
    EXPECT_EQ(groupPair(QStringLiteral("first line"), QStringLiteral("2nd line"), 2).size(), 1u);
}

TEST(ParagraphGrouping, startsNewParagraph_WhenGapOrHeightIsOutOfRange)
{
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), -5.5).size(), 1u);
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), -6.5).size(), 2u);  // overlapping too much
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), 13.5).size(), 1u);
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), 14.5).size(), 2u);  // too far below
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), 2, 33).size(), 1u);
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), 2, 40).size(), 2u);  // much taller
}

TEST(ParagraphGrouping, keepsSideBySideColumnsAsTwoParagraphs)
{
    // Left and right column lines interleave once sorted top to bottom; each
    // column must still become one paragraph.
    const auto blocks = OCRService::groupIntoParagraphs({
        modelLine(QStringLiteral("left one"), 0, 100, 300, 20),
        modelLine(QStringLiteral("right one"), 400, 101, 300, 20),
        modelLine(QStringLiteral("left two"), 0, 78, 300, 20),
        modelLine(QStringLiteral("right two"), 400, 79, 300, 20),
    });
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].text, QStringLiteral("right one right two"));
    EXPECT_EQ(blocks[1].text, QStringLiteral("left one left two"));
}

TEST(ParagraphGrouping, neverJoinsLinesThatBarelyOverlap)
{
    // Overlap of 90 px is exactly 30 % of the narrower width: not enough.
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), 2, 20, 210).size(), 2u);
    EXPECT_EQ(groupPair(QStringLiteral("a"), QStringLiteral("b"), 2, 20, 200).size(), 1u);
}

TEST(ParagraphGrouping, keepsRecognitionOrder_ForEqualMidpoints)
{
    const TextLine a = modelLine(QStringLiteral("alpha"), 0, 100, 100, 20);
    const TextLine b = modelLine(QStringLiteral("beta"), 600, 100, 100, 20);
    EXPECT_EQ(test::allText(OCRService::groupIntoParagraphs({a, b})), QStringLiteral("alpha\nbeta"));
    EXPECT_EQ(test::allText(OCRService::groupIntoParagraphs({b, a})), QStringLiteral("beta\nalpha"));
    EXPECT_TRUE(OCRService::groupIntoParagraphs({}).empty());
}

TEST(ParagraphGrouping, joinsTexts_ByHyphenHanAndKanaRules)
{
    using OCRService::joinLineTexts;
    EXPECT_EQ(joinLineTexts({QStringLiteral("recogni-"), QStringLiteral("tion works")}), QStringLiteral("recognition works"));
    EXPECT_EQ(joinLineTexts({QStringLiteral("well-"), QStringLiteral("Known")}), QStringLiteral("wellKnown"));
    EXPECT_EQ(joinLineTexts({QStringLiteral("文字识别"), QStringLiteral("在后台运行")}), QStringLiteral("文字识别在后台运行"));
    EXPECT_EQ(joinLineTexts({QStringLiteral("ひらがな"), QStringLiteral("カタカナ")}), QStringLiteral("ひらがなカタカナ"));
    // Chinese punctuation belongs to the Han script here: no space after it.
    EXPECT_EQ(joinLineTexts({QStringLiteral("因此，"), QStringLiteral("始终")}), QStringLiteral("因此，始终"));
    EXPECT_EQ(joinLineTexts({QStringLiteral("a —"), QStringLiteral("b")}), QStringLiteral("a — b"));  // only U+002D joins
}
