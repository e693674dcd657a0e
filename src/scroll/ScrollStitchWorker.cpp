#include "scroll/ScrollStitchWorker.h"

#include "platform/SerialQueue.h"
#include "scroll/SpoolFolder.h"

#include <chrono>
#include <condition_variable>
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

// The finish outcome, kept for a waiter besides the completion.
struct ScrollStitchWorker::Outcome {
    std::mutex mutex;
    std::condition_variable ready;
    std::optional<ScrollStitchResult> result;
};

ScrollStitchWorker::ScrollStitchWorker(ScrollStitchConfig config, std::unique_ptr<stitch::FrameSpool> spool)
    : m_session(std::make_shared<StitchSession>(std::move(config), std::move(spool))),
      m_outcome(std::make_shared<Outcome>())
{
    // Spool folders left by a crash or by quitting while stitching go before
    // this process spools anything; live ones are locked and stay.
    static std::once_flag swept;
    std::call_once(swept, [] { stitchQueue().async([] { stitch::sweepStaleSpoolFolders(); }); });
}

void ScrollStitchWorker::process(QImage frame, std::optional<int> stepHint, bool settled,
                                 std::function<void(const FrameResult&)> completion)
{
    stitchQueue().async([session = m_session, frame = std::move(frame), stepHint, settled,
                         completion = std::move(completion)]() mutable {
        FrameResult result = session->process(frame, stepHint, settled);
        frame = QImage();
        platform::runOnMain([result, completion = std::move(completion)] {
            if (completion) completion(result);
        });
    });
}

void ScrollStitchWorker::finish(std::function<void(ScrollStitchResult)> completion)
{
    stitchQueue().async([session = m_session, outcome = m_outcome, completion = std::move(completion)]() mutable {
        auto result = std::make_shared<ScrollStitchResult>(session->finish());
        {
            std::lock_guard lock(outcome->mutex);
            outcome->result = *result;
        }
        outcome->ready.notify_all();
        platform::runOnMain([result, completion = std::move(completion)] {
            if (completion) completion(std::move(*result));
        });
    });
}

std::optional<ScrollStitchResult> ScrollStitchWorker::waitForFinish(int timeoutMs)
{
    std::unique_lock lock(m_outcome->mutex);
    m_outcome->ready.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_outcome->result.has_value(); });
    return m_outcome->result;
}

void ScrollStitchWorker::cancelStitch()
{
    stitchQueue().async([session = m_session] { session->cancel(); });
}

}  // namespace klipo
