#include "platform/text/TextRecognizer.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;
using Runs = std::vector<std::pair<int, int>>;

TEST(WordAnchors, splitsRuns_AtWhitespaceAndEveryFourIdeographs)
{
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("hello world")), (Runs{{0, 5}, {6, 11}}));
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("今天天气很好我们")), (Runs{{0, 4}, {4, 8}}));
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("   ")), Runs{});
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("ab中文")), (Runs{{0, 4}}));
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("hello中文")), (Runs{{0, 5}, {5, 7}}));
    // Offsets count user-perceived characters, not code units.
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("👍🏽 ok\tgo")), (Runs{{0, 1}, {2, 4}, {5, 7}}));
}

TEST(WordAnchors, boxesEachRun_ByTheUnionOfItsCharacters_InBottomLeftSpace)
{
    platform::RecognizedLine line;
    line.text = QStringLiteral("ab cd");
    line.symbols = {{0, 1, QRect(10, 20, 8, 10)}, {1, 2, QRect(18, 22, 8, 10)},
                    {3, 4, QRect(40, 20, 8, 10)}, {4, 5, QRect(48, 20, 8, 10)}};
    const auto anchors = OCRService::computeAnchors(line, 200, 100);
    ASSERT_TRUE(anchors.has_value());
    ASSERT_EQ(anchors->size(), 2u);
    EXPECT_EQ((*anchors)[0].start, 0);
    EXPECT_EQ((*anchors)[0].end, 2);
    EXPECT_EQ((*anchors)[0].rect, QRectF(10, 100 - 32, 16, 12));  // top 20..32 flipped
    EXPECT_EQ((*anchors)[1].rect, QRectF(40, 70, 16, 10));
}

TEST(WordAnchors, leavesOutRunsWithoutBoxes_AndIsAbsentWhenNoneQualify)
{
    platform::RecognizedLine line;
    line.text = QStringLiteral("ab cd");
    line.symbols = {{3, 5, QRect(40, 20, 16, 10)}};
    const auto anchors = OCRService::computeAnchors(line, 200, 100);
    ASSERT_TRUE(anchors.has_value());
    ASSERT_EQ(anchors->size(), 1u);
    EXPECT_EQ((*anchors)[0].start, 3);

    line.text = QStringLiteral("   ");
    line.symbols.clear();
    EXPECT_FALSE(OCRService::computeAnchors(line, 200, 100).has_value());
}
