#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace klipo::platform::media {

// A thread that ticks `fps` times a second on the monotonic clock: tick k is
// due at start + k/fps. When a tick's work overruns, the ticks that can no
// longer be served in time are skipped (and counted) instead of firing in a
// burst, so frame k always stands for the moment start + k/fps.
class FrameTicker {
public:
    struct Tick {
        std::int64_t index = 0;         // frame slot since the start
        std::int64_t dueMicros = 0;     // when the slot is due (monotonicMicros())
        std::int64_t skippedBefore = 0; // slots skipped since the previous tick
    };
    using Callback = std::function<void(const Tick&)>;

    FrameTicker() = default;
    ~FrameTicker();
    FrameTicker(const FrameTicker&) = delete;
    FrameTicker& operator=(const FrameTicker&) = delete;

    // Starts ticking; the first tick is due at once. Returns the start time
    // (monotonicMicros()). `callback` runs on the ticker's own thread.
    std::int64_t start(int fps, Callback callback);
    // Wakes the thread and waits until the tick under way has finished; no
    // tick runs after it returns. Safe to call more than once.
    void stop();

    // CPU time of the ticker thread (its callbacks included), valid after stop().
    double cpuSeconds() const { return m_cpuSeconds; }

private:
    void run();

    int m_fps = 30;
    std::int64_t m_startMicros = 0;
    Callback m_callback;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    double m_cpuSeconds = 0;
    std::thread m_thread;
};

}  // namespace klipo::platform::media
