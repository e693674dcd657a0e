#include "StitchTestSupport.h"
#include "platform/SerialQueue.h"
#include "scroll/ScrollStitchWorker.h"
#include "scroll/SyntheticScrollPage.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace klipo;
using namespace klipo::test;
using Kind = ScrollFrameResult::Kind;

TEST(StitchSession, dropsVisiblyUnchangedFramesBeforeTheStitcher)
{
    const QImage page = noiseFrame(320, 1200, 4);
    StitchSession session(testConfig());
    EXPECT_EQ(session.process(page.copy(0, 0, 320, 600), {}).kind, Kind::appended);
    EXPECT_EQ(session.process(page.copy(0, 0, 320, 600), {}).kind, Kind::duplicate);
    EXPECT_EQ(session.stitcher().appendedCount(), 1);

    // A failed frame does not become the reference: the next one is compared
    // with the last frame accepted without error.
    EXPECT_EQ(session.process(page.copy(0, 0, 320, 500), {}).kind, Kind::failed);
    EXPECT_EQ(session.process(page.copy(0, 0, 320, 600), {}).kind, Kind::duplicate);
    const auto moved = session.process(page.copy(0, 150, 320, 600), {});
    EXPECT_EQ(moved.kind, Kind::appended);
    EXPECT_EQ(moved.kept, 2);
    EXPECT_EQ(moved.canvasHeight, 750);

    // A uniform frame has no texture for the thumbnail test: the stitcher decides.
    StitchSession blank(testConfig());
    blank.process(uniformFrame(320, 600), {});
    blank.process(uniformFrame(320, 600), {});
    EXPECT_EQ(blank.stitcher().skippedDuplicates(), std::vector<int>{1});
}

TEST(ScrollStitchWorker, deliversResultsOnTheMainThreadInCallOrderWithTheFinishLast)
{
    const QImage page = noiseFrame(320, 1200, 8);
    ScrollStitchWorker worker(testConfig());
    std::vector<std::string> events;
    auto record = [&](const ScrollFrameResult& r) {
        EXPECT_TRUE(platform::isMainThread());
        events.push_back(std::to_string(int(r.kind)) + ":" + std::to_string(r.input));
    };
    for (int top : {0, 0, 200}) worker.process(page.copy(0, top, 320, 600), {}, record);
    std::optional<ScrollStitchResult> result;
    worker.finish([&](ScrollStitchResult r) {
        EXPECT_TRUE(platform::isMainThread());
        events.push_back("finish");
        result = std::move(r);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
    EXPECT_EQ(events, (std::vector<std::string>{"0:1", "1:1", "0:2", "finish"}));
    EXPECT_EQ(std::get<ScrollStitchOutput>(*result).image.height(), 800);

    // A cancelled stitch takes no more frames and finishes without an image.
    ScrollStitchWorker cancelled(testConfig());
    std::optional<ScrollFrameResult> late;
    result.reset();
    cancelled.process(page.copy(0, 0, 320, 600), {}, [](const ScrollFrameResult&) {});
    cancelled.cancelStitch();
    cancelled.process(page.copy(0, 300, 320, 600), {}, [&](const ScrollFrameResult& r) { late = r; });
    cancelled.finish([&](ScrollStitchResult r) { result = std::move(r); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
    EXPECT_EQ(late->kind, Kind::duplicate);
    EXPECT_EQ(std::get<ScrollStitchError>(*result), ScrollStitchError::noFrames());
}

TEST(ScrollStitchWorker, stitchesTheSelfCheckPageBackPixelForPixel)
{
    const QImage page = syntheticScrollPage();
    ScrollStitchWorker worker(testConfig());
    ScrollStitchTally tally;
    std::optional<ScrollStitchResult> result;
    for (const QImage& frame : syntheticScrollFrames(page))
        worker.process(frame, {}, [&](const ScrollFrameResult& r) { tally.count(r); });
    worker.finish([&](ScrollStitchResult r) { result = std::move(r); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(*result));
    const auto& out = std::get<ScrollStitchOutput>(*result);
    EXPECT_TRUE(samePixels(out.image, page));
    EXPECT_EQ(tally.kept, 11);
    EXPECT_EQ(tally.dupSkipped, 2);
    EXPECT_EQ(out.exactSeamCount(), 11);
}
