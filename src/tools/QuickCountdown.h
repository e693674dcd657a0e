#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace klipo {

// The countdown of a delayed capture: reports the seconds left once a second
// and none when it ends, then finishes (or is cancelled). One process-wide
// instance; main thread only.
class QuickCountdown : public QObject {
    Q_OBJECT
public:
    static QuickCountdown& shared();

    bool isRunning() const { return m_running; }
    int remaining() const { return m_remaining; }

    // Counts max(1, seconds) down: reports the first value at once.
    void start(int seconds, std::function<void(std::optional<int>)> onTick, std::function<void()> onFinish);
    // Stops without finishing; reports none once.
    void cancel() { finishInternal(false); }

private:
    QuickCountdown();
    void tick();
    void finishInternal(bool notifyFinish);

    bool m_running = false;
    int m_remaining = 0;
    QTimer m_timer;
    std::function<void(std::optional<int>)> m_onTick;
    std::function<void()> m_onFinish;
};

}  // namespace klipo
