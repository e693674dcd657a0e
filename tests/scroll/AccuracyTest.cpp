#include "PlainStitcher.h"
#include "StitchTestSupport.h"
#include "scroll/SyntheticScrollPage.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;
using namespace klipo::test;

namespace {

// A frame as the screen shows it: a fixed 40-row toolbar over the page.
QImage withToolbar(const QImage& content)
{
    QImage frame(content.width(), content.height() + 40, QImage::Format_RGB32);
    frame.fill(qRgb(230, 232, 240));
    QPainter p(&frame);
    p.fillRect(10, 10, 60, 20, QColor(40, 90, 200));
    p.drawImage(0, 40, content);
    return frame;
}

struct Case {
    PageSpec page;
    int frameHeight;
    uint32_t seed;
};

}  // namespace

TEST(StitchAccuracy, textPagesComeBackExactlyWhateverTheStep)
{
    for (const Case& c : {Case{{PageKind::text, 300, 11}, 600, 1}, Case{{PageKind::text, 800, 12}, 600, 2},
                          Case{{PageKind::text, 1280, 13}, 500, 3}, Case{{PageKind::text, 641, 14}, 720, 4}}) {
        auto config = testConfig();
        config.cropTop = 40;
        const int cropH = c.frameHeight;
        const auto tops = randomTops(8000, cropH, 40, cropH - 60, c.seed);
        ScrollStitcher stitcher(config);
        for (int top : tops) ASSERT_EQ(stitcher.append(withToolbar(pageFrame(c.page, top, cropH))), std::nullopt);
        const auto result = stitcher.finish();
        ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
        const auto& out = std::get<ScrollStitchOutput>(result);
        EXPECT_EQ(out.exactSeamCount(), int(tops.size())) << c.page.width;
        EXPECT_TRUE(samePixels(out.image, pageFrame(c.page, 0, tops.back() + cropH))) << c.page.width;
    }
}

TEST(StitchAccuracy, greyNoiseOnEveryFrameKeepsTheHeightExact)
{
    for (const Case& c : {Case{{PageKind::text, 300, 21}, 600, 5}, Case{{PageKind::text, 1024, 22}, 600, 6}}) {
        const auto tops = randomTops(6000, c.frameHeight, 40, c.frameHeight - 60, c.seed);
        ScrollStitcher stitcher(testConfig());
        for (std::size_t i = 0; i < tops.size(); ++i)
            stitcher.append(withNoise(pageFrame(c.page, tops[i], c.frameHeight), 2, c.seed * 100 + uint32_t(i)));
        ASSERT_EQ(stitcher.placementCount(), int(tops.size()));
        for (std::size_t i = 0; i < tops.size(); ++i) EXPECT_EQ(stitcher.placements()[i].y, tops[i]);
    }
}

TEST(StitchAccuracy, standingStillOverABlankStretchAddsNoRows)
{
    const PageSpec page{PageKind::blankGap, 800, 31, 1500, 2600};
    ScrollStitcher stitcher(testConfig());
    for (int top : {0, 300, 600, 850}) stitcher.append(pageFrame(page, top, 600));
    ASSERT_EQ(stitcher.placementCount(), 4);
    for (int i = 0; i < 6; ++i) stitcher.append(pageFrame(page, 1700, 600));
    EXPECT_LE(stitcher.placementCount(), 5);
    const auto result = stitcher.finish();
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    EXPECT_EQ(std::get<ScrollStitchOutput>(result).image.height(), 850 + 600);
}

// Every speed-up (integer coarse curves, vector loops, candidates nearest the
// coarse minimum first, one forward curve per frame, the early exit of the
// unchanged-frame test) must leave every decision as the plain rules make it.
TEST(StitchAccuracy, fastMatchingDecidesExactlyAsThePlainRules)
{
    struct Feed {
        const char* name;
        std::vector<QImage> frames;
        std::vector<std::optional<int>> hints;
    };
    std::vector<Feed> corpus;
    auto pageFeed = [&](const char* name, const PageSpec& page, int height, std::vector<int> tops, int noise,
                        std::optional<int> hint = {}) {
        Feed f{name, {}, {}};
        for (std::size_t i = 0; i < tops.size(); ++i) {
            QImage frame = pageFrameGray(page, tops[i], height);
            // A still frame, but the caret blinks.
            if (i > 0 && tops[i] == tops[i - 1]) QPainter(&frame).fillRect(40, 100, 2, 16, Qt::black);
            f.frames.push_back(noise ? withNoise(frame, noise, uint32_t(i) + 1) : frame);
            f.hints.push_back(hint);
        }
        corpus.push_back(std::move(f));
    };
    for (int width : {300, 640, 800}) {
        const PageSpec page{PageKind::text, width, uint32_t(width)};
        auto tops = randomTops(3000, 400, 40, 340, uint32_t(width));
        pageFeed("text", page, 400, tops, 0);
        pageFeed("text+noise", page, 400, tops, 2);
        // Back and forth, with stills in between.
        std::vector<int> wobbly;
        for (std::size_t i = 1; i < tops.size() && i < 8; ++i)
            for (int t : {tops[i], tops[i], tops[i] - 25, tops[i] - 60}) wobbly.push_back(t);
        pageFeed("wobbly", page, 400, wobbly, 0);
    }
    pageFeed("table", {PageKind::table, 640, 1}, 400, {0, 90, 200, 330, 400, 520}, 0);
    pageFeed("gradient", {PageKind::gradient, 640, 1}, 400, {0, 150, 290, 400, 555}, 0);
    pageFeed("blank+hint", {PageKind::blankGap, 640, 5, 900, 4000}, 400, {0, 200, 400, 600, 800, 1000, 1200, 1400},
             0, 200);
    pageFeed("blank", {PageKind::blankGap, 640, 5, 900, 4000}, 400, {0, 200, 400, 600, 800, 1000, 1000, 1200}, 0);
    Feed synthetic{"synthetic", {}, {}};
    for (const QImage& f : syntheticScrollFrames(syntheticScrollPage())) {
        synthetic.frames.push_back(f);
        synthetic.hints.push_back({});
    }
    corpus.push_back(std::move(synthetic));

    int seams = 0;
    for (const Feed& feed : corpus) {
        ScrollStitcher fast(testConfig());
        PlainStitcher plain(testConfig());
        for (std::size_t i = 0; i < feed.frames.size(); ++i) {
            ASSERT_EQ(fast.append(feed.frames[i], feed.hints[i]), std::nullopt);
            plain.append(feed.frames[i], feed.hints[i]);
        }
        EXPECT_EQ(fast.placements(), plain.placements) << feed.name << " " << feed.frames[0].width();
        EXPECT_EQ(fast.skippedDuplicates(), plain.skipped) << feed.name;
        EXPECT_EQ(fast.skippedBacktracks(), plain.skippedBack) << feed.name;
        seams += fast.placementCount();
    }
    EXPECT_GT(seams, 100);
}
