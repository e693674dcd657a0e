#include "platform/media/FrameTicker.h"

#include "platform/media/MediaClock.h"

#include <chrono>

namespace klipo::platform::media {

namespace {
std::chrono::steady_clock::time_point atMicros(std::int64_t micros)
{
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(micros));
}
}  // namespace

FrameTicker::~FrameTicker() { stop(); }

std::int64_t FrameTicker::start(int fps, Callback callback)
{
    stop();
    m_fps = fps > 0 ? fps : 1;
    m_callback = std::move(callback);
    m_stopping = false;
    m_startMicros = monotonicMicros();
    m_thread = std::thread([this] { run(); });
    return m_startMicros;
}

void FrameTicker::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void FrameTicker::run()
{
    const auto due = [this](std::int64_t index) { return m_startMicros + index * 1000000 / m_fps; };
    std::int64_t index = 0;
    std::int64_t skipped = 0;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_until(lock, atMicros(due(index)), [this] { return m_stopping; })) break;
        }
        m_callback(Tick{index, due(index), skipped});
        ++index;
        skipped = 0;
        // Late by a whole slot or more: serve the newest slot that is due now.
        const std::int64_t now = monotonicMicros();
        if (now >= due(index + 1)) {
            const std::int64_t newest = (now - m_startMicros) * m_fps / 1000000;
            skipped = newest - index;
            index = newest;
        }
    }
    m_cpuSeconds = threadCpuSeconds();
}

}  // namespace klipo::platform::media
