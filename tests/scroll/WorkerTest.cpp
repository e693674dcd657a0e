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
    const auto again = session.process(page.copy(0, 0, 320, 600), {});
    EXPECT_EQ(again.kind, Kind::duplicate);
    EXPECT_EQ(again.input, 1);
    EXPECT_EQ(session.stitcher().appendedCount(), 1);
    EXPECT_TRUE(session.stitcher().skippedDuplicates().empty());

    // A failed frame does not become the reference: the next one is compared
    // with the last frame accepted without error.
    EXPECT_EQ(session.process(page.copy(0, 0, 320, 500), {}).kind, Kind::failed);
    EXPECT_EQ(session.process(page.copy(0, 0, 320, 600), {}).kind, Kind::duplicate);
    const auto moved = session.process(page.copy(0, 150, 320, 600), {});
    EXPECT_EQ(moved.kind, Kind::appended);
    EXPECT_EQ(moved.kept, 2);
    EXPECT_EQ(moved.input, 3);
    EXPECT_EQ(moved.canvasHeight, 750);

    // A uniform frame has no texture for the thumbnail test: the stitcher decides.
    StitchSession blank(testConfig());
    blank.process(uniformFrame(320, 600), {});
    EXPECT_EQ(blank.process(uniformFrame(320, 600), {}).input, 2);
    EXPECT_EQ(blank.stitcher().skippedDuplicates(), std::vector<int>{1});
}

TEST(ScrollStitchWorker, deliversResultsOnTheMainThreadInCallOrderWithTheFinishLast)
{
    const QImage page = noiseFrame(320, 1200, 8);
    ScrollStitchWorker worker(testConfig());
    std::vector<std::string> events;
    bool done = false;
    auto record = [&](const ScrollFrameResult& r) {
        EXPECT_TRUE(platform::isMainThread());
        events.push_back(std::to_string(int(r.kind)) + ":" + std::to_string(r.input));
    };
    worker.process(page.copy(0, 0, 320, 600), {}, record);
    worker.process(page.copy(0, 0, 320, 600), {}, record);
    worker.process(page.copy(0, 200, 320, 600), {}, record);
    worker.finish([&](ScrollStitchResult result) {
        EXPECT_TRUE(platform::isMainThread());
        ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
        events.push_back("finish:" + std::to_string(std::get<ScrollStitchOutput>(result).image.height()));
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    EXPECT_EQ(events, (std::vector<std::string>{"0:1", "1:1", "0:2", "finish:800"}));

    ScrollStitchWorker cancelled(testConfig());
    std::optional<ScrollFrameResult> late;
    std::optional<ScrollStitchResult> finished;
    cancelled.process(page.copy(0, 0, 320, 600), {}, [](const ScrollFrameResult&) {});
    cancelled.cancelStitch();
    cancelled.process(page.copy(0, 300, 320, 600), {}, [&](const ScrollFrameResult& r) { late = r; });
    cancelled.finish([&](ScrollStitchResult r) { finished = std::move(r); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, 10000));
    EXPECT_EQ(late->kind, Kind::duplicate);
    EXPECT_EQ(std::get<ScrollStitchError>(*finished), ScrollStitchError::noFrames());
}

TEST(ScrollStitchWorker, stitchesTheSelfCheckPageBackPixelForPixel)
{
    const QImage page = syntheticScrollPage();
    const auto frames = syntheticScrollFrames(page);
    ASSERT_EQ(frames.size(), 13u);
    ScrollStitchWorker worker(testConfig());
    ScrollStitchTally tally;
    std::optional<ScrollStitchResult> result;
    for (const QImage& frame : frames) worker.process(frame, {}, [&](const ScrollFrameResult& r) { tally.count(r); });
    worker.finish([&](ScrollStitchResult r) { result = std::move(r); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(*result))
        << std::get<ScrollStitchError>(*result).errorDescription().toStdString();
    const auto& out = std::get<ScrollStitchOutput>(*result);
    EXPECT_EQ(out.image.size(), QSize(800, 3000));
    EXPECT_TRUE(samePixels(out.image, page));
    EXPECT_EQ(tally.kept, 11);
    EXPECT_EQ(tally.dupSkipped, 2);
    EXPECT_EQ(out.exactSeamCount(), 11);
    EXPECT_EQ(out.placements.size(), 11u);
    EXPECT_TRUE(out.lowConfidenceSeams.empty());
}
