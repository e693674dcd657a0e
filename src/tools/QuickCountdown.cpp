#include "tools/QuickCountdown.h"

#include <algorithm>
#include <utility>

namespace klipo {

QuickCountdown& QuickCountdown::shared()
{
    static auto* countdown = new QuickCountdown;
    return *countdown;
}

QuickCountdown::QuickCountdown()
{
    // One shot per second, each started when the previous one ran.
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &QuickCountdown::tick);
}

void QuickCountdown::start(int seconds, std::function<void(std::optional<int>)> onTick, std::function<void()> onFinish)
{
    m_timer.stop();
    m_remaining = std::max(1, seconds);
    m_onTick = std::move(onTick);
    m_onFinish = std::move(onFinish);
    m_running = true;
    if (m_onTick) m_onTick(m_remaining);
    m_timer.start();
}

void QuickCountdown::tick()
{
    if (!m_running) return;
    --m_remaining;
    if (m_remaining >= 1) {
        if (m_onTick) m_onTick(m_remaining);
        m_timer.start();
        return;
    }
    finishInternal(true);
}

void QuickCountdown::finishInternal(bool notifyFinish)
{
    m_timer.stop();
    m_running = false;
    m_remaining = 0;
    const auto onTick = std::exchange(m_onTick, nullptr);
    const auto onFinish = std::exchange(m_onFinish, nullptr);
    if (onTick) onTick(std::nullopt);
    if (notifyFinish && onFinish) onFinish();
}

}  // namespace klipo
