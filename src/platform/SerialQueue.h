#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace klipo::platform {

// A serial work queue with one worker thread of its own, named by its label
// ("io.klipoversa.history" ...). Blocks run one at a time in the order given.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue();  // runs what is queued, then stops the worker

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return m_label; }

    void async(std::function<void()> block);
    // Runs the block on the worker and waits for it; safe to call from the
    // worker itself (then the block runs inline).
    void sync(const std::function<void()>& block);
    // Waits until what is queued now has run, at most `limit`; false when it
    // has not by then. Every live queue does this when the application object
    // is destroyed, so that no block runs on into the process's end.
    bool waitUntilIdle(std::chrono::milliseconds limit);

    bool isCurrent() const;

private:
    void run();

    std::string m_label;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_blocks;
    bool m_stopping = false;
    std::thread m_worker;
};

// Runs `block` on the main (GUI) thread, queued. Returns at once. Once the
// application object is gone the block is dropped.
void runOnMain(std::function<void()> block);
// Runs `block` on the main thread and waits; inline when already there.
void runOnMainSync(const std::function<void()>& block);
bool isMainThread();

}  // namespace klipo::platform
