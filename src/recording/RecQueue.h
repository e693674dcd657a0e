#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace klipo {

// A bounded queue between two recording threads. A push never waits: when
// the queue is full the item is refused and the caller drops it (real time
// beats completeness). A pop waits until an item arrives or the queue closes.
template <typename T>
class RecQueue {
public:
    explicit RecQueue(std::size_t capacity) : m_capacity(capacity) {}

    bool tryPush(T&& item)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed || m_items.size() >= m_capacity) return false;
            m_items.push_back(std::move(item));
        }
        m_ready.notify_one();
        return true;
    }

    // The next item; nothing once the queue is closed and empty.
    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_items.empty() || m_closed; });
        if (m_items.empty()) return std::nullopt;
        T item = std::move(m_items.front());
        m_items.pop_front();
        return item;
    }

    // No more pushes; what is queued can still be popped.
    void close()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_ready.notify_all();
    }

private:
    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<T> m_items;
    bool m_closed = false;
};

// A fixed number of reusable buffers (pictures). take() never waits: with all
// of them in use it gives nothing, which is how a stage notices that the one
// after it has fallen behind.
template <typename T>
class RecPool {
public:
    explicit RecPool(std::size_t count) : m_count(count) {}

    std::optional<T> take()
    {
        std::lock_guard lock(m_mutex);
        if (!m_free.empty()) {
            T item = std::move(m_free.back());
            m_free.pop_back();
            return item;
        }
        if (m_made < m_count) {
            ++m_made;
            return T{};
        }
        return std::nullopt;
    }

    void give(T&& item)
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(item));
    }

private:
    const std::size_t m_count;
    std::mutex m_mutex;
    std::vector<T> m_free;
    std::size_t m_made = 0;
};

}  // namespace klipo
