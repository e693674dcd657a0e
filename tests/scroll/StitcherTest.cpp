// The stitcher: frames it refuses or skips, and synthetic text pages that
// must come back row for row however the frames came.
#include "StitchTestSupport.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>

using namespace klipo;
using namespace klipo::test;
using Seam = ScrollSeamConfidence;

namespace {

// A textured page cut into frames of `height` rows at the given tops.
const QImage page = noiseFrame(320, 3000, 7);
QImage at(int top, int height = 600) { return page.copy(0, top, page.width(), height); }

// A frame as the screen shows it: a fixed 40-row toolbar over the page.
QImage withToolbar(const QImage& content)
{
    QImage frame(content.width(), content.height() + 40, QImage::Format_RGB32);
    frame.fill(qRgb(230, 232, 240));
    QPainter(&frame).drawImage(0, 40, content);
    return frame;
}

ScrollStitchOutput finished(ScrollStitcher& stitcher)
{
    auto result = stitcher.finish();
    EXPECT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    return std::holds_alternative<ScrollStitchOutput>(result) ? std::get<ScrollStitchOutput>(std::move(result))
                                                              : ScrollStitchOutput{};
}

}  // namespace

TEST(ScrollStitcher, refusesFramesItCannotUse_AndCarriesOnWithTheNext)
{
    // Fewer than 80 rows left once the header and footer are cut off.
    auto config = testConfig();
    config.cropTop = 20;
    config.cropBottom = 1;
    ScrollStitcher cropped(config);
    EXPECT_EQ(cropped.append(noiseFrame(64, 79 + 21, 1)), ScrollStitchError::cropInvalid());
    EXPECT_EQ(cropped.append(noiseFrame(64, 80 + 21, 1)), std::nullopt);
    config.cropTop = -1;
    EXPECT_EQ(ScrollStitcher(config).append(noiseFrame(64, 600, 1)), ScrollStitchError::cropInvalid());

    // A frame of another size leaves the geometry alone.
    ScrollStitcher stitcher(testConfig());
    ASSERT_EQ(stitcher.append(at(0)), std::nullopt);
    EXPECT_EQ(stitcher.append(at(100, 500)), ScrollStitchError::frameSizeMismatch(1));
    ASSERT_EQ(stitcher.append(at(100)), std::nullopt);
    EXPECT_EQ(stitcher.placements().back(), (ScrollFramePlacement{2, 100, 100, Seam::exact, 0.0}));

    // The frame after the 300th, whatever it is.
    ScrollStitcher full(testConfig());
    for (int i = 0; i < 300; ++i) ASSERT_EQ(full.append(at(0, 100)), std::nullopt);
    EXPECT_EQ(full.append(QImage()), ScrollStitchError::tooManyFrames(300));
}

TEST(ScrollStitcher, skipsUnchangedFrames_ButNotBlankOnesWhileScrollingIsExpected)
{
    ScrollStitcher textured(testConfig());
    textured.append(at(0));
    textured.append(at(0));
    EXPECT_EQ(textured.skippedDuplicates(), std::vector<int>{1});

    // Nothing says a blank picture moved: it is the same picture.
    ScrollStitcher blank(testConfig());
    for (int i = 0; i < 4; ++i) blank.append(uniformFrame(320, 600));
    EXPECT_EQ(blank.skippedDuplicates(), (std::vector<int>{1, 2, 3}));

    // Automatic scrolling moved it 120 rows each time.
    ScrollStitcher scrolled(testConfig());
    scrolled.append(uniformFrame(320, 600));
    for (int i = 0; i < 3; ++i) scrolled.append(uniformFrame(320, 600), 120);
    std::vector<std::pair<int, Seam>> seams;
    for (const auto& p : scrolled.placements()) seams.emplace_back(p.y, p.confidence);
    EXPECT_EQ(seams, (std::vector<std::pair<int, Seam>>{
                         {0, Seam::exact}, {120, Seam::velocity}, {240, Seam::velocity}, {360, Seam::fixedStep}}));
    // The blank run at the end lies past the page's end: not part of the image.
    EXPECT_EQ(finished(scrolled).image.height(), 600);
}

TEST(ScrollStitcher, repeatedContentIsNeverAnExactSeam)
{
    // Table rows repeating every 30 rows, and a smooth ramp where a range of
    // offsets fits about equally.
    for (PageKind kind : {PageKind::table, PageKind::gradient}) {
        ScrollStitcher stitcher(testConfig());
        for (int top : {0, 170, 340, 500}) stitcher.append(pageFrameGray({kind, 800}, top, 600));
        ASSERT_EQ(stitcher.placementCount(), 4);
        for (int i = 1; i < 4; ++i)
            EXPECT_NE(stitcher.placements()[std::size_t(i)].confidence, Seam::exact) << int(kind) << " seam " << i;
    }
}

TEST(ScrollStitcher, aFailedSpoolWrite_CommitsNothing)
{
    auto spool = std::make_unique<FlakySpool>(freshDir(QStringLiteral("flaky")));
    FlakySpool* flaky = spool.get();
    ScrollStitcher stitcher(testConfig(), std::move(spool));
    stitcher.append(at(0));
    stitcher.append(at(100));

    flaky->failing = true;
    EXPECT_EQ(stitcher.append(at(400)), ScrollStitchError::spoolFailed(2));
    EXPECT_EQ(stitcher.placementCount(), 2);
    EXPECT_EQ(stitcher.lastY(), 100);
    EXPECT_EQ(stitcher.matchMemory().recentExactOffsets, std::vector<int>{100});

    // The next frame is matched against the last kept one and takes the next file number.
    flaky->failing = false;
    ASSERT_EQ(stitcher.append(at(350)), std::nullopt);
    EXPECT_EQ(stitcher.placements().back().offset, 250);
    EXPECT_TRUE(QFile::exists(flaky->filePath(2)));
    EXPECT_FALSE(QFile::exists(flaky->filePath(3)));
}

TEST(StitchAccuracy, textPagesComeBackExactly_WhateverTheWidthStepAndHeader_AndUnderGreyNoise)
{
    struct Case {
        int width, frameHeight, noise;
    };
    for (const Case& c : {Case{300, 600, 0}, Case{800, 600, 0}, Case{1280, 500, 0}, Case{641, 720, 0},
                          Case{300, 600, 2}, Case{1024, 600, 2}}) {
        SCOPED_TRACE(c.width);
        const PageSpec pageShape{PageKind::text, c.width, uint32_t(c.width + c.noise)};
        auto config = testConfig();
        config.cropTop = 40;
        const auto tops = randomTops(6000, c.frameHeight, 40, c.frameHeight - 60, uint32_t(c.width));
        ScrollStitcher stitcher(config);
        for (std::size_t i = 0; i < tops.size(); ++i) {
            const QImage frame = withToolbar(pageFrame(pageShape, tops[i], c.frameHeight));
            ASSERT_EQ(stitcher.append(c.noise ? withNoise(frame, c.noise, uint32_t(i)) : frame), std::nullopt);
        }
        ASSERT_EQ(stitcher.placementCount(), int(tops.size()));
        for (std::size_t i = 0; i < tops.size(); ++i) EXPECT_EQ(stitcher.placements()[i].y, tops[i]);
        const auto out = finished(stitcher);
        if (c.noise) continue;
        EXPECT_EQ(out.exactSeamCount(), int(tops.size()));
        EXPECT_TRUE(samePixels(out.image, pageFrame(pageShape, 0, tops.back() + c.frameHeight)));
    }
}

// Scrolled a step, held still while the caret blinks, scrolled back twice:
// only the forward frames are kept, each matched against the last kept one.
TEST(StitchAccuracy, backAndForthWithStills_KeepsOnlyTheForwardFrames)
{
    for (int width : {300, 480, 640, 800}) {
        const PageSpec pageShape{PageKind::text, width, uint32_t(width)};
        const auto tops = randomTops(3000, 400, 40, 340, uint32_t(width));
        ASSERT_GE(tops.size(), 8u);
        ScrollStitcher stitcher(testConfig());
        for (std::size_t i = 1; i < 8; ++i) {
            QImage caret = pageFrameGray(pageShape, tops[i], 400);
            QPainter(&caret).fillRect(40, 100, 2, 16, Qt::black);
            // Odd steps back too: at half-size matching they fall between two compared rows.
            const int back = 23 + 2 * int(i);
            for (const QImage& frame : {pageFrameGray(pageShape, tops[i], 400), caret,
                                        pageFrameGray(pageShape, tops[i] - back, 400), pageFrameGray(pageShape, tops[i] - 60, 400)})
                ASSERT_EQ(stitcher.append(frame), std::nullopt);
        }
        EXPECT_EQ(stitcher.skippedDuplicates().size(), 7u) << width;
        EXPECT_EQ(stitcher.skippedBacktracks().size(), 14u) << width;
        const auto out = finished(stitcher);
        EXPECT_TRUE(samePixels(out.image, pageFrameGray(pageShape, tops[1], tops[7] - tops[1] + 400))) << width;
    }
}

// A blank stretch taller than a frame: nothing to match, so the hint of
// automatic scrolling places the frames; standing still over it adds nothing.
TEST(StitchAccuracy, blankStretch_FollowsTheHint_AndStandingStillAddsNoRows)
{
    const PageSpec pageShape{PageKind::blankGap, 640, 5, 900, 1500};
    ScrollStitcher hinted(testConfig());
    for (int top = 0; top <= 1600; top += 200) hinted.append(pageFrameGray(pageShape, top, 400), 200);
    ASSERT_EQ(hinted.placementCount(), 9);
    EXPECT_TRUE(samePixels(finished(hinted).image, pageFrameGray(pageShape, 0, 2000)));

    const PageSpec gap{PageKind::blankGap, 800, 31, 1500, 2600};
    ScrollStitcher still(testConfig());
    for (int top : {0, 300, 600, 850}) still.append(pageFrame(gap, top, 600));
    for (int i = 0; i < 6; ++i) still.append(pageFrame(gap, 1700, 600));
    EXPECT_LE(still.placementCount(), 5);
    EXPECT_EQ(finished(still).image.height(), 850 + 600);
}

// Stills caught mid-repaint (blank or drawn in part) are held back and never
// reach the image; scrolling that never settles loses nothing.
TEST(StitchAccuracy, framesCaughtHalfRepainted_NeverReachTheImage)
{
    const PageSpec text{PageKind::text, 400, 11};
    const auto at = [&](int top) { return pageFrame(text, top, 300); };
    // Rows from `drawn` down still the background, as when the repaint stopped there.
    const auto drawnTo = [&](int top, int drawn) {
        QImage frame = at(top);
        QPainter(&frame).fillRect(0, drawn, 400, 300 - drawn, QColor(252, 252, 252));
        return frame;
    };
    struct Still {
        QImage image;
        bool settled = true;
    };
    std::vector<Still> smooth;
    for (int top = 0; top <= 900; top += 30) smooth.push_back({at(top), false});
    struct Case {
        const char* name;
        std::vector<Still> stills;
        int pageRows;
    };
    const Case cases[] = {
        {"blank, seen twice", {{at(0)}, {at(50)}, {drawnTo(100, 0)}, {at(100)}, {at(150)}}, 450},
        {"the new rows not drawn yet", {{at(0)}, {drawnTo(50, 250), false}, {at(100)}}, 400},
        {"drawn from the top", {{at(0)}, {drawnTo(100, 60), false}, {drawnTo(100, 200), false}, {at(100)}}, 400},
        {"never settled while scrolling", smooth, 1200},
    };
    for (const Case& c : cases) {
        ScrollStitcher stitcher(testConfig());
        for (const Still& still : c.stills)
            ASSERT_EQ(stitcher.append(still.image, std::nullopt, still.settled), std::nullopt);
        const auto out = finished(stitcher);
        EXPECT_TRUE(samePixels(out.image, pageFrame(text, 0, c.pageRows))) << c.name;
        EXPECT_TRUE(out.lowConfidenceSeams.empty()) << c.name;
    }

    // Out of reach after a frame nothing confirmed: placed, and said to be unsure.
    ScrollStitcher jump(testConfig());
    for (const QImage& frame : {at(0), drawnTo(100, 60)}) jump.append(frame, std::nullopt, false);
    jump.append(at(400));
    const auto out = finished(jump);
    EXPECT_EQ(out.placements.size(), 2u);
    EXPECT_EQ(out.lowConfidenceSeams, std::vector<int>{2});
}
