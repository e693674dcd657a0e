#include "scroll/ScrollStitchWorker.h"

#include "platform/SerialQueue.h"
#include "scroll/SpoolFolder.h"

#include <mutex>

namespace klipo {

namespace {

// One queue for every capture: captures never overlap, and a queue of its
// own per worker could not be torn down from its own jobs.
platform::SerialQueue& stitchQueue()
{
    static platform::SerialQueue queue("io.klipoversa.scroll-stitch");
    return queue;
}

}  // namespace

ScrollStitchWorker::ScrollStitchWorker(ScrollStitchConfig config, std::unique_ptr<stitch::FrameSpool> spool)
    : m_session(std::make_shared<StitchSession>(std::move(config), std::move(spool)))
{
    // Spool folders left by a crash or by quitting while stitching go before
    // this process spools anything; live ones are locked and stay.
    static std::once_flag swept;
    std::call_once(swept, [] { stitchQueue().async([] { stitch::sweepStaleSpoolFolders(); }); });
}

void ScrollStitchWorker::process(QImage frame, std::optional<int> stepHint,
                                 std::function<void(const FrameResult&)> completion)
{
    stitchQueue().async([session = m_session, frame = std::move(frame), stepHint,
                         completion = std::move(completion)]() mutable {
        FrameResult result = session->process(frame, stepHint);
        frame = QImage();
        platform::runOnMain([result, completion = std::move(completion)] {
            if (completion) completion(result);
        });
    });
}

void ScrollStitchWorker::finish(std::function<void(ScrollStitchResult)> completion)
{
    stitchQueue().async([session = m_session, completion = std::move(completion)]() mutable {
        auto result = std::make_shared<ScrollStitchResult>(session->finish());
        platform::runOnMain([result, completion = std::move(completion)] {
            if (completion) completion(std::move(*result));
        });
    });
}

void ScrollStitchWorker::cancelStitch()
{
    stitchQueue().async([session = m_session] { session->cancel(); });
}

}  // namespace klipo
