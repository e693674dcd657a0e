#include "StitchTestSupport.h"
#include "scroll/SmallFrame.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

using namespace klipo;
using namespace klipo::test;

namespace {

using Kind = ScrollStitchError::Kind;

// A textured page cut into frames of `height` rows at the given tops.
struct Page {
    QImage image;
    QImage at(int top, int height = 600) const { return image.copy(0, top, image.width(), height); }
};

Page texturedPage(int width = 320, int height = 3000, uint32_t seed = 7) { return {noiseFrame(width, height, seed)}; }

}  // namespace

TEST(ScrollStitcher, rejectsCropsThatLeaveTooFewRows)
{
    auto config = testConfig();
    config.cropTop = -1;
    ScrollStitcher negative(config);
    EXPECT_EQ(negative.append(noiseFrame(64, 600, 1)), ScrollStitchError::cropInvalid());
    EXPECT_EQ(ScrollStitchError::cropInvalid().errorDescription(),
              QStringLiteral("表头/底栏裁剪参数不合法（裁剪后画面过小）"));

    config.cropTop = 20;
    config.cropBottom = 1;
    ScrollStitcher stitcher(config);
    EXPECT_EQ(stitcher.append(noiseFrame(64, 79 + 21, 1)), ScrollStitchError::cropInvalid());
    EXPECT_EQ(stitcher.append(noiseFrame(64, 80 + 21, 1)), std::nullopt);
    EXPECT_EQ(stitcher.appendedCount(), 2);
    EXPECT_EQ(stitcher.cropH(), 80);
}

TEST(ScrollStitcher, refusesTheFrameAfterTheLimitWhateverItIs)
{
    ScrollStitcher stitcher(testConfig());
    const QImage frame = noiseFrame(32, 100, 3);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(stitcher.append(frame), std::nullopt);
    const auto error = stitcher.append(QImage());
    EXPECT_EQ(error, ScrollStitchError::tooManyFrames(300));
    EXPECT_EQ(error->errorDescription(), QStringLiteral("帧数超过上限 300"));
    EXPECT_EQ(stitcher.appendedCount(), 301);
    EXPECT_EQ(stitcher.placementCount(), 1);
    EXPECT_EQ(stitcher.skippedDuplicates().size(), 299u);
}

TEST(ScrollStitcher, downsamplesWideFramesToAtMost320Columns)
{
    for (auto [width, ds] : {std::pair{320, 1}, {321, 2}, {640, 2}, {641, 3}, {3840, 12}}) {
        ScrollStitcher stitcher(testConfig());
        ASSERT_EQ(stitcher.append(noiseFrame(width, 100, 1)), std::nullopt);
        EXPECT_EQ(stitcher.dsFactor(), ds) << width;
        EXPECT_LE(width / ds, 320);
    }
}

TEST(ScrollStitcher, frameOfAnotherSizeIsRejectedAndLeavesTheGeometryAlone)
{
    const Page page = texturedPage();
    ScrollStitcher stitcher(testConfig());
    ASSERT_EQ(stitcher.append(page.at(0)), std::nullopt);
    const auto error = stitcher.append(page.at(100, 500));
    EXPECT_EQ(error, ScrollStitchError::frameSizeMismatch(1));
    EXPECT_EQ(error->errorDescription(), QStringLiteral("第 2 帧尺寸与首帧不一致"));
    ASSERT_EQ(stitcher.append(page.at(100)), std::nullopt);
    EXPECT_EQ(stitcher.cropH(), 600);
    ASSERT_EQ(stitcher.placementCount(), 2);
    EXPECT_EQ(stitcher.placements()[1], (ScrollFramePlacement{2, 100, 100, ScrollSeamConfidence::exact, 0.0}));
    EXPECT_EQ(stitcher.matchMemory().recentExactOffsets, std::vector<int>{100});
}

TEST(ScrollStitcher, skipsUnchangedFramesButNeverBlankOnesWhileScrollingIsExpected)
{
    const Page page = texturedPage();
    ScrollStitcher textured(testConfig());
    textured.append(page.at(0));
    textured.append(page.at(0));
    EXPECT_EQ(textured.skippedDuplicates(), std::vector<int>{1});

    // Nothing says a blank picture moved: it is the same picture.
    ScrollStitcher blank(testConfig());
    for (int i = 0; i < 4; ++i) blank.append(uniformFrame(320, 600));
    EXPECT_EQ(blank.skippedDuplicates(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(blank.placementCount(), 1);

    // Automatic scrolling moved it 120 rows each time.
    ScrollStitcher scrolled(testConfig());
    scrolled.append(uniformFrame(320, 600));
    for (int i = 0; i < 3; ++i) scrolled.append(uniformFrame(320, 600), 120);
    ASSERT_EQ(scrolled.placementCount(), 4);
    std::vector<ScrollSeamConfidence> seams;
    for (const auto& p : scrolled.placements()) {
        if (p.frameIndex > 0) {
            EXPECT_EQ(p.offset, 120);
        }
        seams.push_back(p.confidence);
    }
    EXPECT_EQ(seams, (std::vector{ScrollSeamConfidence::exact, ScrollSeamConfidence::velocity,
                                  ScrollSeamConfidence::velocity, ScrollSeamConfidence::fixedStep}));
    // The blank run at the end lies past the page's end: not part of the image.
    const auto result = scrolled.finish();
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    const auto& out = std::get<ScrollStitchOutput>(result);
    EXPECT_EQ(out.image.height(), 600);
    EXPECT_EQ(out.placements.size(), 1u);
    EXPECT_TRUE(out.lowConfidenceSeams.empty());
}

TEST(ScrollStitcher, skipsFramesScrolledBackAndMatchesTheNextAgainstTheLastKept)
{
    const Page page = texturedPage();
    ScrollStitcher stitcher(testConfig());
    stitcher.append(page.at(400));
    stitcher.append(page.at(300));
    stitcher.append(page.at(610));
    EXPECT_EQ(stitcher.skippedBacktracks(), std::vector<int>{1});
    ASSERT_EQ(stitcher.placementCount(), 2);
    EXPECT_EQ(stitcher.placements()[1].offset, 210);
    EXPECT_EQ(stitcher.placements()[1].confidence, ScrollSeamConfidence::exact);
}

TEST(ScrollStitcher, keepsTheLastFourExactOffsetsAsTheExpectedStep)
{
    const Page page = texturedPage();
    ScrollStitcher stitcher(testConfig());
    int top = 0;
    stitcher.append(page.at(top));
    for (int step : {90, 92, 94, 96, 98}) stitcher.append(page.at(top += step));
    EXPECT_EQ(stitcher.matchMemory().recentExactOffsets, (std::vector{92, 94, 96, 98}));
    EXPECT_EQ(stitch::resolveTarget(std::nullopt, 1, 552, stitcher.matchMemory(), 600), 95);
    EXPECT_EQ(stitch::resolveTarget(std::nullopt, 1, 753, {}, 801), 400);
    EXPECT_EQ(stitch::resolveTarget(900, 1, 552, {}, 600), 552);
}

TEST(ScrollStitcher, repeatedContentIsNeverAnExactSeam)
{
    // Table rows repeating every 30 rows, and a smooth ramp where a range of
    // offsets fits about equally (a plateau of the coarse curve).
    for (PageKind kind : {PageKind::table, PageKind::gradient}) {
        const PageSpec spec{kind, 800};
        ScrollStitcher stitcher(testConfig());
        for (int top : {0, 170, 340, 500}) stitcher.append(pageFrameGray(spec, top, 600));
        ASSERT_EQ(stitcher.placementCount(), 4);
        for (int i = 1; i < 4; ++i)
            EXPECT_NE(stitcher.placements()[std::size_t(i)].confidence, ScrollSeamConfidence::exact)
                << int(kind) << " seam " << i;
    }
}

TEST(ScrollStitcher, failedSpoolWriteLeavesEveryMatchingStateAsBefore)
{
    const Page page = texturedPage();
    const QString folder = freshDir(QStringLiteral("flaky"));
    auto spool = std::make_unique<FlakySpool>(folder);
    FlakySpool* flaky = spool.get();
    ScrollStitcher stitcher(testConfig(), std::move(spool));
    stitcher.append(page.at(0));
    stitcher.append(page.at(100));

    flaky->failWrite = [](int) { return true; };
    const auto error = stitcher.append(page.at(400));
    EXPECT_EQ(error, ScrollStitchError::spoolFailed(2));
    EXPECT_EQ(error->errorDescription(), QStringLiteral("第 3 帧临时存盘失败"));
    EXPECT_EQ(stitcher.placementCount(), 2);
    EXPECT_EQ(stitcher.lastY(), 100);
    EXPECT_EQ(stitcher.matchMemory().recentExactOffsets, std::vector<int>{100});

    // The next frame is matched against the last kept one and takes the next file number.
    flaky->failWrite = [](int) { return false; };
    ASSERT_EQ(stitcher.append(page.at(350)), std::nullopt);
    EXPECT_EQ(stitcher.placements().back().offset, 250);
    EXPECT_EQ(stitcher.placements().back().y, 350);
    EXPECT_TRUE(QFile::exists(flaky->filePath(2)));
    EXPECT_FALSE(QFile::exists(flaky->filePath(3)));
}

TEST(ScrollStitcher, writesTheBacktrackDiagnosticOnlyWhenAskedTo)
{
    const Page page = texturedPage();
    auto run = [&](bool debug) {
        if (debug)
            qputenv("KLIPO_SCROLL_DEBUG", "");
        else
            qunsetenv("KLIPO_SCROLL_DEBUG");
        ScrollStitcher stitcher(testConfig());
        testing::internal::CaptureStderr();
        stitcher.append(page.at(300));
        stitcher.append(page.at(200));           // scrolled back: tested and skipped
        stitcher.append(uniformFrame(320, 600));  // featureless: never tested
        return testing::internal::GetCapturedStderr();
    };
    EXPECT_EQ(run(false), "");
    const std::string line = run(true);
    qunsetenv("KLIPO_SCROLL_DEBUG");
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_TRUE(QString::fromStdString(line).contains(
        QRegularExpression(QStringLiteral("^BT\\? bestPos=\\S+ bestNeg=0\\.0 bestNegD=100 medianNeg=\\S+\\n$"))))
        << line;
    EXPECT_EQ(stitch::shortestDouble(12), "12.0");
    EXPECT_EQ(stitch::shortestDouble(0.1), "0.1");
    EXPECT_EQ(stitch::shortestDouble(std::numeric_limits<double>::infinity()), "inf");
}

TEST(ScrollStitcher, picksNearTheTargetByOffsetWhateverOrderTheCandidatesWereMeasuredIn)
{
    using E = stitch::Evaluation;
    const double inf = std::numeric_limits<double>::infinity();
    auto pick = [](std::vector<E> evals, int target, double eps) {
        const E e = stitch::pickNearTarget(evals, target, eps);
        return std::pair{e.d, e.err};
    };
    EXPECT_EQ(pick({}, 120, 0.08), (std::pair{120, inf}));
    // Near ones: the nearest wins, the smaller on equal distance.
    EXPECT_EQ(pick({{130, 0.0}, {110, 0.05}, {121, 0.5}}, 120, 0.08), (std::pair{110, 0.05}));
    // None near: the least error, then the nearer, then the smaller.
    EXPECT_EQ(pick({{124, 0.3}, {116, 0.3}, {119, 0.4}}, 120, 0.08), (std::pair{116, 0.3}));
    EXPECT_EQ(pick({{125, 0.3}, {116, 0.3}}, 120, 0.08), (std::pair{116, 0.3}));
}
