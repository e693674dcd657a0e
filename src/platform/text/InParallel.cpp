#include "platform/text/InParallel.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace klipo::platform {

namespace {

// The pieces of one call, kept alive by the helpers that have not started
// when it returns: they then find no piece left and touch nothing else.
struct Pieces {
    size_t n = 0;
    size_t count = 0;
    const std::function<void(size_t, size_t)>* work = nullptr;
    std::atomic<size_t> next{0};
    size_t done = 0;
    std::mutex mutex;
    std::condition_variable allDone;

    void takeUntilNoneLeft()
    {
        for (size_t i = next++; i < count; i = next++) {
            (*work)(n * i / count, n * (i + 1) / count);
            std::lock_guard lock(mutex);
            if (++done == count) allDone.notify_all();
        }
    }
};

}  // namespace

void inParallel(size_t n, size_t least, const std::function<void(size_t, size_t)>& work)
{
    if (n == 0) return;
    QThreadPool* pool = QThreadPool::globalInstance();
    const size_t cores = size_t(std::max(1, QThread::idealThreadCount()));
    // A few pieces a core, so that a core that falls behind leaves its share
    // to the others.
    const size_t count = std::clamp(n / std::max<size_t>(1, least), size_t(1), 4 * cores);
    if (count == 1 || cores == 1) {
        work(0, n);
        return;
    }
    auto pieces = std::make_shared<Pieces>();
    pieces->n = n;
    pieces->count = count;
    pieces->work = &work;
    for (size_t i = 1; i < std::min(count, cores); ++i) pool->start([pieces] { pieces->takeUntilNoneLeft(); });
    pieces->takeUntilNoneLeft();
    std::unique_lock lock(pieces->mutex);
    pieces->allDone.wait(lock, [&] { return pieces->done == count; });
}

}  // namespace klipo::platform
