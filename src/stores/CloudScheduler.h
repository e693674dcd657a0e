#pragma once

#include <QDateTime>

#include <atomic>
#include <functional>
#include <memory>

namespace klipo {

// Time and threads of the backup service: the current time, delayed work on
// the main thread and work on a background thread. The service reaches them
// only through this, so tests can run its three-minute delays on a clock of
// their own.
class CloudScheduler {
public:
    // Cancels a delayed task that has not run yet; harmless afterwards.
    class Ticket {
    public:
        void cancel() { m_cancelled->store(true); }
        bool isCancelled() const { return m_cancelled->load(); }

    private:
        std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    };

    virtual ~CloudScheduler() = default;

    virtual QDateTime now() = 0;
    // Runs `task` on the main thread `seconds` from now unless the ticket was
    // cancelled by then.
    virtual Ticket after(double seconds, std::function<void()> task) = 0;
    // Runs `task` on a background thread.
    virtual void background(std::function<void()> task) = 0;

    // The real clock, Qt timers and the global thread pool.
    static CloudScheduler& system();
};

}  // namespace klipo
