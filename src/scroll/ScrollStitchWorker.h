#pragma once

#include "scroll/StitchSession.h"

#include <functional>
#include <memory>
#include <optional>

namespace klipo {

// Runs one capture's stitcher off the main thread, on the serial queue
// "io.klipoversa.scroll-stitch": frames are matched and stored in the order
// they are handed in, and every completion runs on the main thread in call
// order, the finish completion after all frame completions. One worker per
// capture. Jobs already queued keep the stitcher alive after the worker is
// dropped; dropping it never waits for them.
class ScrollStitchWorker {
public:
    using FrameResult = ScrollFrameResult;

    explicit ScrollStitchWorker(ScrollStitchConfig config, std::unique_ptr<stitch::FrameSpool> spool = nullptr);

    // `frame` is the whole captured still, before any crop; `settled`: the
    // screen showed the same picture twice when it was grabbed.
    void process(QImage frame, std::optional<int> stepHint, bool settled,
                 std::function<void(const FrameResult&)> completion);
    void process(QImage frame, std::optional<int> stepHint, std::function<void(const FrameResult&)> completion)
    {
        process(std::move(frame), stepHint, true, std::move(completion));
    }
    void finish(std::function<void(ScrollStitchResult)> completion);
    // Waits up to `timeoutMs` for the outcome of finish(), called before, on
    // the calling thread; none when it did not come in time. For the quit,
    // when the main thread can no longer wait for the completion.
    std::optional<ScrollStitchResult> waitForFinish(int timeoutMs);
    // Drops every frame and the spool; later frames come back as duplicates
    // and a later finish fails with noFrames.
    void cancelStitch();

private:
    struct Outcome;

    std::shared_ptr<StitchSession> m_session;
    std::shared_ptr<Outcome> m_outcome;
};

}  // namespace klipo
