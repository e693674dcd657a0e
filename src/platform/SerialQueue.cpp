#include "platform/SerialQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <future>

namespace klipo::platform {

SerialQueue::SerialQueue(std::string label) : m_label(std::move(label)), m_worker([this] { run(); }) {}

SerialQueue::~SerialQueue()
{
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
