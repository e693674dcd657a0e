// Matching judged by content: sparse short lines, a band of identical rows
// taller than a frame, and a page scrolled back further than a frame.
#include "StitchTestSupport.h"
#include "scroll/StitchSession.h"

#include <gtest/gtest.h>

using namespace klipo;
using namespace klipo::test;
using Kind = ScrollFrameResult::Kind;

namespace {

ScrollStitchOutput finished(ScrollStitcher& stitcher)
{
    auto result = stitcher.finish();
    EXPECT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    return std::holds_alternative<ScrollStitchOutput>(result) ? std::get<ScrollStitchOutput>(std::move(result))
                                                              : ScrollStitchOutput{};
}

// Tops of frames moved by whole notches of `perNotch` rows, `notches` at a time.
std::vector<int> notchTops(int perNotch, const std::vector<int>& notches)
{
    std::vector<int> tops{0};
    for (int n : notches) tops.push_back(tops.back() + n * perNotch);
    return tops;
}

}  // namespace

// A terminal's `seq`: a short number a line, the rest blank. Frames a line or
// a few apart differ by a fraction of a grey level on average.
TEST(StitchContent, sparseShortLinesAFewLinesApart_AreNeverTakenForUnchanged_AndComeBackExactly)
{
    const PageSpec numbers{PageKind::numbers, 540};
    const std::vector<int> tops = notchTops(17, {1, 5, 2, 5, 5, 3, 1, 5, 4, 5, 2, 5, 5});
    StitchSession session(testConfig());
    for (int top : tops) {
        const ScrollFrameResult result = session.process(pageFrame(numbers, top, 715), std::nullopt);
        ASSERT_EQ(result.kind, Kind::appended) << "frame at " << top;
        EXPECT_TRUE(result.exactSeam) << "frame at " << top;
    }
    EXPECT_EQ(session.process(pageFrame(numbers, tops.back(), 715), std::nullopt).kind, Kind::duplicate);
    const ScrollStitchOutput out = finished(session.stitcher());
    EXPECT_TRUE(out.lowConfidenceSeams.empty());
    EXPECT_TRUE(samePixels(out.image, pageFrame(numbers, 0, tops.back() + 715)));

    // Frames that share no line (moved further than a frame can overlap)
    // match nowhere, however small the mean difference: never an exact seam.
    ScrollStitcher apart(testConfig());
    apart.append(pageFrame(numbers, 0, 715));
    apart.append(pageFrame(numbers, 40 * 17, 715));
    EXPECT_TRUE(apart.lastTaken().unmatched);
    EXPECT_EQ(finished(apart).lowConfidenceSeams, std::vector<int>{1});
}

// Identical rows 40 apart over more than a frame: where two frames share only
// that band, every multiple of 40 fits. The frames move by whole notches of
// 50 rows, which the exact seams before the band teach.
TEST(StitchContent, aBandOfIdenticalRowsTallerThanAFrame_IsPlacedByTheLearntStep_AndNeverCalledExact)
{
    const PageSpec band{PageKind::band, 640, 3, 900, 2100};
    const std::vector<int> tops = notchTops(50, {2, 3, 1, 2, 3, 2, 1, 3, 2, 2, 3, 1, 2, 3, 2, 2, 1, 3, 2, 2});
    ScrollStitcher stitcher(testConfig());
    for (int top : tops) ASSERT_EQ(stitcher.append(pageFrameGray(band, top, 500)), std::nullopt);
    ASSERT_EQ(stitcher.placementCount(), int(tops.size()));
    for (std::size_t i = 1; i < tops.size(); ++i) {
        EXPECT_EQ(stitcher.placements()[i].y, tops[i]) << "frame " << i;
        // Both frames inside the band: no place can be told from another.
        if (tops[i - 1] >= 900 && tops[i] + 500 <= 2100) {
            EXPECT_NE(stitcher.placements()[i].confidence, ScrollSeamConfidence::exact) << "frame " << i;
        }
    }
    const ScrollStitchOutput out = finished(stitcher);
    EXPECT_TRUE(samePixels(out.image, pageFrameGray(band, 0, tops.back() + 500)));
    EXPECT_EQ(out.unalignedSeams, std::vector<int>{}) << "the learnt step decided every seam in the band";
}

// Automatic scrolling learnt 50 rows a notch; inside the band the program
// comes to rest off that step. Looked at once or
// twice it may be pausing; still there look after look, it is placed where
// it matches (unsure), not waited on for ever.
TEST(StitchContent, aStillRestingOffTheLearntStepInsideABand_IsPlacedAfterAFewLooks)
{
    const PageSpec band{PageKind::band, 640, 3, 900, 1500};
    ScrollStitcher stitcher(testConfig());
    for (int top : notchTops(50, {2, 1, 2, 3, 1, 2, 2}))
        ASSERT_EQ(stitcher.append(pageFrameGray(band, top, 500)), std::nullopt);
    const int kept = stitcher.placementCount();
    for (int look = 1; look <= 3; ++look) {
        ASSERT_EQ(stitcher.append(pageFrameGray(band, 925, 500), 270, true), std::nullopt);
        EXPECT_EQ(stitcher.placementCount(), look < 3 ? kept : kept + 1) << "look " << look;
    }
    EXPECT_EQ(stitcher.placements().back().y, 925);
    const ScrollStitchOutput out = finished(stitcher);
    EXPECT_TRUE(samePixels(out.image, pageFrameGray(band, 0, 925 + 500)));
    EXPECT_EQ(out.unalignedSeams, std::vector<int>{int(out.placements.back().frameIndex)}) << "off the step: unsure";
}

// A still caught moving as the band comes in (its seam exact, held back),
// then the content at rest further on than a frame can overlap the last
// kept one: the places that agree are counted from the held still, and the
// band keeps its length.
TEST(StitchContent, aBandStillAtRestBeyondAHeldStill_IsPlacedFromTheHeldOne)
{
    const PageSpec band{PageKind::band, 640, 3, 900, 2100};
    ScrollStitcher stitcher(testConfig());
    for (int top : notchTops(50, {2, 3, 1, 2, 3, 2}))
        ASSERT_EQ(stitcher.append(pageFrameGray(band, top, 500)), std::nullopt);
    ASSERT_EQ(stitcher.lastY(), 650);
    ASSERT_EQ(stitcher.append(pageFrameGray(band, 850, 500), 200, false), std::nullopt);
    for (int top = 1150; top <= 2150; top += 250) {
        ASSERT_EQ(stitcher.append(pageFrameGray(band, top, 500), top == 1150 ? 300 : 250), std::nullopt);
        if (stitcher.awaitsRest()) {
            EXPECT_TRUE(stitcher.confirmRest()) << "still at " << top;
        }
        EXPECT_EQ(stitcher.placements().back().y, top);
    }
    const ScrollStitchOutput out = finished(stitcher);
    EXPECT_TRUE(samePixels(out.image, pageFrameGray(band, 0, 2150 + 500)));
    EXPECT_EQ(out.unalignedSeams, std::vector<int>{});
}

// Down ten steps, back further than a frame reaches (and a little), on down
// again: the frames going back and coming down over content already taken
// are skipped, and no band comes twice.
TEST(StitchAccuracy, scrolledBackByAnyDistance_AndOnDown_AddsNoBandTwice)
{
    const PageSpec text{PageKind::text, 640, 21};
    for (int back : {30, 150, 450}) {
        SCOPED_TRACE(back);
        ScrollStitcher stitcher(testConfig());
        std::vector<int> tops;
        for (int top = 0; top <= 1000; top += 100) tops.push_back(top);
        for (int top = 1000 - back; top <= 1500; top += 100) tops.push_back(top);
        for (int top : tops) ASSERT_EQ(stitcher.append(pageFrameGray(text, top, 300)), std::nullopt);
        const ScrollStitchOutput out = finished(stitcher);
        EXPECT_TRUE(samePixels(out.image, pageFrameGray(text, 0, out.placements.back().y + 300)));
        EXPECT_EQ(out.placements.back().y, tops.back());
        EXPECT_TRUE(out.lowConfidenceSeams.empty());
    }
}

// A log: every line the same black message after a short grey id. A few
// lines off, two frames differ only in the ids, about one cell in eight of
// those with content; only the true place brings the page back row for row.
TEST(StitchContent, linesAlikeButForAShortId_ComeBackRowForRow_AtAnyStep)
{
    const PageSpec log{PageKind::log, 480, 9};
    for (const auto& [minStep, maxStep] : {std::pair{24, 120}, {40, 300}, {100, 420}, {24, 440}}) {
        SCOPED_TRACE(maxStep);
        const std::vector<int> tops = randomTops(2980, 500, minStep, maxStep, uint32_t(maxStep));
        ScrollStitcher stitcher(testConfig());
        for (int top : tops) ASSERT_EQ(stitcher.append(pageFrameGray(log, top, 500)), std::nullopt);
        const ScrollStitchOutput out = finished(stitcher);
        EXPECT_EQ(out.image.height(), tops.back() + 500);
        EXPECT_TRUE(samePixels(out.image, pageFrameGray(log, 0, tops.back() + 500)));
        EXPECT_TRUE(out.lowConfidenceSeams.empty());
    }
}


// Lines alike but for a few pixels: ids counting up one a line differ from
// their neighbours' in the last digit only, and drawn twice the size no row
// of them is seen once in a frame. Only the true place brings every strip
// back, by the wheel and with the step automatic scrolling gives.
TEST(StitchContent, linesThatDifferFromTheirNeighboursInAFewPixels_ComeBackRowForRow)
{
    struct Case {
        PageKind kind;
        int width;
        int minStep, maxStep;
        bool hinted;
    };
    for (const Case& c : {Case{PageKind::countingLog, 480, 24, 120, false}, Case{PageKind::countingLog, 480, 40, 300, false},
                          Case{PageKind::countingLog, 480, 100, 420, false}, Case{PageKind::countingLog, 480, 24, 440, false},
                          Case{PageKind::countingLog, 800, 60, 400, false}, Case{PageKind::countingLog, 480, 100, 420, true},
                          Case{PageKind::log, 480, 100, 420, true}, Case{PageKind::countingLog, 800, 24, 200, true},
                          // Moved by whole lines, the lines stand where lines like them stood.
                          Case{PageKind::countingLog, 480, 288, 288, false}, Case{PageKind::countingLog, 480, 384, 384, true}}) {
        SCOPED_TRACE(testing::Message() << int(c.kind) << " " << c.width << " " << c.maxStep << " " << c.hinted);
        const PageSpec page{c.kind, c.width, 9};
        const std::vector<int> tops = randomTops(2980, 500, c.minStep, c.maxStep, uint32_t(c.maxStep + c.width));
        ScrollStitcher stitcher(testConfig());
        for (std::size_t i = 0; i < tops.size(); ++i) {
            const std::optional<int> hint = c.hinted && i > 0 ? std::optional(tops[i] - tops[i - 1]) : std::nullopt;
            ASSERT_EQ(stitcher.append(pageFrameGray(page, tops[i], 500), hint), std::nullopt);
        }
        const ScrollStitchOutput out = finished(stitcher);
        EXPECT_EQ(out.image.height(), tops.back() + 500);
        EXPECT_TRUE(samePixels(out.image, pageFrameGray(page, 0, tops.back() + 500)));
        EXPECT_TRUE(out.lowConfidenceSeams.empty());
    }
}
