#include "platform/SerialQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <future>
#include <set>

namespace klipo::platform {

namespace {

// Queues that live as long as the process (the stores' own) are still busy
// when the application object goes: a save at quit. The work they hold is
// finished then, while what it uses (the thread pool, the file system's
// Qt side) is still there; a queue whose block waits for something that
// will not come any more is given up on after a while.
constexpr auto kFinishAtQuit = std::chrono::seconds(10);

std::mutex& liveMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<SerialQueue*>& liveQueues()
{
    static auto* queues = new std::set<SerialQueue*>;  // never destroyed: used at exit
    return *queues;
}

void finishLiveQueues()
{
    std::lock_guard lock(liveMutex());
    for (SerialQueue* queue : liveQueues()) queue->waitUntilIdle(kFinishAtQuit);
}

void watchForQuit(SerialQueue* queue)
{
    static std::once_flag registered;
    if (QCoreApplication::instance()) std::call_once(registered, [] { qAddPostRoutine(finishLiveQueues); });
    std::lock_guard lock(liveMutex());
    liveQueues().insert(queue);
}

}  // namespace

SerialQueue::SerialQueue(std::string label) : m_label(std::move(label)), m_worker([this] { run(); })
{
    watchForQuit(this);
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(liveMutex());
        liveQueues().erase(this);
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

void SerialQueue::async(std::function<void()> block)
{
    {
        std::lock_guard lock(m_mutex);
        m_blocks.push_back(std::move(block));
    }
    m_cv.notify_one();
}

void SerialQueue::sync(const std::function<void()>& block)
{
    if (isCurrent()) {
        block();
        return;
    }
    std::promise<void> done;
    auto future = done.get_future();
    async([&] {
        block();
        done.set_value();
    });
    future.wait();
}

bool SerialQueue::waitUntilIdle(std::chrono::milliseconds limit)
{
    if (isCurrent()) return false;
    auto done = std::make_shared<std::promise<void>>();
    auto future = done->get_future();
    async([done] { done->set_value(); });
    return future.wait_for(limit) == std::future_status::ready;
}

bool SerialQueue::isCurrent() const { return std::this_thread::get_id() == m_worker.get_id(); }

void SerialQueue::run()
{
    for (;;) {
        std::function<void()> block;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [this] { return m_stopping || !m_blocks.empty(); });
            if (m_blocks.empty()) return;
            block = std::move(m_blocks.front());
            m_blocks.pop_front();
        }
        block();
    }
}

bool isMainThread()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void runOnMain(std::function<void()> block)
{
    auto* app = QCoreApplication::instance();
    // Without an application (the process is ending) there is no main thread
    // to run on: dropping the block is safer than running interface code on
    // a worker thread.
    if (!app) return;
    QMetaObject::invokeMethod(app, std::move(block), Qt::QueuedConnection);
}

void runOnMainSync(const std::function<void()>& block)
{
    auto* app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        block();
        return;
    }
    QMetaObject::invokeMethod(app, block, Qt::BlockingQueuedConnection);
}

}  // namespace klipo::platform
